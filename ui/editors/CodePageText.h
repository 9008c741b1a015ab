// The one place where the program's byte strings meet the user interface's text.
//
// The code page follows the case table in force: with the ASCII table (UTF-8 locales) bytes are
// UTF-8, with the Western European table Windows-1252, with the Cyrillic table Windows-1251.
// Everything the user types becomes bytes here, and everything shown from bytes goes through
// here, so a view and the bytes behind it can be checked against each other.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace fendrel {

// The text that shows `bytes`; bytes the code page cannot show come out as replacement
// characters (use BytesShowable to know).
QString BytesToQString(std::string_view bytes);

// The bytes of `text`; nullopt when a character has no byte form in the code page.
std::optional<std::string> QStringToBytes(const QString& text);

// Whether `bytes` can be shown as text and typed back to the same bytes: every character is
// defined in the code page and none is an invisible control character (bytes below 32 are
// left to the caller, which shows them as ".").
bool BytesShowable(std::string_view bytes);

}  // namespace fendrel
