#include "InPlaceRecovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#include "CopyContent.h"
#include "Fd.h"
#include "FolderLock.h"
#include "LongPath.h"
#include "OwnFileNames.h"
#include "ReadAt.h"
#include "SystemError.h"
#include "TempFile.h"

namespace fendrel {
namespace {

constexpr std::string_view kFirstLine = "fendrel rewrite in place 1";
constexpr std::size_t kMaxRecordSize = 64 * 1024;
// Record names are tried this often before the folder is taken to be unusable.
constexpr unsigned kNameAttempts = 64;

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

bool FromHex(std::string_view hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int value = 0;
    for (const char c : hex.substr(i, 2)) {
      const char* digit = std::strchr("0123456789abcdef", c);
      if (c == '\0' || digit == nullptr) return false;
      value = value * 16 + static_cast<int>(digit - "0123456789abcdef");
    }
    bytes += static_cast<char>(value);
  }
  return true;
}

// A name in the folder itself, never a path.
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::string RecordText(const TInPlaceIntent& intent) {
  std::string text(kFirstLine);
  const auto add = [&text](const char* key, const std::string& value) {
    text += '\n';
    text += key;
    text += ' ';
    text += value;
  };
  add("file", Hex(intent.File));
  add("copy", Hex(intent.Copy));
  add("backup", intent.CopyIsBackup ? "1" : "0");
  add("temp", Hex(intent.Temp));
  add("device", std::to_string(intent.Identity.st_dev));
  add("inode", std::to_string(intent.Identity.st_ino));
  add("old-size", std::to_string(intent.OldSize));
  add("old-sum", std::to_string(intent.OldSum));
  add("new-size", std::to_string(intent.NewSize));
  add("new-sum", std::to_string(intent.NewSum));
  return text + '\n';
}

bool ParseRecord(std::string_view text, TInPlaceIntent& intent) {
  if (!text.starts_with(kFirstLine) || text.substr(kFirstLine.size(), 1) != "\n") return false;
  text.remove_prefix(kFirstLine.size() + 1);
  int seen = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, blank);
    const std::string value(line.substr(blank + 1));
    const auto number = [&value](auto& out) {
      if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return false;
      errno = 0;
      const unsigned long long parsed = std::strtoull(value.c_str(), nullptr, 10);
      out = static_cast<std::remove_reference_t<decltype(out)>>(parsed);
      return errno == 0;
    };
    bool ok = true;
    if (key == "file")
      ok = FromHex(value, intent.File);
    else if (key == "copy")
      ok = FromHex(value, intent.Copy);
    else if (key == "temp")
      ok = FromHex(value, intent.Temp);
    else if (key == "backup")
      intent.CopyIsBackup = value == "1";
    else if (key == "device")
      ok = number(intent.Identity.st_dev);
    else if (key == "inode")
      ok = number(intent.Identity.st_ino);
    else if (key == "old-size")
      ok = number(intent.OldSize);
    else if (key == "old-sum")
      ok = number(intent.OldSum);
    else if (key == "new-size")
      ok = number(intent.NewSize);
    else if (key == "new-sum")
      ok = number(intent.NewSum);
    else
      continue;  // a later version's addition
    if (!ok) return false;
    ++seen;
  }
  return seen >= 10 && PlainName(intent.File) && PlainName(intent.Copy) &&
         (intent.Temp.empty() || (PlainName(intent.Temp) && IsOwnFileName(intent.Temp)));
}

bool ReadSmallFile(int fd, std::size_t size, std::string& text) {
  text.resize(size);
  return ReadAt(fd, text.data(), size, 0) == static_cast<ssize_t>(size);
}

