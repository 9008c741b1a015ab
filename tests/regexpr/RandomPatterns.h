// Random small patterns from grammars, and random subjects for them, for the tests that judge
// one matcher by another: the independent engine against ours (DifferentialTest.cpp), and the
// backtracker against the thread matcher and the engine's own choice (AgreementTest.cpp).
//
// A pattern comes with a second text for the independent engine, for subjects holding CR LF:
// there '^' and '$' under m are spelled out with our rule, that no line starts or ends between
// the CR and the LF of the pair (see DifferentialTest.cpp).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "regexpr/RegExpr.h"

namespace fendrel {

enum class TKind {
  kAtom,           // one character or class: takes a quantifier
  kRun,            // several literals: a quantifier would take only the last, so none is added
  kAssertion,      // ^ $ \b \B: never quantified, the other engine refuses "\b?"
  kModifier,       // (?i), (?-s) ...: switches a modifier to the end of the enclosing group
  kBackReference,  // \1-\9, to a group closed before it
};

struct TAtom {
  const char* Text;
  TKind Kind = TKind::kAtom;
};

struct TGrammar {
  const char* Name;
  uint32_t Seed;
  int Patterns;
  std::vector<TAtom> Atoms;
  // The modifiers a pattern may switch from our default before it starts, through the property
  // or a leading group: i and m on, r and s off.
  std::string Switchable;
  std::vector<std::string> Subjects;
  std::string Alphabet;    // of the random subjects
  int RandomSubjects = 0;  // per pattern, up to 8 characters each
  bool Utf8 = false;       // patterns and subjects are UTF-8 text, searched as characters
};

inline void PrintTo(const TGrammar& grammar, std::ostream* out) {
  *out << grammar.Name;
}

inline const std::vector<TAtom> kBaseAtoms = {
    {"a"}, {"b"}, {"."}, {"[ab]"}, {"[^a]"}, {"ab", TKind::kRun}, {"\\w"}, {"\\d"}};

inline std::vector<TAtom> Join(std::vector<TAtom> atoms, const std::vector<TAtom>& more) {
  atoms.insert(atoms.end(), more.begin(), more.end());
  return atoms;
}

inline const std::vector<TAtom> kWordAtoms = {
    {"\\b", TKind::kAssertion},    {"\\B", TKind::kAssertion}, {"\\W"}, {"-"}, {" "}, {"_"},
    {"\\1", TKind::kBackReference}};
inline const std::vector<TAtom> kLineAtoms = {{"^", TKind::kAssertion},
                                              {"$", TKind::kAssertion},
                                              {"\\n"},
                                              {"\\r"},
                                              {"\\s"},
                                              {"[^\\n]"},
                                              {"\\W"},
                                              {"(?m)", TKind::kModifier},
                                              {"(?-m)", TKind::kModifier},
                                              {"(?s)", TKind::kModifier},
                                              {"(?-s)", TKind::kModifier}};
inline const std::vector<TAtom> kCaseAtoms = {{"A"},
                                              {"B"},
                                              {"[aB]"},
                                              {"[^A]"},
                                              {"aB", TKind::kRun},
                                              {"Ab", TKind::kRun},
                                              {"\\1", TKind::kBackReference},
                                              {"(?i)", TKind::kModifier},
                                              {"(?-i)", TKind::kModifier}};

// The grammars both engines understand. Plain is the grammar the comparison began with; its
// seed and subjects stay, and so do its patterns. The others add one area each, Everything all
// of them together.
inline const std::vector<TAtom> kUtf8Atoms = {{"ж"},
                                              {"Ж"},
                                              {"ß"},
                                              {"€"},
                                              {"😀"},
                                              {"[жa]"},
                                              {"[^ж]"},
                                              {"[б-д]"},
                                              {"[^\\w€]"},
                                              {"\\W"},
                                              {"\\s"},
                                              {"\\b", TKind::kAssertion},
                                              {"\\B", TKind::kAssertion},
                                              {"жЖ", TKind::kRun},
                                              {"ß€", TKind::kRun},
                                              {"\\1", TKind::kBackReference},
                                              {"(?i)", TKind::kModifier},
                                              {"(?-i)", TKind::kModifier}};

inline const TGrammar kGrammars[] = {
    {"Plain",
     7,
     5000,
     kBaseAtoms,
     "",
     {"", "a", "b", "ab", "ba", "aab", "abab", "bbaa", "a1b", "abba", "aaaa", "b2a"},
     "aab1",  // for longer subjects only
     0},
    {"WordsAndBackReferences",
     11,
     4000,
     Join(kBaseAtoms, kWordAtoms),
     "i",
     {"", "a", "ab", "a b", "a-b", "-a-", "ab ba", "aa-aa", "abab", "b1 a", "_a_", " a", "ba_ab"},
     "ab1_- ",
     4},
    {"LineBreaks",
     13,
     5000,
     Join(kBaseAtoms, kLineAtoms),
     "ms",
     {"", "\n", "\r", "\r\n", "\n\r", "a\n", "a\r", "\nb", "\rb", "\r\nb", "a\r\nb", "a\n\nb",
      "\r\n\r\n", "ab\r\nba\n", "\r\r\n", "a\rb\n"},
     "ab\r\n",
     4},
    {"CaseInsensitive",
     17,
     4000,
     Join(kBaseAtoms, kCaseAtoms),
     "i",
     {"", "A", "aA", "Ab", "BA", "aBAb", "ABBA", "a-B", "bA1", "AAb", "abAB"},
     "abAB1-",
     4},
    {"Everything",
     19,
     5000,
     Join(Join(Join(kBaseAtoms, kWordAtoms), kLineAtoms), kCaseAtoms),
     "ims",
     {"", "aB", "A\r\nb", "a-B\n", "\r\nAb", "ba\rAB", "_a\n\rB"},
     "abAB1_- \r\n",
     6},
    // Characters of one to four bytes. The class range stays clear of the Cyrillic alphabet's,
    // which r widens.
    {"Utf8",
     37,
     4000,
     Join(kBaseAtoms, kUtf8Atoms),
     "is",
     {"", "ж", "Жж", "aжb", "ßa", "€😀", "д г", "a1٣", "ж€ж", "😀😀a", "Ж-ж"},
     "aжЖßд€😀 1٣",
     4,
     true},
};

// A pattern for both engines, and the other engine's text for subjects holding CR LF.
struct TPattern {
  std::string Text;
  std::string Paired;
  void Add(std::string_view both) {
    Text += both;
    Paired += both;
  }
};

// Our multi-line '^' and '$' for the other engine: at a line break, but not between CR and LF.
inline constexpr const char kPairedLineStart[] = "(?<![^\\r\\n])(?<!\\r(?=\\n))";
inline constexpr const char kPairedLineEnd[] = "(?![^\\r\\n])(?<!\\r(?=\\n))";

// Of the modifiers the grammars switch: i and m off, r and s on.
inline constexpr uint32_t kInitialModifiers = kModR | kModS;

inline uint32_t ModifierBit(char letter) {
  return letter == 'i' ? kModI : letter == 'm' ? kModM : letter == 'r' ? kModR : kModS;
}

// The modifiers a pattern starts under: each switch from our default is made through the
// property or a leading group.
struct TStart {
  uint32_t Property = kInitialModifiers;
  std::string PropertyLetters;  // for SetModifierStr
  std::string Prefix;           // "(?i)(?-s)" ...
};

class TPatternMaker {
 public:
  TPatternMaker(const TGrammar& grammar, std::mt19937& random) : G(grammar), FRandom(random) {}

