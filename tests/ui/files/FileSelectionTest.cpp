#include <algorithm>
#include <cerrno>
#include <set>

#include <unistd.h>

#include "FileSelectionFixture.h"
#include "i18n/LanguageFileTexts.h"
#include "platform/FileAttributes.h"
#include "scan/DirWalk.h"
#include "scan/MailTools.h"

namespace fendrel::test {
namespace {

TEST_F(FileSelectionTest, SelectAllBoxCyclesAndAClickOnAnEntryMakesItMixed) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    WriteFile(FDir / name, "x");
  Scan(FDir.Path());
  ASSERT_EQ(FSelection.FileCount(), 3);
  List().SetTicked(1, true);
  QCheckBox* box = FWidgets.SelectAllNoneCheckBox;
  ASSERT_EQ(box->checkState(), Qt::PartiallyChecked);  // every new search starts mixed

  struct {
    Qt::CheckState State;
    int Ticked;
  } const clicks[] = {
      {Qt::Checked, 3},
      {Qt::Unchecked, 0},
      {Qt::PartiallyChecked, 0},  // mixed changes nothing
      {Qt::Checked, 3},
  };
  for (const auto& click : clicks) {
    const int updates = FWorkflowUpdates;
    Click(box);
    EXPECT_EQ(box->checkState(), click.State);
    EXPECT_EQ(FSelection.CountCheckedFiles(), click.Ticked);
    EXPECT_GT(FWorkflowUpdates, updates);
  }

  // A click on an entry's text leaves every tick alone, makes the box mixed, and shows the
  // entry's whole path as the list's tooltip.
  List().SetTicked(2, false);
  QTest::mouseClick(ListViewport(), Qt::LeftButton, {}, TextPoint(2));
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(FSelection.CountCheckedFiles(), 2);
  EXPECT_FALSE(List().Ticked(2));
  EXPECT_EQ(FWidgets.FileCheckListBox->toolTip(), Text(2));
}

TEST_F(FileSelectionTest, DoubleClickRemovesOnlyAnUntickedEntryAndNeverTheFile) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    WriteFile(FDir / name, "x");
  for (const bool ticked : {true, false}) {
    SCOPED_TRACE(ticked ? "ticked" : "unticked");
    Scan(FDir.Path());
    ASSERT_EQ(FSelection.FileCount(), 3);
    const std::string path = List().Path(1);
    if (ticked) List().SetTicked(1, true);
    const int updates = FWorkflowUpdates;
    QTest::mouseClick(ListViewport(), Qt::LeftButton, {}, TextPoint(1));
    QTest::mouseDClick(ListViewport(), Qt::LeftButton, {}, TextPoint(1));
    const std::vector<std::string> entries = Entries();
    const bool listed = std::find(entries.begin(), entries.end(), path) != entries.end();
    EXPECT_EQ(listed, ticked);
    EXPECT_EQ(FSelection.FileCount(), ticked ? 3 : 2);
    EXPECT_TRUE(Exists(path));
    EXPECT_GT(FWorkflowUpdates, updates);
  }
}

TEST_F(FileSelectionTest, TypingRestartsTheScanAndOnlyTheLastScansResultsRemain) {
  // Enough hits in the first directory that its scan is still handing over when it is dropped:
  // more than one batch of 4,096.
  MakeDir(FDir / "first");
  MakeDir(FDir / "second");
  for (int i = 0; i < 10000; ++i)
    WriteFile(FDir / ("first/f" + std::to_string(i) + ".txt"), "x");
  WriteFile(FDir / "second/s.txt", "x");
  WriteFile(FDir / "second/s.dat", "x");
  // Entered only while links are followed.
  ASSERT_EQ(::symlink("second", (FDir / "linked").c_str()), 0);

  Type(FWidgets.MaskComboBox, "*.txt");
  Type(FWidgets.PathComboBox, FDir / "first");
  while (FSelection.FileCount() == 0)
    QApplication::processEvents();
  ASSERT_FALSE(FSelection.ScanFinished());
  Type(FWidgets.PathComboBox, FDir / "second");
  WaitForScan();
  // Late hits of the dropped scans must neither stay nor arrive after the list was emptied.
  for (int i = 0; i < 20; ++i)
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(Entries(), std::vector<std::string>{FDir / "second/s.txt"});

  // A choice from the path box's drop-down list and a click on the recursion box restart too.
  // A text set by the program restarts nothing.
  QComboBox* pathBox = FWidgets.PathComboBox;
  pathBox->addItem(QString::fromStdString(FDir.Path()));
  pathBox->setCurrentIndex(pathBox->count() - 1);
  EXPECT_EQ(FSelection.FileCount(), 1);
  emit pathBox->textActivated(pathBox->currentText());
  WaitForScan();
  EXPECT_EQ(FSelection.FileCount(), 0);
  Click(FWidgets.RekursivCheckBox);
  WaitForScan();
  EXPECT_EQ(FSelection.FileCount(), 10001);
  EXPECT_EQ(FSelection.LinkRule().Root, FDir.Path());
  EXPECT_FALSE(FSelection.LinkRule().Follow);
  // The link box restarts too, and the scanner then enters the linked folder.
  Click(FWidgets.FollowLinksCheckBox);
  WaitForScan();
  EXPECT_EQ(FSelection.FileCount(), 10002);
  EXPECT_TRUE(FSelection.LinkRule().Follow);

  // Clearing the mask empties the list and the status line at once, and starts no scan.
  FSelection.CheckFileSearchTimerTimer();
  ASSERT_FALSE(FWidgets.FileSearchResultLabel->text().isEmpty());
  Erase(FWidgets.MaskComboBox);
  EXPECT_EQ(FSelection.FileCount(), 0);
  EXPECT_TRUE(FWidgets.FileSearchResultLabel->text().isEmpty());
  EXPECT_TRUE(FSelection.ScanFinished());
  EXPECT_FALSE(FSelection.CheckFileSearchTimer()->isActive());
}

