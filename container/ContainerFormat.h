// The bytes of the appended-file container: the 124-byte directory entries and the 11-byte
// trailer that ends the executable. The reader and the packer both go through this file, so the
// two can never disagree about the layout.
//
//   executable image | appended files | Count entries of 124 bytes | "ZQinstall" Count(u16 LE)
//
// Entry (little-endian): 0 name length (0-100), 1..100 name (zero-padded), 101..103 reserved,
// 104 FileSize (s32), 108 FileOffset (s32, from the start of the executable), 112 checksum length
// (8), 113..120 checksum as upper-case hexadecimal digits, 121..123 reserved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fendrel {

inline constexpr std::size_t kEntrySize = 124;
inline constexpr std::size_t kTrailerSize = 11;
inline constexpr std::string_view kTrailerMagic = "ZQinstall";
inline constexpr std::size_t kMaxNameLength = 100;
inline constexpr std::size_t kChecksumLength = 8;
// Only the count's low byte has ever been read, so no container may hold more entries.
inline constexpr std::size_t kMaxEntries = 255;

// One directory entry as stored. The fields keep what the bytes say, even when that is nonsense,
// so that a damaged entry can be shown and refused instead of being quietly repaired.
struct TContainerEntry {
  uint8_t NameLength = 0;  // the stored length byte; above 100 the entry is damaged
  std::string FileName;    // the stored name, at most 100 bytes
  int32_t FileSize = 0;
  int32_t FileOffset = 0;
  std::string Checksum;  // at most 8 bytes, as many as its length byte says
};

// An entry whose length bytes agree with its name and checksum.
TContainerEntry MakeEntry(std::string_view fileName, int64_t fileSize, int64_t fileOffset,
                          std::string_view checksum);

// The 124 bytes of `entry`; the length bytes are written as the entry gives them, the name and
// checksum cut to the room they have.
std::string EncodeEntry(const TContainerEntry& entry);
// `bytes` points at 124 bytes.
TContainerEntry DecodeEntry(const char* bytes);

std::string EncodeTrailer(uint16_t count);
// The count of the trailer in the 11 bytes at `bytes`, or nullopt when they do not begin with
// "ZQinstall".
std::optional<uint16_t> DecodeTrailer(const char* bytes);

// True for a name that, put after a directory and '/', names a file inside that directory:
// not empty, not "." or "..", no '/', no '\' (the separator where containers were first made)
// and no zero byte.
bool IsPlainFileName(std::string_view name);

}  // namespace fendrel
