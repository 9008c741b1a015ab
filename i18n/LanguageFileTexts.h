// The catalogue's texts in the current language, and the texts a language file carries for it.
//
// A language file holds them in a section of its own, "Texts", one entry per text under the
// text's key (TextCatalogue.h), for example
//     [Texts]
//     TitleTasksQueued=%1 tâches en attente
// With the language taken from a file (-1), a text the file holds is shown, and every other one
// in English; the file's window sections keep their meaning. Entries follow the rules of the
// window sections: absent, or "XXX", is missing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TextCatalogue.h"
#include "settings/Iniregi.h"

namespace fendrel {

inline constexpr std::string_view kTextsSection = "Texts";

class TLanguageFileTexts {
 public:
  // Holds no text.
  TLanguageFileTexts();

  // The section "Texts" of a language file, as the file's bytes.
  static TLanguageFileTexts Read(const TIniReader& languageFile);

  // The text the file gives for `id`, or null.
  const std::string* Find(TTextId id) const;
  void Set(TTextId id, std::string text);

 private:
  // By id; empty where the file holds no text.
  std::vector<std::optional<std::string>> FTexts;
};

// The texts shown for language -1, in UTF-8: the program installs them each time the language
// file comes into use, before any window applies its texts. Window thread only.
void UseLanguageFileTexts(TLanguageFileTexts texts);

// The text of `id` in `language`: German for 0; for -1 the installed language file's text where
// it holds one; English otherwise.
std::string_view CatalogueText(TTextId id, int32_t language);

// The installed language file's own text of `id`, or nothing: for a text that a window's section
// may have set already, which only the file's own text replaces.
std::optional<std::string_view> LanguageFileText(TTextId id);

}  // namespace fendrel