TEST_F(FileSelectionTest, TheBoxesShowExactlyWhatIsScanned) {
  WriteFile(FDir / "notes.txt", "x");
  WriteFile(FDir / "script.sh", "x");
  // Earlier entries in both histories: typing the start of one must not complete to it.
  FWidgets.MaskComboBox->addItem("*.txt");
  FWidgets.PathComboBox->addItem(QString::fromStdString(FDir.Path() + "/elsewhere"));
  Scan(FDir.Path(), "*");
  EXPECT_EQ(FWidgets.MaskComboBox->currentText(), "*");
  EXPECT_EQ(FWidgets.MaskComboBox->lineEdit()->text(), "*");
  EXPECT_EQ(FWidgets.PathComboBox->currentText().toStdString(), FDir.Path());
  std::vector<std::string> entries = Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{FDir / "notes.txt", FDir / "script.sh"}));
}

TEST_F(FileSelectionTest, StatusLineInBothLanguages) {
  for (int i = 0; i < 12; ++i)
    WriteFile(FDir / ("f" + std::to_string(i) + ".txt"), "x");
  Type(FWidgets.MaskComboBox, "*.txt");
  // Until the event loop serves it, the scan waits in its first hand-over: still running.
  Type(FWidgets.PathComboBox, FDir.Path());
  ASSERT_FALSE(FSelection.ScanFinished());
  EXPECT_TRUE(FSelection.CheckFileSearchTimer()->isActive());
  struct {
    int Language;
    bool Finished;
    const char* Status;
  } const cases[] = {
      {1, false, "Searching (0) ....."},
      {0, false, "Suche (0) ....."},
      {0, true, "Suche beendet: 12 Dateien gefunden"},
      {1, true, "Search complete: 12 files found"},
      {-1, true, "Search complete: 12 files found"},  // a language file keeps the English line
  };
  for (const auto& c : cases) {
    if (c.Finished) WaitForScan();
    FSelection.SetCurrentLanguage(c.Language);
    FSelection.CheckFileSearchTimerTimer();
    EXPECT_EQ(FWidgets.FileSearchResultLabel->text().toStdString(), c.Status);
  }
  // The link box's hint tells in the window's language what ticking it changes.
  const struct {
    int Language;
    const char* Caption;
    const char* HintPart;
  } boxes[] = {
      {0, "Verknüpfungen folgen", "innerhalb des gewählten Ordners"},
      {1, "follow links", "inside the chosen folder"},
      {-1, "follow links", "inside the chosen folder"},
  };
  for (const auto& box : boxes) {
    FSelection.SetCurrentLanguage(box.Language);
    EXPECT_EQ(FWidgets.FollowLinksCheckBox->text().toStdString(), box.Caption);
    EXPECT_TRUE(FWidgets.FollowLinksCheckBox->toolTip().contains(QString::fromUtf8(box.HintPart)))
        << box.Language;
  }
  FSelection.SetCurrentLanguage(0);
  EXPECT_EQ(FWidgets.RekursivCheckBox->text(), QStringLiteral("rekursive"));
  EXPECT_EQ(FWidgets.SelectAllNoneCheckBox->text(), QStringLiteral("alle/keine auswählen"));
}

