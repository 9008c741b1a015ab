// The run journal: every run that made backups, with its number, time and folder, and each
// file it rewrote with the backup of that file's previous content, kept in "runs.dat" of the
// data directory. The window and the command line both write it, so either can list and undo the
// other's runs; two programs may append at once.
//
// One line per record, fields apart by TAB, ended by CR LF:
//   run <TAB> NUMBER <TAB> SECONDS <TAB> KIND <TAB> FOLDER <TAB> TEXT
//   backup <TAB> NUMBER <TAB> FILE <TAB> BACKUP
// In a field, '\' is written "\\", TAB "\t", CR "\r" and LF "\n": a path may hold any of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SnRTast.h"
#include "platform/Fd.h"

namespace fendrel {

inline constexpr std::string_view kRunJournalFileName = "runs.dat";

// What a run was: a replacement, or the undoing of backups (a restore).
inline constexpr std::string_view kRunReplace = "replace";
inline constexpr std::string_view kRunRestore = "restore";

struct TRunBackup {
  std::string File;    // the file rewritten, full path
  std::string Backup;  // its previous content, full path
};

struct TRunEntry {
  uint64_t Number = 0;
  int64_t Time = 0;                 // when it began, seconds since 1970 (UTC)
  std::string Kind;                 // kRunReplace or kRunRestore
  std::string Folder;               // where it worked: a restore of the run stays below it
  std::string Text;                 // what it did, in the front end's words
  std::vector<TRunBackup> Backups;  // in the order made

  // Each file once, with the first backup the run made of it: its content before the run. A
  // file rewritten by several tasks of one run (multi-line mode) comes back to where it began.
  std::vector<TRunBackup> FirstBackups() const;
};

// Every run in the journal of `dataDirectory`, oldest first. Lines that are not records, and
// backups of a run the journal never began, are passed over. Empty without a journal; false in
// `readable` when it exists but cannot be read.
std::vector<TRunEntry> ReadRunJournal(const std::string& dataDirectory, bool* readable = nullptr);

// Rewrites the journal without the runs none of whose backups is still a file: deleted backups
// leave nothing to undo. False when it could not be rewritten (it then stays as it was).
bool DropSpentRuns(const std::string& dataDirectory);

// When `run` began, in local time: "2026-12-08 07:31:05".
std::string RunTimeText(const TRunEntry& run);

// Appends to the journal of one data directory. Each call locks the journal for its one write,
// so lines of two programs never mix; the file is opened once, and again only when a rewrite
// has put a new file under its name.
class TRunJournal {
 public:
  explicit TRunJournal(std::string dataDirectory) : FDataDirectory(std::move(dataDirectory)) {}

  // Begins a run: its number is one past the highest in the journal. 0, with `error` telling
  // why, when the journal cannot be written.
  uint64_t Begin(std::string_view kind, std::string_view folder, std::string_view text,
                 std::string& error);
  // A backup run `run` made of `file`. False, with `error`, when it could not be written.
  bool Add(uint64_t run, std::string_view file, std::string_view backup, std::string& error);
  // Puts what was appended on the disk: at the end of a run.
  void Flush();
  const std::string& DataDirectory() const { return FDataDirectory; }

 private:
  bool Append(std::string_view line, uint64_t* number, std::string& error);
  bool OpenLocked(std::string& error);

  std::string FDataDirectory;
  TFd FFd;
};

// The backups of one run into a journal. The run begins with its first backup, so a run that
// changed nothing (or made no backups) leaves no trace to undo.
class TRunRecorder {
 public:
  // `journal` may be null: nothing is recorded.
  TRunRecorder(TRunJournal* journal, std::string_view kind, std::string folder, std::string text)
      : FJournal(journal), FKind(kind), FFolder(std::move(folder)), FText(std::move(text)) {}

  void Backup(std::string_view file, std::string_view backup);
  // The journal's number of the run; 0 while nothing was recorded.
  uint64_t Number() const { return FNumber; }
  // Why the journal failed, the first time; later backups of the run are then not recorded.
  const std::string& Error() const { return FError; }

 private:
  TRunJournal* FJournal;
  std::string_view FKind;
  std::string FFolder;
  std::string FText;
  uint64_t FNumber = 0;
  std::string FError;
};

// What a replacement run did, as the journal keeps it: "MASK: OLD --> NEW", the strings of one
// of its tasks as the result list shows them, shortened.
std::string ReplaceRunText(std::string_view mask, const TSnRTast& task);

}  // namespace fendrel
