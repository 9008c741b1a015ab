// UTF-8 character sets (see RegExprCharSet.h).
#include "RegExprCharSet.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

namespace fendrel {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800, kSurrogateLast = 0xDFFF;

// One step of a byte sequence: a range of bytes.
struct TByteRange {
  uint8_t First, Last;
};

// Splits a range of code points (no surrogates, all encoded with as many bytes as `first`) into
// sequences of byte ranges, each sequence standing for a block of consecutive code points.
void SplitSameLength(char32_t first, char32_t last,
                     std::vector<std::vector<TByteRange>>& sequences) {
  unsigned char a[4], b[4];
  const int length = EncodeUtf8(first, a);
  for (int tail = 1; tail < length; ++tail) {
    const char32_t mask = (char32_t{1} << (6 * tail)) - 1;
    if ((first & ~mask) == (last & ~mask)) continue;
    if ((first & mask) != 0) {
      SplitSameLength(first, first | mask, sequences);
      SplitSameLength((first | mask) + 1, last, sequences);
      return;
    }
    if ((last & mask) != mask) {
      SplitSameLength(first, (last & ~mask) - 1, sequences);
      SplitSameLength(last & ~mask, last, sequences);
      return;
    }
  }
  EncodeUtf8(last, b);
  std::vector<TByteRange> sequence;
  for (int k = 0; k < length; ++k)
    sequence.push_back({a[k], b[k]});
  sequences.push_back(std::move(sequence));
}

void Split(char32_t first, char32_t last, std::vector<std::vector<TByteRange>>& sequences) {
  for (const char32_t bound : {char32_t{0x7F}, char32_t{0x7FF}, char32_t{0xFFFF}}) {
    if (first <= bound && last > bound) {
      Split(first, bound, sequences);
      Split(bound + 1, last, sequences);
      return;
    }
  }
  SplitSameLength(first, last, sequences);
}

// The byte automaton while it is built: a tree of the sequences, then merged from the leaves up.
struct TTreeState {
  struct TEdge {
    uint8_t First, Last;
    int Target;  // a tree state, or -1: accept
  };
  std::vector<TEdge> Edges;
};

int AddSequence(std::vector<TTreeState>& tree, int state, const std::vector<TByteRange>& sequence,
                std::size_t k) {
  if (k == sequence.size()) return -1;
  // Sequences of disjoint code points share a step only where it is the same range.
  for (const TTreeState::TEdge& edge : tree[static_cast<std::size_t>(state)].Edges) {
    if (edge.First == sequence[k].First && edge.Last == sequence[k].Last && edge.Target >= 0) {
      AddSequence(tree, edge.Target, sequence, k + 1);
      return state;
    }
  }
  int target = -1;
  if (k + 1 < sequence.size()) {
    tree.emplace_back();
    target = static_cast<int>(tree.size()) - 1;
    AddSequence(tree, target, sequence, k + 1);
  }
  tree[static_cast<std::size_t>(state)].Edges.push_back(
      {sequence[k].First, sequence[k].Last, target});
  return state;
}

// Gives every tree state the index of the first state equal to it (same transitions to equal
// states), numbering the distinct ones from 0 (the root) in the order they are met.
class TMerger {
 public:
  explicit TMerger(const std::vector<TTreeState>& tree) : FTree(tree) {}

  int Merge(int state) {
    std::vector<std::tuple<int, int, int>> key;
    for (const TTreeState::TEdge& edge : FTree[static_cast<std::size_t>(state)].Edges)
      key.emplace_back(edge.First, edge.Last, edge.Target < 0 ? -1 : Merge(edge.Target));
    std::sort(key.begin(), key.end());
    // Neighbouring ranges that lead to the same place are one.
    std::vector<std::tuple<int, int, int>> joined;
    for (const auto& edge : key) {
      if (!joined.empty() && std::get<1>(joined.back()) + 1 == std::get<0>(edge) &&
          std::get<2>(joined.back()) == std::get<2>(edge))
        std::get<1>(joined.back()) = std::get<1>(edge);
      else
        joined.push_back(edge);
    }
    const auto [at, added] = FKnown.emplace(joined, static_cast<int>(States.size()));
    if (added) States.push_back(joined);
    return at->second;
  }

  // By merged index; the root is merged last, so it is renumbered to 0 when written.
  std::vector<std::vector<std::tuple<int, int, int>>> States;

