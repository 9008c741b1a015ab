// The result list's model: a TResultLog shown as one row per entry, for the main window's
// ResultListBox. Status lines go in here, so the rows and the log never differ.
#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "records/ResultLog.h"

namespace fendrel {

class TResultListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit TResultListModel(QObject* parent = nullptr);

  // One stLine text of the status handler; see TResultLog::EntriesToShow. The rows it adds
  // show `reason`, when given, as their tooltip: why the task they report failed.
  std::size_t AddStatusLine(const std::string& statusLine, const std::string& reason = {});
  // Entries the window reports on its own, whatever the log mode: what was done to files
  // outside any run (a recovery of an interrupted rewrite) must never go unseen.
  std::size_t AddEntries(std::vector<std::string> entries, const std::string& reason = {});
  // "Clear Log Results".
  void Clear();
  void SetLogMode(int32_t logMode) { FLog.SetLogMode(logMode); }
  int32_t LogMode() const { return FLog.LogMode(); }
  // Every close request; see TResultLog::Save.
  bool Save(const std::string& dataDirectory) const { return FLog.Save(dataDirectory); }
  const TResultLog& Log() const { return FLog; }

  // The size of one row of `characters` characters, for the list's fixed-pitch font: every row
  // reports the size of the widest entry so far, so the view measures no row on its own.
  void SetRowMetrics(int characterWidth, int height, int margin);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 signals:
  // An entry wider than every one before arrived: the rows' common size grew.
  void WidestEntryGrew();

 private:
  TResultLog FLog;
  std::size_t FWidest = 0;  // characters of the widest entry
  int FCharacterWidth = 0;
  int FRowHeight = 0;
  int FRowMargin = 0;
  // The tooltips of the rows of failed tasks, by row; few, so kept apart from the entries.
  std::map<int, std::string> FReasons;
};

}  // namespace fendrel
