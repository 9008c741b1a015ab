#include "SystemError.h"

#include <cstring>

namespace fendrel {

std::string StepFailed(const std::string& step, int error) {
  char buffer[256];
  // The GNU form returns the text, which may or may not live in the buffer.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return step + ": " + text;
}

}  // namespace fendrel
