#include "RunJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <ctime>
#include <map>
#include <optional>
#include <set>

#include "BackupRegistry.h"
#include "DataFileLines.h"
#include "engine/StatusLines.h"
#include "platform/ReadAt.h"
#include "platform/SystemError.h"
#include "settings/AtomicFile.h"

namespace fendrel {
namespace {

constexpr std::string_view kRunTag = "run";
constexpr std::string_view kBackupTag = "backup";
// A journal is read whole; one of more than this is not the program's.
constexpr off_t kMaxJournalSize = off_t{1} << 30;
// How often a lock is taken again after a rewrite put a new file under the journal's name.
constexpr int kMaxReopen = 16;

// The bytes a field cannot hold as they are, and the letters that stand for them after '\'.
constexpr std::string_view kEscaped{"\\\t\r\n\0", 5};
constexpr std::string_view kEscapes = "\\trn0";

void AppendField(std::string& line, std::string_view field) {
  line += '\t';
  for (const char c : field) {
    const std::size_t at = kEscaped.find(c);
    if (at == std::string_view::npos) {
      line += c;
    } else {
      line += '\\';
      line += kEscapes[at];
    }
  }
}

// The fields of one line, unescaped; an unknown escape makes the line no record (empty).
std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c != '\\') {
      fields.back() += c;
    } else if (++i < line.size()) {
      const std::size_t at = kEscapes.find(line[i]);
      if (at == std::string_view::npos) return {};
      fields.back() += kEscaped[at];
    } else {
      return {};
    }
  }
  return fields;
}

bool ParseNumber(std::string_view text, auto& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

// Opens the journal and locks it for this process alone. A rewrite renames a new file over the
// journal while holding the old one's lock: whoever waited on the old file then finds another
// under the name and locks that instead, so nobody appends to a file no name leads to.
bool LockJournal(const std::string& path, TFd& fd, std::string& error) {
  for (int attempt = 0; attempt < kMaxReopen; ++attempt) {
    if (!fd.Valid()) {
      fd.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
      if (!fd.Valid()) {
        error = StepFailed("cannot open the run journal " + path, errno);
        return false;
      }
    }
    int result;
    do
      result = ::flock(fd.Get(), LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
      error = StepFailed("cannot lock the run journal " + path, errno);
      return false;
    }
    struct stat held, named;
    if (::fstat(fd.Get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      if (S_ISREG(held.st_mode)) return true;
      error = "the run journal " + path + " is not a file";
      fd.Reset();
      return false;
    }
    fd.Reset();
  }
  error = "the run journal " + path + " keeps being replaced";
  return false;
}

class TUnlockOnExit {
 public:
  explicit TUnlockOnExit(const TFd& fd) : FFd(fd) {}
  ~TUnlockOnExit() {
    if (FFd.Valid()) ::flock(FFd.Get(), LOCK_UN);
  }

 private:
  const TFd& FFd;
};

bool ReadLocked(const TFd& fd, std::string& content) {
  struct stat st;
  if (::fstat(fd.Get(), &st) != 0 || st.st_size > kMaxJournalSize) return false;
  content.resize(static_cast<std::size_t>(st.st_size));
  const ssize_t got = ReadAt(fd.Get(), content.data(), content.size(), 0);
  if (got < 0) return false;
  content.resize(static_cast<std::size_t>(got));
  return true;
}

// The runs of `content`, oldest first, with the lines each was read from.
struct TParsedRun {
  TRunEntry Run;
  std::vector<std::string_view> Lines;
};

std::vector<TParsedRun> ParseJournal(const std::string& content) {
  std::vector<TParsedRun> runs;
  std::map<uint64_t, std::size_t> byNumber;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", start);
    // Every record is written with its line end in one go: a last line without one is what a
    // crash left of a record.
    if (end == std::string::npos) break;
    const std::string_view line(content.data() + start, end - start);
    start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    const std::vector<std::string> fields = SplitFields(line);
    uint64_t number = 0;
    if (fields.size() < 2 || !ParseNumber(fields[1], number) || number == 0) continue;
    if (fields[0] == kRunTag && fields.size() == 6) {
      TRunEntry run{number, 0, fields[3], fields[4], fields[5], {}};
      if (!ParseNumber(fields[2], run.Time) || byNumber.contains(number)) continue;
      byNumber[number] = runs.size();
      runs.push_back({std::move(run), {line}});
    } else if (fields[0] == kBackupTag && fields.size() == 4) {
      const auto found = byNumber.find(number);
      if (found == byNumber.end()) continue;
      TParsedRun& run = runs[found->second];
      run.Run.Backups.push_back({fields[2], fields[3]});
      run.Lines.push_back(line);
    }
  }
  return runs;
}

// The number of the journal's last run, which is its highest: numbers are given under the lock
// in the order the runs are appended, and a rewrite keeps that order. Read from the end, a
// piece at a time, so that beginning a run costs the same however long the journal grew; 0
// when no run is found, and nullopt when the journal cannot be read.
std::optional<uint64_t> LastRunNumber(const TFd& fd) {
  constexpr std::size_t kPiece = 64 * 1024;
  struct stat st;
  if (::fstat(fd.Get(), &st) != 0 || st.st_size > kMaxJournalSize) return std::nullopt;
  std::string tail;
  for (off_t end = st.st_size; end > 0;) {
    const off_t start = end > static_cast<off_t>(kPiece) ? end - static_cast<off_t>(kPiece) : 0;
    std::string piece(static_cast<std::size_t>(end - start), '\0');
    if (ReadAt(fd.Get(), piece.data(), piece.size(), start) != static_cast<ssize_t>(piece.size()))
      return std::nullopt;
    tail.insert(0, piece);
    end = start;
    // A record line begins after a line end, or at the journal's start. The lines that begin
    // in the new piece are new to look at, and so is the one its end cut before.
    const std::string_view lines(tail);
    for (std::size_t at = std::min(piece.size() + 1, lines.size()); at-- > 0;) {
      if (at > 0 && lines[at - 1] != '\n' && lines[at - 1] != '\r') continue;
      if (at == 0 && start > 0) break;  // the line may begin in the piece before
      const std::size_t lineEnd = lines.find_first_of("\r\n", at);
      if (lineEnd == std::string_view::npos) continue;
      const std::vector<std::string> fields = SplitFields(lines.substr(at, lineEnd - at));
      uint64_t number = 0;
      if (fields.size() == 6 && fields[0] == kRunTag && ParseNumber(fields[1], number))
        return number;
    }
  }
  return 0;
}

}  // namespace

