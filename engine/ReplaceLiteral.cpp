#include "ReplaceLiteral.h"

#include "LiteralSearcher.h"

namespace fendrel {

int64_t ReplaceLiteral(TByteSink& out, const char* begin, const char* end, const TSnRTast& task) {
  if (task.FromLen <= 0) return -3;
  const TLiteralSearcher searcher(task.FromStr, task.SearchMode == smIgnoreCase);
  int64_t count = 0;
  const char* position = begin;
  const char* matchEnd = nullptr;
  while (const char* match = searcher.Find(position, end, matchEnd)) {
    if (!out.Write(position, match - position) || !out.Write(task.ToStr.data(), task.ToStr.size()))
      return -3;
    ++count;
    // Ignoring case in UTF-8, a match may be longer or shorter than the old string.
    position = matchEnd;
  }
  // A file without matches stays as it is: nothing need be written.
  if (count > 0 && !out.Write(position, end - position)) return -3;
  return count;
}

}  // namespace fendrel
