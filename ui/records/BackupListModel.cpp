#include "BackupListModel.h"

namespace fendrel {

void TBackupListModel::Appended() {
  const int row = static_cast<int>(FRegistry.Count()) - 1;
  beginInsertRows(QModelIndex(), row, row);
  endInsertRows();
}

void TBackupListModel::Reset() {
  beginResetModel();
  endResetModel();
}

int TBackupListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FRegistry.Count());
}

QVariant TBackupListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TBackupEntry& entry = FRegistry.Entries()[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    // Paths are bytes in the system's code page; the list only shows them, the registry keeps
    // the bytes that deleting uses.
    return QString::fromLocal8Bit(entry.Path.data(), static_cast<qsizetype>(entry.Path.size()));
  }
  if (role == Qt::CheckStateRole) return entry.Ticked ? Qt::Checked : Qt::Unchecked;
  return {};
}

bool TBackupListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) return false;
  FRegistry.SetTicked(static_cast<std::size_t>(index.row()), value.toInt() == Qt::Checked);
  emit dataChanged(index, index, {Qt::CheckStateRole});
  emit TickChanged();
  return true;
}

Qt::ItemFlags TBackupListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

}  // namespace fendrel
