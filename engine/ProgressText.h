// The text of the run's progress in the status line: tasks done of the tasks queued, bytes done
// of the bytes queued, the rate so far and the time still needed at that rate.
#pragma once

#include <cstdint>
#include <string>

namespace fendrel {

// "3 of 10 tasks, 1.2 of 5.0 MB, 0.6 MB/s, 0:07 left"; in German (language 0)
// "3 von 10 Aufgaben, 1,2 von 5,0 MB, 0,6 MB/s, noch 0:07". The parts and the decimal separator
// are the catalogue's texts, joined by ", ". Both byte counts take the unit of the total (B, kB,
// MB, GB; 1 kB = 1000 B); the rate is always in MB/s. `seconds` is the time since the run began:
// without any (0) there is no rate, and with nothing done yet no time left. The time left
// follows the bytes, or the tasks when the files hold no bytes at all.
std::string ProgressText(uint64_t tasksDone, uint64_t tasksTotal, uint64_t bytesDone,
                         uint64_t bytesTotal, double seconds, int32_t language);

}  // namespace fendrel
