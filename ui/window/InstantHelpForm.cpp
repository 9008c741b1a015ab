#include "InstantHelpForm.h"

#include <QScreen>

#include <QCheckBox>
#include <QHideEvent>
#include <QListWidget>
#include <QPainter>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <algorithm>

#include "NativeWindow.h"
#include "SnRForm.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

constexpr int kTextMargin = 5;
constexpr int kCheckBoxWidth = 97;
constexpr int kCheckBoxHeight = 17;

// Help lines name buttons by their captions, ampersands included: none of them marks an access
// key, so no mnemonic flag is ever given.
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Draws the help items: word-wrapped black text on alternating backgrounds, each item as tall as
// its text plus 10 pixels, and tells the window where items 0 and 1 went.
class THelpItemDelegate : public QStyledItemDelegate {
 public:
  THelpItemDelegate(TInstantHelpForm* form, QListWidget* list)
      : QStyledItemDelegate(list), FForm(form), FList(list) {}

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const QRect textRect = FList->viewport()->rect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    const QRect needed =
        QFontMetrics(FList->font())
            .boundingRect(textRect, kTextFlags, index.data(Qt::DisplayRole).toString());
    return {textRect.width(), needed.height() + 2 * kTextMargin};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const int row = index.row();
    painter->fillRect(option.rect, row % 2 == 1 ? QColor(230, 230, 230) : QColor(Qt::white));
    FForm->ItemDrawn(row, option.rect);
    painter->save();
    painter->setPen(Qt::black);
    painter->setFont(FList->font());
    painter->drawText(option.rect.adjusted(kTextMargin, kTextMargin, -kTextMargin, 0), kTextFlags,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
  }

 private:
  TInstantHelpForm* FForm;
  QListWidget* FList;
};

}  // namespace

TInstantHelpForm::TInstantHelpForm(TSnRForm* mainForm)
    : TZQSnRMainForm(mainForm), FMainForm(mainForm) {
  setObjectName("InstantHelpForm");
  // A tool window: a title and a close button, no minimise or maximise.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  setFont(font);

  auto* client = new QWidget(this);
  setCentralWidget(client);
  FHelpListBox = new QListWidget(client);
  FHelpListBox->setObjectName("HelpListBox");
  FHelpListBox->setItemDelegate(new THelpItemDelegate(this, FHelpListBox));
  FHelpListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  // The items wrap to the width instead; a new width measures them anew.
  FHelpListBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FHelpListBox->setResizeMode(QListView::Adjust);
  FHelpListBox->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  FGuidingHelpCheckBox = new QCheckBox(client);
  FGuidingHelpCheckBox->setObjectName("GuidingHelpCheckBox");
  FGuidingHelpCheckBox->setChecked(true);
  connect(FGuidingHelpCheckBox, &QCheckBox::clicked, this, [this] { UpdateWorkflowState(); });

  // Only until the first docking tick.
  setGeometry(701, 232, 196, 441);

  FUpdatePositionTimer.setInterval(200);
  connect(&FUpdatePositionTimer, &QTimer::timeout, this, [this] { UpdatePositionTimerTimer(); });
  FUpdatePositionTimer.start();
  FInitTimer.setInterval(1500);
  FInitTimer.setSingleShot(true);
  connect(&FInitTimer, &QTimer::timeout, this, [this] { InitTimerTimer(); });

  FinishConstruction();
}

bool TInstantHelpForm::GuidingHelp() const {
  return FGuidingHelpCheckBox->isChecked();
}

void TInstantHelpForm::ResetItemRects() {
  FFirstItemRect = {};
  FSecondItemRect = {};
}

void TInstantHelpForm::ItemDrawn(int index, const QRect& itemRect) {
  if (index != 0 && index != 1) return;
  QRect shown = itemRect;
  // A partly visible item is marked only down to the list's lower edge.
  shown.setBottom(std::min(shown.bottom(), FHelpListBox->height() - 1));
  // The second outline starts 2 pixels lower, so that it never covers the first one's edge.
  if (index == 1) shown.setTop(shown.top() + 2);
  (index == 0 ? FFirstItemRect : FSecondItemRect) = DeviceRect(*FHelpListBox->viewport(), shown);
}

