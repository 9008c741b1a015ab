#include "ReadAt.h"

#include <unistd.h>

#include <cerrno>

namespace fendrel {

ssize_t ReadAt(int fd, char* data, std::size_t length, off_t offset) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd, data + done, length - done, offset + static_cast<off_t>(done));
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace fendrel
