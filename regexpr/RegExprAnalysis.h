// The search analysis of a compiled program: where a match can begin (FirstChars), the
// character every match begins with (AnchorChar), whether matches begin only at the subject
// start (AnchoredAtStart), the longest literal every match contains (RequiredText), and a class
// of bytes one of which every match contains.
#pragma once

#include <cstdint>
#include <vector>

#include "RegExpr.h"

namespace fendrel {

// How common a byte is in the texts users search, roughly (higher: more common): the search
// for a literal looks for its least common byte.
inline constexpr int ByteCommonness(unsigned char c) {
  if (c == ' ' || c == 'e' || c == 't' || c == 0xD0 || c == 0xD1) return 9;
  if (c >= 'a' && c <= 'z') return 7;
  if (c == '\n' || c == ',' || c == '.' || c == '\r' || c == '\t') return 6;
  if (c >= 0x80 && c <= 0xBF) return 5;  // UTF-8 continuation bytes
  if (c >= '0' && c <= '9') return 4;
  if (c >= 'A' && c <= 'Z') return 3;
  if (c >= 0x20 && c < 0x7F) return 3;  // other punctuation
  return 1;
}

class TRegExprAnalysis {
 public:
  explicit TRegExprAnalysis(TRegExpr& regExpr) : R(regExpr) {}

  // `program` starts with the magic byte; `topFlags` are the top level's parse flags.
  void Analyse(const uint8_t* program, int topFlags);

 private:
  void FirstCharWalk(const uint8_t* node);
  // The rarest classes of bytes one of each of which every match holds (R.FRequiredBytes),
  // from the top level's chain.
  void FindRequiredBytes(const uint8_t* chain);
  // A literal every match holds at a fixed distance from its start (R.FInnerText).
  void FindInnerText(const uint8_t* chain);
  // A literal every match reaches over characters of a few classes alone (R.FReachedText).
  void FindReachedText(const uint8_t* chain);

  TRegExpr& R;
  const uint8_t* FProgram = nullptr;
  // Nodes already walked: a loop body leads back to its loop, and walking a node twice adds
  // nothing, so each node is walked once.
  std::vector<bool> FWalked;
};

}  // namespace fendrel
