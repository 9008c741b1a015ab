// Golden tests of the pattern compiler, the class builder, the search analysis and the Unicode
// tables they draw on.
//
// Every expected program, error position and analysis result here was worked out by hand from
// the compiler's rules, never copied from the compiler's output. A program is written as a node
// list: opcode, index of the next node in the list (kNil for none), operand; Assemble only turns
// indices into byte offsets. The opcode numbers are written out here instead of being taken from
// RegExprOpcodes.h, so that a wrong number in the engine fails a golden.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "regexpr/RegExpr.h"
#include "regexpr/RegExprDump.h"
#include "regexpr/RegExprUnicode.h"

#include "support/RunProgram.h"

namespace fendrel {
namespace {

// clang-format off
enum TOp : uint8_t {
  End = 0, TextStart = 1, TextEnd = 2, AnyChar = 3, Branch = 6, Back = 7, Literal = 8,
  Nothing = 9, Star = 10, Plus = 11, Digit = 12, NonDigit = 13, Repeat = 18, Comment = 19,
  LiteralCI = 20, LoopEntry = 23, Loop = 24, TinySet = 25, TinyNotSet = 26, FullSet = 27,
  BackRef = 28, BackRefCI = 29, StarLazy = 30, PlusLazy = 31, RepeatLazy = 32, LoopLazy = 33,
  LineStart = 34, LineEnd = 35, AnyButBreak = 36, WordBound = 37, NotWordBound = 38,
  Open1 = 40, Open2 = 41, Close1 = 55, Close2 = 56,
};
constexpr int kNil = -1;
constexpr int32_t kInf = 0x7FFFFFFE;  // the maximum of an open repetition

struct TNode {
  uint8_t Op;
  int Next = kNil;
  std::string Operand{};
  int Body = kNil;  // loop nodes: index of the body's first node, written as an offset
};

std::string Int32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}
TNode L(int next, std::string_view text) { return {Literal, next, std::string(text) + '\0'}; }
TNode L(std::string_view text) { return L(kNil, text); }
TNode LCI(int next, std::string_view text) { return {LiteralCI, next, std::string(text) + '\0'}; }
TNode Rp(uint8_t op, int next, int32_t min, int32_t max) {
  return {op, next, Int32(min) + Int32(max)};
}
TNode Lp(uint8_t op, int next, int32_t min, int32_t max, int body) {
  return {op, next, Int32(min) + Int32(max), body};
}
TNode Set(uint8_t op, int next, std::string_view set) { return {op, next, std::string(set)}; }
TNode Ref(uint8_t op, int next, int group) { return {op, next, std::string(1, char(group))}; }
TNode Bits(int next, const TCharSet& set) {
  std::string map(32, '\0');
  for (int c = 0; c < 256; ++c) map[c / 8] = char(map[c / 8] | (set[c] ? 1 << c % 8 : 0));
  return {FullSet, next, map};
}
// The whole pattern is one node; `a` under a compact repetition (next: the end); the group "(a)"
// (nodes 2-5) as the body of a complex loop.
std::vector<TNode> Alone(const TNode& node) { return {{Branch, 2}, node, {End}}; }
std::vector<TNode> OverA(const TNode& repeat) { return {{Branch, 3}, repeat, L("a"), {End}}; }
std::vector<TNode> LoopOverA(uint8_t op, int32_t min, int32_t max) {
  return {{Branch, 7}, {LoopEntry, 6}, {Open1, 3}, {Branch, 5}, L(5, "a"), {Close1, 6},
          Lp(op, 7, min, max, 2), {End}};
}
struct TGolden { const char* Pattern; const char* Mods; std::vector<TNode> Nodes; };

TCharSet Chars(std::string_view members, int low = 1, int high = 0) {
  TCharSet set;
  for (const char c : members) set.set(static_cast<unsigned char>(c));
  for (int c = low; c <= high; ++c) set.set(c);
  return set;
}
// clang-format on

std::string Assemble(const std::vector<TNode>& nodes) {
  std::vector<int32_t> at;
  int32_t offset = 1;
  for (const TNode& n : nodes) {
    at.push_back(offset);
    offset += 5 + static_cast<int32_t>(n.Operand.size()) + (n.Body == kNil ? 0 : 4);
  }
  std::string out(1, '\xD8');
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    out += char(nodes[i].Op) + Int32(nodes[i].Next == kNil ? 0 : at[nodes[i].Next] - at[i]);
    out += nodes[i].Operand;
    if (nodes[i].Body != kNil) out += Int32(at[nodes[i].Body] - at[i]);
  }
  return out;
}

std::string Hex(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    if (!out.empty()) out += ' ';
    out += "0123456789ABCDEF"[static_cast<unsigned char>(c) >> 4];
    out += "0123456789ABCDEF"[c & 15];
  }
  return out;
}

