#include "LongPath.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "Fd.h"

namespace fendrel {

int OpenAnyLength(const std::string& path, int flags, int mode) {
  if (path.size() < PATH_MAX) return ::open(path.c_str(), flags | O_CLOEXEC, mode);
  TFd folder;
  int base = AT_FDCWD;
  std::size_t start = 0;
  if (path[0] == '/') {
    folder.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid()) return -1;
    base = folder.Get();
    start = 1;
  }
  // Each piece ends at a '/' and stays below the limit; the last piece is the final name.
  while (path.size() - start >= PATH_MAX) {
    const std::size_t cut = path.rfind('/', start + PATH_MAX - 2);
    if (cut == std::string::npos || cut < start) {
      errno = ENAMETOOLONG;  // one name longer than any folder may hold
      return -1;
    }
    const std::string piece = path.substr(start, cut - start);
    TFd next(::openat(base, piece.empty() ? "." : piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!next.Valid()) return -1;
    folder = std::move(next);
    base = folder.Get();
    start = cut + 1;
  }
  return ::openat(base, path.c_str() + start, flags | O_CLOEXEC, mode);
}

int OpenParentFolder(const std::string& path, std::string& name) {
  const std::size_t slash = path.rfind('/');
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string folder = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string("/")
                                                        : path.substr(0, slash);
  return OpenAnyLength(folder, O_RDONLY | O_DIRECTORY);
}

}  // namespace fendrel
