// The attribute word of a directory entry, in the bit layout the scan filter speaks.
//
// A directory has faDirectory; a regular file always has faArchive, plus faReadOnly when the
// user may not write it and faHidden when its name begins with '.'; faSysFile and faVolumeId
// never occur. A symbolic link has the attributes of what it points to. FIFOs, sockets, device
// files and dangling links have the word 0: they pass no filter and are never opened.
#pragma once

#include <cstdint>
#include <string_view>

namespace fendrel {

constexpr uint32_t faReadOnly = 0x01;
constexpr uint32_t faHidden = 0x02;
constexpr uint32_t faSysFile = 0x04;
constexpr uint32_t faVolumeId = 0x08;
constexpr uint32_t faDirectory = 0x10;
constexpr uint32_t faArchive = 0x20;
constexpr uint32_t faNormal = 0x80;

// The filter of the file list: every non-directory entry with one of these bits.
constexpr uint32_t kFileScanFilter = 0x2F;

struct TEntryInfo {
  uint32_t Attributes = 0;
  // A real directory, not a link to one: only these are descended.
  bool Descendable = false;
};

// The attribute word of the entry `name` of the open directory `dirFd`. `direntType` is the
// d_type the enumeration reported (DT_UNKNOWN when it reported none).
TEntryInfo EntryInfo(int dirFd, const char* name, unsigned char direntType);

// An entry with attribute word `attributes` passes `filter` when they share a bit and, when the
// filter has the directory bit, the entry is a directory, otherwise it is not.
bool PassesAttributeFilter(uint32_t attributes, uint32_t filter);

}  // namespace fendrel