// Letters flip between A-Z and a-z, set explicitly so that no result depends on the machine's
// code page. `mods` changes the default modifiers by "(?...)" letters.
void Prepare(TRegExpr& re, std::string_view pattern, std::string_view mods = "") {
  for (int c = 0; c < 256; ++c)
    re.CaseFlip[c] = static_cast<unsigned char>((c | 32) >= 'a' && (c | 32) <= 'z' ? c ^ 32 : c);
  if (!mods.empty()) re.SetModifierStr(mods);
  re.SetExpression(pattern);
}

void ExpectGolden(const TGolden& golden, const TCaseFlipTable* flip = nullptr) {
  SCOPED_TRACE(std::string("pattern ") + golden.Pattern + " mods " + golden.Mods);
  TRegExpr re;
  Prepare(re, golden.Pattern, golden.Mods);
  if (flip) re.CaseFlip = *flip;
  ASSERT_NO_THROW(re.Compile());
  const std::string expected = Assemble(golden.Nodes);
  EXPECT_EQ(Hex(re.Program()), Hex(expected)) << DumpProgram(re.Program()) << "expected:\n"
                                              << DumpProgram(expected);
}

TEST(RegExprCompiler, WorkedExampleBytes) {
  TRegExpr re;
  Prepare(re, "ab*");
  re.Compile();
  EXPECT_EQ(Hex(re.Program()),
            "D8 06 18 00 00 00 08 07 00 00 00 61 00 0A 0C 00 00 00 08 00 00 00 00 62 00 00 00 00 "
            "00 00");
}

