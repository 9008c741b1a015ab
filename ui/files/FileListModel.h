// The entries of the file check list: each file's path as its exact bytes (a name the display
// cannot show faithfully is still processed under its real name) and its tick, in the order the
// scan delivered them. The number of ticked entries is kept as ticks change, so that the
// workflow state, the start button and the select-all box never walk the list; hits arrive in
// batches and are shown with one insertion each, so a list of 200,000 files costs the window no
// more per file than a list of 20.
#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <string>
#include <vector>

namespace fendrel {

class TFileListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit TFileListModel(QObject* parent = nullptr);

  // Appends unticked entries, in order.
  void Append(std::vector<std::string> paths);
  void Clear();
  // Removes one entry.
  void Remove(int row);

  int Count() const { return static_cast<int>(FPaths.size()); }
  const std::string& Path(int row) const { return FPaths[static_cast<std::size_t>(row)]; }
  bool Ticked(int row) const { return FTicks[static_cast<std::size_t>(row)] != 0; }
  void SetTicked(int row, bool ticked);
  // Every entry ticked or unticked, as one change.
  void SetAllTicked(bool ticked);
  int TickedCount() const { return FTickedCount; }
  // The ticked entries' paths, in list order.
  std::vector<std::string> TickedPaths() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // A tick changed (not by SetAllTicked).
  void TickChanged();

 private:
  std::vector<std::string> FPaths;
  std::vector<std::uint8_t> FTicks;
  int FTickedCount = 0;
};

}  // namespace fendrel
