#include "InputValidators.h"

#include <optional>
#include <string>

#include "CodePageText.h"
#include "engine/uExtPChar.h"

namespace fendrel {

TCodePageValidator::TCodePageValidator(std::ptrdiff_t maxBytes, QObject* parent)
    : QValidator(parent), FMaxBytes(maxBytes) {}

QValidator::State TCodePageValidator::validate(QString& input, int& /*pos*/) const {
  const std::optional<std::string> bytes = QStringToBytes(input);
  if (!bytes) return Invalid;
  if (FMaxBytes != kNoLimit && static_cast<std::ptrdiff_t>(bytes->size()) > FMaxBytes)
    return Invalid;
  return Acceptable;
}

THexDigitsValidator::THexDigitsValidator(std::size_t maxBytes, QObject* parent)
    : QValidator(parent), FMaxBytes(maxBytes) {}

QValidator::State THexDigitsValidator::validate(QString& input, int& /*pos*/) const {
  // Only ASCII characters can be digits; anything else counts as nothing.
  return TExtPChar::HexByteCount(input.toLatin1().toStdString()) > FMaxBytes ? Invalid : Acceptable;
}

}  // namespace fendrel