// clang-format off
TEST(RegExprCompiler, Goldens) {
  const std::vector<TGolden> cases = {
      // Literal runs: the last character of a run before a quantifier stands alone, also
      // before a '{' that turns out to be no quantifier.
      {"abc*", "", {{Branch, 4}, L(2, "ab"), {Star, 4}, L("c"), {End}}},
      {"ab{x}", "", {{Branch, 4}, L(2, "a"), L(3, "b"), L(4, "{x}"), {End}}},
      {"a{2", "", {{Branch, 3}, L(2, "a"), L(3, "{2"), {End}}},
      {"a{x}", "", {{Branch, 3}, L(2, "a"), L(3, "{x}"), {End}}},
      {"a{,3}", "", {{Branch, 3}, L(2, "a"), L(3, "{,3}"), {End}}},
      {"x{123456789", "", {{Branch, 3}, L(2, "x"), L(3, "{123456789"), {End}}},
      {"{2}", "", Alone(L(2, "{2}"))},
      {"{x}*", "", {{Branch, 4}, L(2, "{x"), {Star, 4}, L("}"), {End}}},
      // Anchors, dot, escapes, back-references.
      {"^a$", "", {{Branch, 4}, {TextStart, 2}, L(3, "a"), {TextEnd, 4}, {End}}},
      {"^a$", "m", {{Branch, 4}, {LineStart, 2}, L(3, "a"), {LineEnd, 4}, {End}}},
      {".", "", Alone({AnyChar, 2})}, {".", "-s", Alone({AnyButBreak, 2})},
      {".*", "", {{Branch, 3}, {Star, 3}, {AnyChar}, {End}}},
      // Without s the dot is not simple: branch construction and complex loop.
      {".*", "-s", {{Branch, 6}, {Branch, 4}, {AnyButBreak, 3}, {Back, 1}, {Branch, 5},
                    {Nothing, 6}, {End}}},
      {".{2}", "-s", {{Branch, 4}, {LoopEntry, 3}, {AnyButBreak, 3}, Lp(Loop, 4, 2, 2, 2), {End}}},
      {"\\d\\D\\b\\B\\A\\Z", "", {{Branch, 7}, {Digit, 2}, {NonDigit, 3}, {WordBound, 4},
                                  {NotWordBound, 5}, {TextStart, 6}, {TextEnd, 7}, {End}}},
      {"(a)\\1", "", {{Branch, 6}, {Open1, 2}, {Branch, 4}, L(4, "a"), {Close1, 5},
                      Ref(BackRef, 6, 1), {End}}},
      {"(a)\\1", "i", {{Branch, 6}, {Open1, 2}, {Branch, 4}, LCI(4, "a"), {Close1, 5},
                       Ref(BackRefCI, 6, 1), {End}}},
      {"\\1*", "", {{Branch, 3}, {Star, 3}, Ref(BackRef, kNil, 1), {End}}},
      {"\\12", "", {{Branch, 3}, Ref(BackRef, 2, 1), L(3, "2"), {End}}},
      // Quantifiers on a simple atom: compact nodes, except greedy '?'.
      {"a*", "", OverA({Star, 3})}, {"a+", "", OverA({Plus, 3})},
      {"a*?", "", OverA({StarLazy, 3})}, {"a+?", "", OverA({PlusLazy, 3})},
      {"a??", "", OverA(Rp(RepeatLazy, 3, 0, 1))}, {"a{3}", "", OverA(Rp(Repeat, 3, 3, 3))},
      {"a{3,}", "", OverA(Rp(Repeat, 3, 3, kInf))}, {"a{3,5}?", "", OverA(Rp(RepeatLazy, 3, 3, 5))},
      {"a{12345678}", "", OverA(Rp(Repeat, 3, 12345678, 12345678))},
      {"a{0}", "", OverA(Rp(Repeat, 3, 0, 0))}, {"a{0,0}", "", OverA(Rp(Repeat, 3, 0, 0))},
      {"a?", "", {{Branch, 5}, {Branch, 3}, L(4, "a"), {Branch, 4}, {Nothing, 5}, {End}}},
      // Quantifiers on a complex atom.
      {"(a)*", "", {{Branch, 9}, {Branch, 7}, {Open1, 3}, {Branch, 5}, L(5, "a"), {Close1, 6},
                    {Back, 1}, {Branch, 8}, {Nothing, 9}, {End}}},
      {"(a)+", "", {{Branch, 9}, {Open1, 2}, {Branch, 4}, L(4, "a"), {Close1, 5}, {Branch, 7},
                    {Back, 1}, {Branch, 8}, {Nothing, 9}, {End}}},
      {"(a)?", "", {{Branch, 8}, {Branch, 6}, {Open1, 3}, {Branch, 5}, L(5, "a"), {Close1, 7},
                    {Branch, 7}, {Nothing, 8}, {End}}},
      {"(a)*?", "", LoopOverA(LoopLazy, 0, kInf)}, {"(a)+?", "", LoopOverA(LoopLazy, 1, kInf)},
      {"(a)??", "", LoopOverA(LoopLazy, 0, 1)}, {"(a){2,3}", "", LoopOverA(Loop, 2, 3)},
      {"(a){2,}?", "", LoopOverA(LoopLazy, 2, kInf)},
      {"(a|b)*", "", {{Branch, 11}, {Branch, 9}, {Open1, 3}, {Branch, 5}, L(7, "a"), {Branch, 7},
                      L(7, "b"), {Close1, 8}, {Back, 1}, {Branch, 10}, {Nothing, 11}, {End}}},
      // Groups, alternatives, comments.
      {"(a(b))", "", {{Branch, 9}, {Open1, 2}, {Branch, 8}, L(4, "a"), {Open2, 5}, {Branch, 7},
                      L(7, "b"), {Close2, 8}, {Close1, 9}, {End}}},
      {"a|b", "", {{Branch, 2}, L(4, "a"), {Branch, 4}, L(4, "b"), {End}}},
      {"a|", "", {{Branch, 2}, L(4, "a"), {Branch, 4}, {Nothing, 4}, {End}}},
      {"|", "", {{Branch, 2}, {Nothing, 4}, {Branch, 4}, {Nothing, 4}, {End}}},
      {"()", "", {{Branch, 5}, {Open1, 2}, {Branch, 4}, {Nothing, 4}, {Close1, 5}, {End}}},
      {"a(?#note)b", "", {{Branch, 4}, L(2, "a"), {Comment, 3}, L(4, "b"), {End}}},
      // A modifier change inside parentheses ends with them; at top level it lasts across '|'.
      {"(?i)a(?-i)b", "", {{Branch, 5}, {Comment, 2}, LCI(3, "a"), {Comment, 4}, L(5, "b"), {End}}},
      {"((?i)a|b)c", "", {{Branch, 9}, {Open1, 2}, {Branch, 5}, {Comment, 4}, LCI(7, "a"),
                          {Branch, 7}, LCI(7, "b"), {Close1, 8}, L(9, "c"), {End}}},
      {"(?i)a|b", "", {{Branch, 3}, {Comment, 2}, LCI(5, "a"), {Branch, 5}, LCI(5, "b"), {End}}},
      {"(?)a", "", {{Branch, 3}, {Comment, 2}, L(3, "a"), {End}}},
      {"(?I-S)a.", "", {{Branch, 4}, {Comment, 2}, LCI(3, "a"), {AnyButBreak, 4}, {End}}},
      // Extended syntax.
      {"a b\tc", "x", Alone(L(2, "abc"))}, {"[ a]", "x", Alone(Set(TinySet, 2, " aa"))},
      {"(?x)a b", "", {{Branch, 3}, {Comment, 2}, L(3, "ab"), {End}}},
      {" \t\na", "x", {{Branch, 3}, {Comment, 2}, L(3, "a"), {End}}},
      {"a#c\r\n b", "x", {{Branch, 5}, L(2, "a"), {Comment, 3}, {Comment, 4}, L(5, "b"), {End}}},
      {"ab c*", "x", {{Branch, 4}, L(2, "ab"), {Star, 4}, L("c"), {End}}},
      // Without g every quantifier is non-greedy.
      {"a*b+c?d{2}(e)*", "-g", {{Branch, 15}, {StarLazy, 3}, L("a"), {PlusLazy, 5}, L("b"),
                                Rp(RepeatLazy, 7, 0, 1), L("c"), Rp(RepeatLazy, 9, 2, 2), L("d"),
                                {LoopEntry, 14}, {Open1, 11}, {Branch, 13}, L(13, "e"),
                                {Close1, 14}, Lp(LoopLazy, 15, 0, kInf, 10), {End}}},
      {"a*?", "-g", OverA({StarLazy, 3})},
      // An escape that is no class and no node is one byte by the unquote rule.
      {"\\t", "", Alone(L(2, "\t"))}, {"\\n", "", Alone(L(2, "\n"))},
      {"\\r", "", Alone(L(2, "\r"))}, {"\\f", "", Alone(L(2, "\f"))},
      {"\\a", "", Alone(L(2, "\a"))}, {"\\e", "", Alone(L(2, "\x1B"))},
      {"\\x41", "", Alone(L(2, "A"))}, {"\\x4a", "", Alone(L(2, "J"))},
      {"\\x{42}", "", Alone(L(2, "B"))}, {"\\x{0FF}", "", Alone(L(2, "\xFF"))},
      {"\\.", "", Alone(L(2, "."))}, {"\\\\", "", Alone(L(2, "\\"))},
      {"\\q", "", Alone(L(2, "q"))}, {"\\x41", "i", Alone(LCI(2, "A"))},
      // NUL ends every subject: an escaped NUL is a set without members, never an empty
      // literal that would match everywhere.
      {"\\x00", "", Alone(Set(TinySet, 2, std::string(3, '\0')))},
      {"a\\x{}*", "", {{Branch, 4}, L(2, "a"), {Star, 4}, Set(TinySet, kNil, std::string(3, '\0')), {End}}},
  };
  // clang-format on
  for (const TGolden& golden : cases)
    ExpectGolden(golden);
}

