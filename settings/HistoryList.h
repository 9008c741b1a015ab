// The drop-down histories of the path, mask and exclusion boxes and of the two string editors,
// and their
// file "history.ini" in the data directory.
//
// One section per box; in it "ItemCount" and "Item1", "Item2", ... (top of the list first), each
// entry wrapped in backslash + double quote on both sides so that blanks at its ends survive the
// reader's trimming. The string editors store their values' hexadecimal form.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel {

inline constexpr std::string_view kHistoryFileName = "history.ini";
inline constexpr std::string_view kMaskSection = "Mask";
inline constexpr std::string_view kPathSection = "Path";
inline constexpr std::string_view kExcludeSection = "Exclude";
inline constexpr std::string_view kFromStringSection = "FromString";
inline constexpr std::string_view kToStringSection = "ToString";
inline constexpr std::string_view kItemCountKey = "ItemCount";
inline constexpr std::string_view kItemKeyPrefix = "Item";
// What encloses each stored entry.
inline constexpr std::string_view kHistoryWrapper = "\\\"";

// dataDirectory (ending in '/') + "history.ini".
std::string HistoryFileIn(const std::string& dataDirectory);

// The stored form of an entry, and the entry read back from a stored value (every wrapper
// sequence removed, wherever it stands).
std::string WrapHistoryEntry(std::string_view entry);
std::string UnwrapHistoryEntry(std::string_view stored);

// Whether `entry`, once stored, reads back exactly as it is. It does not when its stored form
// is longer than the reader hands out (it would come back cut, or with a stray backslash), when
// it holds the wrapper itself (which the reading removes) or a line break. Such an entry stays
// in the list while the program runs but is never written to the file.
bool HistoryEntryStorable(std::string_view entry);

// The history behind a combo box or a string editor: most recent first, each text at most once
// after an update (a file may hold repeats; they are kept as loaded).
class THistoryList {
 public:
  // Remembers file and section for SaveHistory, empties the list and, when the file exists,
  // loads the section's entries, blank ones included. An "ItemCount" that is not a number gives
  // an empty list; numbers beyond the last "Item" key of the section are not filled with blanks.
  void LoadHistory(const std::string& fileName, std::string_view section);
  // Writes "ItemCount" and the storable entries, numbered from 1 without gaps, in one
  // replacement of the file. Nothing happens before a history file has been remembered.
  bool SaveHistory() const;

  // The mouse-leave update: a non-empty `text` moves to the top, and every other item equal to
  // it (exact comparison) goes. An empty text changes nothing.
  void AddToTop(const std::string& text);
  void Clear() { FItems.clear(); }

  const std::vector<std::string>& Items() const { return FItems; }
  const std::string& HistoryFile() const { return FHistoryFile; }
  const std::string& HistorySection() const { return FHistorySection; }

 private:
  std::string FHistoryFile;
  std::string FHistorySection;
  std::vector<std::string> FItems;
};

// "Clear History": empties every list (they keep their file and section, so the next save
// writes empty sections) and deletes the history file.
void ClearHistory(std::initializer_list<THistoryList*> lists, const std::string& historyFile);

}  // namespace fendrel
