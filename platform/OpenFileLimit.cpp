#include "OpenFileLimit.h"

#include <sys/resource.h>

#include <algorithm>

namespace fendrel {
namespace {

constexpr rlim_t kWanted = 1 << 16;
// What the limit is taken to be where the system does not tell.
constexpr uint64_t kUsual = 1024;

uint64_t RaiseOnce() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return kUsual;
  const rlim_t wanted = std::min(kWanted, limit.rlim_max);
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted) return limit.rlim_cur;
  const rlim_t before = limit.rlim_cur;
  limit.rlim_cur = wanted;
  return setrlimit(RLIMIT_NOFILE, &limit) == 0 ? wanted : before;
}

}  // namespace

uint64_t OpenFilesAllowed() {
  static const uint64_t allowed = RaiseOnce();
  return allowed;
}

}  // namespace fendrel
