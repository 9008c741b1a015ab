// String lists of the file discovery: a plain ordered list of byte strings and the list that
// fills itself from a directory listing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fendrel {

// What a scan delivers into: the window's file list, or a plain list.
class TStrings {
 public:
  virtual ~TStrings() = default;
  virtual void Add(const std::string& entry) = 0;
  // Several entries in one hand-over, in order.
  virtual void AddBatch(std::vector<std::string> entries) {
    for (const std::string& entry : entries)
      Add(entry);
  }
  virtual std::size_t Count() const = 0;
};

class TExtStringList : public TStrings {
 public:
  void Add(const std::string& entry) override { FItems.push_back(entry); }
  std::size_t Count() const override { return FItems.size(); }
  void Clear() { FItems.clear(); }
  const std::string& operator[](std::size_t index) const { return FItems[index]; }
  const std::vector<std::string>& Items() const { return FItems; }

 private:
  std::vector<std::string> FItems;
};

class TDirStringList : public TExtStringList {
 public:
  virtual ~TDirStringList() = default;

  // Lists the entries of `dir` (empty: the current directory) that match `mask` and pass the
  // attribute filter, through all subdirectories when `recursive`, subdirectories first
  // (post-order), leaving out what the walk does by default (the version-control folders). Each
  // entry is appended as the directory's full path + "/" + name, unchanged (so the root gives
  // "//name"). Without `append` the list is emptied first.
  virtual void ReadDirectory(const std::string& dir, const std::string& mask, uint32_t attributes,
                             bool recursive, bool append);

  // The entry at `index`, or only its name part (after the last '/' or ':'); empty outside the
  // list.
  std::string GetEntry(std::ptrdiff_t index, bool fullPath) const;
};

}  // namespace fendrel
