#include "ReplaceMatches.h"

#include "ReplaceLiteral.h"
#include "ReplacePattern.h"

namespace fendrel {

int64_t ReplaceMatches(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why) {
  const int64_t result = task.SearchMode == smRegExpr ? ReplacePattern(out, begin, end, task, why)
                                                      : ReplaceLiteral(out, begin, end, task);
  if (result < 0 && why.empty())
    why = task.FromLen <= 0 ? "the old string is empty" : "the search failed";
  return result;
}

}  // namespace fendrel
