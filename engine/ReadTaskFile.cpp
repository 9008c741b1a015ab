#include "ReadTaskFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "ProcessFile.h"
#include "Utf16Text.h"
#include "platform/SystemError.h"

namespace fendrel {

int64_t ReadTaskFile(const std::string& fileName, const TLinkRule& links, TReadFile& file,
                     std::string& reason, bool leaveHoles) {
  TTreeFile tree;
  const TTreeOpen opened = OpenInTree(fileName, links, tree);
  if (opened.Refused != nullptr) {
    reason = opened.Refused;
    return prCannotMap;
  }
  if (const int error = opened.Error; error != 0) {
    if (error == ENOENT || error == ENOTDIR) {
      reason = "the file no longer exists";
      return prMissing;
    }
    reason = StepFailed("cannot open the file", error);
    return prCannotMap;
  }
  file.Folder = std::move(tree.Folder);
  file.Name = std::move(tree.Name);
  file.Path = std::move(tree.Path);
  TMappedFile& content = file.Content;
  switch (leaveHoles ? content.OpenLeavingHoles(file.Folder.Get(), file.Name)
                     : content.Open(file.Folder.Get(), file.Name)) {
    case TMappedFile::TOpenResult::Ok:
      // A followed link must have led to the file that was read.
      if (tree.LinkTarget.st_ino != 0 && (content.Identity().st_ino != tree.LinkTarget.st_ino ||
                                          content.Identity().st_dev != tree.LinkTarget.st_dev)) {
        content.Close();
        reason = kChangedDuringRun;
        return prCannotMap;
      }
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

std::vector<std::pair<off_t, off_t>> DataRegions(const TMappedFile& content) {
  const auto size = static_cast<off_t>(content.Size());
  std::vector<std::pair<off_t, off_t>> regions;
  for (off_t at = 0; at < size;) {
    const off_t data = ::lseek(content.Fd(), at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // only a hole from here on
    const off_t hole = data < 0 ? -1 : ::lseek(content.Fd(), data, SEEK_HOLE);
    if (hole < 0) return {{0, size}};
    if (data >= size) break;
    regions.emplace_back(data, std::min(hole, size));
    at = regions.back().second;
  }
  return regions;
}

bool BeginsWithUtf16Mark(const TMappedFile& content) {
  char head[4];
  const ssize_t got = ::pread(content.Fd(), head, sizeof head, 0);
  return got > 0 && Utf16MarkOf(std::string_view(head, static_cast<std::size_t>(got))) !=
                        TTextEncoding::AsItIs;
}

int64_t ReadTaskFileAsItIs(const std::string& fileName, const TLinkRule& links, TReadFile& file,
                           std::string& reason, TLastFolder& last, bool leaveHoles) {
  // A link is judged the full way, as the run will.
  if (links.Follow) return ReadTaskFile(fileName, links, file, reason, leaveHoles);
  // The folders on the way are opened as a run opens them, so that a preview never shows a file
  // a swapped folder link leads to; the file itself is opened without following a link, so a
  // link under its name fails here and is judged below. Only the wait for the clock is left out.
  std::string name;
  if (const int folder = last.FolderOf(fileName, links, name);
      folder >= 0 &&
      file.Content.OpenAsItIs(folder, name, leaveHoles) == TMappedFile::TOpenResult::Ok)
    return 0;
  // Anything else is rare: the full way tells why in the words of a run.
  file.Content.Close();
  return ReadTaskFile(fileName, links, file, reason, leaveHoles);
}

}  // namespace fendrel
