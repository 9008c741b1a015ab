#include "LastWindow.h"

#include <optional>

#include "Iniregi.h"

namespace fendrel {
namespace {

constexpr std::string_view kLeftKey = "Left";
constexpr std::string_view kTopKey = "Top";
constexpr std::string_view kWidthKey = "Width";
constexpr std::string_view kHeightKey = "Height";
constexpr std::string_view kPathKey = "Path";
constexpr std::string_view kMaskKey = "Mask";
constexpr std::string_view kExcludeKey = "Exclude";
constexpr std::string_view kRecursiveKey = "Recursive";
constexpr std::string_view kFollowLinksKey = "FollowLinks";
constexpr std::string_view kIncludeVcsKey = "IncludeVcs";
constexpr std::string_view kIgnoreFilesKey = "IgnoreFiles";
constexpr std::string_view kKeepModificationTimeKey = "KeepModificationTime";

// A value in quotes keeps its blanks and quotes at either end: the reader trims and unquotes
// only the outermost layer. A text that could not come back whole (too long, a line break) is
// stored empty, so that neither it nor the text stored before it comes back.
std::string Quoted(const std::string& text) {
  const std::string quoted = "\"" + text + "\"";
  if (text.size() > kIniReadLimit || !IniValueWritable(quoted)) return "\"\"";
  return quoted;
}

void ReadText(const TIniReader& settings, std::string_view key, std::string& text) {
  const std::optional<TIniValue> value = settings.Lookup(kWindowSection, key);
  if (value && !value->Cut) text = value->Text;
}

}  // namespace

void LoadLastWindow(const std::string& settingsFile, TLastWindow& window) {
  const TIniReader settings(settingsFile);
  window.Left = settings.ReadInteger(kWindowSection, kLeftKey, window.Left);
  window.Top = settings.ReadInteger(kWindowSection, kTopKey, window.Top);
  window.Width = settings.ReadInteger(kWindowSection, kWidthKey, window.Width);
  window.Height = settings.ReadInteger(kWindowSection, kHeightKey, window.Height);
  ReadText(settings, kPathKey, window.Path);
  ReadText(settings, kMaskKey, window.Mask);
  ReadText(settings, kExcludeKey, window.Exclude);
  window.Recursive = settings.ReadBool(kWindowSection, kRecursiveKey, window.Recursive);
  window.FollowLinks = settings.ReadBool(kWindowSection, kFollowLinksKey, window.FollowLinks);
  window.IncludeVcs = settings.ReadBool(kWindowSection, kIncludeVcsKey, window.IncludeVcs);
  window.IgnoreFiles = settings.ReadBool(kWindowSection, kIgnoreFilesKey, window.IgnoreFiles);
  window.KeepModificationTime =
      settings.ReadBool(kWindowSection, kKeepModificationTimeKey, window.KeepModificationTime);
}

bool SaveLastWindow(const std::string& settingsFile, const TLastWindow& window) {
  TIniEntries entries;
  if (window.HasPlacement()) {
    entries = {{std::string(kLeftKey), std::to_string(window.Left)},
               {std::string(kTopKey), std::to_string(window.Top)},
               {std::string(kWidthKey), std::to_string(window.Width)},
               {std::string(kHeightKey), std::to_string(window.Height)}};
  }
  entries.insert(entries.end(), {{std::string(kPathKey), Quoted(window.Path)},
                                 {std::string(kMaskKey), Quoted(window.Mask)},
                                 {std::string(kExcludeKey), Quoted(window.Exclude)},
                                 {std::string(kRecursiveKey), window.Recursive ? "1" : "0"},
                                 {std::string(kFollowLinksKey), window.FollowLinks ? "1" : "0"},
                                 {std::string(kIncludeVcsKey), window.IncludeVcs ? "1" : "0"},
                                 {std::string(kIgnoreFilesKey), window.IgnoreFiles ? "1" : "0"},
                                 {std::string(kKeepModificationTimeKey),
                                  window.KeepModificationTime ? "1" : "0"}});
  return IniWriteStrings(settingsFile, kWindowSection, entries);
}

}  // namespace fendrel
