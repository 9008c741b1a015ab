#include "PutInPlace.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "MappedFile.h"

namespace fendrel {
namespace {

// Gives `from` the name `to` unless `to` exists. Returns 0, or the errno of the failure
// (EEXIST when the name is taken).
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // The file system cannot refuse to replace; checking first leaves only a narrow race.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Gives the first free name base + "." + n + suffix (n counting from 0) to the content of
// `existing`: as a second hard link where the file system allows it, so the file keeps its
// name, otherwise by renaming it. Returns the name, empty on failure; `linked` tells which.
std::string TakeNumberedName(const std::string& existing, const std::string& base,
                             const char* suffix, bool& linked) {
  for (unsigned long n = 0;; ++n) {
    std::string name = base + "." + std::to_string(n) + suffix;
    if (::link(existing.c_str(), name.c_str()) == 0) {
      linked = true;
      return name;
    }
    if (errno == EEXIST) continue;
    if (errno != EPERM && errno != EXDEV && errno != EMLINK && errno != ENOTSUP) return {};
    const int error = RenameNoReplace(existing, name);
    if (error == 0) {
      linked = false;
      return name;
    }
    if (error != EEXIST) return {};
  }
}

// Keeps content that could not take its file's name under target.snr_new (or a numbered
// target.n.snr_new if that is taken), a name no later task writes to.
std::string KeepNewContent(const std::string& tempPath, const std::string& target) {
  std::string name = target + ".snr_new";
  int error = RenameNoReplace(tempPath, name);
  for (unsigned long n = 1; error == EEXIST; ++n) {
    name = target + "." + std::to_string(n) + ".snr_new";
    error = RenameNoReplace(tempPath, name);
  }
  return error == 0 ? name : std::string();
}

}  // namespace

TPutOutcome PutInPlace(TTempFile& temp, const std::string& target, const struct stat& original,
                       bool backup) {
  TPutOutcome outcome;
  const int fd = temp.Fd();
  // Owner first: a change of owner may clear permission bits set before it.
  if (original.st_uid != ::geteuid() || original.st_gid != ::getegid())
    (void)::fchown(fd, original.st_uid, original.st_gid);
  if (::fchmod(fd, (original.st_mode & 0777) | S_IWUSR) != 0 || !temp.Finish()) return outcome;

  struct stat now;
  if (::stat(target.c_str(), &now) != 0 || !SameFileState(original, now)) return outcome;

  bool linked = true;
  if (backup) {
    outcome.BackupName = TakeNumberedName(target, target, ".snr_bak", linked);
    if (outcome.BackupName.empty()) return outcome;
  }

  if (::rename(temp.Path().c_str(), target.c_str()) == 0) {
    temp.Committed();
    outcome.Replaced = true;
    return outcome;
  }

  // The new content could not take the name. Put the previous file back where it was, and keep
  // the new content where no later task will overwrite it.
  if (backup) {
    if (linked)
      ::unlink(outcome.BackupName.c_str());
    else
      (void)RenameNoReplace(outcome.BackupName, target);
    outcome.BackupName.clear();
  }
  outcome.KeptAs = KeepNewContent(temp.Path(), target);
  if (!outcome.KeptAs.empty()) temp.Committed();
  return outcome;
}

}  // namespace fendrel