// The full number of groups, 14, each compiled as open, branch, nothing, close.
TEST(RegExprCompiler, FourteenGroups) {
  std::string pattern;
  std::vector<TNode> nodes = {{Branch, 57}};
  for (int n = 1, at = 1; n <= 14; ++n, at += 4) {
    pattern += "()";
    nodes.insert(nodes.end(), {{uint8_t(39 + n), at + 1},
                               {Branch, at + 3},
                               {Nothing, at + 3},
                               {uint8_t(54 + n), at + 4}});
  }
  nodes.push_back({End});
  ExpectGolden({pattern.c_str(), "", nodes});
}

// '^' and '$' under m become line anchors only when something can end a line.
TEST(RegExprCompiler, MultiLineNeedsLineBreaks) {
  TRegExpr re;
  Prepare(re, "^$", "m");
  re.LineBreakChars = "";
  re.Compile();
  EXPECT_EQ(Hex(re.Program()), Hex(Assemble({{Branch, 3}, {LineStart, 2}, {LineEnd, 3}, {End}})));
  re.SetLinePairedSeparator("");
  re.Compile();
  EXPECT_EQ(Hex(re.Program()), Hex(Assemble({{Branch, 3}, {TextStart, 2}, {TextEnd, 3}, {End}})));
}

const TCharSet kAll = ~TCharSet();
const TCharSet kNul = Chars(std::string(1, '\0'));
const TCharSet kDigits = Chars("", '0', '9');
const TCharSet kBlanks = Chars(" \t\n\r\f");
const TCharSet kWord = Chars("_", '0', '9') | Chars("", 'a', 'z') | Chars("", 'A', 'Z');
// Code page 1251: lower-case letters 224-255 and 184, upper-case 192-223 and 168.
const TCharSet kCyrLower = Chars("\xB8", 224, 255);
const TCharSet kCyrUpper = Chars("\xA8", 192, 223);

