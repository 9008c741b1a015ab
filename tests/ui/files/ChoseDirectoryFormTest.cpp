#include <QFileSystemModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "FileSelectionFixture.h"

namespace fendrel::test {
namespace {

// Runs `act` on the chooser once its modal loop runs, then opens it through the browse button.
void Browse(TFileSelection& selection, TChoseDirectoryForm& chooser,
            const std::function<void(TChoseDirectoryForm&)>& act) {
  QTimer::singleShot(0, &chooser, [&chooser, act] { act(chooser); });
  selection.SelectDirSpeedButtonClick();
}

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i)
    items << box.itemText(i);
  return items;
}

TEST_F(FileSelectionTest, ChooserConfirmedWithOkSearchesThereAndPutsThePathOnTopOnce) {
  MakeDir(FDir / "pick");
  WriteFile(FDir / "pick/a.txt", "x");
  const QString pick = QString::fromStdString(FDir / "pick");
  QComboBox* pathBox = FWidgets.PathComboBox;
  pathBox->addItems({QStringLiteral("/elsewhere"), pick, pick + '/'});
  Type(FWidgets.MaskComboBox, "*.txt");

  QSignalSpy opening(&FSelection, &TFileSelection::ChooserOpening);
  Browse(FSelection, FChooser, [&pick](TChoseDirectoryForm& chooser) {
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Chose Directory"));
    EXPECT_EQ(chooser.OkButton()->text(), QStringLiteral("&OK"));
    EXPECT_EQ(chooser.CancelButton()->text(), QStringLiteral("&Cancel"));
    chooser.SetDirectory(pick);
    QTest::mouseClick(chooser.OkButton(), Qt::LeftButton);
  });
  EXPECT_EQ(opening.count(), 1);
  EXPECT_EQ(pathBox->currentText(), pick);
  EXPECT_EQ(Items(*pathBox), (QStringList{pick, QStringLiteral("/elsewhere"), pick + '/'}));
  EXPECT_EQ(pathBox->currentIndex(), 0);
  // The directory shown becomes the one a relative path is taken from.
  EXPECT_EQ(QDir::currentPath(), pick);
  WaitForScan();
  EXPECT_EQ(Entries(), std::vector<std::string>{FDir / "pick/a.txt"});
}

TEST_F(FileSelectionTest, ChooserOpensOnThePathsFolderSelectedAndOkWithoutAChangeKeepsIt) {
  MakeDir(FDir / "tree/sub");
  WriteFile(FDir / "tree/a.txt", "x");
  WriteFile(FDir / "tree/sub/b.txt", "x");
  // Beside the folder: a search of its parent would list this one.
  WriteFile(FDir / "c.txt", "x");
  Type(FWidgets.MaskComboBox, "*.txt");
  const QString parent = QString::fromStdString(FDir.Path());
  const QString tree = QString::fromStdString(FDir / "tree");
  const QString sub = QString::fromStdString(FDir / "tree/sub");
  struct TCase {
    const char* Name;
    QString Typed;
    QString LeftAt;  // where the chooser was left last time
    QString Opens;
    std::vector<std::string> Found;
  };
  const TCase cases[] = {
      // The program was started in the parent, which is the current directory.
      {"full path", tree, parent, tree, {FDir / "tree/a.txt"}},
      {"relative to the current directory",
       QStringLiteral("tree"),
       parent,
       tree,
       {FDir / "tree/a.txt"}},
      {"no such folder",
       QString::fromStdString(FDir / "missing"),
       sub,
       sub,
       {FDir / "tree/sub/b.txt"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    FChooser.SetDirectory(c.LeftAt);
    Type(FWidgets.PathComboBox, c.Typed.toStdString());
    WaitForScan();
    Browse(FSelection, FChooser, [&c](TChoseDirectoryForm& chooser) {
      EXPECT_EQ(chooser.Directory(), c.Opens);
      const auto* list = chooser.findChild<QTreeView*>(QStringLiteral("DirectoryListBox"));
      const auto* model = qobject_cast<const QFileSystemModel*>(list->model());
      EXPECT_EQ(model->filePath(list->currentIndex()), c.Opens);
      EXPECT_TRUE(list->selectionModel()->isSelected(list->currentIndex()));
      QTest::mouseClick(chooser.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(FWidgets.PathComboBox->currentText(), c.Opens);
    WaitForScan();
    EXPECT_EQ(Entries(), c.Found);
  }
}

TEST_F(FileSelectionTest, ChooserClosedWithoutOkChangesNothing) {
  MakeDir(FDir / "pick");
  WriteFile(FDir / "a.txt", "x");
  Scan(FDir.Path());
  const QString pick = QString::fromStdString(FDir / "pick");
  // An earlier confirmed opening must not count again when a later one is left another way.
  Browse(FSelection, FChooser, [&pick](TChoseDirectoryForm& chooser) {
    chooser.SetDirectory(pick);
    chooser.OkButton()->click();
  });
  Type(FWidgets.PathComboBox, FDir.Path());
  WaitForScan();

  struct {
    const char* Way;
    std::function<void(TChoseDirectoryForm&)> Close;
  } const ways[] = {
      {"window frame", [](TChoseDirectoryForm& chooser) { chooser.close(); }},
      {"Escape", [](TChoseDirectoryForm& chooser) { QTest::keyClick(&chooser, Qt::Key_Escape); }},
      {"Cancel", [](TChoseDirectoryForm& chooser) { chooser.CancelButton()->click(); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.Way);
    const QStringList history = Items(*FWidgets.PathComboBox);
    Browse(FSelection, FChooser, [&pick, &way](TChoseDirectoryForm& chooser) {
      chooser.SetDirectory(pick);
      way.Close(chooser);
    });
    EXPECT_TRUE(FChooser.Result().isEmpty());
    EXPECT_EQ(FWidgets.PathComboBox->currentText().toStdString(), FDir.Path());
    EXPECT_EQ(Items(*FWidgets.PathComboBox), history);
    EXPECT_TRUE(FSelection.ScanFinished());  // no new scan was started
    EXPECT_EQ(Entries(), std::vector<std::string>{FDir / "a.txt"});
  }
}

}  // namespace
}  // namespace fendrel::test
