#include "HelpPage.h"

#include <QDir>
#include <QFileInfo>

#include "i18n/LanguageTable.h"

namespace fendrel {

QStringList HelpPageDirectories(const QString& programDirectory) {
  QStringList directories;
  if (!programDirectory.isEmpty()) directories << programDirectory;
  directories << QString::fromUtf8(FENDREL_HELP_INSTALL_DIR);
  return directories;
}

QString FindHelpPage(const QStringList& directories) {
  for (const QString& directory : directories) {
    const QString file = QDir(directory).filePath(QString::fromLatin1(kHelpPageFileName));
    if (QFileInfo(file).isFile()) return QFileInfo(file).absoluteFilePath();
  }
  return {};
}

QUrl HelpPageUrl(const QString& file, int32_t language) {
  QUrl url = QUrl::fromLocalFile(file);
  // The page holds both languages, each in a section named by its language code.
  url.setFragment(language == kGerman ? QStringLiteral("de") : QStringLiteral("en"));
  return url;
}

bool IsInstalledProgram(const QString& programDirectory, const QString& installBinDirectory) {
  const QString program = QFileInfo(programDirectory).canonicalFilePath();
  return !program.isEmpty() && program == QFileInfo(installBinDirectory).canonicalFilePath();
}

}  // namespace fendrel
