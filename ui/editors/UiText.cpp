#include "UiText.h"

#include <vector>

#include "CodePageText.h"

namespace fendrel {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString UiText(TTextId id, int32_t language) {
  return FromUtf8(CatalogueText(id, language));
}

QString UiText(TTextId id, int32_t language, std::initializer_list<QString> values) {
  return FillUiPlaceholders(UiText(id, language), values);
}

QString FillUiPlaceholders(const QString& text, std::initializer_list<QString> values) {
  std::vector<std::string> utf8;
  utf8.reserve(values.size());
  for (const QString& value : values)
    utf8.push_back(value.toStdString());
  const std::vector<std::string_view> views(utf8.begin(), utf8.end());
  return FromUtf8(FillPlaceholders(text.toStdString(), views));
}

void InstallLanguageFileTexts(const std::string& languageFile) {
  TLanguageFileTexts texts = TLanguageFileTexts::Read(TIniReader(languageFile));
  for (const TCatalogueText& entry : TextCatalogue()) {
    if (const std::string* bytes = texts.Find(entry.Id))
      texts.Set(entry.Id, BytesToQString(*bytes).toStdString());
  }
  UseLanguageFileTexts(std::move(texts));
}

}  // namespace fendrel
