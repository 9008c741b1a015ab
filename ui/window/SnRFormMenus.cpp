// The menus of the main window: File (Stop, Clear History, Exit), Options (backups, log mode, the
// backup page, language, help window) and Help (help page, home page, About).
#include <QActionGroup>
#include <QFile>
#include <QMenuBar>
#include <QTabWidget>
#include <QUrl>

#include "HelpPage.h"
#include "InstantHelpForm.h"
#include "SnRForm.h"
#include "i18n/LanguageTable.h"
#include "settings/HistoryList.h"
#include "ui/editors/ComboBoxExt.h"
#include "ui/editors/UiText.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/HomePage.h"
#include "ui/records/ResultListBox.h"
#include "ui/records/SnRAboutForm.h"

namespace fendrel {
namespace {

QMenu* NamedMenu(QMenu* parent, const char* name) {
  QMenu* menu = parent->addMenu(QString());
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

QAction* NamedAction(QMenu* menu, const char* name, const QKeySequence& shortcut = {}) {
  QAction* action = menu->addAction(QString());
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  return action;
}

}  // namespace

void TSnRForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file1 = bar->addMenu(QString());
  file1->setObjectName("File1");
  // Esc stops the run from anywhere in the window, as the Stop button does.
  FStop1 = NamedAction(file1, "Stop1", QKeySequence(Qt::Key_Escape));
  FStop1->setEnabled(false);
  connect(FStop1, &QAction::triggered, this, [this] { StopButtonClick(); });
  file1->addSeparator();
  connect(NamedAction(file1, "ClearHistory1"), &QAction::triggered, this,
          [this] { ClearHistory1Click(); });
  file1->addSeparator();
  connect(NamedAction(file1, "Exit1"), &QAction::triggered, this, [this] { CloseWindow(); });

  FOptions1 = bar->addMenu(QString());
  FOptions1->setObjectName("Options1");
  connect(FOptions1, &QMenu::aboutToShow, this, [this] { Options1Click(); });
  FCreateBackupFiles1 = NamedAction(FOptions1, "CreateBackupFiles1");
  FCreateBackupFiles1->setCheckable(true);
  connect(FCreateBackupFiles1, &QAction::triggered, this, [this] {
    FOptions.FCreateBackups = !FOptions.FCreateBackups;
    FCreateBackupFiles1->setChecked(FOptions.FCreateBackups);
  });

  QMenu* logResults = NamedMenu(FOptions1, "LogResults");
  auto* logGroup = new QActionGroup(this);
  const char* logNames[] = {"no1", "onlyfileswithreplacedstrings1", "allfiles1"};
  for (int32_t mode = 0; mode < 3; ++mode) {
    QAction* item = NamedAction(logResults, logNames[mode]);
    item->setCheckable(true);
    logGroup->addAction(item);
    connect(item, &QAction::triggered, this, [this, mode] { SetLogMode(mode); });
    FLogModeItems[mode] = item;
  }
  logResults->addSeparator();
  connect(NamedAction(logResults, "ClearLogResults1"), &QAction::triggered, this,
          [this] { ClearLogResults1Click(); });

  FBackupfiles1 = NamedAction(FOptions1, "Backupfiles1", QKeySequence(Qt::CTRL | Qt::Key_B));
  connect(FBackupfiles1, &QAction::triggered, this, [this] { Backupfiles1Click(); });

  QMenu* language1 = NamedMenu(FOptions1, "Language1");
  FDeutsch1 = NamedAction(language1, "deutsch1");
  FDeutsch1->setText("&deutsch");
  FEnglish1 = NamedAction(language1, "English1");
  FEnglish1->setText("&English");
  for (QAction* item : {FDeutsch1, FEnglish1})
    item->setCheckable(true);
  connect(FDeutsch1, &QAction::triggered, this, [] { ChangeLanguage(kGerman); });
  connect(FEnglish1, &QAction::triggered, this, [] { ChangeLanguage(kEnglish); });
  FOptions1->addSeparator();
  FHelpWindow1 = NamedAction(FOptions1, "HelpWindow1", QKeySequence(Qt::CTRL | Qt::Key_H));
  FHelpWindow1->setCheckable(true);
  connect(FHelpWindow1, &QAction::triggered, this, [this] { HelpWindow1Click(); });

