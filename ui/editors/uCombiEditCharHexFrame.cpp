#include "uCombiEditCharHexFrame.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <optional>
#include <vector>

#include "CodePageText.h"
#include "InputValidators.h"

namespace fendrel {
namespace {

QLabel* MakeLabel(QWidget* frame, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, frame);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QComboBox* MakeView(QWidget* frame, const char* name, const QString& hint) {
  auto* view = new QComboBox(frame);
  view->setObjectName(QString::fromLatin1(name));
  view->setToolTip(hint);
  view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // The lists change only by the history update, never by pressing Return.
  view->setInsertPolicy(QComboBox::NoInsert);
  return view;
}

// A line edit of a view takes no completion: completing would put history text into the view
// that the user did not type.
void PrepareLineEdit(QComboBox* view, QValidator* validator) {
  view->setCompleter(nullptr);
  view->lineEdit()->setValidator(validator);
}

std::string HexOf(std::string_view text) {
  TExtPChar value;
  value.SetHex(text);
  return value.GetHex();
}

QString DisplayTextOf(const TExtPChar& value) {
  return BytesToQString(value.GetDisplayText());
}

// Uppercase hexadecimal digits only, and where `caret` (an offset into `text`) lands in them.
QString CleanHex(const QString& text, int& caret) {
  QString clean;
  int cleanCaret = 0;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i].toUpper();
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) {
      clean += c;
      if (i < caret) ++cleanCaret;
    }
  }
  caret = cleanCaret;
  return clean;
}

// The caret and selection of a line edit, to be put back after its text was set again.
struct TCaret {
  QLineEdit* Edit = nullptr;
  int Start = 0;
  int Length = 0;
};

TCaret CaretOfFocused(std::initializer_list<QComboBox*> views) {
  for (QComboBox* view : views) {
    QLineEdit* edit = view->lineEdit();
    if (edit != nullptr && edit->hasFocus()) {
      if (edit->hasSelectedText()) return {edit, edit->selectionStart(), edit->selectionLength()};
      return {edit, edit->cursorPosition(), 0};
    }
  }
  return {};
}

void Restore(const TCaret& caret) {
  if (caret.Edit == nullptr) return;
  if (caret.Length > 0)
    caret.Edit->setSelection(caret.Start, caret.Length);
  else
    caret.Edit->setCursorPosition(caret.Start);
}

}  // namespace

TCombiEditCharHexFrame::TCombiEditCharHexFrame(QWidget* parent)
    : QFrame(parent),
      FStringLabel(MakeLabel(this, "StringLabel", QStringLiteral("String:"))),
      FHexStringLabel(MakeLabel(this, "HexStringLabel", QStringLiteral("Hex String:"))),
      FTitelLabel(MakeLabel(this, "TitelLabel", QStringLiteral("Titel"))),
      FCharComboBox(MakeView(this, "CharComboBox", QStringLiteral("text in ASCII format"))),
      FHexStringComboBox(
          MakeView(this, "HexStringComboBox", QStringLiteral("text in HEX format"))) {
  QFont bold = FTitelLabel->font();
  bold.setBold(true);
  FTitelLabel->setFont(bold);

  SetTextViewEditable(true);
  FHexStringComboBox->setEditable(true);
  PrepareLineEdit(FHexStringComboBox,
                  new THexDigitsValidator(TExtPChar::kCapacity, FHexStringComboBox));

  // Labels left, views stretched to 3 pixels short of the right edge, the hexadecimal view one
  // pixel below the text view.
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 3, 0);
  layout->setVerticalSpacing(1);
  layout->addWidget(FTitelLabel, 0, 0, 1, 2);
  layout->addWidget(FStringLabel, 1, 0);
  layout->addWidget(FCharComboBox, 1, 1);
  layout->addWidget(FHexStringLabel, 2, 0);
  layout->addWidget(FHexStringComboBox, 2, 1);
  layout->setColumnStretch(1, 1);

  // editTextChanged reports every change of a view's text, whatever made it, and outlives the
  // line edit that a change of the text view's kind replaces.
  connect(FCharComboBox, &QComboBox::editTextChanged, this,
          &TCombiEditCharHexFrame::CharEditChange);
  connect(FHexStringComboBox, &QComboBox::editTextChanged, this,
          &TCombiEditCharHexFrame::HexStringEditChange);
  connect(FCharComboBox, &QComboBox::activated, this, &TCombiEditCharHexFrame::CharComboBoxClick);
  connect(FHexStringComboBox, &QComboBox::activated, this,
          &TCombiEditCharHexFrame::HexStringComboBoxClick);
  FCharComboBox->installEventFilter(this);
  FHexStringComboBox->installEventFilter(this);
}

