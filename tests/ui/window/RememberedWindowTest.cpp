// The window's place and file selection come back at the next start, on the screen, and the
// settings file keeps everything else it holds.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "WindowTestSupport.h"
#include "settings/Iniregi.h"
#include "ui/editors/ComboBoxExt.h"
#include "ui/files/ChoseDirectoryForm.h"
#include "ui/files/FileListModel.h"
#include "ui/files/FileSelection.h"

namespace fendrel::test {
namespace {

using TRememberedWindow = TWindowTest;

TEST_F(TRememberedWindow, PlaceAndSelectionComeBackAtTheNextStart) {
  WriteFile(SettingsFile(), "[Generel]\r\nBackup=0\r\nLogging=1\r\n[Other]\r\nKey=kept\r\n");
  const QString path = QString::fromStdString(FDir / "work ");  // a trailing blank is kept
  MakeDir(FDir / "work ");
  WriteFile(FDir / "work /b.txt", "b");
  Form().show();
  // A first start follows no links, lists no version-control folder and no ignored file alike.
  EXPECT_FALSE(Form().FileWidgets().FollowLinksCheckBox->isChecked());
  EXPECT_FALSE(Form().FileWidgets().IncludeVcsCheckBox->isChecked());
  EXPECT_FALSE(Form().FileWidgets().IgnoreFilesCheckBox->isChecked());
  MakeDir(FDir / "work /.git");
  WriteFile(FDir / "work /.git/HEAD.txt", "ref");
  Form().resize(900, 700);
  Form().move(120, 80);
  Form().FileWidgets().PathComboBox->setEditText(path);
  Form().FileWidgets().MaskComboBox->setEditText("*.txt");
  Form().FileWidgets().RekursivCheckBox->setChecked(true);
  Form().FileWidgets().FollowLinksCheckBox->setChecked(true);
  Form().FileWidgets().IgnoreFilesCheckBox->setChecked(true);
  Form().FileWidgets().ExcludeComboBox->setEditText("*.bak;build");
  static_cast<TComboBoxExt*>(Form().FileWidgets().ExcludeComboBox)->UpdateHistory();
  EXPECT_FALSE(Form().KeepModificationTimeCheckBox()->isChecked());
  Form().KeepModificationTimeCheckBox()->setChecked(true);
  EXPECT_TRUE(Form().FormCloseQuery());
  FForm.reset();

  const TFileSelectionWidgets& files = Form().FileWidgets();
  EXPECT_EQ(files.PathComboBox->currentText(), path);
  EXPECT_EQ(files.MaskComboBox->currentText(), "*.txt");
  EXPECT_TRUE(files.RekursivCheckBox->isChecked());
  EXPECT_TRUE(files.FollowLinksCheckBox->isChecked());
  EXPECT_TRUE(files.IgnoreFilesCheckBox->isChecked());
  EXPECT_FALSE(files.IncludeVcsCheckBox->isChecked());
  EXPECT_EQ(files.ExcludeComboBox->currentText(), "*.bak;build");
  // Its own history, as the mask's.
  ASSERT_EQ(files.ExcludeComboBox->count(), 1);
  EXPECT_EQ(files.ExcludeComboBox->itemText(0), "*.bak;build");
  EXPECT_EQ(files.MaskComboBox->count(), 0);
  EXPECT_TRUE(Form().KeepModificationTimeCheckBox()->isChecked());
  // The recursive listing leaves .git out until the user includes it.
  ASSERT_TRUE(WaitFor([&] { return files.FileList->Count() == 1; }));
  files.IncludeVcsCheckBox->click();
  ASSERT_TRUE(WaitFor([&] { return files.FileList->Count() == 2; }));
  EXPECT_TRUE(Form().FileSelection().LinkRule().Follow);
  Form().show();
  EXPECT_EQ(Form().pos(), QPoint(120, 80));
  EXPECT_EQ(Form().size(), QSize(900, 700));
  EXPECT_EQ(IniReadString(SettingsFile(), "Other", "Key", ""), "kept");
  EXPECT_FALSE(IniReadBool(SettingsFile(), "Generel", "Backup", true));
  EXPECT_EQ(IniReadInteger(SettingsFile(), "Generel", "Logging", 9), 1);
}

TEST_F(TRememberedWindow, AFolderChosenWithTheBrowseButtonLeadsThePathHistoryNextTime) {
  const QString startDirectory = QDir::currentPath();
  TChoseDirectoryForm chooser;
  FFormChooser = &chooser;
  const std::string history = DataDirectory() + "history.ini";
  const auto q = [](const std::string& path) { return QString::fromStdString(path); };
  struct TCase {
    const char* Start;
    std::string Typed;  // typed into the path box and left with the mouse first; may be empty
    std::string Chosen;
    QStringList History;  // the path history at the start after
  };
  // A first start without a history file, then a later one that has one.
  const TCase cases[] = {
      {"first", "", FDir / "one", {q(FDir / "one")}},
      {"later",
       FDir / "typed",
       FDir / "two",
       {q(FDir / "two"), q(FDir / "typed"), q(FDir / "one")}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Start);
    MakeDir(c.Chosen);
    FForm.reset();
    Form().show();
    QComboBox* path = Form().FileWidgets().PathComboBox;
    if (!c.Typed.empty()) {
      path->setEditText(q(c.Typed));
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(path, &leave);
    }
    QTimer::singleShot(0, &chooser, [&chooser, &c, &q] {
      chooser.SetDirectory(q(c.Chosen));
      chooser.OkButton()->click();
    });
    Form().FileWidgets().SelectDirSpeedButton->click();
    EXPECT_EQ(path->currentText(), q(c.Chosen));
    EXPECT_EQ(path->itemText(0), q(c.Chosen));
    // File > Exit.
    EXPECT_TRUE(Form().FormCloseQuery());
    FForm.reset();
    EXPECT_EQ(IniReadInteger(history, "Path", "ItemCount", 0), static_cast<int>(c.History.size()));
    EXPECT_NE(ReadFile(history).find(c.Chosen), std::string::npos);

    QStringList items;
    for (int i = 0; i < Form().FileWidgets().PathComboBox->count(); ++i)
      items << Form().FileWidgets().PathComboBox->itemText(i);
    EXPECT_EQ(items, c.History);
  }
  FForm.reset();
  QDir::setCurrent(startDirectory);
}

TEST_F(TRememberedWindow, AStoredPlaceOffTheScreenComesBackOnIt) {
  const char* stored[] = {
      "Left=5000\r\nTop=3000\r\nWidth=800\r\nHeight=600\r\n",
      "Left=-900\r\nTop=-700\r\nWidth=800\r\nHeight=600\r\n",
      "Left=0\r\nTop=0\r\nWidth=4000\r\nHeight=3000\r\n",
  };
  for (const char* placement : stored) {
    FForm.reset();
    WriteFile(SettingsFile(), std::string("[Window]\r\n") + placement);
    Form().show();
    const QRect screen = Form().screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(Form().frameGeometry())) << placement;
  }
}

}  // namespace
}  // namespace fendrel::test
