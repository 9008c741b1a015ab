// The attribute word of a directory entry, worked out from what the enumeration already knows
// (d_type) and at most one or two calls relative to the open directory, so that a large scan
// costs little more than reading the directories themselves.
#include "FileAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace fendrel {
namespace {

uint32_t RegularFileAttributes(int dirFd, const char* name) {
  uint32_t attributes = faArchive;
  if (name[0] == '.') attributes |= faHidden;
  // AT_EACCESS: the question is whether this process may write the file, which is what a
  // replacement in place will need, not what the real user id could do.
  if (faccessat(dirFd, name, W_OK, AT_EACCESS) != 0) {
    // Gone between the enumeration and now: no longer an entry worth listing.
    if (errno == ENOENT || errno == ENOTDIR) return 0;
    attributes |= faReadOnly;
  }
  return attributes;
}

// A link is judged by what it points to, but is never descended, so that a link to an
// ancestor cannot make the walk go round in circles.
TEntryInfo LinkInfo(int dirFd, const char* name) {
  struct stat target;
  if (fstatat(dirFd, name, &target, 0) != 0) return {};  // dangling or unreadable
  if (S_ISDIR(target.st_mode)) return {faDirectory, false};
  if (S_ISREG(target.st_mode)) return {RegularFileAttributes(dirFd, name), false};
  return {};
}

}  // namespace

TEntryInfo EntryInfo(int dirFd, const char* name, unsigned char direntType) {
  switch (direntType) {
    case DT_DIR:
      return {faDirectory, true};
    case DT_REG:
      return {RegularFileAttributes(dirFd, name), false};
    case DT_LNK:
      return LinkInfo(dirFd, name);
    case DT_UNKNOWN:
      break;
    default:  // FIFOs, sockets and devices: never listed, so never opened
      return {};
  }
  // Some file systems do not report the type during enumeration.
  struct stat entry;
  if (fstatat(dirFd, name, &entry, AT_SYMLINK_NOFOLLOW) != 0) return {};
  if (S_ISDIR(entry.st_mode)) return {faDirectory, true};
  if (S_ISREG(entry.st_mode)) return {RegularFileAttributes(dirFd, name), false};
  if (S_ISLNK(entry.st_mode)) return LinkInfo(dirFd, name);
  return {};
}

bool PassesAttributeFilter(uint32_t attributes, uint32_t filter) {
  if ((attributes & filter) == 0) return false;
  const bool isDirectory = (attributes & faDirectory) != 0;
  return (filter & faDirectory) != 0 ? isDirectory : !isDirectory;
}

}  // namespace fendrel