void TCombiEditCharHexFrame::SetTitle(const QString& title) {
  FTitelLabel->setText(title);
}

std::string TCombiEditCharHexFrame::Bytes() const {
  return std::string(FValue.Buffer(), static_cast<std::size_t>(std::max(FValue.Len(), 0)));
}

void TCombiEditCharHexFrame::SetBytes(std::string_view bytes) {
  FBusy = true;
  FHexEdited = false;
  FValue.SetText(bytes);
  FHexStringComboBox->setEditText(QString::fromLatin1(FValue.GetHex()));
  ShowValueInTextView();
  FBusy = false;
  emit Changed();
}

void TCombiEditCharHexFrame::ClearAll() {
  FHistory.Clear();
  FBusy = true;
  FHexEdited = false;
  FValue.SetText({});
  ShowHistory(-1);
  FHexStringComboBox->setEditText(QString());
  ShowValueInTextView();
  FBusy = false;
  emit Changed();
}

bool TCombiEditCharHexFrame::TextViewIsPickList() const {
  return !FCharComboBox->isEditable();
}

void TCombiEditCharHexFrame::LoadHistory(const std::string& fileName, std::string_view section) {
  FHistory.LoadHistory(fileName, section);
  // Entries are kept in the form the hexadecimal view shows; a hand-edited file may hold other
  // spellings, and an entry that denotes no byte is no value at all.
  std::vector<std::string> entries = FHistory.Items();
  FHistory.Clear();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    FHistory.AddToTop(HexOf(*it));
  FBusy = true;
  ShowHistory(-1);
  FBusy = false;
}

bool TCombiEditCharHexFrame::SaveHistory() const {
  return FHistory.SaveHistory();
}

void TCombiEditCharHexFrame::UpdateHistory() {
  const std::string hex = FValue.GetHex();
  if (hex.empty()) return;
  // An open list is not rebuilt under the user's pointer; the next leave catches up.
  if (FCharComboBox->view()->isVisible() || FHexStringComboBox->view()->isVisible()) return;
  const TCaret caret = CaretOfFocused({FCharComboBox, FHexStringComboBox});
  FBusy = true;
  FHistory.AddToTop(hex);
  ShowHistory(0);
  Restore(caret);
  FBusy = false;
  emit Changed();
}

void TCombiEditCharHexFrame::ShowHistory(int current) {
  const QSignalBlocker blockChar(FCharComboBox);
  const QSignalBlocker blockHex(FHexStringComboBox);
  const QString hexText = FHexStringComboBox->currentText();
  FCharComboBox->clear();
  FHexStringComboBox->clear();
  TExtPChar entry;
  for (const std::string& hex : FHistory.Items()) {
    entry.SetHex(hex);
    FHexStringComboBox->addItem(QString::fromLatin1(hex));
    FCharComboBox->addItem(DisplayTextOf(entry));
  }
  FHexStringComboBox->setCurrentIndex(current);
  FHexStringComboBox->setEditText(current >= 0 ? FHexStringComboBox->itemText(current) : hexText);
  FCharComboBox->setCurrentIndex(current);
  ShowValueInTextView();
}

