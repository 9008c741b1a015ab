// Ctrl+C and a termination request during a command that goes through many files: the file in
// hand is finished, so none is left half-processed, and the command then stops.
#pragma once

namespace fendrel::cli {

// From now on SIGINT and SIGTERM only mark the process interrupted.
void CatchInterrupt();
bool Interrupted();

}  // namespace fendrel::cli
