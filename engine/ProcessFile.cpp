#include "ProcessFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "ReplaceLiteral.h"
#include "ReplacePattern.h"
#include "StatusLines.h"
#include "platform/DebugTrace.h"
#include "platform/MappedFile.h"
#include "platform/PutInPlace.h"

namespace fendrel {
namespace {

// A listed symbolic link is rewritten through: the file it points to is rewritten in its own
// directory and the link stays a link. Any other entry keeps the path it was listed with.
bool ResolveLinks(const std::string& fileName, std::string& target) {
  struct stat st;
  if (lstat(fileName.c_str(), &st) != 0) return false;
  if (!S_ISLNK(st.st_mode)) {
    target = fileName;
    return true;
  }
  char resolved[PATH_MAX];
  if (realpath(fileName.c_str(), resolved) == nullptr) return false;
  target = resolved;
  return true;
}

}  // namespace

int64_t ProcessFile(const TSnRTast& task, TStatusSink* sink) {
  DebugTrace(task.FileName + " Start");

  std::string target;
  if (!ResolveLinks(task.FileName, target))
    return errno == ENOENT || errno == ENOTDIR ? prMissing : prCannotMap;

  TMappedFile content;
  switch (content.Open(target)) {
    case TMappedFile::TOpenResult::Ok:
      break;
    case TMappedFile::TOpenResult::Missing:
      return prMissing;
    case TMappedFile::TOpenResult::CannotMap:
      return prCannotMap;
    case TMappedFile::TOpenResult::Failed:
      return prOpenFailed;
  }

  TTempFile temp(TempFileName(target));
  int64_t result = task.SearchMode == smRegExpr
                       ? ReplacePattern(temp, content.Begin(), content.End(), task)
                       : ReplaceLiteral(temp, content.Begin(), content.End(), task);
  // Pages that vanished while they were read came back as zeros: that is not the file's content.
  if (content.Damaged()) result = prMatchFailed;
  const struct stat original = content.Identity();
  content.Close();

  // A temporary file that does not take the file's name is removed when `temp` goes.
  if (result <= 0) return result;
  const TPutOutcome outcome = PutInPlace(temp, target, original, task.CreateBackup);
  if (!outcome.Replaced) {
    if (!outcome.KeptAs.empty())
      DebugTrace(task.FileName + ": new content kept as " + outcome.KeptAs);
    return prPutFailed;
  }
  if (!outcome.BackupName.empty() && sink != nullptr)
    sink->SnRStatus(TStatusKind::stBackupFile, outcome.BackupName);
  return result;
}

}  // namespace fendrel