void TCombiEditCharHexFrame::SetTextViewEditable(bool editable) {
  if (FCharComboBox->isEditable() == editable) return;
  const QSignalBlocker block(FCharComboBox);
  FCharComboBox->setEditable(editable);
  if (editable)
    PrepareLineEdit(FCharComboBox, new TCodePageValidator(TExtPChar::kCapacity, FCharComboBox));
}

void TCombiEditCharHexFrame::ShowValueInTextView() {
  const QSignalBlocker block(FCharComboBox);
  const std::string bytes = Bytes();
  const bool pickList = FValue.HasControlChars() || !BytesShowable(bytes);
  SetTextViewEditable(!pickList);
  const QString display = DisplayTextOf(FValue);
  if (!pickList) {
    FCharComboBox->setPlaceholderText(QString());
    if (FCharComboBox->currentText() != display) FCharComboBox->setEditText(display);
    return;
  }
  const int entry = FHexStringComboBox->findText(QString::fromLatin1(FValue.GetHex()),
                                                 Qt::MatchFixedString | Qt::MatchCaseSensitive);
  FCharComboBox->setCurrentIndex(entry);
  FCharComboBox->setPlaceholderText(entry < 0 ? display : QString());
}

void TCombiEditCharHexFrame::CharEditChange(const QString& text) {
  if (FBusy || !FCharComboBox->isEditable()) return;
  // The validator lets only text with bytes in the code page through; anything else is text
  // the program set, which it sets under FBusy.
  const std::optional<std::string> bytes = QStringToBytes(text);
  if (!bytes) return;
  FBusy = true;
  FHexEdited = false;
  FValue.SetText(*bytes);
  FHexStringComboBox->setEditText(QString::fromLatin1(FValue.GetHex()));
  // Pasted control characters turn the view into a pick list; plain text stays as typed, caret
  // and all.
  if (FValue.HasControlChars() || !BytesShowable(*bytes)) ShowValueInTextView();
  FBusy = false;
  emit Changed();
}

void TCombiEditCharHexFrame::HexStringEditChange(const QString& text) {
  if (FBusy) return;
  FBusy = true;
  QLineEdit* edit = FHexStringComboBox->lineEdit();
  int caret = edit->cursorPosition();
  FHexEdited = true;
  FValue.SetHex(text.toLatin1().toStdString());
  // Dropped characters leave the caret where it was among the digits.
  const QString clean = CleanHex(text, caret);
  if (clean != text) edit->setText(clean);
  ShowValueInTextView();
  edit->setCursorPosition(caret);
  FBusy = false;
  emit Changed();
}

void TCombiEditCharHexFrame::HexStringComboBoxClick(int index) {
  ChooseEntry(index, true);
}

void TCombiEditCharHexFrame::CharComboBoxClick(int index) {
  ChooseEntry(index, false);
}

void TCombiEditCharHexFrame::ChooseEntry(int index, bool inHexView) {
  if (index < 0 || index >= FHexStringComboBox->count()) return;
  FBusy = true;
  FHexEdited = inHexView;
  // The value comes from the hexadecimal list, so an entry with control characters comes back
  // exactly, whichever list it was chosen from.
  const QString hex = FHexStringComboBox->itemText(index);
  FValue.SetHex(hex.toLatin1().toStdString());
  {
    const QSignalBlocker block(FHexStringComboBox);
    FHexStringComboBox->setCurrentIndex(index);
    FHexStringComboBox->setEditText(hex);
  }
  ShowValueInTextView();
  FBusy = false;
  emit Changed();
}

bool TCombiEditCharHexFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Leave) UpdateHistory();
  return QFrame::eventFilter(watched, event);
}

void TCombiEditCharHexFrame::leaveEvent(QEvent* event) {
  UpdateHistory();
  QFrame::leaveEvent(event);
}

}  // namespace fendrel