// clang-format off
TEST(RegExprClass, Members) {
  const std::vector<TGolden> cases = {
      // Up to three members: ascending, padded with the highest.
      {"[abc]", "", Alone(Set(TinySet, 2, "abc"))}, {"[cba]", "", Alone(Set(TinySet, 2, "abc"))},
      {"[ab]", "", Alone(Set(TinySet, 2, "abb"))}, {"[^ab]", "", Alone(Set(TinyNotSet, 2, "abb"))},
      // More are a bitmap; a negated one is stored complemented, NUL included.
      {"[abcd]", "", Alone(Bits(2, Chars("abcd")))},
      {"[^abcd]", "", Alone(Bits(2, ~Chars("abcd")))},
      // ']' first and '-' at either end are members.
      {"[]a]", "", Alone(Set(TinySet, 2, "]aa"))}, {"[^]a]", "", Alone(Set(TinyNotSet, 2, "]aa"))},
      {"[a-]", "", Alone(Set(TinySet, 2, "-aa"))}, {"[-a]", "", Alone(Set(TinySet, 2, "-aa"))},
      // No range starts right after a range or a class escape; a class escape as range end
      // makes the '-' a member.
      {"[a-c-e]", "", Alone(Bits(2, Chars("abc-e")))},
      {"[\\d-z]", "", Alone(Bits(2, kDigits | Chars("-z")))},
      {"[a-\\d]", "", Alone(Bits(2, kDigits | Chars("a-")))},
      // Inside a class the upper-case escapes are plain letters; range ends are unquoted.
      {"[\\D\\S\\W]", "", Alone(Set(TinySet, 2, "DSW"))}, {"[\\w]", "", Alone(Bits(2, kWord))},
      {"[\\n-\\r]", "", Alone(Bits(2, Chars("", 10, 13)))},
      {"[b-\\x64]", "", Alone(Set(TinySet, 2, "bcd"))},
      // NUL ends every text, so it is never a member, not even as a range start.
      {"[\\x00a]", "", Alone(Set(TinySet, 2, "aaa"))},
      {"[\\x00-\\x02]", "", Alone(Set(TinySet, 2, "\x01\x02\x02"))},
      // Outside a class.
      {"\\s", "", Alone(Bits(2, kBlanks))}, {"\\S", "", Alone(Bits(2, ~kBlanks))},
      {"\\w", "", Alone(Bits(2, kWord))}, {"\\W", "", Alone(Bits(2, ~kWord))},
      // Case folding under i.
      {"[a]", "i", Alone(Set(TinySet, 2, "Aaa"))}, {"[^a]", "i", Alone(Set(TinyNotSet, 2, "Aaa"))},
      {"[ab]", "i", Alone(Bits(2, Chars("abAB")))}, {"[a-c]", "i", Alone(Bits(2, Chars("abcABC")))},
      // The Cyrillic ranges under r; without r, or with other bounds, plain ranges.
      {"[\\xE0-\\xFF]", "", Alone(Bits(2, kCyrLower))},
      {"[\xE0-\xFF]", "", Alone(Bits(2, kCyrLower))},
      {"[\\xC0-\\xDF]", "", Alone(Bits(2, kCyrUpper))},
      {"[\\xE0-\\xDF]", "", Alone(Bits(2, kCyrLower | kCyrUpper))},
      {"[\\xE0-\\xFF]", "-r", Alone(Bits(2, Chars("", 224, 255)))},
      {"[\\xE0-\\xFE]", "", Alone(Bits(2, Chars("", 224, 254)))},
  };
  // clang-format on
  for (const TGolden& golden : cases)
    ExpectGolden(golden);
  EXPECT_EQ(kCyrLower.count(), 33u);

  // Folding takes the object's own case flip; the class escapes outside a class never fold.
  TCaseFlipTable flip{};
  for (int c = 0; c < 256; ++c)
    flip[c] = static_cast<unsigned char>(c);
  flip['a'] = '#';
  flip[' '] = '~';
  ExpectGolden({"[a]", "i", Alone(Set(TinySet, 2, "#aa"))}, &flip);
  ExpectGolden({"\\s", "i", Alone(Bits(2, kBlanks))}, &flip);
  ExpectGolden({"[\\s]", "i", Alone(Bits(2, kBlanks | Chars("~")))}, &flip);
}

// clang-format off
struct TAnalysisCase {
  const char* Pattern; const char* Mods; char Anchor; bool AtStart; const char* Required;
  TCharSet First;
};

TEST(RegExprAnalysis, Results) {
  const std::vector<TAnalysisCase> cases = {
      {"ab*", "", 'a', false, "", Chars("a")}, {"abc*", "", 'a', false, "", Chars("a")},
      {"^abc", "", 0, true, "", Chars("a")}, {"\\Aabc", "", 0, true, "", Chars("a")},
      // A leading repetition makes the longest literal of the chain required; on a tie the
      // later one wins.
      {"a*bcd", "", 0, false, "bcd", Chars("ab")}, {"a*bc*d", "", 0, false, "d", Chars("ab")},
      {"a+bc", "", 0, false, "bc", Chars("a")}, {"a{2}bcd", "", 0, false, "bcd", Chars("a")},
      {"a{0,2}b", "", 0, false, "b", Chars("ab")}, {"(a){0,2}b", "", 0, false, "b", Chars("ab")},
      {"(a){1,2}b", "", 0, false, "b", Chars("a")}, {"a?b", "", 0, false, "", Chars("ab")},
      {"a|b", "", 0, false, "", Chars("ab")}, {"x*ab|y", "", 0, false, "", Chars("xay")},
      {"x*", "", 0, false, "", kAll}, {"\\d+", "", 0, false, "", kDigits},
      {"\\bx", "", 0, false, "", Chars("x")}, {"[^abc]", "", 0, false, "", ~Chars("abc")},
      {"\\1a", "", 0, false, "", kAll},
      // A case-insensitive literal anchors as it is written (the search folds its case), but
      // gives no required text; modifiers before it take nothing.
      {"(?i)abc", "", 'a', false, "", Chars("aA")}, {"abc", "i", 'a', false, "", Chars("aA")},
      {"(?m)abc", "", 'a', false, "", Chars("a")},
      {"a*bcd", "i", 0, false, "", Chars("aAbB")},
      // The end of the subject counts as NUL; line breaks join it where the end may be a line
      // end (for opTextEnd the object's modifiers decide, not the pattern's).
      {"$", "", 0, false, "", kNul}, {"(?m)$", "", 0, false, "", kNul | Chars("\r\n")},
      {"\\Z", "m", 0, false, "", kNul | Chars("\r\n")}, {"(?m)\\Z", "", 0, false, "", kNul},
      // Loops whose body can be passed without consuming anything must not walk forever; a
      // match can then begin anywhere, since the loop may be left at once.
      {"(a{0,5})*", "", 0, false, "", kAll}, {"(a{0,3})*?", "", 0, false, "", kAll},
      {"(b|a{0,1})+", "", 0, false, "", kAll},
  };
  // clang-format on
  for (const TAnalysisCase& c : cases) {
    SCOPED_TRACE(std::string("pattern ") + c.Pattern + " mods " + c.Mods);
    TRegExpr re;
    Prepare(re, c.Pattern, c.Mods);
    ASSERT_NO_THROW(re.Compile());
    EXPECT_EQ(re.AnchorChar(), static_cast<unsigned char>(c.Anchor));
    EXPECT_EQ(re.AnchoredAtStart(), c.AtStart);
    EXPECT_EQ(std::string(re.RequiredText()), c.Required);
    EXPECT_EQ(CharSetText(re.FirstChars()), CharSetText(c.First)) << DumpProgram(re.Program());
  }
}

