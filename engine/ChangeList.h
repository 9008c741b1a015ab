// What a task would change in a file, as a list of replaced stretches: the ground a preview, a
// dry run and a difference listing stand on. It is recorded from the matchers' own output, so it
// can never disagree with what a run writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ByteSink.h"

namespace fendrel {

// The bytes [OldOffset, OldOffset + OldLength) of the content read become NewText, by
// Replacements matches of the tasks (adjacent ones make one change).
struct TChange {
  uint64_t OldOffset = 0;
  uint64_t OldLength = 0;
  std::string NewText;
  uint64_t Replacements = 1;
  bool operator==(const TChange&) const = default;
};

// In order, neither overlapping nor touching.
using TChangeList = std::vector<TChange>;

// The whole lines of `content` a change touches, as [first, second) (see ChangedLines.cpp).
std::pair<std::size_t, std::size_t> ChangedLineSpan(std::string_view content,
                                                    const TChange& change);

// Records the changes from what a matcher writes for the content [begin, end). The matchers
// write unchanged bytes straight from that content and every replacement from elsewhere, so a
// write's place tells which it is, and each replacement is one write from elsewhere, so the
// replacements of a change are counted too. Adjacent replacements become one change.
//
// With a line limit, changes are kept only until they fill that many lines; of the rest, only
// the lines they touch are counted: a preview shows the first lines of a file with millions of
// matches without keeping them all.
class TChangeSink : public TByteSink {
 public:
  TChangeSink(const char* begin, const char* end, uint64_t lineLimit = 0)
      : FBegin(begin), FEnd(end), FLineLimit(lineLimit) {}
  bool Write(const char* data, std::size_t length) override;
  // The changes, once the matcher is done.
  TChangeList Finish();
  // The lines touched by changes that were not kept.
  uint64_t LinesNotKept() const { return FLinesNotKept; }

 private:
  void Close(uint64_t unchangedFrom);
  void Keep(TChange change);

  const char* FBegin;
  const char* FEnd;
  uint64_t FLineLimit;
  uint64_t FLinesKept = 0;
  uint64_t FLinesNotKept = 0;
  std::size_t FLinesEnd = 0;  // the end of the lines touched so far
  bool FKeeping = true;
  bool FWritten = false;
  uint64_t FOld = 0;  // the content up to here is accounted for
  bool FReplacing = false;
  std::string FPending;
  uint64_t FPendingReplacements = 0;
  TChangeList FChanges;
};

// `content` with `changes` made.
std::string ApplyChanges(std::string_view content, const TChangeList& changes);
// The same written to `out`; false once a write failed.
bool WriteChanges(TByteSink& out, std::string_view content, const TChangeList& changes);

// The changes that make `final` out of `content`, where `first` made an intermediate content
// out of `content` and `second` made `final` out of the intermediate.
TChangeList ComposeChanges(const TChangeList& first, const TChangeList& second,
                           std::string_view final);

}  // namespace fendrel
