// The lines a list of changes touches, as they are and as they would be: what a preview shows
// and what a difference listing prints.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ChangeList.h"

namespace fendrel {

// A stretch of whole lines (a line ends after LF, or at the end of the content).
struct THunk {
  uint64_t OldLine = 1;  // the number of the first line, from 1
  uint64_t NewLine = 1;
  std::string Old;  // the lines as they are, breaks included
  std::string New;  // as they would be
  // The replaced stretches, as [begin, end) in Old and in New.
  std::vector<std::pair<std::size_t, std::size_t>> OldMarks;
  std::vector<std::pair<std::size_t, std::size_t>> NewMarks;
};

struct THunkOptions {
  unsigned Context = 0;    // unchanged lines kept around the changed ones
  uint64_t MaxLines = 0;   // changed lines shown at most, 0 for all
  bool CountOnly = false;  // no lines at all, only the counts
};

struct THunks {
  std::vector<THunk> Hunks;
  uint64_t ChangedLines = 0;  // of the content, all of them
  uint64_t LinesNotShown = 0;
};

// `notKept` lines were touched by further changes not in the list (see TChangeSink): they
// count as changed and not shown.
THunks ChangedLines(std::string_view content, const TChangeList& changes,
                    const THunkOptions& options, uint64_t notKept = 0);

// The number of lines in `text`: its line breaks, plus one for a last line without one.
uint64_t LineCount(std::string_view text);

}  // namespace fendrel
