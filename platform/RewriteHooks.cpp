#include "RewriteHooks.h"

#include <unistd.h>

#include <cerrno>

namespace fendrel {

TRewriteHooks& RewriteHooks() {
  static TRewriteHooks hooks;
  return hooks;
}

int FlushFolder(int folder) {
  if (const int error = RewriteHooks().FolderFlushError.load(); error != 0) return error;
  return ::fsync(folder) == 0 ? 0 : errno;
}

}  // namespace fendrel
