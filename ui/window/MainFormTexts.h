// Which of the catalogue's texts each component of the main window shows, by component name, and
// the warranty notice in German and English. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "i18n/TextCatalogue.h"

namespace fendrel {

struct TComponentText {
  // The component's objectName. A name inside a string editor is written "Editor/Child".
  const char* Component;
  // None: the component is emptied.
  std::optional<TTextId> Text;
};

std::span<const TComponentText> MainFormTexts();

// The seven lines of the warranty notice; German for language 0, English otherwise.
std::span<const char* const> WarrantyLines(int32_t language);

}  // namespace fendrel
