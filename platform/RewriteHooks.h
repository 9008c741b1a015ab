// Places where a test steps into a rewrite, so that a race or a failure happens at a chosen
// moment instead of by chance. The programs never set them.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>

namespace fendrel {

struct TRewriteHooks {
  // After a file was read and before its new content is put in place; given the file's path.
  std::function<void(const std::string& path)> BeforePut;
  // During a rewrite in place: before the first byte is written into the file (0), after each
  // piece (the bytes written so far), and once the file is complete on disk (`done`).
  std::function<void(off_t written, bool done)> InPlaceWritten;
  // The errno that folder flushes fail with; 0 for none.
  std::atomic<int> FolderFlushError{0};
  // Temporary files get names from the start, as on a file system without unnamed files.
  std::atomic<bool> NamedTempFiles{false};
};

TRewriteHooks& RewriteHooks();

// Writes the names of the open folder `folder` to disk. 0 or errno.
int FlushFolder(int folder);

}  // namespace fendrel
