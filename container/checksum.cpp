#include "checksum.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/ReadAt.h"

namespace fendrel {

std::string HexWord(uint16_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, value >>= 4)
    text[i] = kDigits[value & 0xF];
  return text;
}

void TChecksum::Add(const char* data, std::size_t length) {
  while (length > 0) {
    const std::size_t take = std::min(length, kBlockSize - FInBlock);
    // Within one block the weighted sum stays below 255 * 60000 * 60001 / 2 < 2^39, so the
    // modulus can wait until the piece is summed.
    uint64_t sum1 = 0;
    uint64_t sum2 = 0;
    for (std::size_t i = 0; i < take; ++i) {
      const uint64_t b = static_cast<unsigned char>(data[i]);
      sum1 += b;
      sum2 += (FInBlock + i + 1) * b;
    }
    FSum1 = static_cast<uint32_t>((FSum1 + sum1) % kModulus);
    FSum2 = static_cast<uint32_t>((FSum2 + sum2) % kModulus);
    FInBlock = (FInBlock + take) % kBlockSize;
    data += take;
    length -= take;
  }
}

std::string TChecksum::Text() const {
  return HexWord(static_cast<uint16_t>(FSum1)) + HexWord(static_cast<uint16_t>(FSum2));
}

std::string FileChecksum(const std::string& path) {
  // O_NONBLOCK keeps a FIFO under the name from blocking the open; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {};
  }
  TChecksum checksum;
  char buffer[64 * 1024];
  for (off_t at = 0;;) {
    const ssize_t got = ReadAt(fd, buffer, sizeof buffer, at);
    if (got == 0) break;
    if (got < 0) {
      ::close(fd);
      return {};
    }
    checksum.Add(buffer, static_cast<std::size_t>(got));
    at += got;
  }
  ::close(fd);
  return checksum.Text();
}

}  // namespace fendrel
