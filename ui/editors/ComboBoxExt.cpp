#include "ComboBoxExt.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <optional>

#include "CodePageText.h"
#include "InputValidators.h"

namespace fendrel {

TComboBoxExt::TComboBoxExt(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // The list changes only by the history update, never by pressing Return.
  setInsertPolicy(QComboBox::NoInsert);
  lineEdit()->setValidator(new TCodePageValidator(TCodePageValidator::kNoLimit, this));
  // No completion as the user types: what the box shows is exactly what the program uses, and a
  // completion the user did not type (say "*" shown as "*.txt") would be searched for instead of
  // the typed text. The pick list still offers the history.
  setCompleter(nullptr);
}

void TComboBoxExt::LoadHistory(const std::string& fileName, std::string_view section) {
  FHistory.LoadHistory(fileName, section);
  ShowHistory(-1);
}

bool TComboBoxExt::SaveHistory() const {
  return FHistory.SaveHistory();
}

void TComboBoxExt::UpdateHistory() {
  const std::string text = TextBytes();
  if (text.empty()) return;
  // An open list is not rebuilt under the user's pointer; the next leave catches up.
  if (view()->isVisible()) return;
  FHistory.AddToTop(text);
  ShowHistory(0);
}

void TComboBoxExt::AddToHistory(const std::string& bytes) {
  setEditText(BytesToQString(bytes));
  UpdateHistory();
}

void TComboBoxExt::ClearHistoryItems() {
  FHistory.Clear();
  ShowHistory(-1);
}

std::string TComboBoxExt::TextBytes() const {
  const QString text = currentText();
  std::optional<std::string> bytes = QStringToBytes(text);
  // Only text the program set itself can miss the code page; it keeps its UTF-8 form.
  return bytes ? std::move(*bytes) : text.toStdString();
}

void TComboBoxExt::ShowHistory(int current) {
  const QString text = currentText();
  QLineEdit* edit = lineEdit();
  const int caret = edit->cursorPosition();
  const int selectionStart = edit->selectionStart();
  const int selectionLength = edit->selectionLength();
  {
    // Rebuilding the list passes the text through emptiness; the box's users see no change,
    // since the text ends as it began.
    const QSignalBlocker block(this);
    clear();
    for (const std::string& item : FHistory.Items())
      addItem(BytesToQString(item));
    setCurrentIndex(current);
    if (currentText() != text) setEditText(text);
  }
  if (selectionStart >= 0)
    edit->setSelection(selectionStart, selectionLength);
  else
    edit->setCursorPosition(caret);
}

void TComboBoxExt::enterEvent(QEnterEvent* event) {
  QComboBox::enterEvent(event);
  emit MouseEnter();
}

void TComboBoxExt::leaveEvent(QEvent* event) {
  QComboBox::leaveEvent(event);
  UpdateHistory();
  emit MouseLeave();
}

}  // namespace fendrel
