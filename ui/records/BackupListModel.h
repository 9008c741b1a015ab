// The backup list's rows: a view of the backup registry, one row per backup with its tick, so
// that a list of 200,000 backups holds no widget item per line and a new backup costs one row.
#pragma once

#include <QAbstractListModel>

#include "records/BackupRegistry.h"

namespace fendrel {

class TBackupListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit TBackupListModel(TBackupRegistry& registry, QObject* parent = nullptr)
      : QAbstractListModel(parent), FRegistry(registry) {}

  // The registry got one more entry at its end.
  void Appended();
  // The registry changed as a whole (loaded, entries deleted, every tick set).
  void Reset();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // The user ticked or unticked a row.
  void TickChanged();

 private:
  TBackupRegistry& FRegistry;
};

}  // namespace fendrel
