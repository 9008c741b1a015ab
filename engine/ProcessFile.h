// Carries out one task on one file: maps it, lets the matcher write the new content to a
// temporary file beside it, and puts that in the file's place, keeping the previous file as a
// numbered backup when the task asks for one.
//
// The work is split in two so that the worker can commit several files together: a rewrite is
// first prepared (the new content written and given the file's attributes), then flushed to disk
// with the others of its batch, then put in place, and its folder flushed once for the batch.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "SnRTast.h"
#include "StatusSink.h"
#include "platform/TempFile.h"

namespace fendrel {

// Result codes besides a count of replacements (0 or more).
enum TProcessResult : int64_t {
  prMissing = -1,      // the file does not exist
  prOpenFailed = -2,   // an unexpected error while opening or mapping
  prMatchFailed = -3,  // the matcher failed (bad old string or pattern, temporary file, content)
  prPutFailed = -4,    // the new content could not be put in place, or the file was changed
  prCannotMap = -5,    // cannot be opened, is empty, or is not a regular file
};

// The reason of a task whose file changed while it was read.
inline constexpr const char* kChangedDuringRun = "changed by another program during the run";

// What a task came to: the result code, why it failed, and the backup it made.
struct TRewriteOutcome {
  int64_t Result = 0;
  // Why it failed; for a task that did not fail, what the user must know all the same (a file
  // of the program's own that could not be removed), or empty.
  std::string Reason;
  std::string BackupName;
};

// Writes the new content of a file read into [begin, end) to `out`: returns the number of
// changes (0: nothing need be written), or a failure code with its reason in `why`.
using TContentWriter =
    std::function<int64_t(TByteSink& out, const char* begin, const char* end, std::string& why)>;

struct TReadFile;

class TFileRewrite {
 public:
  // Reads the file and writes its new content, flushed to nothing yet. Afterwards the outcome is
  // final unless Pending().
  explicit TFileRewrite(const TSnRTast& task);
  // The same with the new content from `writer`; with `backup` the previous content is kept as
  // a numbered backup.
  TFileRewrite(const std::string& fileName, const TLinkRule& links, bool backup,
               const TContentWriter& writer);
  // The same for a writer whose matches never take in a zero byte: a file with holes is then
  // read by its data regions alone, each written as one piece by `regionWriter` (a region's
  // start is no file's start), and its holes cost nothing; one that begins with a UTF-16
  // byte-order mark is read whole all the same (BeginsWithUtf16Mark). An empty `regionWriter`
  // reads every file whole. With `keepTimes` the file keeps its access and modification times
  // (TSnRTast::KeepModificationTime).
  TFileRewrite(const std::string& fileName, const TLinkRule& links, bool backup,
               const TContentWriter& writer, const TContentWriter& regionWriter,
               bool keepTimes = false);
  ~TFileRewrite();
  TFileRewrite(const TFileRewrite&) = delete;
  TFileRewrite& operator=(const TFileRewrite&) = delete;

  // The new content waits to be put in place.
  bool Pending() const { return FPending; }
  // The state of the file read, or nullptr when none was.
  const struct stat* FileRead() const;
  // Fails a rewrite that is still pending with `reason`.
  void Abandon(const std::string& reason);
  // The temporary file had to be created under a name: the folder has no unnamed files.
  bool NamedTemporaryFile() const { return FTemp.CreatedNamed(); }
  off_t NewLength() const { return FTemp.Length(); }

  // The new content waits to be flushed to disk (an in-place rewrite flushes as it goes).
  bool WaitsForFlush() const { return FPending && !FInPlace && !FFlushed; }
  // Starts writing the new content to disk, without waiting.
  void StartFlush();
  // Waits until the new content is on disk; a failure ends the rewrite.
  void FlushContent();
  // Puts the new content in place; the caller then flushes Folder().
  void PutInPlace();
  // Closes the file read, once its content is in place. A file that has just lost its last name
  // is freed then, and where the file system tells the disk about every freed block, that
  // waits for the disk: a batch closes its files several at once.
  void CloseFileRead();
  // The flush of Folder() after PutInPlace failed with `error`: the new content has the file's
  // name, but it is not known to be on disk, so the task fails (its backup stays reported).
  void FolderNotFlushed(int error);
  // The whole commit of a rewrite on its own: flushes the new content, puts it in place and
  // flushes the folder.
  void CommitAlone();
  // The open folder of the file.
  int Folder() const { return FTemp.Folder(); }

  const TRewriteOutcome& Outcome() const { return FOutcome; }

 private:
  void Prepare(const std::string& fileName, const TLinkRule& links, const TContentWriter& writer,
               const TContentWriter& regionWriter);
  void Fail(int64_t result, std::string reason);

  TRewriteOutcome FOutcome;
  bool FPending = false;
  bool FBackup = false;
  bool FKeepTimes = false;  // the task's KeepModificationTime
  // The file read, open while the rewrite is pending, in its own folder.
  std::unique_ptr<TReadFile> FOriginal;
  // The file carries something a new file cannot be given: its content is written in place.
  bool FInPlace = false;
  bool FFlushed = false;
  TTempFile FTemp;
};

// The whole of one task on its own, the folder flushed before it returns. Sends the name of a
// new backup and, for a failure, its reason to `sink` (when given).
int64_t ProcessFile(const TSnRTast& task, TStatusSink* sink);

// The outcome's reports: the backup made, or the reason of a failure.
void SendOutcome(const TRewriteOutcome& outcome, TStatusSink* sink);

// Writes within the file-size limit of the process fail with their error instead of ending the
// process: called once before the first rewrite.
void IgnoreFileSizeSignal();

}  // namespace fendrel
