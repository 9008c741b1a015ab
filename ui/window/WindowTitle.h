// The main window's title, which counts the tasks still queued.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fendrel {

inline constexpr const char* kApplicationTitle = "Fendrel";
inline constexpr const char* kIdleTitle = "Fendrel 2.0";

// "Fendrel 2.0" for an empty queue, else "Fendrel 2.0 - " and the catalogue's count of queued
// tasks: "N tasks in queue", in German (language 0) "N Aufgaben abzuarbeiten".
std::string WindowTitle(std::size_t queuedTasks, int32_t language);

}  // namespace fendrel