 private:
  const std::vector<TTreeState>& FTree;
  std::map<std::vector<std::tuple<int, int, int>>, int> FKnown;
};

void Put16(std::vector<uint8_t>& out, std::size_t at, int value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

int Get16(const uint8_t* at) {
  return at[0] | at[1] << 8;
}

}  // namespace

void TCodeSet::Add(char32_t first, char32_t last) {
  if (first <= last) Join({{first, last}});
}

void TCodeSet::Add(std::span<const TCodeRange> ranges) {
  Join(std::vector<TCodeRange>(ranges.begin(), ranges.end()));
}

void TCodeSet::Join(std::vector<TCodeRange> more) {
  more.insert(more.end(), FRanges.begin(), FRanges.end());
  std::sort(more.begin(), more.end(),
            [](const TCodeRange& a, const TCodeRange& b) { return a.First < b.First; });
  FRanges.clear();
  for (const TCodeRange& range : more) {
    if (!FRanges.empty() && range.First <= FRanges.back().Last + 1)
      FRanges.back().Last = std::max(FRanges.back().Last, range.Last);
    else
      FRanges.push_back(range);
  }
}

void TCodeSet::AddCaseVariants() {
  // ASCII letters keep to their ASCII cases, as they do in every code page: "k" does not take
  // the Kelvin sign, nor the Kelvin sign "k".
  std::vector<TCodeRange> variants;
  for (const char32_t c : CasedCharacters()) {
    if (!Contains(c)) continue;
    char32_t orbit[kMaxCaseOrbit];
    const int count = CaseOrbit(c, orbit);
    for (int k = 0; k < count; ++k)
      if ((orbit[k] < 0x80) == (c < 0x80)) variants.push_back({orbit[k], orbit[k]});
  }
  Join(std::move(variants));
}

void TCodeSet::Negate() {
  std::vector<TCodeRange> rest;
  char32_t from = 1;
  for (const TCodeRange& range : FRanges) {
    if (range.First > from) rest.push_back({from, range.First - 1});
    from = range.Last + 1;
  }
  if (from <= kLastCodePoint) rest.push_back({from, kLastCodePoint});
  FRanges = std::move(rest);
}

namespace {

std::vector<uint8_t> BuildOperand(const TCodeSet& set, uint8_t flags) {
  std::vector<uint8_t> out(kCharSetHeader, 0);
  out[4] = flags;
  std::vector<TTreeState> tree(1);
  std::vector<std::vector<TByteRange>> sequences;
  for (TCodeRange range : set.Ranges()) {
    for (char32_t c = std::max<char32_t>(range.First, 1); c <= range.Last && c < 0x80; ++c)
      out[5 + c / 8] |= static_cast<uint8_t>(1u << (c % 8));
    range.First = std::max<char32_t>(range.First, 0x80);
    range.Last = std::min(range.Last, kLastCodePoint);
    // Surrogates have no valid sequence.
    if (range.First <= kSurrogateLast && range.Last >= kSurrogateFirst) {
      if (range.First < kSurrogateFirst) Split(range.First, kSurrogateFirst - 1, sequences);
      if (range.Last > kSurrogateLast) Split(kSurrogateLast + 1, range.Last, sequences);
    } else if (range.First <= range.Last) {
      Split(range.First, range.Last, sequences);
    }
  }
  for (const auto& sequence : sequences)
    AddSequence(tree, 0, sequence, 0);
  TMerger merger(tree);
  const int root = merger.Merge(0);
  // The root becomes state 0; the others keep their order behind it.
  const auto count = static_cast<int>(merger.States.size());
  auto index = [root](int merged) {
    return merged == root ? 0 : merged < root ? merged + 1 : merged;
  };
  const std::size_t table = out.size();
  out.resize(table + 2 + 2 * static_cast<std::size_t>(count));
  Put16(out, table, count);
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int merged = 0; merged < count; ++merged)
    order[static_cast<std::size_t>(index(merged))] = merged;
  for (int state = 0; state < count; ++state) {
    const auto& edges =
        merger.States[static_cast<std::size_t>(order[static_cast<std::size_t>(state)])];
    Put16(out, table + 2 + 2 * static_cast<std::size_t>(state), static_cast<int>(out.size()));
    out.push_back(static_cast<uint8_t>(edges.size()));
    for (const auto& [first, last, target] : edges) {
      out.push_back(static_cast<uint8_t>(first));
      out.push_back(static_cast<uint8_t>(last));
      const std::size_t at = out.size();
      out.resize(at + 2);
      Put16(out, at, target < 0 ? kCharSetAccept : index(target));
    }
  }
  WriteInt32(out.data(), static_cast<int32_t>(out.size()));
  return out;
}

}  // namespace

std::vector<uint8_t> CharSetOperand(const TCodeSet& set, uint8_t flags) {
  // Patterns name the same few sets again and again (\w, \s, '.'), and a compile builds each
  // twice: the automata made last are kept.
  using TKey = std::pair<std::vector<std::pair<char32_t, char32_t>>, uint8_t>;
  static std::mutex lock;
  static std::map<TKey, std::vector<uint8_t>> made;
  TKey key{{}, flags};
  for (const TCodeRange& range : set.Ranges())
    key.first.emplace_back(range.First, range.Last);
  {
    std::lock_guard guard(lock);
    if (const auto found = made.find(key); found != made.end()) return found->second;
  }
  std::vector<uint8_t> out = BuildOperand(set, flags);
  std::lock_guard guard(lock);
  constexpr std::size_t kKept = 64;
  if (made.size() >= kKept) made.clear();
  made.emplace(std::move(key), out);
  return out;
}

