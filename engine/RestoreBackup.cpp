#include "RestoreBackup.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ReadTaskFile.h"
#include "platform/CarryAttributes.h"
#include "platform/Fd.h"
#include "platform/LongPath.h"
#include "platform/MappedFile.h"
#include "platform/OwnFileNames.h"
#include "platform/PutInPlace.h"
#include "platform/RewriteHooks.h"
#include "platform/SystemError.h"
#include "platform/TempFile.h"

namespace fendrel {
namespace {

// The N of "<file>.N.snr_bak" for a name in the same folder as `file`, as its digits; empty when
// `name` is no backup of `file`.
std::string_view BackupNumber(std::string_view name, std::string_view file) {
  const TBackupName parsed = ParseBackupName(name);
  return parsed.File == file ? parsed.Number : std::string_view();
}

// Digits compared as the numbers they write ("10" after "9", leading zeros ignored).
bool NumberBelow(std::string_view a, std::string_view b) {
  a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
  b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

TRewriteOutcome Failed(int64_t result, std::string reason) {
  return {result, std::move(reason), {}};
}

// Gives `original`, which does not exist or is empty (neither of which the safe rewrite reads),
// the backup's content: a missing file is made again with the backup's attributes, an empty one
// keeps its own and is kept as a new backup like any replaced content.
TRewriteOutcome PutBack(const TMappedFile& backup, const std::string& original,
                        const TLinkRule& links, const std::string& whyNotRead) {
  TTreeFile tree;
  const TTreeOpen opened = OpenInTree(original, links, tree);
  if (opened.Refused != nullptr) return Failed(prCannotMap, opened.Refused);
  if (!tree.Folder.Valid())
    return Failed(prCannotMap, StepFailed("cannot open the folder", opened.Error));
  const TFd& folder = tree.Folder;
  const std::string& name = tree.Name;
  struct stat now {};
  const bool missing = fstatat(folder.Get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0;
  const TFd empty(missing ? -1
                          : openat(folder.Get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!missing && (!empty.Valid() || fstat(empty.Get(), &now) != 0 || !S_ISREG(now.st_mode) ||
                   now.st_size != 0 || now.st_nlink != 1))
    return Failed(prCannotMap, whyNotRead);
  TTempFile temp;
  if (const int error = temp.Create(folder.Get(), false, backup.Size()); error != 0)
    return Failed(prMatchFailed, StepFailed("cannot create the temporary file", error));
  temp.Write(backup.Begin(), backup.Size());
  if (const int error = temp.FinishWriting(); error != 0)
    return Failed(prMatchFailed, StepFailed("cannot write the temporary file", error));
  // A copy made by another user keeps what it can of the owner and attributes.
  std::string notCarried;
  if (missing)
    CarryAttributes(backup.Fd(), backup.Identity(), temp.Fd(), notCarried);
  else if (!CarryAttributes(empty.Get(), now, temp.Fd(), notCarried))
    return Failed(prPutFailed, "cannot give the new content the file's attributes: " + notCarried);
  if (const int error = temp.Flush(); error != 0)
    return Failed(prPutFailed, StepFailed("cannot write the new content to disk", error));
  if (!missing) {
    const TPutOutcome put = PutInPlace(temp, empty.Get(), name, original, now, true);
    if (!put.Replaced) return Failed(prPutFailed, put.Reason);
    if (const int error = FlushFolder(folder.Get()); error != 0)
      return {prPutFailed, StepFailed("cannot write the folder to disk", error), put.BackupName};
    return {1, {}, put.BackupName};
  }
  if (const int error = temp.NameAs(name); error != 0) {
    if (error == EEXIST) return Failed(prPutFailed, kChangedDuringRun);
    return Failed(prPutFailed, StepFailed("cannot put the new content in place", error));
  }
  temp.Committed();
  if (const int error = FlushFolder(folder.Get()); error != 0)
    return Failed(prPutFailed, StepFailed("cannot write the folder to disk", error));
  return {1, {}, {}};
}

}  // namespace

std::string BackupOriginal(const std::string& backup) {
  const std::size_t slash = backup.rfind('/');
  const std::string_view name =
      std::string_view(backup).substr(slash == std::string::npos ? 0 : slash + 1);
  const TBackupName parsed = ParseBackupName(name);
  if (parsed.Number.empty()) return {};
  return backup.substr(0, backup.size() - name.size() + parsed.File.size());
}

std::string NewestBackup(const std::string& file) {
  std::string name;
  const int folderFd = OpenParentFolder(file, name);
  if (folderFd < 0) return {};
  DIR* folder = fdopendir(folderFd);
  if (folder == nullptr) {
    close(folderFd);
    return {};
  }
  std::string newest;
  std::string newestNumber;
  while (const dirent* entry = readdir(folder)) {
    const std::string_view number = BackupNumber(entry->d_name, name);
    if (!number.empty() && (newest.empty() || NumberBelow(newestNumber, number))) {
      newest = entry->d_name;
      newestNumber = number;
    }
  }
  closedir(folder);
  if (newest.empty()) return {};
  return file.substr(0, file.size() - name.size()) + newest;
}

std::unordered_map<std::string, std::string> NewestBackupsIn(const std::string& folder) {
  std::unordered_map<std::string, std::string> newest;
  const int folderFd = OpenAnyLength(folder, O_RDONLY | O_DIRECTORY);
  if (folderFd < 0) return newest;
  DIR* listing = fdopendir(folderFd);
  if (listing == nullptr) {
    close(folderFd);
    return newest;
  }
  std::unordered_map<std::string, std::string> numbers;  // the digits of each newest backup
  while (const dirent* entry = readdir(listing)) {
    const TBackupName parsed = ParseBackupName(entry->d_name);
    if (parsed.Number.empty()) continue;
    const std::string file(parsed.File);
    const std::string_view number = parsed.Number;
    auto [known, added] = numbers.try_emplace(file, number);
    if (added || NumberBelow(known->second, number)) {
      known->second = number;
      newest[file] = entry->d_name;
    }
  }
  closedir(listing);
  const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
  for (auto& [file, backup] : newest)
    backup.insert(0, prefix);
  return newest;
}

TRewriteOutcome RestoreBackup(const std::string& backup, const std::string& original, bool dryRun,
                              const std::string& root) {
  const TLinkRule links{root, false};
  TTreeFile backupFile;
  const TTreeOpen opened = OpenInTree(backup, links, backupFile);
  if (opened.Refused != nullptr) {
    const std::string why = opened.Refused;
    return Failed(prCannotMap, why.starts_with("is ") ? "the backup " + why : why);
  }
  if (opened.Error != 0 && opened.Error != ENOENT)
    return Failed(prCannotMap, StepFailed("cannot open the backup", opened.Error));
  TMappedFile content;
  switch (backupFile.Folder.Valid() ? content.Open(backupFile.Folder.Get(), backupFile.Name)
                                    : TMappedFile::TOpenResult::Missing) {
    case TMappedFile::TOpenResult::Ok:
      break;
    case TMappedFile::TOpenResult::Missing:
      return Failed(prMissing, "the backup no longer exists");
    case TMappedFile::TOpenResult::CannotMap:
      if (content.Error() != 0)
        return Failed(prCannotMap, StepFailed("cannot open the backup", content.Error()));
      return Failed(prCannotMap, content.Identity().st_size == 0 ? "the backup is empty"
                                                                 : "the backup is no regular file");
    case TMappedFile::TOpenResult::Failed:
      return Failed(prOpenFailed, StepFailed("cannot read the backup", content.Error()));
  }
  const auto sameContent = [&content](const char* begin, const char* end) {
    return static_cast<std::size_t>(end - begin) == content.Size() &&
           std::memcmp(begin, content.Begin(), content.Size()) == 0;
  };
  if (dryRun) {
    TReadFile file;
    std::string reason;
    const int64_t failed = ReadTaskFile(original, links, file, reason);
    if (failed == prMissing || reason == "the file is empty") return {1, {}, {}};
    if (failed != 0) return Failed(failed, reason);
    return {sameContent(file.Content.Begin(), file.Content.End()) ? 0 : 1, {}, {}};
  }
  TFileRewrite rewrite(
      original, links, true, [&](TByteSink& out, const char* begin, const char* end, std::string&) {
        if (sameContent(begin, end)) return int64_t{0};
        return out.Write(content.Begin(), content.Size()) ? int64_t{1} : int64_t{prMatchFailed};
      });
  if (content.Damaged()) return Failed(prMatchFailed, "the backup was changed during the restore");
  if (rewrite.Outcome().Result == prMissing || rewrite.Outcome().Result == prCannotMap)
    return PutBack(content, original, links, rewrite.Outcome().Reason);
  rewrite.CommitAlone();
  return rewrite.Outcome();
}

}  // namespace fendrel