void TInstantHelpForm::SetCurrentLanguage() {
  const int32_t language = CurrentLanguage();
  if (language == kGerman || language == kEnglish || language == kLanguageFromFile) {
    setWindowTitle(UiText(TTextId::HelpWindowTitle, language));
    FGuidingHelpCheckBox->setText(UiText(TTextId::GuidingHelpBox, language));
  }
  FormResize();
}

void TInstantHelpForm::UpdatePositionTimerTimer() {
  if (FMainForm == nullptr) return;
  // No room on the right: the main window moves left rather than push this one off the screen.
  if (const QScreen* screen = FMainForm->screen()) {
    const QRect main = FMainForm->frameGeometry();
    const QRect available = screen->availableGeometry();
    const int shift = std::min(
        main.x() + main.width() + frameGeometry().width() - (available.x() + available.width()),
        main.x() - available.x());
    if (shift > 0) FMainForm->move(main.topLeft() - QPoint(shift, 0));
  }
  const QRect docked = DockedGeometry();
  if (docked == geometry()) return;
  // The width stays the user's.
  setGeometry(docked);
  UpdateWorkflowState();
}

QRect TInstantHelpForm::DockedGeometry() const {
  const TSnRForm& main = *FMainForm;
  const TNativeGeometry mainWindow = NativeGeometry(main);
  const QMargins ownFrame = NativeGeometry(*this).Frame;
  const QRect mainOuter = mainWindow.Client.marginsAdded(mainWindow.Frame);
  // The client area's corner in device pixels, as near as logical pixels can put it.
  QPoint topLeft = LogicalPixels(main, QPoint(mainOuter.x() + mainOuter.width() + ownFrame.left(),
                                              mainOuter.y() + ownFrame.top()));
  if (const QScreen* screen = main.screen()) {
    const QRect available = screen->availableGeometry();
    const int frameRight = frameGeometry().right() - geometry().right();
    topLeft.setX(std::min(topLeft.x(), available.x() + available.width() - frameRight - width()));
  }
  // The height that ends the frame nearest to the main window's bottom edge, from where the top
  // really lands.
  const int bottom = mainOuter.y() + mainOuter.height() - ownFrame.bottom();
  const qreal ratio = main.screen() ? main.screen()->devicePixelRatio() : 1.0;
  const int height = qRound((bottom - DevicePosition(main, topLeft).y()) / ratio);
  return QRect(topLeft, QSize(width(), std::max(1, height)));
}

void TInstantHelpForm::InitTimerTimer() {
  FInitTimer.stop();
  UpdateWorkflowState();
}

void TInstantHelpForm::showEvent(QShowEvent* event) {
  TZQSnRMainForm::showEvent(event);
  if (event->spontaneous()) return;
  UpdateWorkflowState();
  FInitTimer.start();
}

void TInstantHelpForm::hideEvent(QHideEvent* event) {
  TZQSnRMainForm::hideEvent(event);
  // Closing the window hides it as well.
  if (!event->spontaneous()) UpdateWorkflowState();
}

void TInstantHelpForm::resizeEvent(QResizeEvent* event) {
  TZQSnRMainForm::resizeEvent(event);
  FormResize();
}

void TInstantHelpForm::FormResize() {
  // As large as the style draws it, where that is more than the usual 97 x 17.
  const QSize checkBox =
      FGuidingHelpCheckBox->sizeHint().expandedTo(QSize(kCheckBoxWidth, kCheckBoxHeight));
  FGuidingHelpCheckBox->setGeometry(kTextMargin, height() - checkBox.height() - 5, checkBox.width(),
                                    checkBox.height());
  FHelpListBox->setGeometry(0, 0, width(), std::max(0, height() - checkBox.height() - 15));
  UpdateWorkflowState();
}

void TInstantHelpForm::UpdateWorkflowState() {
  if (FMainForm != nullptr) FMainForm->UpdateWorkflowState();
}

}  // namespace fendrel
