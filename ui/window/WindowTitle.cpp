#include "WindowTitle.h"

#include "i18n/LanguageTable.h"

namespace fendrel {

std::string WindowTitle(std::size_t queuedTasks, int32_t language) {
  if (queuedTasks == 0) return kIdleTitle;
  return std::string(kIdleTitle) + " - " + std::to_string(queuedTasks) +
         (language == kGerman ? " Aufgaben abzuarbeiten" : " tasks in queue");
}

}  // namespace fendrel
