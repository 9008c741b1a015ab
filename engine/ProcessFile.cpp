#include "ProcessFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <utility>
#include <vector>

#include "ReadTaskFile.h"
#include "ReplaceMatches.h"
#include "TaskChanges.h"
#include "platform/CarryAttributes.h"
#include "platform/DebugTrace.h"
#include "platform/MappedFile.h"
#include "platform/PutInPlace.h"
#include "platform/RewriteHooks.h"
#include "platform/SystemError.h"

namespace fendrel {

namespace {

// The temporary file, created when the first byte is written: a file without matches costs
// no file.
class TTempFileOnDemand : public TByteSink {
 public:
  TTempFileOnDemand(TTempFile& temp, int folder, bool keepHoles, std::size_t expectedSize,
                    TMappedFile& source)
      : FTemp(temp),
        FFolder(folder),
        FKeepHoles(keepHoles),
        FExpectedSize(expectedSize),
        FSource(source) {}

  bool Write(const char* data, std::size_t length) override {
    if (!FCreated) {
      FCreated = true;
      CreateError = FTemp.Create(FFolder, FKeepHoles, FExpectedSize);
      if (CreateError == 0 && FSkipped > 0 && !FTemp.Skip(FSkipped)) return false;
    }
    return CreateError == 0 && FTemp.Write(data, length);
  }

  bool Skip(std::size_t length) override {
    if (!FCreated) {
      FSkipped += length;
      return true;
    }
    return CreateError == 0 && FTemp.Skip(length);
  }

  void SourceRead(const char* upTo) override { FSource.DropBefore(upTo); }

  int CreateError = 0;

