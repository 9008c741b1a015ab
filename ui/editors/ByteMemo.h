// A memo for a multi-line string whose text always has bytes in the code page: typed, pasted,
// dropped or composed text with a character the code page cannot hold is refused as a whole,
// so the lines a run uses are the lines on screen.
#pragma once

#include <QPlainTextEdit>
#include <string>
#include <vector>

namespace fendrel {

class TByteMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TByteMemo(QWidget* parent = nullptr);

  // The lines in the code page. A break at the very end adds no line; an empty memo has none.
  std::vector<std::string> Lines() const;
  // The number of Lines(), counted without converting them.
  int LineCount() const;
  // The index of the first line in view.
  int FirstVisibleLine() const;

  // Whether text may enter the memo: every character has a byte in the code page, and none is
  // a separator that would break a line without starting a new one.
  static bool Insertable(const QString& text);

 protected:
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
};

}  // namespace fendrel
