#include "PutInPlace.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "CopyContent.h"
#include "Fd.h"
#include "FolderLock.h"
#include "InPlaceRecovery.h"
#include "MappedFile.h"
#include "OwnFileNames.h"
#include "RewriteHooks.h"
#include "SystemError.h"

namespace fendrel {
namespace {

constexpr const char* kChanged = "changed by another program during the run";

// The file read (open as `fd`) is still what `name` holds, in the state it was read in.
bool Unchanged(int folder, const std::string& name, int fd, const struct stat& original) {
  struct stat byName, byFd;
  return ::fstatat(folder, name.c_str(), &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
         SameFileState(original, byName) && ::fstat(fd, &byFd) == 0 &&
         SameFileState(original, byFd);
}

bool NamesFile(int folder, const std::string& name, const struct stat& file) {
  struct stat now;
  return ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
         now.st_dev == file.st_dev && now.st_ino == file.st_ino;
}

// Links the open file `fd` under `name` in `folder`, never replacing anything. 0 or errno.
int LinkOpenFile(int fd, int folder, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return errno;
  // No /proc: the direct form, where it is permitted.
  return ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// Gives the file read, open as `fd` and named `name`, the first free backup name: as a second
// hard link made from the open file where the file system allows it, so the backup is the very
// file that was read and the file keeps its name; otherwise by renaming it, checked afterwards
// to have moved that same file. Returns the number taken, or -1 with errno (ESTALE: another
// program put something else under the name); `linked` tells which way.
long TakeBackupName(int folder, int fd, const std::string& name, const struct stat& original,
                    bool& linked) {
  for (unsigned long n = 0;; ++n) {
    const std::string backup = BackupFileName(name, n);
    int error = LinkOpenFile(fd, folder, backup);
    if (error == 0) {
      linked = true;
      return static_cast<long>(n);
    }
    if (error == EEXIST) continue;
    if (error != EPERM && error != EXDEV && error != EMLINK && error != ENOTSUP) {
      errno = error;
      return -1;
    }
    error = RenameNoReplace(folder, name, backup);
    if (error == EEXIST) continue;
    if (error != 0) {
      errno = error;
      return -1;
    }
    linked = false;
    if (NamesFile(folder, backup, original)) return static_cast<long>(n);
    (void)RenameNoReplace(folder, backup, name);
    errno = ESTALE;
    return -1;
  }
}

// Keeps content that could not take its file's name under name.snr_new (or a numbered
// name.n.snr_new if that is taken), a name no later task writes to. Returns the number taken or
// -1.
long KeepNewContent(int folder, const std::string& tempName, const std::string& name) {
  for (unsigned long n = 0;; ++n) {
    const int error = RenameNoReplace(folder, tempName, KeptFileName(name, n));
    if (error == 0) return static_cast<long>(n);
    if (error != EEXIST) return -1;
  }
}

// The path of `other`, a name in the folder of `name` whose path is `path`.
std::string Beside(const std::string& path, const std::string& name, const std::string& other) {
  return path.substr(0, path.size() - name.size()) + other;
}

}  // namespace

TPutOutcome PutInPlace(TTempFile& temp, int originalFd, const std::string& name,
                       const std::string& path, const struct stat& original, bool backup) {
  TPutOutcome outcome;
  const int folder = temp.Folder();
  const TFolderLock lock(folder);
  // The last look before the rename: what was read is still what the name holds.
  if (!Unchanged(folder, name, originalFd, original)) {
    outcome.Reason = kChanged;
    return outcome;
  }
  if (const int error = temp.GiveName(); error != 0) {
    outcome.Reason = StepFailed("cannot name the temporary file", error);
    return outcome;
  }

  bool linked = true;
  long backupNumber = -1;
  if (backup) {
    backupNumber = TakeBackupName(folder, originalFd, name, original, linked);
    if (backupNumber < 0) {
      outcome.Reason = errno == ESTALE ? kChanged : StepFailed("cannot make the backup", errno);
      return outcome;
    }
  }

  if (::renameat(folder, temp.Name().c_str(), folder, name.c_str()) == 0) {
    temp.Committed();
    outcome.Replaced = true;
    if (backup) outcome.BackupName = BackupFileName(path, static_cast<unsigned long>(backupNumber));
    return outcome;
  }

  // The new content could not take the name. Put the previous file back where it was, and keep
  // the new content where no later task will overwrite it.
  outcome.Reason = StepFailed("cannot put the new content in place", errno);
  if (backup) {
    const std::string backupName = BackupFileName(name, static_cast<unsigned long>(backupNumber));
    if (linked)
      ::unlinkat(folder, backupName.c_str(), 0);
    else
      (void)RenameNoReplace(folder, backupName, name);
  }
  const long kept = KeepNewContent(folder, temp.Name(), name);
  if (kept >= 0) {
    temp.Committed();
    outcome.KeptAs = KeptFileName(path, static_cast<unsigned long>(kept));
    outcome.Reason += "; new content kept as " + outcome.KeptAs;
  }
  return outcome;
}

TPutOutcome RewriteInPlace(TTempFile& temp, int originalFd, const std::string& name,
                           const std::string& path, const struct stat& original, bool backup,
                           bool keepTimes) {
  TPutOutcome outcome;
  const int folder = temp.Folder();
  const TFolderLock lock(folder);
  const TFd file(::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat opened;
  if (!file.Valid()) {
    outcome.Reason = StepFailed("cannot write the file in place", errno);
    return outcome;
  }
  if (::fstat(file.Get(), &opened) != 0 || opened.st_ino != original.st_ino ||
      opened.st_dev != original.st_dev) {
    outcome.Reason = kChanged;
    return outcome;
  }

  // The complete previous content, on disk under a name of its own before the file is touched.
  TTempFile copy;
  int error = copy.Create(folder, false, 0);  // filled by copying, not through its buffer
  if (error == 0) error = CopyContent(originalFd, copy.Fd(), original.st_size);
  if (error == 0) (void)::fchmod(copy.Fd(), original.st_mode & 07777);
  if (error == 0) {
    const timespec times[2] = {original.st_atim, original.st_mtim};
    (void)::futimens(copy.Fd(), times);
  }
  // What the rewrite is about to do, written down beside the copy, so that a run that dies
  // while it writes into the file can be undone by the next start in this folder.
  TInPlaceIntent intent{name,          {}, backup, temp.Name(), original, original.st_size, 0,
                        temp.Length(), 0};
  if (error == 0 && (!ContentSum(copy.Fd(), intent.OldSize, intent.OldSum) ||
                     !ContentSum(temp.Fd(), intent.NewSize, intent.NewSum)))
    error = errno != 0 ? errno : EIO;
  std::string record;
  if (error == 0 && backup) {
    // A backup that outlives a dead run is a backup like any other: it is named first.
    for (unsigned long n = 0;; ++n) {
      error = copy.NameAs(BackupFileName(name, n));
      if (error == 0) outcome.BackupName = BackupFileName(path, n);
      if (error != EEXIST) break;
    }
    intent.Copy = copy.Name();
    if (error == 0) record = WriteIntentRecord(folder, intent);
    if (error == 0 && record.empty()) error = errno;
  } else if (error == 0) {
    // A safety copy is named only after the record that names it, so that a run that dies in
    // between leaves no copy the next start would not know to remove.
    error = EEXIST;
    for (unsigned attempt = 0; error == EEXIST && attempt < 64; ++attempt) {
      intent.Copy = TempFileName(attempt);
      struct stat taken;
      if (::fstatat(folder, intent.Copy.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) continue;
      record = WriteIntentRecord(folder, intent);
      if (record.empty()) {
        error = errno;
        break;
      }
      error = copy.NameAs(intent.Copy);
      if (error != 0) {
        (void)RemoveIntentRecord(folder, record);
        record.clear();
      }
    }
  }
  if (error == 0) error = FlushFolder(folder);
  // From here on, every way out without success removes the copy again (when `copy` goes),
  // unless it is the only complete previous content.
  if (error != 0) {
    if (!record.empty()) (void)RemoveIntentRecord(folder, record);
    outcome.Reason = StepFailed("cannot make a copy of the previous content", error);
    outcome.BackupName.clear();
    return outcome;
  }

  if (!Unchanged(folder, name, originalFd, original)) {
    (void)RemoveIntentRecord(folder, record);
    outcome.Reason = kChanged;
    outcome.BackupName.clear();
    return outcome;
  }

  const auto written = [](off_t bytes, bool done = false) {
    if (RewriteHooks().InPlaceWritten) RewriteHooks().InPlaceWritten(bytes, done);
  };
  written(0);
  error = CopyContent(temp.Fd(), file.Get(), temp.Length(), written);
  if (error != 0) {
    outcome.Reason = StepFailed("cannot write the file in place", error);
    outcome.BackupName.clear();
    if (CopyContent(copy.Fd(), file.Get(), original.st_size) != 0) {
      // The copy stays as the only complete previous content, and the record with it, so that
      // a later start can still put it back.
      copy.Committed();
      outcome.Reason += "; the previous content is kept as " + Beside(path, name, copy.Name());
      return outcome;
    }
    (void)RemoveIntentRecord(folder, record);
    return outcome;
  }
  written(temp.Length(), true);
  outcome.Replaced = true;
  // The writing has just moved the times; the content is the new one whatever comes of this.
  if (const timespec times[2] = {original.st_atim, original.st_mtim};
      keepTimes && ::futimens(file.Get(), times) != 0)
    outcome.Notice = StepFailed("cannot keep the modification time", errno);
  // The backup stays; a safety copy goes, and if it cannot, the user is told where it lies.
  if (backup) {
    copy.Committed();
  } else if (const int removeError = copy.Remove(); removeError != 0) {
    if (!outcome.Notice.empty()) outcome.Notice += "; ";
    outcome.Notice +=
        StepFailed("cannot remove the safety copy " + Beside(path, name, copy.Name()), removeError);
  }
  if (const int removeError = RemoveIntentRecord(folder, record); removeError != 0) {
    if (!outcome.Notice.empty()) outcome.Notice += "; ";
    outcome.Notice +=
        StepFailed("cannot remove the record " + Beside(path, name, record), removeError);
  }
  return outcome;
}

}  // namespace fendrel