  int Random(std::size_t n) { return static_cast<int>(FRandom() % n); }

  // A pattern with its leading groups, and in `start` the modifiers it starts under.
  TPattern Make(TStart& start) {
    start = {};
    uint32_t modifiers = kInitialModifiers;
    std::string on, off;
    for (char letter : G.Switchable) {
      const int how = Random(3);
      if (how == 0) continue;
      const uint32_t bit = ModifierBit(letter);
      const bool switchesOff = (kInitialModifiers & bit) != 0;
      modifiers ^= bit;
      if (how == 1) {
        start.Property ^= bit;
        (switchesOff ? off : on) += letter;
      } else {
        start.Prefix += std::string("(?") + (switchesOff ? "-" : "") + letter + ")";
      }
    }
    // After '-' every letter switches off.
    start.PropertyLetters = off.empty() ? on : on + "-" + off;
    TPattern pattern = Make(modifiers);
    pattern.Text.insert(0, start.Prefix);
    pattern.Paired.insert(0, start.Prefix);
    return pattern;
  }

  // Groups: alternation, quantifiers greedy and lazy, braces; '^' and '$' around the whole.
  // `modifiers` are those in force where the pattern starts.
  TPattern Make(uint32_t modifiers) {
    FGroups = 0;
    FClosed.clear();
    const uint32_t atStart = modifiers;
    TPattern body;
    Sequence(0, modifiers, body);
    TPattern pattern;
    if (Random(5) == 0) AddAssertion("^", atStart, pattern);
    pattern.Text += body.Text;
    pattern.Paired += body.Paired;
    if (Random(5) == 0) AddAssertion("$", modifiers, pattern);
    return pattern;
  }

