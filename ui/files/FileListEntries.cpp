#include "FileListEntries.h"

#include <QByteArray>

#include "ui/editors/CodePageText.h"

namespace fendrel {
namespace {

constexpr int kPathRole = Qt::UserRole;

struct TScanAbandoned {};

}  // namespace

QString PathText(const std::string& bytes) {
  return BytesToQString(bytes);
}

std::optional<std::string> PathBytes(const QString& text) {
  return QStringToBytes(text);
}

void AddFileEntry(QListWidget& list, const std::string& path) {
  auto* item = new QListWidgetItem(PathText(path));
  item->setData(kPathRole, QByteArray(path.data(), static_cast<qsizetype>(path.size())));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  list.addItem(item);
}

std::string FileEntryPath(const QListWidgetItem& item) {
  const QVariant data = item.data(kPathRole);
  if (!data.isValid()) return PathBytes(item.text()).value_or(std::string());
  const QByteArray bytes = data.toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int CountCheckedEntries(const QListWidget& list) {
  int count = 0;
  for (int i = 0; i < list.count(); ++i)
    if (list.item(i)->checkState() == Qt::Checked) ++count;
  return count;
}

std::vector<std::string> CheckedEntryPaths(const QListWidget& list) {
  std::vector<std::string> paths;
  for (int i = 0; i < list.count(); ++i)
    if (list.item(i)->checkState() == Qt::Checked) paths.push_back(FileEntryPath(*list.item(i)));
  return paths;
}

void TFileListTarget::Add(const std::string& entry) {
  // The scanner treats a hit that cannot be stored as the end of its walk.
  if (FDiscarded) throw TScanAbandoned{};
  AddFileEntry(FList, entry);
}

std::size_t TFileListTarget::Count() const {
  return static_cast<std::size_t>(FList.count());
}

}  // namespace fendrel
