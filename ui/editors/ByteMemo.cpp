#include "ByteMemo.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <optional>

#include "CodePageText.h"

namespace fendrel {

TByteMemo::TByteMemo(QWidget* parent) : QPlainTextEdit(parent) {
  // Lines on screen are the lines of the string: no wrapping, a horizontal scroll bar instead.
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool TByteMemo::Insertable(const QString& text) {
  // A line or paragraph separator would show a line break that is no break of the string.
  if (text.contains(QChar::LineSeparator) || text.contains(QChar::ParagraphSeparator)) return false;
  return QStringToBytes(text).has_value();
}

std::vector<std::string> TByteMemo::Lines() const {
  std::vector<std::string> lines;
  const int count = LineCount();
  lines.reserve(static_cast<std::size_t>(count));
  QTextBlock block = document()->begin();
  for (int i = 0; i < count; ++i, block = block.next()) {
    // Block texts are raw: a no-break space stays what it is.
    const QString text = block.text();
    std::optional<std::string> bytes = QStringToBytes(text);
    // Only text the program itself set can miss the code page; it keeps its UTF-8 form.
    lines.push_back(bytes ? std::move(*bytes) : text.toStdString());
  }
  return lines;
}

int TByteMemo::LineCount() const {
  const QTextDocument* doc = document();
  const int blocks = doc->blockCount();
  return doc->lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

int TByteMemo::FirstVisibleLine() const {
  // Without wrapping every block is one line on screen.
  return firstVisibleBlock().blockNumber();
}

bool TByteMemo::canInsertFromMimeData(const QMimeData* source) const {
  return QPlainTextEdit::canInsertFromMimeData(source) &&
         (!source->hasText() || Insertable(source->text()));
}

void TByteMemo::insertFromMimeData(const QMimeData* source) {
  if (source->hasText() && !Insertable(source->text())) return;
  QPlainTextEdit::insertFromMimeData(source);
}

void TByteMemo::keyPressEvent(QKeyEvent* event) {
  if (!event->text().isEmpty() && !Insertable(event->text()) && !isReadOnly()) {
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TByteMemo::inputMethodEvent(QInputMethodEvent* event) {
  if (Insertable(event->commitString())) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  // The composition goes on; only the refused text does not arrive.
  QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
  QPlainTextEdit::inputMethodEvent(&withoutCommit);
}

}  // namespace fendrel
