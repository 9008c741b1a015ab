#include "ResultListModel.h"

#include <QSize>
#include <algorithm>

namespace fendrel {

TResultListModel::TResultListModel(QObject* parent) : QAbstractListModel(parent) {}

std::size_t TResultListModel::AddStatusLine(const std::string& statusLine,
                                            const std::string& reason) {
  return AddEntries(TResultLog::EntriesToShow(statusLine, FLog.LogMode()), reason);
}

std::size_t TResultListModel::AddEntries(std::vector<std::string> entries,
                                         const std::string& reason) {
  if (entries.empty()) return 0;
  const std::size_t added = entries.size();
  const int first = rowCount();
  std::size_t widest = FWidest;
  for (const std::string& entry : entries)
    widest = std::max(widest, entry.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(added) - 1);
  FLog.Append(std::move(entries));
  if (!reason.empty())
    for (int row = first; row < first + static_cast<int>(added); ++row)
      FReasons[row] = reason;
  endInsertRows();
  if (widest > FWidest) {
    FWidest = widest;
    emit WidestEntryGrew();
  }
  return added;
}

void TResultListModel::Clear() {
  beginResetModel();
  FLog.Clear();
  FReasons.clear();
  FWidest = 0;
  endResetModel();
}

void TResultListModel::SetRowMetrics(int characterWidth, int height, int margin) {
  FCharacterWidth = characterWidth;
  FRowHeight = height;
  FRowMargin = margin;
}

int TResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FLog.Entries().size());
}

QVariant TResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::ToolTipRole) {
    const auto reason = FReasons.find(index.row());
    if (reason == FReasons.end()) return {};
    return QString::fromLocal8Bit(reason->second.data(),
                                  static_cast<qsizetype>(reason->second.size()));
  }
  if (role == Qt::SizeHintRole && FRowHeight > 0)
    return QSize(static_cast<int>(FWidest) * FCharacterWidth + FRowMargin, FRowHeight);
  if (role != Qt::DisplayRole) return {};
  // Entries are bytes in the system's code page, like the paths and strings they report.
  const std::string& entry = FLog.Entries()[static_cast<std::size_t>(index.row())];
  return QString::fromLocal8Bit(entry.data(), static_cast<qsizetype>(entry.size()));
}

}  // namespace fendrel
