// A readable listing of a compiled program, one line per node, for tests and the command line.
#pragma once

#include <string>
#include <string_view>

#include "RegExpr.h"

namespace fendrel {

// Lines of the form "OFFSET NAME next NEXT OPERAND", NEXT the absolute offset of the next node
// or "-". Operands: literal text in quotes (bytes outside 32-126 as \xHH), set members, group
// numbers, repetition limits and the absolute offset of a loop body.
std::string DumpProgram(std::string_view program);

// The members of a set in ascending order as two hex digits each, runs of three or more
// consecutive members written "XX-YY"; "-" for the empty set.
std::string CharSetText(const TCharSet& set);

}  // namespace fendrel
