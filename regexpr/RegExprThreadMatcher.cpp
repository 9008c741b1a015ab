// The thread matcher (see RegExprThreadMatcher.h).
#include "RegExprThreadMatcher.h"

#include "RegExpr.h"

namespace fendrel {

TThreadMatcher::TThreadMatcher(std::string_view program, const TThreadSettings& settings)
    : FMachine(program, settings) {}

bool TThreadMatcher::Search(std::string_view subject, int64_t start, bool anchored,
                            int64_t (&starts)[kREGroupCount], int64_t (&ends)[kREGroupCount],
                            int64_t knownEnd) {
  const auto length = static_cast<int64_t>(subject.size());
  FCurrent.clear();
  FNext.clear();
  if (start < 0 || start > length) return false;
  const TThreadSettings& settings = FMachine.Settings();
  TCursor cursor = CursorAt(subject, start, settings);
  FMachine.NewCursor();
  bool matched = StartAllowed(cursor, settings) &&
                 FMachine.Follow(TThreadMachine::Fresh(start), cursor, start, FNext);
  std::swap(FCurrent, FNext);
  // A match at the known end is the last one: a thread before it that matched later would
  // have made the match end later.
  auto final = [&] { return matched && FMachine.MatchGroups()[kREGroupCount] == knownEnd; };
  for (int64_t at = start; at < length && !final(); ++at) {
    if (FCurrent.empty() && (matched || anchored)) break;
    if ((at & 0xFFFF) == 0) CheckSearchStop();
    const TCursor here = cursor;
    cursor = CursorAt(subject, at + 1, settings);
    FMachine.NewCursor();
    FNext.clear();
    for (TThread way : FCurrent) {
      if (!FMachine.Advance(way, here)) continue;
      if (FMachine.Follow(way, cursor, at + 1, FNext)) {
        matched = true;
        break;  // the threads behind it come later than its match
      }
    }
    // A start further on is tried only when no earlier one has matched.
    if (!matched && !anchored && StartAllowed(cursor, settings))
      matched = FMachine.Follow(TThreadMachine::Fresh(at + 1), cursor, at + 1, FNext);
    std::swap(FCurrent, FNext);
  }
  if (!matched) return false;
  const int64_t* groups = FMachine.MatchGroups();
  std::copy(groups, groups + kREGroupCount, starts);
  std::copy(groups + kREGroupCount, groups + 2 * kREGroupCount, ends);
  return true;
}

}  // namespace fendrel
