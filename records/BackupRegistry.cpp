#include "BackupRegistry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "DataFileLines.h"
#include "settings/AtomicFile.h"

namespace fendrel {
namespace {

bool HoldsLineBreak(const std::string& path) {
  return path.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

bool BackupExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::string> TBackupRegistry::Folders() const {
  std::vector<std::string> folders;
  std::set<std::string_view> seen;
  for (const TBackupEntry& entry : FEntries) {
    const std::size_t slash = entry.Path.rfind('/');
    if (slash == std::string::npos) continue;
    // A backup right below "/" lies in "/" itself.
    const std::string_view folder(entry.Path.data(), slash == 0 ? 1 : slash);
    if (seen.insert(folder).second) folders.emplace_back(folder);
  }
  return folders;
}

void TBackupRegistry::Record(std::string path) {
  FEntries.push_back({std::move(path), false});
}

bool TBackupRegistry::Load(const std::string& dataDirectory) {
  Clear();
  std::string content;
  const TReadResult read =
      ReadWholeFile(DataFilePath(dataDirectory, kBackupRegistryFileName), content);
  if (read != TReadResult::Read) return read == TReadResult::Missing;
  for (std::string& line : SplitLines(content)) {
    // Only full paths were ever written; anything else would be looked up from whatever the
    // current directory happens to be.
    if (line.empty() || line.front() != '/' || !BackupExists(line)) continue;
    FEntries.push_back({std::move(line), false});
  }
  return true;
}

bool TBackupRegistry::Save(const std::string& dataDirectory) const {
  std::vector<std::string> lines;
  lines.reserve(FEntries.size());
  for (const TBackupEntry& entry : FEntries)
    if (!HoldsLineBreak(entry.Path)) lines.push_back(entry.Path);
  return ReplaceFileContent(DataFilePath(dataDirectory, kBackupRegistryFileName),
                            JoinCrLfLines(lines));
}

std::size_t TBackupRegistry::DeleteTicked() {
  std::size_t failures = 0;
  // Last to first, and the survivors closed up in one pass, however many entries go.
  std::vector<bool> gone(FEntries.size(), false);
  for (std::size_t i = FEntries.size(); i-- > 0;) {
    if (!FEntries[i].Ticked) continue;
    const std::string& path = FEntries[i].Path;
    if (BackupExists(path) && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
      ++failures;
      continue;
    }
    gone[i] = true;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < FEntries.size(); ++i) {
    if (gone[i]) continue;
    if (kept != i) FEntries[kept] = std::move(FEntries[i]);
    ++kept;
  }
  FEntries.resize(kept);
  FTickedCount = failures;
  return failures;
}

void TBackupRegistry::SetTicked(std::size_t index, bool ticked) {
  if (index >= FEntries.size() || FEntries[index].Ticked == ticked) return;
  FEntries[index].Ticked = ticked;
  ticked ? ++FTickedCount : --FTickedCount;
}

void TBackupRegistry::SetAllTicked(bool ticked) {
  for (TBackupEntry& entry : FEntries)
    entry.Ticked = ticked;
  FTickedCount = ticked ? FEntries.size() : 0;
}

}  // namespace fendrel
