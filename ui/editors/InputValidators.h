// Refusal of input that the editors cannot take as it stands: characters without a byte in the
// code page, and text beyond what a value holds. A refused edit (a key, a paste, a drop) leaves
// the line as it was, so nothing is ever cut silently.
#pragma once

#include <QValidator>
#include <cstddef>

namespace fendrel {

// Text whose every character has a byte in the code page and, with a limit, whose bytes number
// at most `maxBytes`.
class TCodePageValidator : public QValidator {
  Q_OBJECT

 public:
  static constexpr std::ptrdiff_t kNoLimit = -1;

  explicit TCodePageValidator(std::ptrdiff_t maxBytes, QObject* parent = nullptr);
  State validate(QString& input, int& pos) const override;

 private:
  std::ptrdiff_t FMaxBytes;
};

// Hexadecimal input denoting at most `maxBytes` bytes; other characters are let through, the
// hexadecimal view drops them itself.
class THexDigitsValidator : public QValidator {
  Q_OBJECT

 public:
  explicit THexDigitsValidator(std::size_t maxBytes, QObject* parent = nullptr);
  State validate(QString& input, int& pos) const override;

 private:
  std::size_t FMaxBytes;
};

}  // namespace fendrel
