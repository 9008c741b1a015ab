// What the main window showed when it was last closed: its place and size, and the file
// selection (path, mask, recursion, following links) and the run's option to keep modification
// times, kept in section "Window" of the settings file
// so that the next start shows them again. The section is the window's own; no other section is
// touched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fendrel {

inline constexpr std::string_view kWindowSection = "Window";

// The initial values are a first start's (nothing stored).
struct TLastWindow {
  // The outer frame's top-left corner and the inner size; a size of 0 when never stored.
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  // As bytes in the program's code page, exactly as typed.
  std::string Path;
  std::string Mask;
  std::string Exclude;  // the exclusion box's text, as the mask's
  bool Recursive = false;
  // Links inside the chosen folder are followed; off unless the user ticked it.
  bool FollowLinks = false;
  // The folders of version-control systems are listed; off unless the user ticked it.
  bool IncludeVcs = false;
  // A git work tree's ignore files leave files out of the list; off unless ticked.
  bool IgnoreFiles = false;
  // A run gives each rewritten file its previous modification time back; off unless ticked.
  bool KeepModificationTime = false;

  bool HasPlacement() const { return Width > 0 && Height > 0; }
};

// Overwrites each field the settings file holds; an absent one keeps the value it has. A path or
// mask the reader had to cut is absent: a shortened path would name another folder.
void LoadLastWindow(const std::string& settingsFile, TLastWindow& window);

// Writes the fields in one replacement of the file; without a placement the stored one stays.
// A path or mask too long to be read back whole is stored empty. False when the write failed.
bool SaveLastWindow(const std::string& settingsFile, const TLastWindow& window);

}  // namespace fendrel
