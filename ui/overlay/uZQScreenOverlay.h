// The program's side of the screen overlay: the library "ZQ-ScreenOverlay.so" is loaded at run
// time, first from the program's own directory (where the program writes it at start), then from
// the installed library directory. Without it every operation does nothing and returns -3, so
// the program runs the same, only without marks on the screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fendrel {

inline constexpr const char* kScreenOverlayLibraryName = "ZQ-ScreenOverlay.so";

// Where the library is looked for, in order: `programDirectory` (with or without a trailing '/';
// skipped when empty), then the installed library directory.
std::vector<std::string> ScreenOverlayCandidates(const std::string& programDirectory);

// The five operations the program draws with. The loaded library offers them; a test puts a
// recording stand-in in its place.
class TScreenOverlay {
 public:
  virtual ~TScreenOverlay() = default;
  virtual std::int32_t Clear() const = 0;
  // `window` is the address of the QObject that receives the notifications, 0 for none.
  virtual std::int32_t SetCallBackWindowHandle(std::intptr_t window) const = 0;
  virtual std::int32_t Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                             std::uint32_t colour) const = 0;
  virtual std::int32_t Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                            std::uint32_t colour) const = 0;
  virtual std::int32_t Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                 std::int32_t bottom, std::uint32_t colour) const = 0;
};

// The point types of Point.
inline constexpr std::int32_t kOverlayCross = 1;

// One loaded copy of the library, or none. The operations behave as the library's own
// (overlay/ZQScreenOverlay.h), or return -3 when nothing is loaded.
class TScreenOverlayLibrary : public TScreenOverlay {
 public:
  // Loaded from the first of `paths` that opens and offers all five operations.
  explicit TScreenOverlayLibrary(const std::vector<std::string>& paths);
  ~TScreenOverlayLibrary();
  TScreenOverlayLibrary(const TScreenOverlayLibrary&) = delete;
  TScreenOverlayLibrary& operator=(const TScreenOverlayLibrary&) = delete;

  bool Loaded() const { return FHandle != nullptr; }
  // The file loaded, or empty.
  const std::string& Path() const { return FPath; }

  std::int32_t Clear() const override;
  std::int32_t SetCallBackWindowHandle(std::intptr_t window) const override;
  std::int32_t Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                     std::uint32_t colour) const override;
  std::int32_t Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                    std::uint32_t colour) const override;
  std::int32_t Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom, std::uint32_t colour) const override;

 private:
  void* FHandle = nullptr;
  std::string FPath;
  std::int32_t (*FClear)() = nullptr;
  std::int32_t (*FSetCallBackWindowHandle)(std::intptr_t) = nullptr;
  std::int32_t (*FPoint)(std::int32_t, std::int32_t, std::int32_t, std::uint32_t) = nullptr;
  std::int32_t (*FLine)(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        std::uint32_t) = nullptr;
  std::int32_t (*FRectangle)(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                             std::uint32_t) = nullptr;
};

// The library loaded when it is first used, not when the program starts: the program writes it
// next to itself during its start, so on the first start of a fresh install it is there only
// then. One that is still missing is looked for once more at the first mark drawn, and the
// window that receives the notifications is given to it then.
class TScreenOverlayOnDemand : public TScreenOverlay {
 public:
  explicit TScreenOverlayOnDemand(std::vector<std::string> paths) : FPaths(std::move(paths)) {}

  bool Loaded() const { return FLibrary && FLibrary->Loaded(); }

  std::int32_t Clear() const override;
  std::int32_t SetCallBackWindowHandle(std::intptr_t window) const override;
  std::int32_t Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                     std::uint32_t colour) const override;
  std::int32_t Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                    std::uint32_t colour) const override;
  std::int32_t Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom, std::uint32_t colour) const override;

 private:
  const TScreenOverlayLibrary& Library(bool drawing) const;

  std::vector<std::string> FPaths;
  mutable std::unique_ptr<TScreenOverlayLibrary> FLibrary;
  mutable bool FLookedAgain = false;
  mutable std::intptr_t FWindow = 0;
};

// The process's copy, from the running program's directory or the installed one. Main thread
// only, like the library itself. A missing library is no error for the program: the results
// may be ignored.
const TScreenOverlayOnDemand& ScreenOverlay();

}  // namespace fendrel
