// The packer: appends files to an executable as a container, so that the executable carries
// them and writes them next to itself when it starts. The build runs it after linking.
#pragma once

#include <string>
#include <vector>

namespace fendrel {

// Makes `executable` end with `files` (stored under their names without directory), then the
// directory whose entry 0 describes the executable image, then the trailer. An executable that
// already carries a container keeps only its image, so packing twice gives the same file as
// packing once. The executable is replaced whole, keeping its permission bits, or not at all.
//
// Refused (the executable unchanged): a damaged container already at its end, more than 254
// files, a name that is not a plain file name or is longer than 100 bytes, two files of one
// name or a file named like the executable (its extraction would overwrite the program), and
// offsets or sizes beyond 2^31 - 1. Returns "" on success, otherwise what went wrong.
std::string AppendContainerFiles(const std::string& executable,
                                 const std::vector<std::string>& files);

}  // namespace fendrel
