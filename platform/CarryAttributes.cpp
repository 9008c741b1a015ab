#include "CarryAttributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "SystemError.h"

namespace fendrel {
namespace {

// The bytes of an attribute list or value; the sizing call and the reading call race with
// other programs, so the read is retried while the value keeps growing.
template <typename TRead>
bool ReadGrowing(std::vector<char>& out, TRead read) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const ssize_t size = read(nullptr, 0);
    if (size < 0) return false;
    out.resize(static_cast<std::size_t>(size));
    if (size == 0) return true;
    const ssize_t got = read(out.data(), out.size());
    if (got >= 0) {
      out.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

bool CarryExtendedAttributes(int originalFd, int copyFd, std::string& why) {
  std::vector<char> names;
  if (!ReadGrowing(names, [originalFd](char* buffer, std::size_t size) {
        return flistxattr(originalFd, buffer, size);
      })) {
    if (errno == ENOTSUP) return true;  // a file system without them: nothing to carry
    why = StepFailed("cannot read the extended attributes", errno);
    return false;
  }
  std::vector<char> value, present;
  for (std::size_t pos = 0; pos < names.size(); pos += std::strlen(&names[pos]) + 1) {
    const char* name = &names[pos];
    if (!ReadGrowing(value, [originalFd, name](char* buffer, std::size_t size) {
          return fgetxattr(originalFd, name, buffer, size);
        })) {
      if (errno == ENODATA) continue;  // removed meanwhile
      why = StepFailed(std::string("cannot read the attribute ") + name, errno);
      return false;
    }
    // A new file may already carry the same value (a security label the system gives every
    // file); setting it again could need rights the user does not have.
    if (ReadGrowing(present,
                    [copyFd, name](char* buffer, std::size_t size) {
                      return fgetxattr(copyFd, name, buffer, size);
                    }) &&
        present == value)
      continue;
    if (fsetxattr(copyFd, name, value.data(), value.size(), 0) != 0) {
      why = StepFailed(std::string("cannot keep the attribute ") + name, errno);
      return false;
    }
  }
  return true;
}

}  // namespace

bool CarryAttributes(int originalFd, const struct stat& original, int copyFd, std::string& why) {
  struct stat copy;
  if (fstat(copyFd, &copy) != 0) {
    why = StepFailed("cannot read the new file's state", errno);
    return false;
  }
  // Owner first: a change of owner may clear permission bits set before it.
  if ((original.st_uid != copy.st_uid || original.st_gid != copy.st_gid) &&
      fchown(copyFd, original.st_uid, original.st_gid) != 0) {
    why = StepFailed("cannot keep the owner", errno);
    return false;
  }
  if (fchmod(copyFd, (original.st_mode & 0777) | S_IWUSR) != 0) {
    why = StepFailed("cannot keep the permissions", errno);
    return false;
  }
  // Access lists last: setting one also sets the group bits to its mask, as on the original.
  return CarryExtendedAttributes(originalFd, copyFd, why);
}

}  // namespace fendrel
