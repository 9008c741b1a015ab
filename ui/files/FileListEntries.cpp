#include "FileListEntries.h"

#include "FileListModel.h"
#include "ui/editors/CodePageText.h"

namespace fendrel {
namespace {

struct TScanAbandoned {};

}  // namespace

QString PathText(const std::string& bytes) {
  return BytesToQString(bytes);
}

std::optional<std::string> PathBytes(const QString& text) {
  return QStringToBytes(text);
}

void TFileListTarget::Add(const std::string& entry) {
  AddBatch({entry});
}

void TFileListTarget::AddBatch(std::vector<std::string> entries) {
  // The scanner treats a hand-over that cannot be stored as the end of its walk.
  if (FDiscarded) throw TScanAbandoned{};
  FList.Append(std::move(entries));
}

std::size_t TFileListTarget::Count() const {
  return static_cast<std::size_t>(FList.Count());
}

}  // namespace fendrel
