// Where the help page is and the address that opens it in the program's language. The program
// writes the page it carries beside itself at every start; an installed copy in a folder it may
// not write finds the page where it was installed instead.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>

namespace fendrel {

inline constexpr const char* kHelpPageFileName = "Fendrel.html";

// The folders the help page is looked for in, in order: `programDirectory` (skipped when empty),
// then the installed documentation folder.
QStringList HelpPageDirectories(const QString& programDirectory);

// The help page in the first of `directories` that holds it; empty when none does.
QString FindHelpPage(const QStringList& directories);

// Whether the program in `programDirectory` is the installed copy, whose carried files were
// installed in their own places: written beside it they would lie in a system folder that no
// package owns (an administrator's start would leave them behind).
bool IsInstalledProgram(const QString& programDirectory, const QString& installBinDirectory);

// The page's address, opened at the section in `language`: German for German, English for every
// other language (a language file's texts come over the English ones).
QUrl HelpPageUrl(const QString& file, int32_t language);

}  // namespace fendrel
