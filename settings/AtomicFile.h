// Whole-file reads and replacements for the program's small data files (ini files), so that a
// crash or a full disk never leaves a half-written file behind.
#pragma once

#include <string>
#include <string_view>

namespace fendrel {

enum class TReadResult { Read, Missing, Failed };

// Reads the whole of `path` into `content`. Missing: there is no such file (or a link leads
// nowhere). Failed: it exists but is not a regular file, cannot be read, or is larger than the
// data files of the program ever get; a FIFO under the name is never waited on.
TReadResult ReadWholeFile(const std::string& path, std::string& content);

// Gives `path` the content `content` in one step: a new file is written beside it (in the
// directory of the file a symbolic link leads to, so the link stays a link), flushed to disk
// and renamed over it, keeping the previous file's permission bits. Either the previous or the
// complete new content is under the name at every moment. False when any step fails: the
// previous file is then untouched and no temporary file remains, unless only the folder's
// flush after the rename failed (the new content has the name but may not be on disk).
bool ReplaceFileContent(const std::string& path, std::string_view content);

}  // namespace fendrel
