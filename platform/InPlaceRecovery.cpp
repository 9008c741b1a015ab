#include "InPlaceRecovery.h"

namespace fendrel {

std::vector<TRecovery> RecoverFolder(const std::string&) { return {}; }

}  // namespace fendrel
