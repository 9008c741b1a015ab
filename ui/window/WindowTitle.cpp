#include "WindowTitle.h"

#include "i18n/LanguageFileTexts.h"

namespace fendrel {

std::string WindowTitle(std::size_t queuedTasks, int32_t language) {
  if (queuedTasks == 0) return kIdleTitle;
  return std::string(kIdleTitle) + " - " +
         FillPlaceholders(CatalogueText(TTextId::TitleTasksQueued, language),
                          {std::to_string(queuedTasks)});
}

}  // namespace fendrel
