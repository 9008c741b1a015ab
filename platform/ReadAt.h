// Reading a file in full through its descriptor: every reader of whole files and of their
// parts goes through here, so short reads and interrupted calls are handled in one place.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace fendrel {

// Reads `length` bytes at `offset` of the open file `fd` into `data`, going on after short
// reads and interruptions: the bytes read, fewer than `length` only at the file's end, or -1
// with errno set.
ssize_t ReadAt(int fd, char* data, std::size_t length, off_t offset);

}  // namespace fendrel