void ExpectError(const std::function<void()>& action, int code, const std::string& message,
                 int pos = 0) {
  try {
    action();
    ADD_FAILURE() << "no error";
  } catch (const ERegExpr& e) {
    EXPECT_EQ(e.ErrorNumber, code);
    EXPECT_EQ(e.ErrorOffset, pos);
    EXPECT_EQ(e.what(), message);
  }
}

// clang-format off
const std::map<int, std::string> kErrorText = {
    {102, "TRegExpr(comp): ParseReg Too Many ()"}, {103, "TRegExpr(comp): ParseReg Unmatched ()"},
    {104, "TRegExpr(comp): ParseReg Unmatched ()"},
    {106, "TRegExpr(comp): *+ Operand Could Be Empty"},
    {107, "TRegExpr(comp): Nested *?+"}, {108, "TRegExpr(comp): Bad Hex Digit"},
    {109, "TRegExpr(comp): Invalid [] Range"}, {110, "TRegExpr(comp): Parse Atom Trailing \\"},
    {111, "TRegExpr(comp): No Hex Code After \\x"},
    {112, "TRegExpr(comp): Hex Code After \\x Is Too Big"}, {113, "TRegExpr(comp): Unmatched []"},
    {115, "TRegExpr(comp): ?+*{ Follows Nothing"}, {116, "TRegExpr(comp): Trailing \\"},
    {122, "TRegExpr(comp): BRACES Argument Too Big"},
    {124, "TRegExpr(comp): BRACE Min Param Greater then Max"},
    {125, "TRegExpr(comp): Unclosed (?#Comment)"}, {127, "TRegExpr(comp): Urecognized Modifier"},
    {128, "TRegExpr(comp): LinePairedSeparator must countain two different chars or no chars "
          "at all"},
};

struct TCompileError { const char* Pattern; const char* Mods; int Code; int Pos; };

TEST(RegExprCompiler, Errors) {
  const std::vector<TCompileError> cases = {
      {"(((((((((((((((", "", 102, 15},
      {"a(", "", 103, 2}, {"(a", "", 103, 2}, {"(a|b", "", 103, 4},
      {"a)", "", 104, 1}, {"a|b)", "", 104, 3},
      // The width check looks at the quantifier character, before a brace is examined.
      {"()*", "", 106, 2}, {"^{x}", "", 106, 1}, {"\\b+", "", 106, 2}, {"(?#c)*", "", 106, 5},
      {"(a?)*", "", 106, 4}, {"(a|)+", "", 106, 4}, {"(a*)+", "", 106, 4}, {"(b|a?)+", "", 106, 6},
      // A piece that can only match the empty text has no width.
      {"(x{0})*", "", 106, 6}, {"(x{0})+", "", 106, 6}, {"(x{0,0})*", "", 106, 8},
      {"a**", "", 107, 2}, {"a*{2}", "", 107, 2}, {"a?*", "", 107, 2}, {"a*??", "", 107, 3},
      {"a{2}{3}", "", 107, 4}, {"x{0}*", "", 107, 4},
      {"\\xZZ", "", 108, 2}, {"\\x4G", "", 108, 3}, {"\\x{4G}", "", 108, 4},
      {"[\\xZ1]", "", 108, 3},
      {"[z-a]", "", 109, 4}, {"[b-\\x61]", "", 109, 7}, {"[\\xE0-\\xDF]", "-r", 109, 10},
      {"[\\", "", 110, 2}, {"[a\\", "", 110, 3},
      {"\\x", "", 111, 2}, {"\\x4", "", 111, 3}, {"\\x{41", "", 111, 5}, {"[\\x4", "", 111, 4},
      {"\\x{100}", "", 112, 5}, {"\\x{0100}", "", 112, 6},
      {"[", "", 113, 1}, {"[a", "", 113, 2}, {"[]", "", 113, 2}, {"[^]", "", 113, 3},
      {"[a-", "", 113, 3},
      {"*a", "", 115, 1}, {"a|+", "", 115, 3}, {"(*)", "", 115, 2}, {"a\\", "", 116, 2},
      // The minimum is converted as soon as a ',' follows, even if no '}' comes.
      {"x{123456789}", "", 122, 11}, {"x{1,123456789}", "", 122, 13},
      {"x{123456789,1}", "", 122, 11}, {"x{123456789,", "", 122, 11},
      {"x{00000000001}", "", 122, 13}, {"x{3,2}", "", 124, 5}, {"(?#note", "", 125, 7},
      {"(?q)", "", 127, 2}, {"(?i-q)", "", 127, 4}, {"(?i", "", 127, 3}, {"(?", "", 127, 2},
  };
  // clang-format on
  for (const TCompileError& error : cases) {
    SCOPED_TRACE(error.Pattern);
    TRegExpr re;
    Prepare(re, "ok", error.Mods);
    re.Compile();
    re.SetExpression(error.Pattern);
    const std::string message = kErrorText.at(error.Code) + " (pos " + std::to_string(error.Pos);
    ExpectError([&] { re.Compile(); }, error.Code, message + ")", error.Pos);
    // A failed compile leaves no program behind.
    EXPECT_FALSE(re.Compiled());
    EXPECT_TRUE(re.Program().empty());
    EXPECT_EQ(re.CompileErrorOffset(), 0);
  }
}

