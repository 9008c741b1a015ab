#include "CopyContent.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace fendrel {
namespace {

// Small enough that a rewrite in place can be followed piece by piece.
constexpr off_t kPiece = 1 << 20;

}  // namespace

int CopyContent(int from, int to, off_t length, const std::function<void(off_t copied)>& copied) {
  off_t in = 0, out = 0;
  while (in < length) {
    const auto piece = static_cast<size_t>(std::min(kPiece, length - in));
    ssize_t done = ::copy_file_range(from, &in, to, &out, piece, 0);
    if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
      char buffer[64 * 1024];
      done = ::pread(from, buffer, std::min(sizeof buffer, piece), in);
      if (done > 0) {
        const ssize_t written = ::pwrite(to, buffer, static_cast<size_t>(done), out);
        if (written < 0) return errno;
        done = written;
        in += done;
        out += done;
      }
    }
    if (done < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (done == 0) return EIO;
    if (copied) copied(out);
  }
  if (::ftruncate(to, length) != 0 || ::fsync(to) != 0) return errno;
  return 0;
}

}  // namespace fendrel
