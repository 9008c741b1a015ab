// What the matcher may rely on about a program's nodes, worked out once per program before its
// first search (see TNodeFlag).
#pragma once

#include <cstdint>
#include <vector>

namespace fendrel {

// Sets the TNodeFlag bits of every node of the program (`size` bytes, magic byte first),
// indexed by program offset.
void MarkNodes(const uint8_t* program, uint32_t size, std::vector<uint8_t>& flags);

}  // namespace fendrel
