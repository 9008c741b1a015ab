// What the window shows of interrupted rewrites in place that a scan or the start found and
// finished: one result list entry per file, and a short count for the status line.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/InPlaceRecovery.h"

namespace fendrel {

// "<path>: <what was done>", with "FAILED: " before the text of a file that could not be
// brought back; bytes as the recovery reported them.
std::vector<std::string> RecoveryEntries(const std::vector<TRecovery>& recoveries);

// How many were recovered and how many could not be, in the catalogue's texts of `language`;
// empty for none.
QString RecoverySummary(const std::vector<TRecovery>& recoveries, int32_t language);

}  // namespace fendrel