 private:
  TTempFile& FTemp;
  int FFolder;
  bool FKeepHoles;
  std::size_t FExpectedSize;
  TMappedFile& FSource;
  bool FCreated = false;
  std::size_t FSkipped = 0;  // holes before the first byte written
};

bool IsSparse(const struct stat& st) {
  return static_cast<off_t>(st.st_blocks) * 512 < st.st_size;
}

// Lets `regionWriter` write the new content of a file with holes region by region: a first pass
// only counts, so a file without matches costs no write and a region without matches is copied
// as it is; holes stay holes. Matches never reach into a hole, since the writer's never take in
// a zero byte. A file that may be UTF-16 text goes to `writer` whole.
int64_t WriteByDataRegions(TMappedFile& content, TByteSink& out, const TContentWriter& writer,
                           const TContentWriter& regionWriter, std::string& why) {
  const auto size = static_cast<off_t>(content.Size());
  const auto map = [&content, &why](const std::pair<off_t, off_t>& region) {
    const char* part =
        content.MapPart(region.first, static_cast<std::size_t>(region.second - region.first));
    if (part == nullptr) why = StepFailed("cannot read the file", content.Error());
    return part;
  };
  if (BeginsWithUtf16Mark(content)) {
    const char* whole = map({0, size});
    return whole == nullptr ? int64_t{prMatchFailed} : writer(out, whole, whole + size, why);
  }
  const auto regions = DataRegions(content);
  std::vector<bool> changes(regions.size());
  int64_t total = 0;
  TNullSink counted;
  for (std::size_t i = 0; i < regions.size(); ++i) {
    const char* part = map(regions[i]);
    if (part == nullptr) return prMatchFailed;
    const int64_t count =
        regionWriter(counted, part, part + (regions[i].second - regions[i].first), why);
    if (count < 0) return count;
    changes[i] = count > 0;
    total += count;
  }
  if (total == 0) return 0;
  off_t at = 0;
  for (std::size_t i = 0; i < regions.size(); ++i) {
    const auto length = static_cast<std::size_t>(regions[i].second - regions[i].first);
    const char* part = map(regions[i]);
    if (part == nullptr) return prMatchFailed;
    if (!out.Skip(static_cast<std::size_t>(regions[i].first - at))) return prMatchFailed;
    if (changes[i]) {
      if (const int64_t count = regionWriter(out, part, part + length, why); count < 0)
        return count;
    } else if (!out.Write(part, length)) {
      return prMatchFailed;
    }
    at = regions[i].second;
  }
  return out.Skip(static_cast<std::size_t>(size - at)) ? total : int64_t{prMatchFailed};
}

// Neither matcher takes a zero byte into a match unless the old string holds one (a regular
// expression searches only the text between control bytes), so a task without one can read a
// file by its data regions. A region is matched as it is, whatever it begins with.
TContentWriter RegionWriter(const TSnRTast& task) {
  if (task.FromStr.find('\0') != std::string::npos) return {};
  return [&task](TByteSink& out, const char* begin, const char* end, std::string& why) {
    return ReplaceMatchesAsItIs(out, begin, end, task, why);
  };
}

}  // namespace

void IgnoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

TFileRewrite::TFileRewrite(const TSnRTast& task)
    : TFileRewrite(
          task.FileName, task.Links, task.CreateBackup,
          [&task](TByteSink& out, const char* begin, const char* end, std::string& why) {
            if (task.Chosen) return WriteChosenChanges(out, begin, end, *task.Chosen, why);
            return ReplaceMatches(out, begin, end, task, why);
          },
          // Chosen changes lie in the content read whole, as the preview read it.
          task.Chosen ? TContentWriter() : RegionWriter(task), task.KeepModificationTime) {}

TFileRewrite::TFileRewrite(const std::string& fileName, const TLinkRule& links, bool backup,
                           const TContentWriter& writer)
    : TFileRewrite(fileName, links, backup, writer, TContentWriter()) {}

TFileRewrite::TFileRewrite(const std::string& fileName, const TLinkRule& links, bool backup,
                           const TContentWriter& writer, const TContentWriter& regionWriter,
                           bool keepTimes) {
  DebugTrace(fileName + " Start");
  FBackup = backup;
  FKeepTimes = keepTimes;
  try {
    Prepare(fileName, links, writer, regionWriter);
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

void TFileRewrite::Prepare(const std::string& fileName, const TLinkRule& links,
                           const TContentWriter& writer, const TContentWriter& regionWriter) {
  IgnoreFileSizeSignal();
  auto original = std::make_unique<TReadFile>();
  std::string why;
  if (const int64_t failed =
          ReadTaskFile(fileName, links, *original, why, static_cast<bool>(regionWriter));
      failed != 0)
    return Fail(failed, why);

  TMappedFile& content = original->Content;
  const struct stat& identity = content.Identity();
  TTempFileOnDemand out(FTemp, original->Folder.Get(), IsSparse(identity), content.Size(), content);
  int64_t result = content.Begin() == nullptr
                       ? WriteByDataRegions(content, out, writer, regionWriter, why)
                       : writer(out, content.Begin(), content.End(), why);
  // Pages that vanished while they were read came back as zeros: that is not the file's content.
  if (content.Damaged()) return Fail(prMatchFailed, kChangedDuringRun);
  content.Unmap();
  original->Folder.Reset();  // the temporary file holds its own
  if (result < 0) {
    if (out.CreateError != 0)
      return Fail(result, StepFailed("cannot create the temporary file", out.CreateError));
    if (FTemp.Error() != 0)
      return Fail(result, StepFailed("cannot write the temporary file", FTemp.Error()));
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
  if (FInPlace) DebugTrace(fileName + ": written in place (" + notCarried + ")");
  // Set before the flush, so that the times reach the disk with the content; as they were
  // read, before this task's own reading moved the access time.
  if (const timespec times[2] = {identity.st_atim, identity.st_mtim};
      FKeepTimes && !FInPlace && ::futimens(FTemp.Fd(), times) != 0)
    return Fail(prMatchFailed, StepFailed("cannot keep the modification time", errno));
  FOriginal = std::move(original);
  FPending = true;
}

const struct stat* TFileRewrite::FileRead() const {
  return FOriginal ? &FOriginal->Content.Identity() : nullptr;
}

void TFileRewrite::Abandon(const std::string& reason) {
  if (FPending) Fail(prPutFailed, reason);
}

void TFileRewrite::StartFlush() {
  if (WaitsForFlush()) FTemp.StartFlush();
}

void TFileRewrite::FlushContent() {
  if (!WaitsForFlush()) return;
  if (const int error = FTemp.Flush(); error != 0)
    Fail(prPutFailed, StepFailed("cannot write the new content to disk", error));
  FFlushed = true;
}

void TFileRewrite::PutInPlace() {
  if (!FPending) return;
  const TReadFile& original = *FOriginal;
  if (RewriteHooks().BeforePut) RewriteHooks().BeforePut(original.Path);
  const TPutOutcome put =
      FInPlace ? RewriteInPlace(FTemp, original.Content.Fd(), original.Name, original.Path,
                                original.Content.Identity(), FBackup, FKeepTimes)
               : fendrel::PutInPlace(FTemp, original.Content.Fd(), original.Name, original.Path,
                                     original.Content.Identity(), FBackup);
  FPending = false;
  if (!put.Replaced) return Fail(prPutFailed, put.Reason);
  FOutcome.BackupName = put.BackupName;
  FOutcome.Reason = put.Notice;
}

void TFileRewrite::CloseFileRead() {
  if (FOriginal) FOriginal->Content.Close();
}

void TFileRewrite::FolderNotFlushed(int error) {
  if (FOutcome.Result <= 0) return;
  FOutcome.Result = prPutFailed;
  FOutcome.Reason = StepFailed("cannot write the folder to disk", error) +
                    "; the new content has the file's name but may not be on disk";
}

void TFileRewrite::CommitAlone() {
  if (!FPending) return;
  FlushContent();
  PutInPlace();
  if (FOutcome.Result > 0) {
    if (const int error = FlushFolder(Folder()); error != 0) FolderNotFlushed(error);
  }
}

void SendOutcome(const TRewriteOutcome& outcome, TStatusSink* sink) {
  if (sink == nullptr) return;
  if (!outcome.BackupName.empty()) sink->SnRStatus(TStatusKind::stBackupFile, outcome.BackupName);
  if (!outcome.Reason.empty()) sink->SnRStatus(TStatusKind::stFailureReason, outcome.Reason);
}

int64_t ProcessFile(const TSnRTast& task, TStatusSink* sink) {
  TFileRewrite rewrite(task);
  rewrite.CommitAlone();
  SendOutcome(rewrite.Outcome(), sink);
  return rewrite.Outcome().Result;
}

}  // namespace fendrel