// Under a language file the catalogue's texts it holds replace the English ones; the link box's
// hint, which the file's window section may give, changes only when the texts hold it too.
TEST_F(FileSelectionTest, ALanguageFilesTextsReplaceTheEnglishOnes) {
  FSelection.SetCurrentLanguage(1);
  const QString englishHint = FWidgets.FollowLinksCheckBox->toolTip();
  const struct {
    bool WithHint;
    const char* Caption;
    QString Hint;
  } cases[] = {
      {false, "suivre les liens", englishHint},
      {true, "suivre les liens", QStringLiteral("Suit les liens")},
  };
  for (const auto& c : cases) {
    TLanguageFileTexts texts;
    texts.Set(TTextId::FollowLinksBox, "suivre les liens");
    texts.Set(TTextId::FileSearchComplete, "%1 fichiers");
    if (c.WithHint) texts.Set(TTextId::FollowLinksHint, "Suit les liens");
    UseLanguageFileTexts(std::move(texts));
    FSelection.SetCurrentLanguage(-1);
    EXPECT_EQ(FWidgets.FollowLinksCheckBox->text().toStdString(), c.Caption);
    EXPECT_EQ(FWidgets.FollowLinksCheckBox->toolTip(), c.Hint);
    EXPECT_EQ(FWidgets.RekursivCheckBox->text(), "rekursiv");
    EXPECT_EQ(FileSearchStatusText(true, 12, -1), "12 fichiers");
  }
  UseLanguageFileTexts({});
}

// The count in the status line grows a batch at a time while the scan runs.
TEST_F(FileSelectionTest, StatusLineCountsTheHitsHandedOverSoFar) {
  for (int i = 0; i < 10000; ++i)
    WriteFile(FDir / ("f" + std::to_string(i) + ".txt"), "");
  Type(FWidgets.MaskComboBox, "*.txt");
  Type(FWidgets.PathComboBox, FDir.Path());
  while (FSelection.FileCount() == 0)
    QApplication::processEvents();
  // The scan now waits in its next hand-over until the event loop serves it; the first one held
  // at most 4,096 hits (fewer when 50 ms passed first, as on a slow machine).
  ASSERT_FALSE(FSelection.ScanFinished());
  const int listed = FSelection.FileCount();
  EXPECT_LE(listed, 4096);
  FSelection.CheckFileSearchTimerTimer();
  EXPECT_EQ(FWidgets.FileSearchResultLabel->text().toStdString(),
            "Searching (" + std::to_string(listed) + ") .....");
  WaitForScan();
  FSelection.CheckFileSearchTimerTimer();
  EXPECT_EQ(FWidgets.FileSearchResultLabel->text().toStdString(),
            "Search complete: 10000 files found");
  TDirStringList walk;
  walk.ReadDirectory(FDir.Path(), "*.txt", kFileScanFilter, false, false);
  EXPECT_EQ(Entries(), walk.Items()) << "in the order the walk finds them";
}

// A finished scan that could not read some folders says how many, so a short list is not taken
// for the whole; the walk's hook refuses them, as a folder's mode cannot refuse root.
TEST_F(FileSelectionTest, StatusLineTellsTheFoldersThatCouldNotBeRead) {
  for (const char* dir : {"S", "T"})
    MakeDir(FDir / dir);
  for (const char* file : {"a.txt", "b.txt", "c.txt", "d.txt", "S/s.txt", "T/t.txt"})
    WriteFile(FDir / file, "x");
  Click(FWidgets.RekursivCheckBox);
  const struct {
    std::set<std::string> Refused;
    int Language;
    const char* Status;
  } cases[] = {
      {{}, 1, "Search complete: 6 files found"},
      {{"S"}, 1, "Search complete: 5 files found, 1 folder could not be read"},
      {{"S", "T"}, 1, "Search complete: 4 files found, 2 folders could not be read"},
      {{"S"}, 0, "Suche beendet: 5 Dateien gefunden, 1 Ordner konnte nicht gelesen werden"},
      {{"S", "T"}, 0, "Suche beendet: 4 Dateien gefunden, 2 Ordner konnten nicht gelesen werden"},
  };
  for (const auto& c : cases) {
    WalkHooks().OpenError = [&](const std::string& path) {
      const std::size_t slash = path.rfind('/');
      return path.substr(0, slash) == FDir.Path() && c.Refused.count(path.substr(slash + 1)) != 0
                 ? EACCES
                 : 0;
    };
    FSelection.SetCurrentLanguage(c.Language);
    Scan(FDir.Path());
    WalkHooks().OpenError = nullptr;
    FSelection.CheckFileSearchTimerTimer();
    EXPECT_EQ(FWidgets.FileSearchResultLabel->text().toStdString(), c.Status);
  }
}