TEST(RegExprCompiler, ErrorsOutsideACompile) {
  TRegExpr re;
  for (const char* pair : {"\r", "aa", "\r\n\r"})
    ExpectError([&] { re.SetLinePairedSeparator(pair); }, 128, kErrorText.at(128) + " (pos 0)");
  EXPECT_EQ(re.LinePairedSeparator(), "\r\n");
  ExpectError([&] { re.SetModifierFlag(7, true); }, 1013, "Unknown error");
  ExpectError([&] { (void)re.ModifierFlag(0); }, 1013, "Unknown error");
  ExpectError([&] { re.SetModifierStr("iq"); }, 127, kErrorText.at(127) + " (pos 0)");
  const std::string unassigned = "TRegExpr(exec): Not Assigned Expression Property";
  ExpectError([&] { re.Compile(); }, 1003, unassigned);
  re.SetExpression("a");
  re.Compile();
  re.SetExpression("");
  ExpectError([&] { re.Compile(); }, 1003, unassigned);
}

// The committed tables are exactly what the generator makes of the installed database: a table
// edited by hand, or a generator changed without making the tables again, fails here.
TEST(RegExprUnicode, TablesAreTheGeneratorsOutput) {
  const std::string source = FENDREL_SOURCE_DIR;
  const test::TRun run = test::RunProgram(source + "/tools/gen-unicode-tables", {});
  ASSERT_EQ(run.Status, 0) << run.Out;
  std::ifstream file(source + "/regexpr/RegExprUnicodeTables.cpp", std::ios::binary);
  const std::string committed{std::istreambuf_iterator<char>(file), {}};
  if (run.Out == committed) return;
  std::size_t from = 0;
  while (from < run.Out.size() && from < committed.size() && run.Out[from] == committed[from])
    ++from;
  from = committed.rfind('\n', from) + 1;  // npos + 1 is 0: the first line
  ADD_FAILURE() << "regexpr/RegExprUnicodeTables.cpp differs from tools/gen-unicode-tables:\n"
                << "committed: " << committed.substr(from, committed.find('\n', from) - from)
                << "\ngenerated: " << run.Out.substr(from, run.Out.find('\n', from) - from);
}

TEST(RegExprUnicode, Utf8) {
  struct TCase {
    std::string_view Bytes;
    int Length;  // 0: invalid
    char32_t Code = 0;
  };
  const TCase cases[] = {
      {"A", 1, 'A'},
      {"\x7F", 1, 0x7F},
      {"\xC2\x80", 2, 0x80},
      {"\xC3\xA4", 2, 0xE4},
      {"\xDF\xBF", 2, 0x7FF},
      {"\xE0\xA0\x80", 3, 0x800},
      {"\xE2\x82\xAC", 3, 0x20AC},
      {"\xED\x9F\xBF", 3, 0xD7FF},
      {"\xEE\x80\x80", 3, 0xE000},
      {"\xEF\xBF\xBF", 3, 0xFFFF},
      {"\xF0\x90\x80\x80", 4, 0x10000},
      {"\xF0\x9F\x98\x80", 4, 0x1F600},
      {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
      {"\xC0\x80", 0},          // overlong NUL
      {"\xC1\xBF", 0},          // overlong
      {"\xE0\x80\x80", 0},      // overlong
      {"\xE0\x9F\xBF", 0},      // overlong
      {"\xF0\x8F\xBF\xBF", 0},  // overlong
      {"\xED\xA0\x80", 0},      // surrogate
      {"\xED\xBF\xBF", 0},      // surrogate
      {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
      {"\xF5\x80\x80\x80", 0},
      {"\xFF", 0},
      {"\x80", 0},  // a continuation byte alone
      {"\xBF\xBF", 0},
      {"\xC3", 0},  // truncated
      {"\xE2\x82", 0},
      {"\xF0\x9F\x98", 0},
      {"\xC3\x28", 0},  // a continuation byte missing
      {"\xE2\x28\xAC", 0},
      {"\xE2\x82\x28", 0},
      {"\xF0\x9F\x98\xC3", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.Bytes)));
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.Bytes.data());
    char32_t code = 0;
    ASSERT_EQ(DecodeUtf8(bytes, c.Bytes.size(), code), c.Length);
    if (c.Length == 0) continue;
    EXPECT_EQ(code, c.Code);
    // One byte fewer available is a truncated sequence.
    EXPECT_EQ(DecodeUtf8(bytes, c.Bytes.size() - 1, code), 0);
  }
  // Every scalar value survives a round trip; an encoded surrogate is refused.
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    unsigned char out[4];
    const int length = EncodeUtf8(c, out);
    char32_t back = 0;
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    ASSERT_EQ(DecodeUtf8(out, length, back), surrogate ? 0 : length) << std::hex << uint32_t(c);
    if (!surrogate) {
      ASSERT_EQ(back, c) << std::hex << uint32_t(c);
    }
  }
}