int32_t CharSetStep(const uint8_t* operand, int32_t state, unsigned char c) {
  if (state == 0 && c < 0x80) return c != 0 && CharSetHasAscii(operand, c) ? kCharSetAccept : -1;
  const uint8_t* table = operand + kCharSetHeader;
  const uint8_t* at = operand + Get16(table + 2 + 2 * state);
  const int edges = *at++;
  for (int k = 0; k < edges; ++k, at += 4) {
    if (c < at[0]) return -1;  // the transitions are in ascending order
    if (c <= at[1]) return Get16(at + 2);
  }
  return -1;
}

bool CharSetsDisjoint(const uint8_t* a, const uint8_t* b) {
  for (int c = 1; c < 0x80; ++c)
    if (CharSetHasAscii(a, static_cast<unsigned char>(c)) &&
        CharSetHasAscii(b, static_cast<unsigned char>(c)))
      return false;
  // The two automata side by side: a byte both take leading both to the character's end is a
  // character of both.
  std::set<std::pair<int, int>> seen;
  std::vector<std::pair<int, int>> pending{{0, 0}};
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (!seen.emplace(x, y).second) continue;
    const uint8_t* at = a + Get16(a + kCharSetHeader + 2 + 2 * x);
    const uint8_t* bt = b + Get16(b + kCharSetHeader + 2 + 2 * y);
    for (int i = 0, edgesA = at[0]; i < edgesA; ++i) {
      const uint8_t* ea = at + 1 + 4 * i;
      for (int j = 0, edgesB = bt[0]; j < edgesB; ++j) {
        const uint8_t* eb = bt + 1 + 4 * j;
        if (ea[1] < eb[0] || eb[1] < ea[0]) continue;  // no byte in common
        const int ta = Get16(ea + 2), tb = Get16(eb + 2);
        if (ta == kCharSetAccept && tb == kCharSetAccept) return false;
        if (ta != kCharSetAccept && tb != kCharSetAccept) pending.emplace_back(ta, tb);
      }
    }
  }
  return true;
}

TCharSet CharSetFirstBytes(const uint8_t* operand) {
  TCharSet first;
  for (int c = 1; c < 0x80; ++c)
    if (CharSetHasAscii(operand, static_cast<unsigned char>(c))) first.set(c);
  const uint8_t* table = operand + kCharSetHeader;
  const uint8_t* at = operand + Get16(table + 2);
  for (int k = 0, edges = *at++; k < edges; ++k, at += 4)
    for (int c = at[0]; c <= at[1]; ++c)
      first.set(c);
  return first;
}

void CharSetByteSets(const uint8_t* operand, std::vector<TCharSet>& sets) {
  TCharSet ascii;
  for (int c = 1; c < 0x80; ++c)
    if (CharSetHasAscii(operand, static_cast<unsigned char>(c))) ascii.set(c);
  sets.push_back(ascii);
  // Most transitions take the same few ranges of continuation bytes.
  std::set<std::pair<int, int>> ranges;
  const uint8_t* table = operand + kCharSetHeader;
  const int count = Get16(table);
  for (int state = 0; state < count; ++state) {
    const uint8_t* at = operand + Get16(table + 2 + 2 * state);
    for (int k = 0, edges = *at++; k < edges; ++k, at += 4)
      ranges.emplace(at[0], at[1]);
  }
  for (const auto& [first, last] : ranges) {
    TCharSet bytes;
    for (int c = first; c <= last; ++c)
      bytes.set(c);
    sets.push_back(bytes);
  }
}

bool UnicodeWordAt(const unsigned char* text, int64_t length, int64_t at) {
  if (at < 0 || at >= length) return false;
  char32_t c = 0;
  return DecodeUtf8(text + at, static_cast<std::size_t>(length - at), c) > 0 && IsUnicodeWord(c);
}

bool UnicodeWordBefore(const unsigned char* text, int64_t length, int64_t at) {
  if (at <= 0 || at > length) return false;
  int64_t begin = at - 1;
  while (begin > 0 && at - begin < 4 && IsUtf8Continuation(text[begin]))
    --begin;
  char32_t c = 0;
  const int size = DecodeUtf8(text + begin, static_cast<std::size_t>(length - begin), c);
  return size > 0 && begin + size == at && IsUnicodeWord(c);
}

}  // namespace fendrel
