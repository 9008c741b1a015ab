// The changed lines of a file as a unified difference listing: what a dry run shows and what
// `patch` applies to the file as it is, giving byte for byte the content a run writes.
#pragma once

#include <string>
#include <string_view>

#include "ChangedLines.h"

namespace fendrel {

// "--- OLDNAME", "+++ NEWNAME" and one "@@" section per hunk, unchanged lines of a hunk as
// context, a last line without a line break followed by "\ No newline at end of file". The
// hunks must come from ChangedLines over the whole content (no line limit). A name holding a
// blank ends in a tab and one holding a control character, '"' or '\' is quoted, so `patch`
// reads it back whole.
std::string UnifiedDiff(std::string_view oldName, std::string_view newName, const THunks& hunks);

}  // namespace fendrel
