// How the command line shows paths and names on a text output: in the words the user typed the
// folder in, and never as bytes a terminal would take for a command (a file named
// "esc\e[31mred.txt" must not turn the terminal red).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace fendrel::cli {

// `text` with every control character escaped: "\n", "\t", "\r", "\e" for those, "\xHH" for
// the other bytes below 32, for 127, for the control characters U+0080 to U+009F (each byte of
// their UTF-8 form) and for a byte that begins no valid UTF-8 character. Valid UTF-8 otherwise
// stays as it is.
std::string EscapeControls(std::string_view text);

// The path a text output shows for a file found below the folder the user named: below a
// relative folder the path as the user would type it from here ("./sub/a.txt" for ".",
// "src/a.txt" for "src"), below an absolute one the full path; escaped in either case.
class TShownPath {
 public:
  // `typedFolder` as given, `fullFolder` its full form (FullStartPath).
  TShownPath(std::string typedFolder, std::string fullFolder);
  // Only escaping, for paths the user named one by one.
  TShownPath() = default;

  std::string operator()(std::string_view fullPath) const;

 private:
  std::string FTyped;
  std::string FFull;
};

// The lines a run writes while its progress line stands at the bottom of the terminal: each call
// takes the progress line away first (it is written again at its next turn), so output and
// progress never mix, from whichever thread they come.
void WriteLine(std::FILE* stream, std::string_view line);
void WriteProgressLine(std::string_view line);
void ClearProgressLine();

// Whether text for `stream` may carry colour: "always", "never", or "auto" (a terminal, and
// NO_COLOR unset or empty).
bool UseColour(std::string_view when, std::FILE* stream);

}  // namespace fendrel::cli
