// The entries of the file check list: each shows its path as text and keeps the path's exact
// bytes beside it, so a file whose name the display cannot show faithfully is still processed
// under its real name. Also the scan's target that appends hits to the list.
#pragma once

#include <QListWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "scan/MailTools.h"

namespace fendrel {

// A path's bytes as text for the user interface, and typed text as a path's bytes.
QString PathText(const std::string& bytes);
std::string PathBytes(const QString& text);

// Appends an unticked entry for `path`.
void AddFileEntry(QListWidget& list, const std::string& path);
// The exact path of an entry.
std::string FileEntryPath(const QListWidgetItem& item);

int CountCheckedEntries(const QListWidget& list);
// The paths of the ticked entries, in list order.
std::vector<std::string> CheckedEntryPaths(const QListWidget& list);

// What one scan delivers into. Once discarded, its hits are dropped: a scan being abandoned can
// finish its pending hand-overs at once instead of filling a list that is about to be emptied.
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
