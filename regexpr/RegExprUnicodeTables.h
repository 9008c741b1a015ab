// The generated simple case folding tables behind RegExprUnicode.cpp (the generator:
// tools/gen-unicode-tables); nothing else reads them.
#pragma once

#include <span>

#include "regexpr/RegExprUnicode.h"

namespace fendrel {

struct TFoldPair {
  char32_t Key;
  char32_t Value;
};

// {character, its simple folding} for every character that has one, by character.
std::span<const TFoldPair> SimpleFoldPairs();
// {folding, character}: the same pairs turned round, by folding and then by character.
std::span<const TFoldPair> SimpleUnfoldPairs();

}  // namespace fendrel
