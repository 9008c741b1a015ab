#include "ReadTaskFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "ProcessFile.h"
#include "platform/LongPath.h"
#include "platform/SystemError.h"

namespace fendrel {
namespace {

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

}  // namespace

int64_t ReadTaskFile(const std::string& fileName, TReadFile& file, std::string& reason) {
  if (const int error = OpenTarget(fileName, file.Folder, file.Name, file.Path); error != 0) {
    if (error == ENOENT || error == ENOTDIR) {
      reason = "the file no longer exists";
      return prMissing;
    }
    reason = StepFailed("cannot open the file", error);
    return prCannotMap;
  }
  TMappedFile& content = file.Content;
  switch (content.Open(file.Folder.Get(), file.Name)) {
    case TMappedFile::TOpenResult::Ok:
      return 0;
    case TMappedFile::TOpenResult::Missing:
      reason = "the file no longer exists";
      return prMissing;
    case TMappedFile::TOpenResult::CannotMap:
      if (content.Error() != 0)
        reason = StepFailed("cannot open the file", content.Error());
      else if (content.Identity().st_size == 0 && S_ISREG(content.Identity().st_mode))
        reason = "the file is empty";
      else
        reason = "not a regular file";
      return prCannotMap;
    case TMappedFile::TOpenResult::Failed:
      break;
  }
  reason = StepFailed("cannot read the file", content.Error());
  return prOpenFailed;
}

int64_t ReadTaskFileAsItIs(const std::string& fileName, TReadFile& file, std::string& reason) {
  switch (file.Content.OpenAsItIs(fileName)) {
    case TMappedFile::TOpenResult::Ok:
      return 0;
    case TMappedFile::TOpenResult::Missing:
      reason = "the file no longer exists";
      return prMissing;
    default:
      // Anything else is rare: the full way tells why in the words of a run.
      file.Content.Close();
      return ReadTaskFile(fileName, file, reason);
  }
}

}  // namespace fendrel
