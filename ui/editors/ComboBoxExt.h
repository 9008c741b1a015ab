// An editable combo box with a drop-down history: most recent first, each text once, kept in a
// section of the history file. Leaving the box with the mouse takes its text to the top of the
// list; the path and mask boxes of the main window are of this kind.
#pragma once

#include <QComboBox>
#include <string>
#include <string_view>

#include "settings/HistoryList.h"

namespace fendrel {

class TComboBoxExt : public QComboBox {
  Q_OBJECT

 public:
  explicit TComboBoxExt(QWidget* parent = nullptr);

  // Remembers file and section, empties the list and loads the section when the file exists.
  // The box's text stays as it is.
  void LoadHistory(const std::string& fileName, std::string_view section);
  // Writes the list when a history file has been remembered; false when the write failed.
  bool SaveHistory() const;

  // The mouse-leave update: a non-empty text goes to the top of the list, every other equal
  // item goes, and the top item is selected. The text and the caret stay as they were.
  void UpdateHistory();
  // `bytes` to the top of the list and into the box, as the directory chooser hands a folder
  // over.
  void AddToHistory(const std::string& bytes);
  // "Clear History": the list empties (file and section are kept), the text stays.
  void ClearHistoryItems();

  // The box's text in the code page. Input the code page cannot hold is refused as it is
  // typed, so this is exactly what the user sees.
  std::string TextBytes() const;

  const THistoryList& History() const { return FHistory; }

 signals:
  // The mouse entered or left the box (OnMouseEnter, OnMouseLeave); the leave notice follows
  // the history update.
  void MouseEnter();
  void MouseLeave();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The items rebuilt from FHistory with `current` selected (-1: none), keeping the text, the
  // caret and the selection, and raising no change of the text.
  void ShowHistory(int current);

  THistoryList FHistory;
};

}  // namespace fendrel
