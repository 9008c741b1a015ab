#include "FileListModel.h"

#include "FileListEntries.h"

namespace fendrel {

TFileListModel::TFileListModel(QObject* parent) : QAbstractListModel(parent) {}

void TFileListModel::Append(std::vector<std::string> paths) {
  if (paths.empty()) return;
  const int first = Count();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(paths.size()) - 1);
  FPaths.insert(FPaths.end(), std::make_move_iterator(paths.begin()),
                std::make_move_iterator(paths.end()));
  FTicks.resize(FPaths.size(), 0);
  endInsertRows();
}

void TFileListModel::Clear() {
  beginResetModel();
  FPaths.clear();
  FPaths.shrink_to_fit();
  FTicks.clear();
  FTicks.shrink_to_fit();
  FTickedCount = 0;
  endResetModel();
}

void TFileListModel::Remove(int row) {
  if (row < 0 || row >= Count()) return;
  beginRemoveRows(QModelIndex(), row, row);
  if (Ticked(row)) --FTickedCount;
  FPaths.erase(FPaths.begin() + row);
  FTicks.erase(FTicks.begin() + row);
  endRemoveRows();
}

void TFileListModel::SetTicked(int row, bool ticked) {
  if (row < 0 || row >= Count() || Ticked(row) == ticked) return;
  FTicks[static_cast<std::size_t>(row)] = ticked ? 1 : 0;
  FTickedCount += ticked ? 1 : -1;
  const QModelIndex at = index(row);
  emit dataChanged(at, at, {Qt::CheckStateRole});
  emit TickChanged();
}

void TFileListModel::SetAllTicked(bool ticked) {
  if (FPaths.empty()) return;
  std::fill(FTicks.begin(), FTicks.end(), ticked ? 1 : 0);
  FTickedCount = ticked ? Count() : 0;
  emit dataChanged(index(0), index(Count() - 1), {Qt::CheckStateRole});
}

std::vector<std::string> TFileListModel::TickedPaths() const {
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(FTickedCount));
  for (std::size_t i = 0; i < FPaths.size(); ++i)
    if (FTicks[i] != 0) paths.push_back(FPaths[i]);
  return paths;
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      // Made when shown: the list holds bytes, and only the visible rows need text.
      return PathText(Path(index.row()));
    case Qt::CheckStateRole:
      return Ticked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
      return {};
  }
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= Count()) return false;
  SetTicked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

}  // namespace fendrel
