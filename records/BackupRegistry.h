// The backup registry: every backup file the worker made, in the order made, each with the tick
// the user gives it in the backup list, kept across starts in "backup.dat" of the data directory.
// Plain C++ so that the window only mirrors it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

inline constexpr std::string_view kBackupRegistryFileName = "backup.dat";

struct TBackupEntry {
  std::string Path;  // full path, bytes as the worker reported them
  bool Ticked = false;
};

// What the lists count as a backup still on the disk: anything but a directory under the name. A
// symbolic link counts as itself, so deleting or restoring it never reaches what it points to.
bool BackupExists(const std::string& path);

class TBackupRegistry {
 public:
  // A backup the worker just made: appended unticked. Neither sorted nor checked for duplicates.
  void Record(std::string path);

  // Replaces the entries by the lines of "backup.dat" in `dataDirectory` that still name a file,
  // in file order, all unticked. An empty line, a line that is not a full path, and a path that
  // names nothing or a directory are dropped. Without the file the list is empty. False when the
  // file exists but cannot be read (the list is then empty too).
  bool Load(const std::string& dataDirectory);

  // Replaces "backup.dat" in `dataDirectory` by one CR LF line per entry (an empty file for no
  // entries), through a temporary file renamed over it, so the previous registry stays whole
  // when writing fails. A path holding a line break cannot be one line and is left out: read
  // back it would become two lines, and a fragment could name somebody else's file. False when
  // the file could not be replaced.
  bool Save(const std::string& dataDirectory) const;

  // Deletes the files of the ticked entries, last to first, and removes their entries. An entry
  // whose file is already gone (or is now a directory, which no backup ever is) is just removed;
  // an entry whose file could not be deleted stays, still ticked, so the list never claims a
  // backup is gone that is still on the disk. Returns the number of such failures.
  std::size_t DeleteTicked();

  const std::vector<TBackupEntry>& Entries() const { return FEntries; }
  // The folders the backups lie in, each once, in the order of their first backup: where runs
  // rewrote files, and so where a run that died may have left a rewrite half done.
  std::vector<std::string> Folders() const;
  std::size_t Count() const { return FEntries.size(); }
  void SetTicked(std::size_t index, bool ticked);
  void SetAllTicked(bool ticked);
  // Kept as ticks change: asked at every timer tick, it never walks the list.
  bool AnyTicked() const { return FTickedCount > 0; }
  std::size_t TickedCount() const { return FTickedCount; }
  void Clear() {
    FEntries.clear();
    FTickedCount = 0;
  }

 private:
  std::vector<TBackupEntry> FEntries;
  std::size_t FTickedCount = 0;
};

}  // namespace fendrel
