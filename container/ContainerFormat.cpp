#include "ContainerFormat.h"

#include <algorithm>
#include <cstring>

namespace fendrel {
namespace {

constexpr std::size_t kNameAt = 1;
constexpr std::size_t kSizeAt = 104;
constexpr std::size_t kOffsetAt = 108;
constexpr std::size_t kChecksumLengthAt = 112;
constexpr std::size_t kChecksumAt = 113;

void PutLe32(char* at, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

int32_t GetLe32(const char* at) {
  uint32_t bits = 0;
  for (int i = 3; i >= 0; --i)
    bits = (bits << 8) | static_cast<unsigned char>(at[i]);
  return static_cast<int32_t>(bits);
}

}  // namespace

TContainerEntry MakeEntry(std::string_view fileName, int64_t fileSize, int64_t fileOffset,
                          std::string_view checksum) {
  TContainerEntry entry;
  entry.NameLength = static_cast<uint8_t>(std::min<std::size_t>(fileName.size(), 255));
  entry.FileName = std::string(fileName);
  entry.FileSize = static_cast<int32_t>(fileSize);
  entry.FileOffset = static_cast<int32_t>(fileOffset);
  entry.Checksum = std::string(checksum);
  return entry;
}

std::string EncodeEntry(const TContainerEntry& entry) {
  std::string bytes(kEntrySize, '\0');
  bytes[0] = static_cast<char>(entry.NameLength);
  std::memcpy(&bytes[kNameAt], entry.FileName.data(),
              std::min(entry.FileName.size(), kMaxNameLength));
  PutLe32(&bytes[kSizeAt], entry.FileSize);
  PutLe32(&bytes[kOffsetAt], entry.FileOffset);
  const std::size_t checksumLength = std::min(entry.Checksum.size(), kChecksumLength);
  bytes[kChecksumLengthAt] = static_cast<char>(checksumLength);
  std::memcpy(&bytes[kChecksumAt], entry.Checksum.data(), checksumLength);
  return bytes;
}

TContainerEntry DecodeEntry(const char* bytes) {
  TContainerEntry entry;
  entry.NameLength = static_cast<uint8_t>(bytes[0]);
  entry.FileName.assign(bytes + kNameAt, std::min<std::size_t>(entry.NameLength, kMaxNameLength));
  entry.FileSize = GetLe32(bytes + kSizeAt);
  entry.FileOffset = GetLe32(bytes + kOffsetAt);
  const auto checksumLength = static_cast<unsigned char>(bytes[kChecksumLengthAt]);
  entry.Checksum.assign(bytes + kChecksumAt,
                        std::min<std::size_t>(checksumLength, kChecksumLength));
  return entry;
}

std::string EncodeTrailer(uint16_t count) {
  std::string bytes(kTrailerMagic);
  bytes += static_cast<char>(count & 0xFF);
  bytes += static_cast<char>(count >> 8);
  return bytes;
}

std::optional<uint16_t> DecodeTrailer(const char* bytes) {
  if (std::memcmp(bytes, kTrailerMagic.data(), kTrailerMagic.size()) != 0) return std::nullopt;
  const auto low = static_cast<unsigned char>(bytes[kTrailerMagic.size()]);
  const auto high = static_cast<unsigned char>(bytes[kTrailerMagic.size() + 1]);
  return static_cast<uint16_t>(low | (high << 8));
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

}  // namespace fendrel
