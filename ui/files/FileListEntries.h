// The bytes of paths as interface text and back, and the scan's target that appends its hits to
// the file check list.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "scan/MailTools.h"

namespace fendrel {

class TFileListModel;

// A path's bytes as text for the user interface, and typed text as a path's bytes, in the
// program's code page; nullopt when a character of the text has no byte form there (no file
// can carry such a name).
QString PathText(const std::string& bytes);
std::optional<std::string> PathBytes(const QString& text);

// What one scan delivers into. Once discarded, it refuses every hit, which ends the walk at that
// hand-over: a scan being abandoned stops at once instead of handing over the rest of a large
// directory into a list that is about to be emptied.
class TFileListTarget : public TStrings {
 public:
  explicit TFileListTarget(TFileListModel& list) : FList(list) {}

  void Add(const std::string& entry) override;
  void AddBatch(std::vector<std::string> entries) override;
  std::size_t Count() const override;
  void Discard() { FDiscarded = true; }

 private:
  TFileListModel& FList;
  bool FDiscarded = false;  // window thread only, like every Add
};

}  // namespace fendrel