TEST(RegExprUnicode, CaseOrbits) {
  struct TCase {
    char32_t Of;
    std::vector<char32_t> Orbit;
  };
  const TCase cases[] = {
      {'k', {'K', 'k', 0x212A}},  // KELVIN SIGN
      {0x212A, {'K', 'k', 0x212A}},
      {'S', {'S', 's', 0x17F}},               // LONG S
      {0xDF, {0xDF, 0x1E9E}},                 // sharp s and its capital
      {0x3B8, {0x398, 0x3B8, 0x3D1, 0x3F4}},  // theta: the largest orbits
      {0x3C2, {0x3A3, 0x3C2, 0x3C3}},         // final sigma
      {0x41F, {0x41F, 0x43F}},                // Cyrillic PE
      {0x43F, {0x41F, 0x43F}},
      {'i', {'I', 'i'}},  // the Turkish dotted and dotless i fold only by their own rule
      {0x130, {0x130}},
      {0x131, {0x131}},
      {'1', {'1'}},
      {0x1F600, {0x1F600}},
      {0x10400, {0x10400, 0x10428}},  // Deseret, beyond the Basic Multilingual Plane
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Of));
    char32_t orbit[kMaxCaseOrbit];
    const int count = CaseOrbit(c.Of, orbit);
    EXPECT_EQ(std::vector<char32_t>(orbit, orbit + count), c.Orbit);
    for (char32_t member : c.Orbit)
      EXPECT_EQ(SimpleFold(member), SimpleFold(c.Of));
  }
  EXPECT_EQ(SimpleFold('K'), U'k');
  EXPECT_EQ(SimpleFold(0x1E9E), U'\u00DF');
  EXPECT_EQ(SimpleFold(0x3C2), U'\u03C3');
  EXPECT_EQ(SimpleFold(0x130), U'\u0130');
  // CasedCharacters lists exactly the characters of orbits of more than one member.
  const std::span<const char32_t> cased = CasedCharacters();
  std::size_t next = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    char32_t orbit[kMaxCaseOrbit];
    const bool listed = next < cased.size() && cased[next] == c;
    next += listed;
    ASSERT_EQ(CaseOrbit(c, orbit) > 1, listed) << std::hex << uint32_t(c);
  }
  EXPECT_EQ(next, cased.size());
}

TEST(RegExprUnicode, Classes) {
  struct TCase {
    char32_t Code;
    bool Word, Digit, Space;
  };
  const TCase cases[] = {
      {'a', true, false, false},
      {'Z', true, false, false},
      {'_', true, false, false},
      {'7', true, true, false},
      {0x436, true, false, false},    // Cyrillic zhe
      {0x301, true, false, false},    // a combining accent
      {0x663, true, true, false},     // Arabic-Indic three
      {0x4E2D, true, false, false},   // inside a range of the database
      {0x2A6DF, true, false, false},  // the last of such a range
      {0x2A6E0, false, false, false},
      {0xB2, false, false, false},    // superscript two: a number,
                                      // not a decimal digit
      {0x2014, false, false, false},  // em dash
      {0xAB, false, false, false},    // guillemet
      {0x1F600, false, false, false},
      {0, false, false, false},
      {'\t', false, false, true},
      {' ', false, false, true},
      {0xA0, false, false, true},
      {0x3000, false, false, true},
      {0x200B, false, false, false},  // zero width space
      {0x180E, false, false, false},  // no longer white space
      {0x10FFFF, false, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Code));
    EXPECT_EQ(IsUnicodeWord(c.Code), c.Word);
    EXPECT_EQ(InRanges(UnicodeDigitRanges(), c.Code), c.Digit);
    EXPECT_EQ(InRanges(UnicodeSpaceRanges(), c.Code), c.Space);
  }
}

}  // namespace
}  // namespace fendrel
