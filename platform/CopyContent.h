// Copying the content of one open file into another, within the kernel where it can.
#pragma once

#include <sys/types.h>

#include <functional>

namespace fendrel {

// Copies `length` bytes from the start of `from` to the start of `to` in pieces, telling
// `copied` (when given) how many bytes are done after each; then sets `to` to that length and
// flushes it. 0 or errno (EIO when `from` ends early: it was shortened meanwhile).
int CopyContent(int from, int to, off_t length,
                const std::function<void(off_t copied)>& copied = {});

}  // namespace fendrel
