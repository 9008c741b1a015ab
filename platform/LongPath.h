// Opening files and folders by paths of any length. Trees can nest deeper than the system's
// limit for one path (PATH_MAX); such paths are opened a piece at a time, each piece relative to
// the folder opened before it, so no file of a deep tree is out of reach.
#pragma once

#include <string>

namespace fendrel {

// open(path, flags) for any length of `path`; -1 with errno on failure.
int OpenAnyLength(const std::string& path, int flags, int mode = 0);

// Opens the folder that holds `path` (the part before its last '/'; the current folder when
// there is none) for reading, and sets `name` to the part after the last '/'. -1 with errno on
// failure.
int OpenParentFolder(const std::string& path, std::string& name);

}  // namespace fendrel
