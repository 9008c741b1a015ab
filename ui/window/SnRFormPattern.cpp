// The old string checked as a pattern while it is typed: an invalid regular expression shows at
// its editor before the start button is pressed, instead of failing every file of the run.
#include <QStatusBar>
#include <QTabWidget>

#include "SnRForm.h"
#include "engine/PatternCheck.h"
#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/SearchOptionBoxes.h"
#include "ui/editors/uCombiEditCharHexFrame.h"

namespace fendrel {
namespace {

// The tooltip a widget had before it showed a message, kept to be given back.
constexpr const char* kHintProperty = "fendrelHint";

}  // namespace

void TSnRForm::ShowMessageTip(QWidget* widget, const QString& message) {
  const bool showing = widget->property(kHintProperty).isValid();
  if (!message.isEmpty()) {
    if (!showing) widget->setProperty(kHintProperty, widget->toolTip());
    widget->setToolTip(message);
  } else if (showing) {
    widget->setToolTip(widget->property(kHintProperty).toString());
    widget->setProperty(kHintProperty, QVariant());
  }
}

namespace {

// A red frame around an editor whose pattern does not compile.
void FrameInRed(QWidget* editor, bool red) {
  const QString sheet =
      red ? QStringLiteral("#%1 { border: 2px solid red; }").arg(editor->objectName()) : QString();
  if (editor->styleSheet() != sheet) editor->setStyleSheet(sheet);
}

}  // namespace

void TSnRForm::CheckPattern() {
  const bool multiLine = FPageControlLineMode->currentWidget() == FMultiLineTabSheet;
  QWidget* editor = multiLine ? static_cast<QWidget*>(FMultiLine->MemoFromStr()) : FFromStr;
  QWidget* other = multiLine ? static_cast<QWidget*>(FFromStr) : FMultiLine->MemoFromStr();
  std::optional<std::string> error;
  if (FSearchOptions->SearchMode() == smRegExpr) {
    if (multiLine) {
      error = MultiLinePatternError(FMultiLine->FromLines());
    } else if (FFromStr->Value().Len() > 0) {
      const TExtPChar& from = FFromStr->Value();
      error = PatternError(std::string_view(from.Buffer(), static_cast<std::size_t>(from.Len())));
    }
  }
  const QString message = error ? QString::fromLocal8Bit(error->c_str()) : QString();
  FrameInRed(other, false);
  ShowMessageTip(other, QString());
  FrameInRed(editor, !message.isEmpty());
  ShowMessageTip(editor, message);
  if (message == FPatternMessage) return;
  // The status line shows the message while it stands, and is cleared only of its own.
  if (!message.isEmpty())
    statusBar()->showMessage(message);
  else if (statusBar()->currentMessage() == FPatternMessage)
    statusBar()->clearMessage();
  FPatternMessage = message;
  // The buttons that would run the pattern follow it.
  UpdateWorkflowState();
}

}  // namespace fendrel
