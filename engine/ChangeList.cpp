#include "ChangeList.h"

#include <algorithm>

#include "ChangedLines.h"

namespace fendrel {

bool TChangeSink::Write(const char* data, std::size_t length) {
  FWritten = true;
  if (length > 0 && data >= FBegin && data + length <= FEnd) {
    const auto at = static_cast<uint64_t>(data - FBegin);
    if (FReplacing || at != FOld) Close(at);
    FOld = at + length;
  } else {
    // An empty write from the content (the unchanged bytes between two adjacent matches) is no
    // replacement of its own.
    if (data < FBegin || data > FEnd) ++FPendingReplacements;
    FReplacing = true;
    FPending.append(data, length);
  }
  return true;
}

void TChangeSink::Close(uint64_t unchangedFrom) {
  // A match replaced by nothing at all changes nothing.
  if (unchangedFrom > FOld || !FPending.empty())
    Keep({FOld, unchangedFrom - FOld, std::move(FPending), FPendingReplacements});
  FPending.clear();
  FPendingReplacements = 0;
  FReplacing = false;
}

void TChangeSink::Keep(TChange change) {
  if (FLineLimit == 0) return FChanges.push_back(std::move(change));
  const std::string_view content(FBegin, static_cast<std::size_t>(FEnd - FBegin));
  const auto [begin, end] = ChangedLineSpan(content, change);
  // Lines already touched count once; a change on a new line after the limit is full ends the
  // keeping.
  const std::size_t from = std::max(begin, FLinesEnd);
  const uint64_t lines = end > from ? LineCount(content.substr(from, end - from)) : 0;
  if (FKeeping && begin >= FLinesEnd && FLinesKept >= FLineLimit) FKeeping = false;
  FLinesEnd = std::max(FLinesEnd, end);
  if (!FKeeping) {
    FLinesNotKept += lines;
    return;
  }
  FLinesKept += lines;
  FChanges.push_back(std::move(change));
}

TChangeList TChangeSink::Finish() {
  if (FWritten) Close(static_cast<uint64_t>(FEnd - FBegin));
  return std::move(FChanges);
}

bool WriteChanges(TByteSink& out, std::string_view content, const TChangeList& changes) {
  uint64_t at = 0;
  for (const TChange& change : changes) {
    if (!out.Write(content.data() + at, change.OldOffset - at) ||
        !out.Write(change.NewText.data(), change.NewText.size()))
      return false;
    at = change.OldOffset + change.OldLength;
  }
  return out.Write(content.data() + at, content.size() - at);
}

std::string ApplyChanges(std::string_view content, const TChangeList& changes) {
  TStringSink result;
  WriteChanges(result, content, changes);
  return std::move(result.Bytes);
}

namespace {

// A stretch of the content together with how much longer the changes in it make it.
struct TRegion {
  uint64_t Begin;
  uint64_t End;
  int64_t Growth;
  uint64_t Replacements;
};

int64_t Growth(const TChange& change) {
  return static_cast<int64_t>(change.NewText.size()) - static_cast<int64_t>(change.OldLength);
}

// Maps offsets of the intermediate content back to the content, through the changes that made
// it: an offset inside a replacement stands for the whole stretch it replaced.
class TBackMap {
 public:
  explicit TBackMap(const TChangeList& changes) : FChanges(changes) {
    int64_t growth = 0;
    for (const TChange& change : changes) {
      FNewBegin.push_back(change.OldOffset + growth);
      growth += Growth(change);
    }
  }

  uint64_t Begin(uint64_t at) const { return Map(at, false); }
  uint64_t End(uint64_t at) const { return Map(at, true); }

 private:
  uint64_t Map(uint64_t at, bool end) const {
    // The last change that begins before `at` (at or before it, for the begin of a stretch).
    auto next = end ? std::lower_bound(FNewBegin.begin(), FNewBegin.end(), at)
                    : std::upper_bound(FNewBegin.begin(), FNewBegin.end(), at);
    if (next == FNewBegin.begin()) return at;
    const std::size_t i = static_cast<std::size_t>(next - FNewBegin.begin()) - 1;
    const TChange& change = FChanges[i];
    const uint64_t newEnd = FNewBegin[i] + change.NewText.size();
    const uint64_t oldEnd = change.OldOffset + change.OldLength;
    if (end ? at <= newEnd : at < newEnd) return end ? oldEnd : change.OldOffset;
    return at - newEnd + oldEnd;
  }

  const TChangeList& FChanges;
  std::vector<uint64_t> FNewBegin;
};

}  // namespace

TChangeList ComposeChanges(const TChangeList& first, const TChangeList& second,
                           std::string_view final) {
  // Every change of either list, as a stretch of the content; stretches that overlap or touch
  // become one, and their new text is read from the final content.
  std::vector<TRegion> regions;
  for (const TChange& change : first)
    regions.push_back({change.OldOffset, change.OldOffset + change.OldLength, Growth(change),
                       change.Replacements});
  const TBackMap back(first);
  for (const TChange& change : second) {
    const uint64_t begin = back.Begin(change.OldOffset);
    const uint64_t end = std::max(begin, back.End(change.OldOffset + change.OldLength));
    regions.push_back({begin, end, Growth(change), change.Replacements});
  }
  std::sort(regions.begin(), regions.end(),
            [](const TRegion& a, const TRegion& b) { return a.Begin < b.Begin; });
  std::vector<TRegion> merged;
  for (const TRegion& region : regions) {
    if (!merged.empty() && region.Begin <= merged.back().End) {
      merged.back().End = std::max(merged.back().End, region.End);
      merged.back().Growth += region.Growth;
      merged.back().Replacements += region.Replacements;
    } else {
      merged.push_back(region);
    }
  }
  TChangeList changes;
  int64_t growth = 0;
  for (const TRegion& region : merged) {
    const uint64_t length = region.End - region.Begin;
    const std::string_view text =
        final.substr(region.Begin + growth, static_cast<uint64_t>(length + region.Growth));
    growth += region.Growth;
    if (length > 0 || !text.empty())
      changes.push_back({region.Begin, length, std::string(text), region.Replacements});
  }
  return changes;
}

}  // namespace fendrel