std::vector<TRunBackup> TRunEntry::FirstBackups() const {
  std::vector<TRunBackup> first;
  std::set<std::string_view> seen;
  for (const TRunBackup& backup : Backups)
    if (seen.insert(backup.File).second) first.push_back(backup);
  return first;
}

std::vector<TRunEntry> ReadRunJournal(const std::string& dataDirectory, bool* readable) {
  if (readable) *readable = true;
  const std::string path = DataFilePath(dataDirectory, kRunJournalFileName);
  TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) {
    if (readable) *readable = errno == ENOENT;
    return {};
  }
  // Shared: a record being appended is read whole or not at all.
  std::string content;
  struct stat st;
  const bool read = ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
                    ::flock(fd.Get(), LOCK_SH) == 0 && ReadLocked(fd, content);
  if (!read) {
    if (readable) *readable = false;
    return {};
  }
  std::vector<TRunEntry> runs;
  for (TParsedRun& run : ParseJournal(content))
    runs.push_back(std::move(run.Run));
  return runs;
}

bool DropSpentRuns(const std::string& dataDirectory) {
  const std::string path = DataFilePath(dataDirectory, kRunJournalFileName);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
  TFd fd;
  std::string error, content;
  if (!LockJournal(path, fd, error)) return false;
  TUnlockOnExit unlock(fd);
  if (!ReadLocked(fd, content)) return false;
  std::string kept;
  bool dropped = false;
  for (const TParsedRun& run : ParseJournal(content)) {
    bool anyLeft = false;
    for (const TRunBackup& backup : run.Run.Backups)
      if ((anyLeft = BackupExists(backup.Backup))) break;
    if (!anyLeft) {
      dropped = true;
      continue;
    }
    for (const std::string_view line : run.Lines) {
      kept += line;
      kept += "\r\n";
    }
  }
  // Lines that are no record go too, but alone they are not worth a rewrite.
  return !dropped || ReplaceFileContent(path, kept);
}

std::string RunTimeText(const TRunEntry& run) {
  const std::time_t time = static_cast<std::time_t>(run.Time);
  std::tm local{};
  char text[32] = "";
  if (::localtime_r(&time, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

void TRunRecorder::Backup(std::string_view file, std::string_view backup) {
  if (!FJournal || backup.empty() || !FError.empty()) return;
  if (FNumber == 0 && (FNumber = FJournal->Begin(FKind, FFolder, FText, FError)) == 0) return;
  FJournal->Add(FNumber, file, backup, FError);
}

std::string ReplaceRunText(std::string_view mask, const TSnRTast& task) {
  return std::string(mask) + ": " + ShortenText(task.FromStrDisplay) + " --> " +
         ShortenText(task.ToStrDisplay);
}

uint64_t TRunJournal::Begin(std::string_view kind, std::string_view folder, std::string_view text,
                            std::string& error) {
  uint64_t number = 0;
  // The number goes in once the journal is locked and read.
  std::string line(kRunTag);
  AppendField(line, std::to_string(static_cast<int64_t>(std::time(nullptr))));
  AppendField(line, kind);
  AppendField(line, folder);
  AppendField(line, text);
  return Append(line, &number, error) ? number : 0;
}

bool TRunJournal::Add(uint64_t run, std::string_view file, std::string_view backup,
                      std::string& error) {
  std::string line(kBackupTag);
  AppendField(line, std::to_string(run));
  AppendField(line, file);
  AppendField(line, backup);
  return Append(line, nullptr, error);
}

void TRunJournal::Flush() {
  if (FFd.Valid()) ::fdatasync(FFd.Get());
}

bool TRunJournal::Append(std::string_view line, uint64_t* number, std::string& error) {
  const std::string path = DataFilePath(FDataDirectory, kRunJournalFileName);
  if (!LockJournal(path, FFd, error)) return false;
  TUnlockOnExit unlock(FFd);
  std::string record;
  if (number) {
    const std::optional<uint64_t> last = LastRunNumber(FFd);
    if (!last) {
      error = "cannot read the run journal " + path;
      return false;
    }
    *number = *last + 1;
    record = std::string(kRunTag) + '\t' + std::to_string(*number);
    record += line.substr(kRunTag.size());
  } else {
    record = line;
  }
  record += "\r\n";
  struct stat st;
  if (::fstat(FFd.Get(), &st) != 0) {
    error = StepFailed("cannot write the run journal " + path, errno);
    return false;
  }
  const ssize_t written = ::write(FFd.Get(), record.data(), record.size());
  if (written == static_cast<ssize_t>(record.size())) return true;
  error = StepFailed("cannot write the run journal " + path, written < 0 ? errno : ENOSPC);
  // Half a line would swallow the next one: the journal goes back to where it was.
  if (::ftruncate(FFd.Get(), st.st_size) != 0) FFd.Reset();
  return false;
}

}  // namespace fendrel