  QMenu* help1 = bar->addMenu(QString());
  help1->setObjectName("Help1");
  connect(NamedAction(help1, "Help2", QKeySequence(Qt::Key_F1)), &QAction::triggered, this,
          [this] { Help2Click(); });
  connect(NamedAction(help1, "Homepage1"), &QAction::triggered, this, [this] { Homepage1Click(); });
  help1->addSeparator();
  connect(NamedAction(help1, "About1"), &QAction::triggered, this, [this] { About1Click(); });
}

void TSnRForm::Options1Click() {
  FCreateBackupFiles1->setChecked(FOptions.FCreateBackups);
  for (int32_t mode = 0; mode < 3; ++mode)
    FLogModeItems[mode]->setChecked(FOptions.FLogMode == mode);
  FHelpWindow1->setChecked(FInstantHelpForm ? FInstantHelpForm->isVisible()
                                            : FOptions.FShowHelpWindow);
  FDeutsch1->setChecked(CurrentLanguage() == kGerman);
  FEnglish1->setChecked(CurrentLanguage() == kEnglish);
}

void TSnRForm::ClearHistory1Click() {
  FPathComboBox->ClearHistoryItems();
  FMaskComboBox->ClearHistoryItems();
  FExcludeComboBox->ClearHistoryItems();
  // The path, mask and exclusion texts are emptied without starting a search: the list keeps
  // its entries until the next change.
  for (TComboBoxExt* box : {FPathComboBox, FMaskComboBox, FExcludeComboBox}) {
    const QSignalBlocker blocker(box);
    box->setEditText(QString());
  }
  FFromStr->ClearAll();
  FToStr->ClearAll();
  const QString historyFile = QString::fromStdString(HistoryFileIn(GetDataDirectory()));
  QFile::remove(historyFile);
  UpdateWorkflowState();
}

void TSnRForm::SetLogMode(int32_t logMode) {
  FOptions.FLogMode = logMode;
  FResultListBox->Model().SetLogMode(logMode);
  UpdateWorkflowState();
}

void TSnRForm::ClearLogResults1Click() {
  FResultListBox->Model().Clear();
}

void TSnRForm::ShowBackupPage(bool show) {
  FMainPageControl->setTabVisible(FMainPageControl->indexOf(FBackupFilePage), show);
  FOptions.FShowBackupFileList = show;
}

void TSnRForm::Backupfiles1Click() {
  const int index = FMainPageControl->indexOf(FBackupFilePage);
  const bool show = !FMainPageControl->isTabVisible(index);
  ShowBackupPage(show);
  if (show) FMainPageControl->setCurrentIndex(index);
  UpdateWorkflowState();
}

void TSnRForm::HelpWindow1Click() {
  if (FInstantHelpForm) {
    // The shortcut works without the menu open, when the mark may be stale: the window's own
    // visibility decides.
    FInstantHelpForm->setVisible(!FInstantHelpForm->isVisible());
    FOptions.FShowHelpWindow = FInstantHelpForm->isVisible();
  } else {
    FOptions.FShowHelpWindow = FHelpWindow1->isChecked();
  }
  FHelpWindow1->setChecked(FOptions.FShowHelpWindow);
  UpdateWorkflowState();
}

void TSnRForm::Homepage1Click() {
  const std::string_view url = HomePageUrl(CurrentLanguage());
  OpenUrl(QUrl(QString::fromLatin1(url.data(), url.size())));
}

void TSnRForm::Help2Click() {
  const QString file = FindHelpPage(FHelpPageDirectories);
  if (!file.isEmpty()) {
    OpenUrl(HelpPageUrl(file, CurrentLanguage()));
    return;
  }
  if (!FNotice) return;
  const QString installed =
      FHelpPageDirectories.isEmpty() ? QString() : FHelpPageDirectories.last();
  FNotice(UiText(TTextId::HelpPageNotFound, CurrentLanguage(),
                 {QString::fromLatin1(kHelpPageFileName), installed}));
}

void TSnRForm::OpenUrl(const QUrl& url) {
  if (FUrlOpener(url) || !FNotice) return;
  // Without a browser or an opener the address is all the user gets: it is shown to be opened by
  // hand.
  const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
  FNotice(UiText(TTextId::PageNotOpened, CurrentLanguage(), {where}));
}

void TSnRForm::About1Click() {
  ClearScreenOverlay();
  if (FAboutForm) FAboutForm->exec();
  UpdateWorkflowState();
}

}  // namespace fendrel
