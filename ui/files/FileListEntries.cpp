#include "FileListEntries.h"

#include <QByteArray>
#include <QFile>

namespace fendrel {
namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

QString PathText(const std::string& bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string PathBytes(const QString& text) {
  const QByteArray bytes = QFile::encodeName(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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
  if (!data.isValid()) return PathBytes(item.text());
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
  if (!FDiscarded) AddFileEntry(FList, entry);
}

std::size_t TFileListTarget::Count() const {
  return static_cast<std::size_t>(FList.count());
}

}  // namespace fendrel
