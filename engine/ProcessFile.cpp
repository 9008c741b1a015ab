#include "ProcessFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <mutex>

#include "ReplaceLiteral.h"
#include "ReplacePattern.h"
#include "platform/CarryAttributes.h"
#include "platform/DebugTrace.h"
#include "platform/Fd.h"
#include "platform/LongPath.h"
#include "platform/MappedFile.h"
#include "platform/PutInPlace.h"
#include "platform/SystemError.h"

namespace fendrel {

struct TFileRewrite::TOriginal {
  TMappedFile Content;
  std::string Name;  // in its folder
  std::string Path;  // as listed, or where a listed link leads
};

namespace {

constexpr const char* kChanged = "changed by another program during the run";

// Opens the folder of the file a task names and sets `name` and `path`. A listed symbolic link
// is rewritten through: the file it points to is rewritten in its own folder and the link stays
// a link. Any other entry keeps the path it was listed with. Returns 0 or errno.
int OpenTarget(const std::string& fileName, TFd& folder, std::string& name, std::string& path) {
  folder.Reset(OpenParentFolder(fileName, name));
  if (!folder.Valid()) return errno;
  struct stat st;
  if (fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!S_ISLNK(st.st_mode)) {
    path = fileName;
    return 0;
  }
  // Where the link leads, read from the file it opens, so that paths of any length resolve.
  const TFd file(openat(folder.Get(), name.c_str(), O_PATH | O_CLOEXEC));
  if (!file.Valid()) return errno;
  std::string resolved(PATH_MAX, '\0');
  const std::string self = "/proc/self/fd/" + std::to_string(file.Get());
  const ssize_t length = readlink(self.c_str(), resolved.data(), resolved.size());
  if (length > 0 && static_cast<std::size_t>(length) < resolved.size()) {
    resolved.resize(static_cast<std::size_t>(length));
  } else {
    char* real = realpath(fileName.c_str(), nullptr);
    if (real == nullptr) return errno;
    resolved = real;
    std::free(real);
  }
  path = resolved;
  folder.Reset(OpenParentFolder(path, name));
  return folder.Valid() ? 0 : errno;
}

// The temporary file, created when the first byte is written: a file without matches costs
// no file.
class TTempFileOnDemand : public TByteSink {
 public:
  TTempFileOnDemand(TTempFile& temp, int folder, bool keepHoles, std::size_t expectedSize)
      : FTemp(temp), FFolder(folder), FKeepHoles(keepHoles), FExpectedSize(expectedSize) {}

  bool Write(const char* data, std::size_t length) override {
    if (!FCreated) {
      FCreated = true;
      CreateError = FTemp.Create(FFolder, FKeepHoles, FExpectedSize);
    }
    return CreateError == 0 && FTemp.Write(data, length);
  }

  int CreateError = 0;

