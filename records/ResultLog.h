// The result log: the entries the result list shows for the worker's status lines, chosen by the
// log mode, and the file "result.log" of the data directory they are written to. Plain C++ so
// that the window's list only mirrors it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

inline constexpr std::string_view kResultLogFileName = "result.log";

class TResultLog {
 public:
  // The entries one status line adds under `logMode`: none while the mode is 0 (or below) and
  // none for "UPDATE"; a line without "-->" (a file line, the empty separator) is one entry; a
  // result line is two, divided after its first ':' into that part and the trimmed rest. A
  // reported task's file line, result line and separator thus make four entries.
  static std::vector<std::string> EntriesToShow(const std::string& statusLine, int32_t logMode);

  // The window's current log mode (0 none, 1 replaced or failed only, 2 all files). The worker
  // already filters each task by the mode it was queued with; this one decides what the window
  // shows at all, so mode 0 hides even the skipped tasks of a confirmed quit.
  int32_t LogMode() const { return FLogMode; }
  void SetLogMode(int32_t logMode) { FLogMode = logMode; }

  // Handles one stLine text; returns the number of entries added.
  std::size_t AddStatusLine(const std::string& statusLine);
  void Append(std::vector<std::string> entries);

  // "Clear Log Results": the list only; the file keeps its content until the next Save.
  void Clear() { FEntries.clear(); }

  // Replaces "result.log" in `dataDirectory` by one CR LF line per entry (zero bytes for none),
  // through a temporary file renamed over it. False when the file could not be replaced; the
  // previous file is then untouched.
  bool Save(const std::string& dataDirectory) const;

  const std::vector<std::string>& Entries() const { return FEntries; }

 private:
  int32_t FLogMode = 2;
  std::vector<std::string> FEntries;
};

}  // namespace fendrel
