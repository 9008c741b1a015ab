// Which entries each kind of component takes, and the walk over a window's components.
#include "TranslateComponent.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>
#include <QTextEdit>
#include <exception>
#include <optional>
#include <utility>

#include "i18n/LanguageEntry.h"
#include "ui/editors/CodePageText.h"
#include "ui/editors/uCombiEditCharHexFrame.h"

namespace fendrel {
namespace {

// One component's entries; the file holds bytes in the program's code page.
class TEntries {
 public:
  TEntries(const TIniReader& file, const QString& section, const QString& component)
      : FFile(file), FSection(section.toStdString()), FComponent(component) {}

  std::optional<QString> Read(const QString& suffix) const {
    std::optional<std::string> text =
        ReadLanguageEntry(FFile, FSection, (FComponent + suffix).toStdString());
    if (!text) return std::nullopt;
    return BytesToQString(*text);
  }

 private:
  const TIniReader& FFile;
  std::string FSection;
  QString FComponent;
};

// The tab widget that shows `page` as one of its pages, and the page's index there.
std::optional<std::pair<QTabWidget*, int>> TabOf(QWidget& page) {
  // A page's parent is the tab widget's stack; the tab widget sits above it.
  for (QObject* up = page.parent(); up; up = up->parent()) {
    if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
      const int index = tabs->indexOf(&page);
      if (index < 0) return std::nullopt;
      return std::make_pair(tabs, index);
    }
  }
  return std::nullopt;
}

// Sets the caption of a component that shows one; false for a component without a caption.
bool SetCaption(QWidget& widget, const QString& text) {
  if (widget.isWindow()) {
    widget.setWindowTitle(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
    group->setTitle(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
    edit->setText(text);
  } else if (auto tab = TabOf(widget)) {
    tab->first->setTabText(tab->second, text);
  } else {
    return false;
  }
  return true;
}

void TranslateWidget(QWidget& widget, const TEntries& entries) {
  // A menu is a menu item with a submenu: a caption, no hint.
  if (auto* menu = qobject_cast<QMenu*>(&widget)) {
    if (auto caption = entries.Read(".Caption")) menu->setTitle(*caption);
    return;
  }
  if (auto caption = entries.Read(".Caption")) SetCaption(widget, *caption);
  if (auto hint = entries.Read(".Hint")) widget.setToolTip(*hint);

  if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
    // A radio group's items are its radio buttons.
    const QList<QRadioButton*> items =
        group->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (int i = 0; i < items.size(); ++i)
      if (auto text = entries.Read(".Caption.Item." + QString::number(i))) items[i]->setText(*text);
  }
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
    for (int i = 0; i < combo->count(); ++i)
      if (auto text = entries.Read(".Caption.Item." + QString::number(i)))
        combo->setItemText(i, *text);
  }
  auto* plain = qobject_cast<QPlainTextEdit*>(&widget);
  auto* rich = qobject_cast<QTextEdit*>(&widget);
  if (plain || rich) {
    QStringList lines;
    while (auto line = entries.Read(".Caption.Line." + QString::number(lines.size())))
      lines.append(*line);
    // Lines end at the first missing one. A memo without a single line entry keeps its text,
    // as every other component does: a file that lacks the memo, or cannot be read, must not
    // blank it.
    if (lines.isEmpty()) return;
    if (plain) plain->setPlainText(lines.join('\n'));
    if (rich) rich->setPlainText(lines.join('\n'));
  }
}

// The components of a window, in creation order. Qt's own parts (tab bars, stacks, viewports)
// are passed through, as the program's components sit inside them.
void CollectComponents(QObject& parent, QList<QObject*>& components) {
  for (QObject* child : parent.children()) {
    if (qobject_cast<QWidget*>(child) || qobject_cast<QAction*>(child)) components.append(child);
    // The string-editor frame names its inner components the same in both of its instances,
    // so the window's entries could not tell them apart.
    if (!qobject_cast<TCombiEditCharHexFrame*>(child)) CollectComponents(*child, components);
  }
}

}  // namespace

void TranslateComponent(QObject& component, const TIniReader& languageFile,
                        const QString& section) {
  const QString name = component.objectName();
  if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return;
  const TEntries entries(languageFile, section, name);
  if (auto* action = qobject_cast<QAction*>(&component)) {
    if (action->isSeparator() || action->text() == QLatin1String("-")) return;
    if (auto caption = entries.Read(".Caption")) action->setText(*caption);
  } else if (auto* widget = qobject_cast<QWidget*>(&component)) {
    TranslateWidget(*widget, entries);
  }
}

void TranslateFromFile(QWidget& window, const std::string& languageFile) {
  const TIniReader file(languageFile);
  const QString section = window.objectName();
  QList<QObject*> components{&window};
  CollectComponents(window, components);
  for (QObject* component : components) {
    try {
      TranslateComponent(*component, file, section);
    } catch (const std::exception&) {
      // One component that cannot take its texts leaves the others their translation.
    }
  }
}

}  // namespace fendrel