 private:
  TTempFile& FTemp;
  int FFolder;
  bool FKeepHoles;
  std::size_t FExpectedSize;
  bool FCreated = false;
};

bool IsSparse(const struct stat& st) {
  return static_cast<off_t>(st.st_blocks) * 512 < st.st_size;
}

}  // namespace

void IgnoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

TFileRewrite::TFileRewrite(const TSnRTast& task) {
  DebugTrace(task.FileName + " Start");
  FBackup = task.CreateBackup;
  try {
    Prepare(task);
  } catch (...) {
    Fail(prCannotMap, "unexpected error");
  }
}

TFileRewrite::~TFileRewrite() = default;

void TFileRewrite::Fail(int64_t result, std::string reason) {
  FOutcome.Result = result;
  FOutcome.Reason = std::move(reason);
  FPending = false;
}

void TFileRewrite::Prepare(const TSnRTast& task) {
  IgnoreFileSizeSignal();
  auto original = std::make_unique<TOriginal>();
  TFd folder;
  if (const int error = OpenTarget(task.FileName, folder, original->Name, original->Path);
      error != 0) {
    if (error == ENOENT || error == ENOTDIR) return Fail(prMissing, "the file no longer exists");
    return Fail(prCannotMap, StepFailed("cannot open the file", error));
  }

  TMappedFile& content = original->Content;
  switch (content.Open(folder.Get(), original->Name)) {
    case TMappedFile::TOpenResult::Ok:
      break;
    case TMappedFile::TOpenResult::Missing:
      return Fail(prMissing, "the file no longer exists");
    case TMappedFile::TOpenResult::CannotMap:
      if (content.Error() != 0)
        return Fail(prCannotMap, StepFailed("cannot open the file", content.Error()));
      return Fail(prCannotMap,
                  content.Identity().st_size == 0 && S_ISREG(content.Identity().st_mode)
                      ? "the file is empty"
                      : "not a regular file");
    case TMappedFile::TOpenResult::Failed:
      return Fail(prOpenFailed, StepFailed("cannot read the file", content.Error()));
  }

  const struct stat& identity = content.Identity();
  TTempFileOnDemand out(FTemp, folder.Get(), IsSparse(identity), content.Size());
  std::string why;
  int64_t result = task.SearchMode == smRegExpr
                       ? ReplacePattern(out, content.Begin(), content.End(), task, why)
                       : ReplaceLiteral(out, content.Begin(), content.End(), task);
  // Pages that vanished while they were read came back as zeros: that is not the file's content.
  if (content.Damaged()) return Fail(prMatchFailed, kChanged);
  content.Unmap();
  if (result < 0) {
    if (out.CreateError != 0)
      return Fail(result, StepFailed("cannot create the temporary file", out.CreateError));
    if (FTemp.Error() != 0)
      return Fail(result, StepFailed("cannot write the temporary file", FTemp.Error()));
    if (why.empty()) why = task.FromLen <= 0 ? "the old string is empty" : "the search failed";
    return Fail(result, why);
  }
  FOutcome.Result = result;
  if (result == 0) return;  // the temporary file goes when the rewrite does

  if (const int error = FTemp.FinishWriting(); error != 0)
    return Fail(prMatchFailed, StepFailed("cannot write the temporary file", error));
  // A new file can stand in for this one only if it can be given everything the file has and
  // no other name leads to the old content.
  std::string notCarried;
  FInPlace =
      identity.st_nlink > 1 || !CarryAttributes(content.Fd(), identity, FTemp.Fd(), notCarried);
  if (FInPlace) DebugTrace(task.FileName + ": written in place (" + notCarried + ")");
  FOriginal = std::move(original);
  FPending = true;
}

const struct stat* TFileRewrite::FileRead() const {
  return FOriginal ? &FOriginal->Content.Identity() : nullptr;
}

void TFileRewrite::Abandon(const std::string& reason) {
  if (FPending) Fail(prPutFailed, reason);
}

dev_t TFileRewrite::Device() const {
  return FOriginal ? FOriginal->Content.Identity().st_dev : 0;
}

void TFileRewrite::FlushContent() {
  if (!WaitsForFlush()) return;
  if (const int error = FTemp.Flush(); error != 0)
    Fail(prPutFailed, StepFailed("cannot write the new content to disk", error));
  FFlushed = true;
}

void TFileRewrite::PutInPlace() {
  if (!FPending) return;
  const TOriginal& original = *FOriginal;
  const TPutOutcome put = FInPlace
                              ? RewriteInPlace(FTemp, original.Content.Fd(), original.Name,
                                               original.Path, original.Content.Identity(), FBackup)
                              : fendrel::PutInPlace(FTemp, original.Name, original.Path,
                                                    original.Content.Identity(), FBackup);
  FPending = false;
  // The file read is closed here, on the committing thread: when it has just lost its last
  // name, closing it frees its blocks, which should not hold up the next batch's reading.
  FOriginal->Content.Close();
  if (!put.Replaced) return Fail(prPutFailed, put.Reason);
  FOutcome.BackupName = put.BackupName;
}

void SendOutcome(const TRewriteOutcome& outcome, TStatusSink* sink) {
  if (sink == nullptr) return;
  if (!outcome.BackupName.empty()) sink->SnRStatus(TStatusKind::stBackupFile, outcome.BackupName);
  if (outcome.Result < 0 && !outcome.Reason.empty())
    sink->SnRStatus(TStatusKind::stFailureReason, outcome.Reason);
}

int64_t ProcessFile(const TSnRTast& task, TStatusSink* sink) {
  TFileRewrite rewrite(task);
  if (rewrite.Pending()) {
    rewrite.FlushContent();
    rewrite.PutInPlace();
    if (rewrite.Outcome().Result > 0 && fsync(rewrite.Folder()) != 0)
      DebugTrace(task.FileName + ": the folder could not be flushed");
  }
  SendOutcome(rewrite.Outcome(), sink);
  return rewrite.Outcome().Result;
}

}  // namespace fendrel
