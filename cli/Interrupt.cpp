#include "Interrupt.h"

#include <csignal>

namespace fendrel::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
  gInterrupted = 1;
}

}  // namespace

void CatchInterrupt() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

bool Interrupted() {
  return gInterrupted != 0;
}

}  // namespace fendrel::cli
