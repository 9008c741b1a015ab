#include "LanguageFileTexts.h"

#include "LanguageEntry.h"
#include "LanguageTable.h"

namespace fendrel {
namespace {

TLanguageFileTexts& Installed() {
  static TLanguageFileTexts texts;
  return texts;
}

}  // namespace

TLanguageFileTexts::TLanguageFileTexts() : FTexts(TextCatalogue().size()) {}

TLanguageFileTexts TLanguageFileTexts::Read(const TIniReader& languageFile) {
  TLanguageFileTexts texts;
  for (const TCatalogueText& entry : TextCatalogue()) {
    std::optional<std::string> text = ReadLanguageEntry(languageFile, kTextsSection, entry.Key);
    if (text) texts.Set(entry.Id, std::move(*text));
  }
  return texts;
}

const std::string* TLanguageFileTexts::Find(TTextId id) const {
  const std::optional<std::string>& text = FTexts[static_cast<std::size_t>(id)];
  return text ? &*text : nullptr;
}

void TLanguageFileTexts::Set(TTextId id, std::string text) {
  FTexts[static_cast<std::size_t>(id)] = std::move(text);
}

void UseLanguageFileTexts(TLanguageFileTexts texts) {
  Installed() = std::move(texts);
}

std::string_view CatalogueText(TTextId id, int32_t language) {
  if (language == kLanguageFromFile)
    if (const std::string* text = Installed().Find(id)) return *text;
  return BuiltInText(id, language);
}

std::optional<std::string_view> LanguageFileText(TTextId id) {
  if (const std::string* text = Installed().Find(id)) return *text;
  return std::nullopt;
}

}  // namespace fendrel
