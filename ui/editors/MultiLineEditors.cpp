#include "MultiLineEditors.h"

#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "ByteMemo.h"

namespace fendrel {
namespace {

// The marker of a line break that belongs to the string.
constexpr char16_t kPilcrow = 0x00B6;

QLabel* MakeBoldLabel(QWidget* page, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, page);
  label->setObjectName(QString::fromLatin1(name));
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

TByteMemo* MakeMemo(QWidget* page, const char* name) {
  auto* memo = new TByteMemo(page);
  memo->setObjectName(QString::fromLatin1(name));
  return memo;
}

}  // namespace

TMultiLineEditors::TMultiLineEditors(QWidget* page)
    : QObject(page),
      FOldStringLabel(MakeBoldLabel(page, "OldStringLabel", QStringLiteral("Old String"))),
      FNewStringLabel(MakeBoldLabel(page, "NewStringLabel", QStringLiteral("New String"))),
      FMemoFromStr(MakeMemo(page, "MemoFromStr")),
      FMemoToStr(MakeMemo(page, "MemoToStr")),
      FMemoFromStrLinebreaks(MakeMarkerColumn(page, QStringLiteral("MemoFromStrLinebreaks"))),
      FMemoToStrLinebreaks(MakeMarkerColumn(page, QStringLiteral("MemoToStrLinebreaks"))),
      FSynchronizeLineBreakMemosTimer(new QTimer(this)) {
  const std::pair<TByteMemo*, QPlainTextEdit*> pairs[] = {{FMemoFromStr, FMemoFromStrLinebreaks},
                                                          {FMemoToStr, FMemoToStrLinebreaks}};
  for (const auto& [memo, markers] : pairs) {
    // Markers line up with the memo's lines only in the same font.
    markers->setFont(memo->font());
    memo->installEventFilter(this);
    // A new palette (a dark desktop theme switched on) may need the markers' other colour.
    markers->installEventFilter(this);
    connect(memo, &QPlainTextEdit::textChanged, this, [this, memo = memo, markers = markers] {
      emit Changed();
      RefreshMarkers(memo, markers);
    });
    // Scrolling by keyboard or wheel is followed at once; the timer stays as the safety net.
    connect(memo->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [memo = memo, markers = markers] { RefreshMarkers(memo, markers); });
  }
  FSynchronizeLineBreakMemosTimer->setObjectName(QStringLiteral("SynchronizeLineBreakMemosTimer"));
  FSynchronizeLineBreakMemosTimer->setInterval(kRefreshInterval);
  connect(FSynchronizeLineBreakMemosTimer, &QTimer::timeout, this,
          &TMultiLineEditors::SynchronizeLineBreakMemos);
  FSynchronizeLineBreakMemosTimer->start();
}

QPlainTextEdit* TMultiLineEditors::MakeMarkerColumn(QWidget* page, const QString& name) {
  auto* markers = new QPlainTextEdit(page);
  markers->setObjectName(name);
  markers->setReadOnly(true);
  // No caret and no selection: the column is a picture of the memo, not something to edit.
  markers->setTextInteractionFlags(Qt::NoTextInteraction);
  markers->setFocusPolicy(Qt::NoFocus);
  markers->setLineWrapMode(QPlainTextEdit::NoWrap);
  markers->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  markers->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  markers->setToolTip(QStringLiteral("relevant line breaks"));
  ColourMarkers(markers);
  return markers;
}

void TMultiLineEditors::ColourMarkers(QPlainTextEdit* markers) {
  const bool dark = markers->palette().color(QPalette::Base).lightness() < 128;
  const QColor colour = dark ? QColor(120, 170, 255) : QColor(Qt::blue);
  if (markers->palette().color(QPalette::Text) == colour) return;
  QPalette palette = markers->palette();
  palette.setColor(QPalette::Text, colour);
  markers->setPalette(palette);
}

int TMultiLineEditors::MarkerColumnWidth() const {
  const QPlainTextEdit& markers = *FMemoFromStrLinebreaks;
  const int margins = 2 * (markers.frameWidth() +
                           static_cast<int>(std::ceil(markers.document()->documentMargin())));
  return std::max(17, markers.fontMetrics().horizontalAdvance(QChar(kPilcrow)) + margins + 1);
}

std::vector<std::string> TMultiLineEditors::FromLines() const {
  return FMemoFromStr->Lines();
}

std::vector<std::string> TMultiLineEditors::ToLines() const {
  return FMemoToStr->Lines();
}

void TMultiLineEditors::Clear() {
  FMemoFromStr->clear();
  FMemoToStr->clear();
}

int TMultiLineEditors::MarkerCount(int lineCount, int firstVisibleLine) {
  return std::max(lineCount - firstVisibleLine - 1, 0);
}

void TMultiLineEditors::SynchronizeLineBreakMemos() {
  RefreshMarkers(FMemoFromStr, FMemoFromStrLinebreaks);
  RefreshMarkers(FMemoToStr, FMemoToStrLinebreaks);
}

void TMultiLineEditors::RefreshMarkers(const TByteMemo* memo, QPlainTextEdit* markers) {
  const int count = MarkerCount(memo->LineCount(), memo->FirstVisibleLine());
  QString text;
  text.reserve(count * 2);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += QLatin1Char('\n');
    text += QChar(kPilcrow);
  }
  // Rebuilt only when it differs, so the column does not flicker every 500 ms.
  if (markers->toPlainText() != text) markers->setPlainText(text);
}

bool TMultiLineEditors::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::PaletteChange &&
      (watched == FMemoFromStrLinebreaks || watched == FMemoToStrLinebreaks))
    ColourMarkers(static_cast<QPlainTextEdit*>(watched));
  if (event->type() == QEvent::KeyRelease) {
    if (watched == FMemoFromStr) RefreshMarkers(FMemoFromStr, FMemoFromStrLinebreaks);
    if (watched == FMemoToStr) RefreshMarkers(FMemoToStr, FMemoToStrLinebreaks);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace fendrel
