// The lock of a folder that every program run holds from the last look at a file to its rename,
// and through a rewrite in place, so that two runs committing in one folder take turns: the
// second one then sees the first one's new file and leaves it alone, and a recovery never takes
// a rewrite in progress for an interrupted one. The system drops it when a run dies.
#pragma once

#include <sys/file.h>

#include <cerrno>

namespace fendrel {

class TFolderLock {
 public:
  explicit TFolderLock(int folder) : FFolder(folder) {
    while (::flock(FFolder, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~TFolderLock() { ::flock(FFolder, LOCK_UN); }
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

 private:
  int FFolder;
};

}  // namespace fendrel
