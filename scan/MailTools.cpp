// The self-filling list: a synchronous walk on the caller's thread, entries kept exactly as the
// walk forms them.
#include "MailTools.h"

#include "DirWalk.h"

namespace fendrel {

void TDirStringList::ReadDirectory(const std::string& dir, const std::string& mask,
                                   uint32_t attributes, bool recursive, bool append) {
  if (!append) Clear();
  WalkDirectory(dir, mask, attributes, recursive, [this](const std::string& path) { Add(path); });
}

std::string TDirStringList::GetEntry(std::ptrdiff_t index, bool fullPath) const {
  if (index < 0 || static_cast<std::size_t>(index) >= Count()) return {};
  const std::string& entry = (*this)[static_cast<std::size_t>(index)];
  if (fullPath) return entry;
  const std::size_t separator = entry.find_last_of("/:");
  return separator == std::string::npos ? entry : entry.substr(separator + 1);
}

}  // namespace fendrel
