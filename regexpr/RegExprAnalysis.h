// The search analysis of a compiled program: where a match can begin (FirstChars), the
// character every match begins with (AnchorChar), whether matches begin only at the subject
// start (AnchoredAtStart), and the longest literal every match contains (RequiredText).
#pragma once

#include <cstdint>
#include <vector>

#include "RegExpr.h"

namespace fendrel {

class TRegExprAnalysis {
 public:
  explicit TRegExprAnalysis(TRegExpr& regExpr) : R(regExpr) {}

  // `program` starts with the magic byte; `topFlags` are the top level's parse flags.
  void Analyse(const uint8_t* program, int topFlags);

 private:
  void FirstCharWalk(const uint8_t* node);

  TRegExpr& R;
  const uint8_t* FProgram = nullptr;
  // Nodes already walked: a loop body leads back to its loop, and walking a node twice adds
  // nothing, so each node is walked once.
  std::vector<bool> FWalked;
};

}  // namespace fendrel
