// The dual editor of one byte string: a text view and a hexadecimal view of the same value,
// each updated from the other, with a shared drop-down history.
//
// Every edit of either view reaches the value at once, whatever made it (typing, pasting by
// keyboard, mouse or menu, dropping, undoing), so the bytes a run uses are always the bytes on
// screen. A value the text view cannot show faithfully (bytes below 32, or bytes the code page
// has no character for) makes the text view a pick list that cannot be typed into; it is then
// edited in the hexadecimal view or replaced by a history entry. The history lists are
// parallel: item i of the hexadecimal list is a stored value, item i of the text list its
// display text.
#pragma once

#include <QFrame>
#include <string>
#include <string_view>

#include "engine/uExtPChar.h"
#include "settings/HistoryList.h"

class QComboBox;
class QLabel;

namespace fendrel {

class TCombiEditCharHexFrame : public QFrame {
  Q_OBJECT

 public:
  explicit TCombiEditCharHexFrame(QWidget* parent = nullptr);

  // The bold caption above the two views ("Old String", "New String").
  void SetTitle(const QString& title);

  // The value; Len() is -1 until the value is first set.
  const TExtPChar& Value() const { return FValue; }
  // The value's bytes (empty for a value never set).
  std::string Bytes() const;
  // Sets the value (cut to TExtPChar::kCapacity) and shows it in both views.
  void SetBytes(std::string_view bytes);
  // "Clear History": both lists and both views empty, the value set to length 0. File and
  // section are kept, so the next save writes an empty section.
  void ClearAll();

  // Remembers file and section and loads the lists from the stored hexadecimal values; the
  // value and the views' texts stay as they are.
  void LoadHistory(const std::string& fileName, std::string_view section);
  // Writes the hexadecimal list when a history file has been remembered.
  bool SaveHistory() const;
  // The mouse-leave update: a non-empty value goes to the top of both lists and is selected
  // there; every other entry of the same value goes. The focused view keeps its caret.
  void UpdateHistory();
  const THistoryList& History() const { return FHistory; }
  const std::string& HistoryFile() const { return FHistory.HistoryFile(); }
  const std::string& HistorySection() const { return FHistory.HistorySection(); }

  // Whether the text view is a pick list (the value cannot be shown as editable text).
  bool TextViewIsPickList() const;
  // Whether the value is bytes rather than text: it was last edited or chosen in the
  // hexadecimal view, or the text view cannot show it. A run then matches a file's bytes as
  // they are, never the characters of a UTF-16 file.
  bool HexInput() const { return FHexEdited || TextViewIsPickList(); }
  // Whether a conversion is under way (the views are being set from the value).
  bool Busy() const { return FBusy; }

  QLabel* StringLabel() const { return FStringLabel; }
  QLabel* HexStringLabel() const { return FHexStringLabel; }
  QLabel* TitelLabel() const { return FTitelLabel; }
  QComboBox* CharComboBox() const { return FCharComboBox; }
  QComboBox* HexStringComboBox() const { return FHexStringComboBox; }

 signals:
  // After each handling of an edit, a choice from a list or a history update: the value may
  // have changed.
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void CharEditChange(const QString& text);
  void HexStringEditChange(const QString& text);
  void HexStringComboBoxClick(int index);
  void CharComboBoxClick(int index);
  // Takes history entry `index`, chosen in the hexadecimal list or the text list.
  void ChooseEntry(int index, bool inHexView);

  // Makes the text view an editable box or a pick list as the value requires and shows the
  // value's display text in it (a pick list selects the value's entry, or shows the text as a
  // hint when the value is in no entry).
  void ShowValueInTextView();
  void SetTextViewEditable(bool editable);
  // Both lists rebuilt from FHistory with `current` selected in both (-1: none).
  void ShowHistory(int current);

  QLabel* FStringLabel;
  QLabel* FHexStringLabel;
  QLabel* FTitelLabel;
  QComboBox* FCharComboBox;
  QComboBox* FHexStringComboBox;

  // Set while the views are being set from the value, so their change handlers stand aside.
  bool FBusy = false;
  // The value's last edit or choice was in the hexadecimal view.
  bool FHexEdited = false;
  THistoryList FHistory;
  TExtPChar FValue;
};

}  // namespace fendrel
