// The temporary file of a rewrite, private to the task that made it.
//
// It is created in the rewritten file's own folder, unnamed where the file system allows, so no
// other task or program can reach it by name and a run that dies leaves nothing behind; it gets
// a name only when it is about to take the file's place. Where the file system has no unnamed
// files it is created exclusively under the first free temporary name ("snr4.tmp", else
// "snr4.XXXXXXXX.tmp"), never through a link and never replacing anything. A named temporary
// file that does not take another name is removed again, but only while the name is still its
// own.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>

#include "ByteSink.h"
#include "Fd.h"

namespace fendrel {

class TTempFile : public TByteSink {
 public:
  TTempFile() = default;
  ~TTempFile() override;
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  // Creates the file in the open folder `folderFd`, readable and writable by the owner only.
  // With `keepHoles`, every aligned block of 4 KiB that holds only zero bytes is left as a hole,
  // so the copy of a sparse file stays sparse. `expectedSize` sizes the write buffer. 0, or the
  // errno of the failure.
  int Create(int folderFd, bool keepHoles = false, std::size_t expectedSize = 1 << 20);
  // Appends bytes; false once any write has failed (and from then on).
  bool Write(const char* data, std::size_t length) override;
  // Appends zeros as a hole: nothing is written, the file just grows past them.
  bool Skip(std::size_t length) override;
  // Writes what is buffered and sets the file's length. 0, or the errno of the first failure.
  int FinishWriting();
  // Starts writing the file's content to disk without waiting for it, so that a later Flush
  // waits for less; what fails shows in that Flush.
  void StartFlush();
  // Waits until the file's content and attributes are on disk. 0 or errno.
  int Flush();
  // Gives an unnamed file the first free temporary name in its folder; a named one keeps its
  // name. 0 or errno.
  int GiveName();
  // Gives the file the name `name` in its folder, never replacing a file that has it: an
  // unnamed file gets it as its first name, a named one is renamed. 0 or errno (EEXIST when the
  // name is taken). Unless Committed, the file is removed under that name when it goes.
  int NameAs(const std::string& name);
  // The file now lives under another name: nothing to remove.
  void Committed() { FCommitted = true; }
  // Removes a named file now, while the name is still its own. 0 or errno.
  int Remove();

  // The name in the folder; empty while the file is unnamed.
  const std::string& Name() const { return FName; }
  // True when the file had to be created under a name (no unnamed files here).
  bool CreatedNamed() const { return FCreatedNamed; }
  int Fd() const { return FFile.Get(); }
  int Folder() const { return FFolder.Get(); }
  // The errno of the first failed write, 0 if none.
  int Error() const { return FError; }
  // Bytes written so far.
  off_t Length() const { return FLength; }

 private:
  int CreateNamed();
  bool WriteAt(const char* data, std::size_t length);
  bool WriteKeepingHoles(const char* data, std::size_t length);
  bool FlushBuffer();

  TFd FFolder;
  TFd FFile;
  std::string FName;
  bool FCreatedNamed = false;
  bool FKeepHoles = false;
  bool FEndsInHole = false;  // the last bytes were skipped: the length must be set
  bool FCommitted = false;
  int FError = 0;
  off_t FLength = 0;
  std::unique_ptr<char[]> FBuffer;  // while writing
  std::size_t FBufferSize = 0;
  std::size_t FBuffered = 0;
};

// Gives `from` the name `to` in `folder` unless `to` exists. 0, or the errno of the failure
// (EEXIST when the name is taken).
int RenameNoReplace(int folder, const std::string& from, const std::string& to);

}  // namespace fendrel