// Removes `name` of `folder` when it is still the file `file` describes. 0 or errno.
int RemoveIfSame(int folder, const std::string& name, const struct stat& file) {
  struct stat now;
  if (::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? 0 : errno;
  if (now.st_dev != file.st_dev || now.st_ino != file.st_ino) return 0;
  return ::unlinkat(folder, name.c_str(), 0) == 0 ? 0 : errno;
}

class TRecoverer {
 public:
  TRecoverer(int folder, const std::string& folderPath) : FFolder(folder) {
    FPrefix = folderPath.empty() || folderPath.ends_with('/') ? folderPath : folderPath + '/';
  }

  TRecovery Recover(const std::string& recordName) {
    TRecovery result;
    result.File = FPrefix + recordName;
    const TFd record(
        ::openat(FFolder, recordName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat recordState;
    std::string text;
    TInPlaceIntent intent;
    if (!record.Valid() || ::fstat(record.Get(), &recordState) != 0 ||
        !S_ISREG(recordState.st_mode) || recordState.st_nlink != 1 ||
        recordState.st_size > static_cast<off_t>(kMaxRecordSize) ||
        !ReadSmallFile(record.Get(), static_cast<std::size_t>(recordState.st_size), text) ||
        !ParseRecord(text, intent))
      return Failed(result, "a record of an interrupted rewrite that cannot be read: left alone");
    result.File = FPrefix + intent.File;

    const TFd file(
        ::openat(FFolder, intent.File.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat fileState;
    if (!file.Valid() || ::fstat(file.Get(), &fileState) != 0)
      return Failed(
          result, StepFailed("an interrupted rewrite cannot be finished", errno) + KeptAs(intent));
    // Only the very file the rewrite wrote to, and only by a record its owner, root or this
    // user made: nobody can point a recovery at another file.
    if (fileState.st_dev != intent.Identity.st_dev || fileState.st_ino != intent.Identity.st_ino ||
        !S_ISREG(fileState.st_mode))
      return Failed(result, "the file was replaced since an interrupted rewrite: left alone" +
                                KeptAs(intent));
    if (recordState.st_uid != ::geteuid() && recordState.st_uid != 0 &&
        recordState.st_uid != fileState.st_uid)
      return Failed(result, "a record of an interrupted rewrite made by another user: left alone");

    uint64_t sum = 0;
    if (!ContentSum(file.Get(), fileState.st_size, sum))
      return Failed(
          result, StepFailed("an interrupted rewrite cannot be finished", errno) + KeptAs(intent));
    if (fileState.st_size == intent.NewSize && sum == intent.NewSum) {
      result.Text = "an interrupted rewrite had finished: the file keeps its new content";
    } else if (fileState.st_size == intent.OldSize && sum == intent.OldSum) {
      result.Text = "an interrupted rewrite had not begun: the file keeps its previous content";
    } else if (const std::string why = PutBack(file.Get(), intent, recordState); !why.empty()) {
      return Failed(result, "an interrupted rewrite cannot be undone: " + why + KeptAs(intent));
    } else {
      result.Text = "an interrupted rewrite was undone: the file has its previous content back";
    }
    CleanUp(intent, recordName, recordState, result);
    return result;
  }

 private:
  static TRecovery Failed(TRecovery& result, std::string text) {
    result.Text = std::move(text);
    result.Failed = true;
    return result;
  }

  std::string KeptAs(const TInPlaceIntent& intent) const {
    return "; the previous content is kept as " + FPrefix + intent.Copy;
  }

  // Writes the copy's content back into the file; empty, or why it could not.
  std::string PutBack(int file, const TInPlaceIntent& intent, const struct stat& record) const {
    const TFd copy(
        ::openat(FFolder, intent.Copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat copyState;
    if (!copy.Valid() || ::fstat(copy.Get(), &copyState) != 0)
      return StepFailed("cannot open the copy of the previous content", errno);
    uint64_t sum = 0;
    if (!S_ISREG(copyState.st_mode) ||
        (copyState.st_uid != record.st_uid && copyState.st_uid != 0) ||
        copyState.st_size != intent.OldSize || !ContentSum(copy.Get(), intent.OldSize, sum) ||
        sum != intent.OldSum)
      return "the copy of the previous content is not the one made for it";
    if (const int error = CopyContent(copy.Get(), file, intent.OldSize); error != 0)
      return StepFailed("cannot write the file", error);
    return {};
  }

  // Removes what the rewrite made besides the file: a safety copy (never a backup), a named
  // temporary file, then the record. Whatever stays is named in `result`.
  void CleanUp(const TInPlaceIntent& intent, const std::string& recordName,
               const struct stat& record, TRecovery& result) const {
    const auto remove = [&](const std::string& name, bool ownersOnly) {
      struct stat st;
      if (::fstatat(FFolder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
      if (!S_ISREG(st.st_mode) || (ownersOnly && st.st_uid != record.st_uid)) return;
      if (const int error = RemoveIfSame(FFolder, name, st); error != 0)
        result.Text += "; " + StepFailed("cannot remove " + FPrefix + name, error);
    };
    if (!intent.CopyIsBackup) remove(intent.Copy, true);
    if (!intent.Temp.empty()) remove(intent.Temp, true);
    if (const int error = RemoveIfSame(FFolder, recordName, record); error != 0)
      result.Text += "; " + StepFailed("cannot remove " + FPrefix + recordName, error);
  }

  int FFolder;
  std::string FPrefix;
};

}  // namespace

bool ContentSum(int fd, off_t length, uint64_t& sum) {
  constexpr std::size_t kBuffer = 1 << 20;
  const auto buffer = std::make_unique<char[]>(kBuffer);
  uint64_t hash = 0x6a09e667f3bcc908ULL ^ static_cast<uint64_t>(length);
  for (off_t at = 0; at < length;) {
    const auto want = static_cast<std::size_t>(std::min<off_t>(kBuffer, length - at));
    const ssize_t got = ReadAt(fd, buffer.get(), want, at);
    if (got <= 0) {
      if (got == 0) errno = EIO;
      return false;
    }
    // Whole words where it can; the last few bytes of the file one by one.
    std::size_t i = 0;
    for (; i + 8 <= static_cast<std::size_t>(got); i += 8) {
      uint64_t word;
      std::memcpy(&word, buffer.get() + i, 8);
      hash = (hash ^ word) * 0x9e3779b97f4a7c15ULL;
      hash ^= hash >> 29;
    }
    for (; i < static_cast<std::size_t>(got); ++i) {
      hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 0x100000001b3ULL;
      hash ^= hash >> 31;
    }
    at += got;
  }
  sum = hash;
  return true;
}

std::string WriteIntentRecord(int folder, const TInPlaceIntent& intent) {
  TTempFile record;
  const std::string text = RecordText(intent);
  int error = record.Create(folder, false, text.size());
  if (error == 0 && !record.Write(text.data(), text.size())) error = record.Error();
  if (error == 0) error = record.FinishWriting();
  if (error == 0) error = record.Flush();
  for (unsigned attempt = 0; error == 0 && attempt < kNameAttempts; ++attempt) {
    const std::string name = IntentRecordName(attempt);
    error = record.NameAs(name);
    if (error == 0) {
      record.Committed();
      return name;
    }
    if (error == EEXIST) error = 0;
  }
  errno = error != 0 ? error : EEXIST;
  return {};
}

int RemoveIntentRecord(int folder, const std::string& name) {
  return ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT ? 0 : errno;
}

bool IsIntentRecordName(std::string_view name) {
  return name.size() >= 9 && name.starts_with("snr4.") && name.ends_with(".undo");
}

std::vector<TRecovery> RecoverFolder(int folder, const std::string& folderPath) {
  std::vector<std::string> records;
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return {};
  DIR* listing = ::fdopendir(listed);
  if (listing == nullptr) {
    ::close(listed);
    return {};
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (IsIntentRecordName(entry->d_name)) records.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  if (records.empty()) return {};
  // A rewrite in place that a running program makes here holds this lock until it is done.
  const TFolderLock lock(folder);
  std::vector<TRecovery> done;
  TRecoverer recoverer(folder, folderPath);
  for (const std::string& record : records) {
    struct stat st;
    if (::fstatat(folder, record.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // finished
    done.push_back(recoverer.Recover(record));
  }
  return done;
}

std::vector<TRecovery> RecoverFolder(const std::string& folderPath) {
  const TFd folder(OpenAnyLength(folderPath, O_RDONLY | O_DIRECTORY));
  if (!folder.Valid()) return {};
  return RecoverFolder(folder.Get(), folderPath);
}

}  // namespace fendrel
