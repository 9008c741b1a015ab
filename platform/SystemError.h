// The reason a step failed, in the words the result list and the command line show.
#pragma once

#include <string>

namespace fendrel {

// "STEP: the system's text for ERROR", e.g. "cannot create the temporary file: No space left on
// device".
std::string StepFailed(const std::string& step, int error);

}  // namespace fendrel
