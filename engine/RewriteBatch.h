// A batch of rewrites committed together: the new contents of several files go to disk in one
// wave (writing starts for all of them before the first is waited for), are put in place in
// task order, and each folder is flushed once for the batch. Many small files then cost about
// one wait for the disk, where committing each on its own would cost one each, and still no
// file is reported done before its new content and its new name are on disk.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ProcessFile.h"

namespace fendrel {

class TRewriteBatch {
 public:
  // At most MaxFiles() files, or kMaxBytes of new content, wait in one batch. Each batch costs
  // the file system a commit of its journal, which waits for whatever other programs are writing
  // then: the fewer batches, the less a run waits for them.
  static std::size_t MaxFiles();
  static constexpr off_t kMaxBytes = 64 << 20;

  // True when the file `fileName` names is one a rewrite of the batch has read, so that its task
  // must wait until the batch is committed (the passes of a multi-line run, two links to one
  // file). May be asked while another thread commits the batch.
  bool Touches(const std::string& fileName) const;
  void Add(std::unique_ptr<TFileRewrite> rewrite);
  // No further rewrite should join.
  bool Full() const;

  // Flushes the new contents, puts them in place in order and flushes their folders. A rewrite
  // that could not be committed is failed, never left pending.
  void Commit() noexcept;
  const TFileRewrite& At(std::size_t index) const { return *FRewrites[index]; }

 private:
  void CommitAll();

  std::vector<std::unique_ptr<TFileRewrite>> FRewrites;
  // The files read (device and inode), fixed once added, so that Touches never looks at a
  // rewrite being committed.
  std::vector<std::pair<dev_t, ino_t>> FFiles;
  off_t FBytes = 0;
  bool FClosed = false;
};

}  // namespace fendrel