// The exclusion box leaves out names as the command line's --exclude does, restarts the scan as
// the mask does, and refuses what could never match a name.
TEST_F(FileSelectionTest, TheExclusionBoxLeavesOutNamesAndRestartsTheScan) {
  for (const char* dir : {"node_modules", "src", "src/build"})
    MakeDir(FDir / dir);
  for (const char* file : {"a.js", "a.min.js", "node_modules/m.js", "src/b.js", "src/build/c.js"})
    WriteFile(FDir / file, "x");
  Click(FWidgets.RekursivCheckBox);
  Scan(FDir.Path(), "*.js");
  const struct {
    const char* Exclude;
    std::set<std::string> Listed;  // below FDir
    const char* Status;
  } cases[] = {
      {"node_modules;build;*.min.js", {"a.js", "src/b.js"}, "Search complete: 2 files found"},
      {"SRC", {"a.js", "a.min.js", "node_modules/m.js"}, "Search complete: 3 files found"},
      {"",
       {"a.js", "a.min.js", "node_modules/m.js", "src/b.js", "src/build/c.js"},
       "Search complete: 5 files found"},
      {"src/build", {}, "Exclude: a pattern matches names and holds no \"/\""},
  };
  for (const auto& c : cases) {
    if (*c.Exclude != '\0')
      Type(FWidgets.ExcludeComboBox, c.Exclude);
    else
      Erase(FWidgets.ExcludeComboBox);
    WaitForScan();
    std::set<std::string> listed;
    for (const std::string& path : Entries())
      listed.insert(path.substr(FDir.Path().size() + 1));
    EXPECT_EQ(listed, c.Listed) << c.Exclude;
    FSelection.CheckFileSearchTimerTimer();
    EXPECT_EQ(FWidgets.FileSearchResultLabel->text().toStdString(), c.Status);
  }
}

TEST_F(FileSelectionTest, TickedFilesAreCountedListedInOrderAndUntickedAfterARun) {
  // A name that is no valid UTF-8 cannot be shown faithfully, but must still be processed
  // under its real name.
  const std::string odd = FDir / "caf\xE9.txt";
  for (const std::string& path : {FDir / "a.txt", odd, FDir / "b.txt"})
    WriteFile(path, "x");
  Scan(FDir.Path());
  ASSERT_EQ(FSelection.FileCount(), 3);
  EXPECT_EQ(FSelection.CountCheckedFiles(), 0);  // entries arrive unticked
  std::vector<std::string> expected;
  for (int row = 0; row < 3; ++row) {
    const std::string path = List().Path(row);
    if (path == FDir / "a.txt") continue;
    List().SetTicked(row, true);
    expected.push_back(path);
  }
  EXPECT_EQ(FSelection.CountCheckedFiles(), 2);
  EXPECT_EQ(FSelection.CheckedFiles(), expected);
  EXPECT_NE(std::find(expected.begin(), expected.end(), odd), expected.end());

  FSelection.UncheckAllFiles();
  EXPECT_EQ(FSelection.CountCheckedFiles(), 0);
  EXPECT_EQ(FSelection.FileCount(), 3);
}

TEST_F(FileSelectionTest, EveryCompletedScanReEvaluatesTheWorkflow) {
  // Two searches in a row that list as many files as each other: the second one's completion
  // must still be reported, or the start button would stay as the search's start left it.
  struct {
    int Files;
  } const cases[] = {{2}, {0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Files);
    for (const char* sub : {"one", "two"}) {
      const std::string dir = FDir / (std::to_string(c.Files) + sub);
      MakeDir(dir);
      for (int i = 0; i < c.Files; ++i)
        WriteFile(dir + "/f" + std::to_string(i) + ".txt", "x");
      Scan(dir);
      QSignalSpy updates(&FSelection, &TFileSelection::WorkflowStateChanged);
      FSelection.CheckFileSearchTimerTimer();
      EXPECT_EQ(updates.count(), 1);
      FSelection.CheckFileSearchTimerTimer();  // nothing new: no further re-evaluation
      EXPECT_EQ(updates.count(), 1);
      EXPECT_EQ(FSelection.LastFileCount(), c.Files);
    }
  }
}

}  // namespace
}  // namespace fendrel::test
