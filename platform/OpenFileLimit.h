// How many files the process may hold open. A run keeps hundreds of files open at once, the
// batch being committed and the one prepared behind it, and many systems start a process with
// a soft limit of 1,024 far below the hard limit it may raise itself to.
#pragma once

#include <cstdint>

namespace fendrel {

// The soft limit on open files, raised once, on the first call, as far as the hard limit allows
// (at most 65,536: more is of no use to a run).
uint64_t OpenFilesAllowed();

}  // namespace fendrel
