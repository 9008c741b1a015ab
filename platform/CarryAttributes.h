// What a rewritten file keeps of the file it replaces: owner and group, permission bits and
// every extended attribute, POSIX access lists included, so that replacing a file never changes
// who may read or write it.
#pragma once

#include <sys/stat.h>

#include <string>

namespace fendrel {

// Gives the new file `copyFd` the owner, group, permission bits (set-id bits dropped, owner
// write added) and extended attributes of the file `originalFd`, whose state is `original`.
// False, with the reason in `why`, when any of them cannot be given: then the new file must not
// take the original's place.
bool CarryAttributes(int originalFd, const struct stat& original, int copyFd, std::string& why);

}  // namespace fendrel
