// The main window's built-in texts in German and English, by component name, and the warranty
// notice. Texts are UTF-8; "&&" shows one ampersand and a single "&" marks the access key.
#pragma once

#include <cstdint>
#include <span>

namespace fendrel {

struct TComponentText {
  // The component's objectName. A name inside a string editor is written "Editor/Child".
  const char* Component;
  const char* German;
  const char* English;
};

std::span<const TComponentText> MainFormTexts();

// The seven lines of the warranty notice; German for language 0, English otherwise.
std::span<const char* const> WarrantyLines(int32_t language);

}  // namespace fendrel
