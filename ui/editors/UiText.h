// The catalogue's texts as the windows show them, and the language file's texts made ready for
// them: a language file holds bytes in the program's code page, the catalogue UTF-8.
#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "i18n/LanguageFileTexts.h"

namespace fendrel {

// The text of `id` in `language` (CatalogueText).
QString UiText(TTextId id, int32_t language);
// The same with its placeholders %1, %2, ... filled by `values`.
QString UiText(TTextId id, int32_t language, std::initializer_list<QString> values);
// `text` with its placeholders filled by `values`, by the catalogue's rule (FillPlaceholders).
QString FillUiPlaceholders(const QString& text, std::initializer_list<QString> values);

// Reads the section "Texts" of `languageFile` and installs its texts for language -1; a file
// that cannot be read installs none.
void InstallLanguageFileTexts(const std::string& languageFile);

}  // namespace fendrel
