// Turns the files of a run and the two strings into tasks: one per file, or, in multi-line
// mode, three per file with the lines joined by CR LF, LF and CR in that order. The desktop
// window and the command line build their runs with the same code.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SnRTast.h"

namespace fendrel {

// A joined multi-line string must fit the 32000-byte buffer of a run, terminating zero included.
inline constexpr std::size_t kMaxJoinedLength = 31999;

struct TTaskOptions {
  TSearchMode SearchMode = smCaseSensitive;
  bool CreateBackup = true;
  TLogMode LogMode = lmAllFiles;
  TLinkRule Links;
  bool HexInput = false;              // see TSnRTast
  bool KeepModificationTime = false;  // see TSnRTast
  uint64_t Run = 0;                   // see TSnRTast
};

// The logical lines of a multi-line text: breaks are CR LF, LF or CR; a break at the very end
// adds no further line, and an empty text has no lines.
std::vector<std::string> SplitMemoLines(std::string_view text);

// The lines joined by `lineBreak`, without a break after the last; nullopt when longer than
// kMaxJoinedLength.
std::optional<std::string> JoinMemoLines(const std::vector<std::string>& lines,
                                         std::string_view lineBreak);

using TTaskList = std::vector<std::unique_ptr<TSnRTast>>;

// One task per file; a length of -1 marks a string that was never set.
TTaskList BuildSingleLineTasks(const std::vector<std::string>& files, const char* from,
                               int32_t fromLen, const char* to, int32_t toLen,
                               const TTaskOptions& options);

// Three tasks per file (CR LF, LF, CR); nullopt, and no task, when a joined string is too long.
std::optional<TTaskList> BuildMultiLineTasks(const std::vector<std::string>& files,
                                             const std::vector<std::string>& fromLines,
                                             const std::vector<std::string>& toLines,
                                             const TTaskOptions& options);

}  // namespace fendrel