  // A subject of the grammar's alphabet, up to `longest` characters.
  std::string Subject(std::size_t longest) {
    if (G.Utf8) {
      std::vector<std::string> characters;  // whole sequences; other bytes stand alone
      for (std::size_t at = 0; at < G.Alphabet.size();) {
        const auto lead = static_cast<unsigned char>(G.Alphabet[at]);
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        for (std::size_t k = 1; k < length; ++k)
          if (at + k >= G.Alphabet.size() ||
              (static_cast<unsigned char>(G.Alphabet[at + k]) & 0xC0) != 0x80)
            length = 1;
        characters.push_back(G.Alphabet.substr(at, length));
        at += length;
      }
      std::string subject;
      for (int n = Random(longest + 1); n > 0; --n)
        subject += characters[static_cast<std::size_t>(Random(characters.size()))];
      return subject;
    }
    std::string subject(static_cast<std::size_t>(Random(longest + 1)), ' ');
    for (char& c : subject)
      c = G.Alphabet[static_cast<std::size_t>(Random(G.Alphabet.size()))];
    return subject;
  }

 private:
  void Sequence(int depth, uint32_t& modifiers, TPattern& out) {
    static const char* const kQuantifiers[] = {"",   "",   "*",   "+",     "?",     "*?",
                                               "+?", "??", "{2}", "{1,2}", "{0,2}?"};
    const int pieces = 1 + Random(3);
    for (int i = 0; i < pieces; ++i) {
      if (depth < 2 && Random(4) == 0) {
        const int group = ++FGroups;
        uint32_t inner = modifiers;  // a switch inside the group ends with it
        out.Add("(");
        Sequence(depth + 1, inner, out);
        if (Random(2) == 0) {
          out.Add("|");
          Sequence(depth + 1, inner, out);
        }
        out.Add(")");
        if (group <= 9) FClosed.push_back(group);
      } else {
        const TAtom* atom = nullptr;
        do {
          atom = &G.Atoms[static_cast<std::size_t>(Random(G.Atoms.size()))];
        } while (atom->Kind == TKind::kBackReference && FClosed.empty());
        switch (atom->Kind) {
          case TKind::kAtom:
            out.Add(atom->Text);
            break;
          case TKind::kRun:
            out.Add(atom->Text);
            continue;
          case TKind::kAssertion:
            AddAssertion(atom->Text, modifiers, out);
            continue;
          case TKind::kModifier: {
            const std::string_view text = atom->Text;
            out.Add(text);
            const uint32_t bit = ModifierBit(text[text.size() - 2]);
            modifiers = text[2] != '-' ? modifiers | bit : modifiers & ~bit;
            continue;
          }
          case TKind::kBackReference: {
            const int group = FClosed[static_cast<std::size_t>(Random(FClosed.size()))];
            out.Add("\\" + std::to_string(group));
            break;
          }
        }
      }
      out.Add(kQuantifiers[Random(std::size(kQuantifiers))]);
    }
  }

  static void AddAssertion(std::string_view text, uint32_t modifiers, TPattern& out) {
    out.Text += text;
    if ((modifiers & kModM) != 0 && text == "^")
      out.Paired += kPairedLineStart;
    else if ((modifiers & kModM) != 0 && text == "$")
      out.Paired += kPairedLineEnd;
    else
      out.Paired += text;
  }

  const TGrammar& G;
  std::mt19937& FRandom;
  int FGroups = 0;
  std::vector<int> FClosed;  // groups 1-9 whose closing parenthesis is written
};

// A subject in a test's message: line breaks and bytes outside printable ASCII escaped.
inline std::string Visible(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (byte < 0x20 || byte >= 0x7F)
      out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
    else
      out += c;
  }
  return "\"" + out + "\"";
}

// Longer hunts for rare differences: FENDREL_DIFFERENTIAL_SCALE multiplies the pattern counts,
// FENDREL_DIFFERENTIAL_SEED shifts every seed.
inline int EnvNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

}  // namespace fendrel
