// The entries of the file check list: each shows its path as text and keeps the path's exact
// bytes beside it, so a file whose name the display cannot show faithfully is still processed
// under its real name. Also the scan's target that appends hits to the list.
#pragma once

#include <QListWidget>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "scan/MailTools.h"

namespace fendrel {

// A path's bytes as text for the user interface, and typed text as a path's bytes, in the
// program's code page; nullopt when a character of the text has no byte form there (no file
// can carry such a name).
QString PathText(const std::string& bytes);
std::optional<std::string> PathBytes(const QString& text);

// Appends an unticked entry for `path`.
void AddFileEntry(QListWidget& list, const std::string& path);
// The exact path of an entry.
std::string FileEntryPath(const QListWidgetItem& item);

int CountCheckedEntries(const QListWidget& list);
// The paths of the ticked entries, in list order.
std::vector<std::string> CheckedEntryPaths(const QListWidget& list);

// What one scan delivers into. Once discarded, it refuses every hit, which ends the walk at that
// hit: a scan being abandoned stops at once instead of handing over the rest of a large
// directory into a list that is about to be emptied.
class TFileListTarget : public TStrings {
 public:
  explicit TFileListTarget(QListWidget& list) : FList(list) {}

  void Add(const std::string& entry) override;
  std::size_t Count() const override;
  void Discard() { FDiscarded = true; }

 private:
  QListWidget& FList;
  bool FDiscarded = false;  // window thread only, like every Add
};

}  // namespace fendrel
