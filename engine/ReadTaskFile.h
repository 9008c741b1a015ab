// Opens and reads the file a task names, the same way for a rewrite, a preview and a restore,
// so that each reports the same outcome for a file that is missing, empty or no regular file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Fd.h"
#include "platform/MappedFile.h"
#include "platform/OpenInTree.h"

namespace fendrel {

struct TReadFile {
  TFd Folder;        // the folder the file lies in
  std::string Name;  // in that folder
  std::string Path;  // as listed, or where a listed link leads
  TMappedFile Content;
};

// Opens `fileName` into `file` inside the run's folder (see OpenInTree): a symbolic link is
// refused unless `links` follows it, and a followed one is read in its target's own folder. With
// `leaveHoles`, a large file with holes is left unmapped for its data to be read a part at a time
// (TMappedFile::OpenLeavingHoles). Returns 0, or a failure code of a task (TProcessResult) with
// its reason in `reason`.
int64_t ReadTaskFile(const std::string& fileName, const TLinkRule& links, TReadFile& file,
                     std::string& reason, bool leaveHoles = false);

// The same for a reader that writes nothing and never checks the file again (a preview): the
// file is read at once, without waiting for the clock, through the folder `last` keeps open
// when the file lies in it. Only Content is set.
int64_t ReadTaskFileAsItIs(const std::string& fileName, const TLinkRule& links, TReadFile& file,
                           std::string& reason, TLastFolder& last, bool leaveHoles = false);

// The data regions [begin, end) of a file left unmapped for its holes, as the file system tells
// them; the whole file as one where it cannot tell.
std::vector<std::pair<off_t, off_t>> DataRegions(const TMappedFile& content);

// Whether a file left unmapped for its holes begins with a UTF-16 byte-order mark. Such a file
// is read whole all the same: a task may decode its text, and a hole is no place to split it.
bool BeginsWithUtf16Mark(const TMappedFile& content);

}  // namespace fendrel
