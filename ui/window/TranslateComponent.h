// Applying a language file to a window: each named component takes its caption, hint, items or
// lines from the file's section named after the window, and keeps its text where the file has
// no entry (or "XXX").
#pragma once

#include <QString>
#include <string>

#include "settings/Iniregi.h"

class QObject;
class QWidget;

namespace fendrel {

// One component's entries, keyed by its objectName in `section`. A component without a name,
// or one of Qt's own parts, has no entries.
void TranslateComponent(QObject& component, const TIniReader& languageFile, const QString& section);

// The window itself, then every component below it in creation order. The components inside a
// string-editor frame belong to the frame and are left alone. A component that fails is
// skipped and the walk goes on.
void TranslateFromFile(QWidget& window, const std::string& languageFile);

}  // namespace fendrel
