#include "uZQScreenOverlay.h"

#include <dlfcn.h>
#include <unistd.h>

#include <type_traits>

#include "overlay/ZQScreenOverlay.h"

namespace fendrel {
namespace {

constexpr std::int32_t kNotLoaded = -3;

// The library's own declarations fix the types, so a change of signature there fails to compile
// here instead of calling through a wrong pointer.
static_assert(
    std::is_same_v<decltype(&::ZQScreenOverlay_Point),
                   std::int32_t (*)(std::int32_t, std::int32_t, std::int32_t, std::uint32_t)>);
static_assert(std::is_same_v<decltype(&::ZQScreenOverlay_SetCallBackWindowHandle),
                             std::int32_t (*)(std::intptr_t)>);
static_assert(std::is_same_v<decltype(&::ZQScreenOverlay_Line),
                             std::int32_t (*)(std::int32_t, std::int32_t, std::int32_t,
                                              std::int32_t, std::uint32_t)>);
static_assert(
    std::is_same_v<decltype(&::ZQScreenOverlay_Rectangle), decltype(&::ZQScreenOverlay_Line)>);
static_assert(std::is_same_v<decltype(&::ZQScreenOverlay_Clear), std::int32_t (*)()>);

template <typename TFunction>
bool Resolve(void* handle, const char* name, TFunction& function) {
  function = reinterpret_cast<TFunction>(::dlsym(handle, name));
  return function != nullptr;
}

std::string RunningProgramDirectory() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

std::vector<std::string> ScreenOverlayCandidates(const std::string& programDirectory) {
  std::vector<std::string> candidates;
  if (!programDirectory.empty())
    candidates.push_back(programDirectory + (programDirectory.back() == '/' ? "" : "/") +
                         kScreenOverlayLibraryName);
  candidates.push_back(std::string(FENDREL_OVERLAY_INSTALL_DIR) + "/" + kScreenOverlayLibraryName);
  return candidates;
}

TScreenOverlayLibrary::TScreenOverlayLibrary(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    // RTLD_NODELETE: the library's window outlives any unloading, so its code must stay mapped.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) continue;
    if (Resolve(handle, "ZQScreenOverlay_Clear", FClear) &&
        Resolve(handle, "ZQScreenOverlay_SetCallBackWindowHandle", FSetCallBackWindowHandle) &&
        Resolve(handle, "ZQScreenOverlay_Point", FPoint) &&
        Resolve(handle, "ZQScreenOverlay_Line", FLine) &&
        Resolve(handle, "ZQScreenOverlay_Rectangle", FRectangle)) {
      FHandle = handle;
      FPath = path;
      return;
    }
    // A file of that name that lacks an operation is not the overlay; the next one may be.
    ::dlclose(handle);
  }
}

TScreenOverlayLibrary::~TScreenOverlayLibrary() {
  if (FHandle != nullptr) ::dlclose(FHandle);
}

std::int32_t TScreenOverlayLibrary::Clear() const {
  return FHandle ? FClear() : kNotLoaded;
}

std::int32_t TScreenOverlayLibrary::SetCallBackWindowHandle(std::intptr_t window) const {
  return FHandle ? FSetCallBackWindowHandle(window) : kNotLoaded;
}

std::int32_t TScreenOverlayLibrary::Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                                          std::uint32_t colour) const {
  return FHandle ? FPoint(x, y, pointType, colour) : kNotLoaded;
}

std::int32_t TScreenOverlayLibrary::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                         std::int32_t y2, std::uint32_t colour) const {
  return FHandle ? FLine(x1, y1, x2, y2, colour) : kNotLoaded;
}

std::int32_t TScreenOverlayLibrary::Rectangle(std::int32_t left, std::int32_t top,
                                              std::int32_t right, std::int32_t bottom,
                                              std::uint32_t colour) const {
  return FHandle ? FRectangle(left, top, right, bottom, colour) : kNotLoaded;
}

const TScreenOverlayLibrary& TScreenOverlayOnDemand::Library(bool drawing) const {
  if (!FLibrary) {
    FLibrary = std::make_unique<TScreenOverlayLibrary>(FPaths);
  } else if (drawing && !FLibrary->Loaded() && !FLookedAgain) {
    FLookedAgain = true;
    FLibrary = std::make_unique<TScreenOverlayLibrary>(FPaths);
    if (FLibrary->Loaded() && FWindow != 0) FLibrary->SetCallBackWindowHandle(FWindow);
  }
  return *FLibrary;
}

std::int32_t TScreenOverlayOnDemand::Clear() const {
  return Library(false).Clear();
}

std::int32_t TScreenOverlayOnDemand::SetCallBackWindowHandle(std::intptr_t window) const {
  FWindow = window;
  return Library(false).SetCallBackWindowHandle(window);
}

std::int32_t TScreenOverlayOnDemand::Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                                           std::uint32_t colour) const {
  return Library(true).Point(x, y, pointType, colour);
}

std::int32_t TScreenOverlayOnDemand::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                          std::int32_t y2, std::uint32_t colour) const {
  return Library(true).Line(x1, y1, x2, y2, colour);
}

std::int32_t TScreenOverlayOnDemand::Rectangle(std::int32_t left, std::int32_t top,
                                               std::int32_t right, std::int32_t bottom,
                                               std::uint32_t colour) const {
  return Library(true).Rectangle(left, top, right, bottom, colour);
}

const TScreenOverlayOnDemand& ScreenOverlay() {
  static const TScreenOverlayOnDemand overlay(ScreenOverlayCandidates(RunningProgramDirectory()));
  return overlay;
}

}  // namespace fendrel
