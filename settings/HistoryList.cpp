#include "HistoryList.h"

#include <unistd.h>

#include <algorithm>
#include <optional>

#include "IniText.h"
#include "Iniregi.h"

namespace fendrel {
namespace {

// The number of an "Item" key spelled the way the program writes it ("Item7"; not "Item07"),
// which is the only spelling a lookup of that number finds.
std::optional<int32_t> ItemNumber(std::string_view key) {
  if (key.size() <= kItemKeyPrefix.size() ||
      !SameIniName(key.substr(0, kItemKeyPrefix.size()), kItemKeyPrefix))
    return std::nullopt;
  const std::string_view digits = key.substr(kItemKeyPrefix.size());
  if (digits.front() < '1' || digits.front() > '9') return std::nullopt;
  return ParseIniInteger(digits);
}

std::string ItemKey(std::size_t number) {
  return std::string(kItemKeyPrefix) + std::to_string(number);
}

}  // namespace

std::string HistoryFileIn(const std::string& dataDirectory) {
  return dataDirectory + std::string(kHistoryFileName);
}

std::string WrapHistoryEntry(std::string_view entry) {
  std::string stored(kHistoryWrapper);
  stored.append(entry).append(kHistoryWrapper);
  return stored;
}

std::string UnwrapHistoryEntry(std::string_view stored) {
  std::string entry;
  entry.reserve(stored.size());
  for (std::size_t pos = 0; pos < stored.size();) {
    if (stored.substr(pos, kHistoryWrapper.size()) == kHistoryWrapper) {
      pos += kHistoryWrapper.size();
    } else {
      entry += stored[pos++];
    }
  }
  return entry;
}

bool HistoryEntryStorable(std::string_view entry) {
  const std::string stored = WrapHistoryEntry(entry);
  if (!IniValueWritable(stored)) return false;
  // The whole stored text must come back, wrapper included: a stored value of 299 characters
  // would come back as 298 ending in a lone backslash, one of 300 would still unwrap correctly
  // but only because the cut happens to fall on the closing wrapper.
  const TIniValue readBack = NormaliseIniValue(stored);
  return readBack.Text == stored && UnwrapHistoryEntry(readBack.Text) == entry;
}

void THistoryList::LoadHistory(const std::string& fileName, std::string_view section) {
  FHistoryFile = fileName;
  FHistorySection = section;
  FItems.clear();
  const TIniReader history(fileName);
  int32_t count = history.ReadInteger(section, kItemCountKey, 0);
  // A count far beyond the entries present (a damaged file) must not fill memory with blanks.
  int32_t lastPresent = 0;
  for (const std::string& key : history.Keys(section)) {
    if (const std::optional<int32_t> number = ItemNumber(key))
      lastPresent = std::max(lastPresent, *number);
  }
  count = std::min(count, lastPresent);
  for (int32_t i = 1; i <= count; ++i)
    FItems.push_back(UnwrapHistoryEntry(history.ReadString(section, ItemKey(i), "")));
}

bool THistoryList::SaveHistory() const {
  if (FHistoryFile.empty()) return false;
  TIniEntries entries;
  entries.emplace_back(std::string(kItemCountKey), std::string());
  for (const std::string& item : FItems) {
    if (HistoryEntryStorable(item))
      entries.emplace_back(ItemKey(entries.size()), WrapHistoryEntry(item));
  }
  entries.front().second = std::to_string(entries.size() - 1);
  return IniWriteStrings(FHistoryFile, FHistorySection, entries);
}

void THistoryList::AddToTop(const std::string& text) {
  if (text.empty()) return;
  std::erase(FItems, text);
  FItems.insert(FItems.begin(), text);
}

void ClearHistory(std::initializer_list<THistoryList*> lists, const std::string& historyFile) {
  for (THistoryList* list : lists)
    list->Clear();
  ::unlink(historyFile.c_str());
}

}  // namespace fendrel
