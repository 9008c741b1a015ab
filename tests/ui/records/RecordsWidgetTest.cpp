// The widgets over the records: the backup page with its ticks, select-all box and delete
// button, the result list, and the texts of the information windows in both languages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>

#include "platform/CodePage.h"
#include "support/TempDir.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/BannerForm.h"
#include "ui/records/ResultListBox.h"
#include "ui/records/SnRAboutForm.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

// The backup list as the view sees it: a row's text and tick, and a tick as a click sets it.
struct TRows {
  QAbstractItemModel& Model;
  int count() const { return Model.rowCount(); }
  std::string Text(int row) const { return Model.index(row, 0).data().toString().toStdString(); }
  void Tick(int row, bool ticked) {
    Model.setData(Model.index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
  }
};

// The page's questions, each answered yes, and its last report.
struct TAnswers {
  explicit TAnswers(TBackupFileListPage& page) {
    page.SetQuestion([this](const QString& text) {
      Questions.push_back(text);
      return true;
    });
    page.SetReport([this](const QString& text) { Report = text; });
  }
  std::vector<QString> Questions;
  QString Report;
};

std::vector<Qt::CheckState> Ticks(const TRows& list) {
  std::vector<Qt::CheckState> ticks;
  for (int row = 0; row < list.count(); ++row)
    ticks.push_back(
        static_cast<Qt::CheckState>(list.Model.index(row, 0).data(Qt::CheckStateRole).toInt()));
  return ticks;
}

TEST(BackupFileListPageTest, TicksDriveTheDeleteButtonAndDeleting) {
  TTempDir dir;
  const std::string a = dir / "a.0.snr_bak", b = dir / "b.0.snr_bak", c = dir / "c.0.snr_bak";
  for (const std::string& path : {a, b, c})
    WriteFile(path, "x");
  WriteFile(dir / "backup.dat", a + "\n" + dir / "gone.0.snr_bak" + "\n" + b + "\n");

  TBackupFileListPage page;
  EXPECT_EQ(page.objectName(), "BackupFileTabSheet");
  ASSERT_TRUE(page.Load(dir.Path()));
  page.Record(c);
  TRows list{*page.ListBox()->model()};
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.Text(0), a);
  EXPECT_EQ(list.Text(2), c);
  EXPECT_FALSE(page.DeleteButton()->isEnabled());

  // A tick of its own enables the button at once; taking it back disables it.
  list.Tick(1, true);
  EXPECT_TRUE(page.DeleteButton()->isEnabled());
  EXPECT_TRUE(page.Registry().Entries()[1].Ticked);
  list.Tick(1, false);
  EXPECT_FALSE(page.DeleteButton()->isEnabled());

  // Clicks cycle mixed -> all ticked -> none ticked -> mixed, and mixed leaves the ticks alone.
  QCheckBox& all = *page.SelectAllNoneCheckBox();
  EXPECT_EQ(all.checkState(), Qt::PartiallyChecked);
  list.Tick(0, true);
  all.click();
  EXPECT_EQ(all.checkState(), Qt::Checked);
  EXPECT_EQ(Ticks(list), std::vector<Qt::CheckState>(3, Qt::Checked));
  all.click();
  EXPECT_EQ(all.checkState(), Qt::Unchecked);
  EXPECT_EQ(Ticks(list), std::vector<Qt::CheckState>(3, Qt::Unchecked));
  EXPECT_FALSE(page.DeleteButton()->isEnabled());
  list.Tick(0, true);
  list.Tick(2, true);
  all.click();
  EXPECT_EQ(all.checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(Ticks(list), (std::vector<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::Checked}));

  // Deleting asks first, with the number of backups; "No" keeps them all.
  std::vector<QString> questions;
  bool answer = false;
  page.SetQuestion([&](const QString& text) {
    questions.push_back(text);
    return answer;
  });
  page.DeleteButton()->click();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], TBackupFileListPage::DeleteQuestionText(2, 1));
  EXPECT_TRUE(questions[0].contains("Delete 2 backup file(s)"));
  EXPECT_TRUE(questions[0].contains("only copies"));
  ASSERT_EQ(list.count(), 3);
  EXPECT_TRUE(Exists(a));
  answer = true;
  page.DeleteButton()->click();
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.Text(0), b);
  EXPECT_FALSE(Exists(a));
  EXPECT_TRUE(Exists(b));
  EXPECT_FALSE(Exists(c));
  EXPECT_FALSE(page.DeleteButton()->isEnabled());
}

TEST(BackupFileListPageTest, RestoresTickedBackupsAfterAsking) {
  TTempDir dir;
  const std::string file = dir / "f.txt";
  WriteFile(file, "replaced");
  WriteFile(file + ".0.snr_bak", "original");
  WriteFile(dir / "gone.txt.3.snr_bak", "made again");
  TBackupFileListPage page;
  page.Record(file + ".0.snr_bak");
  page.Record(dir / "gone.txt.3.snr_bak");
  TRows list{*page.ListBox()->model()};
  list.Tick(0, true);
  list.Tick(1, true);
  EXPECT_TRUE(page.RestoreButton()->isEnabled());
  const TAnswers answers(page);
  page.RestoreButton()->click();

  EXPECT_EQ(answers.Questions,
            std::vector<QString>{TBackupFileListPage::RestoreQuestionText(2, 1)});
  EXPECT_EQ(ReadFile(file), "original");
  EXPECT_EQ(ReadFile(file + ".1.snr_bak"), "replaced");
  EXPECT_EQ(ReadFile(dir / "gone.txt"), "made again");
  EXPECT_EQ(answers.Report, "2 file(s) restored.");
  // The content replaced is listed as a backup of its own, so the restore can be undone.
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.Text(2), file + ".1.snr_bak");
  EXPECT_FALSE(page.RestoreButton()->isEnabled());
}

// The runs of the journal, the command line's among them, are offered newest first and undone
// whole; the undoing is offered in turn, and every backup it makes is listed.
TEST(BackupFileListPageTest, UndoesAWholeRunFromTheJournal) {
  TTempDir dir, data;
  WriteFile(dir / "a", "a after");
  WriteFile(dir / "a.0.snr_bak", "a before");
  WriteFile(dir / "b", "b after");
  WriteFile(dir / "b.0.snr_bak", "b before");
  {
    // A run of the command line, and an older one nothing is left of.
    TRunJournal journal(data.Path());
    TRunRecorder(&journal, kRunReplace, dir.Path(), "gone").Backup(dir / "c", dir / "c.0.snr_bak");
    TRunRecorder run(&journal, kRunReplace, dir.Path(), "*: before --> after");
    run.Backup(dir / "a", dir / "a.0.snr_bak");
    run.Backup(dir / "b", dir / "b.0.snr_bak");
  }
  TBackupFileListPage page;
  page.Load(data.Path());
  TRows list{*page.ListBox()->model()};
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.Text(0), dir / "a.0.snr_bak");
  ASSERT_EQ(page.RunComboBox()->count(), 1) << "a run without backups left is not offered";
  EXPECT_TRUE(page.RunComboBox()->itemText(0).startsWith("2  "));
  EXPECT_TRUE(page.RunComboBox()->itemText(0).endsWith(
      QString("  2 file(s)  %1  *: before --> after").arg(QString::fromStdString(dir.Path()))));
  EXPECT_EQ(ReadRunJournal(data.Path()).size(), 1u) << "the spent run left the journal";

  // A run of the window's own, made while the page was shown.
  WriteFile(dir / "a.1.snr_bak", "a after");
  WriteFile(dir / "a", "a later");
  page.BeginRun(7, dir.Path(), "a: after --> later");
  page.RunBackupMade(7, dir / "a", dir / "a.1.snr_bak");
  page.RunBackupMade(8, dir / "a", dir / "a.9.snr_bak");  // no run of this page's
  page.RefreshRuns();
  ASSERT_EQ(page.RunComboBox()->count(), 2);
  EXPECT_TRUE(page.RunComboBox()->itemText(0).startsWith("3  "));
  EXPECT_EQ(page.RunComboBox()->currentIndex(), 0) << "the last run is the one offered";

  const TAnswers answers(page);
  page.RunComboBox()->setCurrentIndex(1);
  page.RestoreRunButton()->click();
  ASSERT_EQ(answers.Questions.size(), 1u);
  EXPECT_EQ(answers.Questions[0],
            TBackupFileListPage::RestoreRunQuestionText(ReadRunJournal(data.Path())[0], 2, 1));
  EXPECT_TRUE(
      answers.Questions[0].startsWith("Restore the 2 file(s) of run 2 as they were before"));
  EXPECT_EQ(ReadFile(dir / "a"), "a before");
  EXPECT_EQ(ReadFile(dir / "b"), "b before");
  EXPECT_EQ(answers.Report, "2 file(s) restored.");
  EXPECT_EQ(list.Text(list.count() - 1), dir / "b.1.snr_bak");
  ASSERT_EQ(page.RunComboBox()->count(), 3);
  EXPECT_TRUE(page.RunComboBox()->itemText(0).endsWith("restore: run 2"));

  // Undone, the undoing gives back what it replaced.
  page.RestoreRunButton()->click();
  EXPECT_EQ(ReadFile(dir / "a"), "a later");
  EXPECT_EQ(ReadFile(dir / "b"), "b after");
}

TEST(BackupFileListPageTest, TextsInBothLanguages) {
  TBackupFileListPage page;
  struct TCase {
    int32_t Language;
    const char* SelectAll;
    const char* Delete;
    const char* Restore;
    const char* RestoreRun;
  };
  const TCase cases[] = {
      {0, "alle/keine auswählen", "Ausgewählte Backup-Dateien löschen",
       "Ausgewählte Backup-Dateien wiederherstellen", "Lauf wiederherstellen"},
      // unknown: unchanged
      {7, "alle/keine auswählen", "Ausgewählte Backup-Dateien löschen",
       "Ausgewählte Backup-Dateien wiederherstellen", "Lauf wiederherstellen"},
      {-1, "select all/none", "Delete Selected Backup Files", "Restore Selected Backup Files",
       "Restore Run"},
  };
  for (const TCase& c : cases) {
    page.SetCurrentLanguage(c.Language);
    EXPECT_EQ(page.SelectAllNoneCheckBox()->text(), QString::fromUtf8(c.SelectAll));
    EXPECT_EQ(page.DeleteButton()->text(), QString::fromUtf8(c.Delete));
    EXPECT_EQ(page.RestoreButton()->text(), QString::fromUtf8(c.Restore));
    EXPECT_EQ(page.RestoreRunButton()->text(), QString::fromUtf8(c.RestoreRun));
  }
  EXPECT_EQ(page.SelectAllNoneCheckBox()->objectName(), "SelectAllNone2CheckBox");
  EXPECT_EQ(page.DeleteButton()->objectName(), "DeleteBackupfilesButton");
  EXPECT_EQ(page.ListBox()->objectName(), "BackupFileCheckListBox");
  EXPECT_TRUE(TBackupFileListPage::DeleteQuestionText(3, 0).startsWith(
      QString::fromUtf8("3 Backup-Datei(en) endgültig löschen?")));
}

TEST(ResultListBoxTest, RowsFollowTheLog) {
  TResultListBox box;
  EXPECT_EQ(box.objectName(), "ResultListBox");
  TResultListModel& model = box.Model();
  for (const std::string line : {"/d/ä.txt", "ä [C3A4] --> b [62] : 1 replacements", "", "UPDATE"})
    model.AddStatusLine(line);
  ASSERT_EQ(model.rowCount(), 4);
  EXPECT_EQ(model.data(model.index(1)).toString(), QString::fromUtf8("ä [C3A4] --> b [62] :"));
  EXPECT_EQ(model.data(model.index(2)).toString(), "1 replacements");
  // Every row is as wide as the widest entry, and the list scrolls sideways as far as it reaches.
  box.resize(200, 100);
  box.show();
  const QSize row = model.data(model.index(3), Qt::SizeHintRole).toSize();
  model.AddStatusLine(std::string(300, 'x'));
  QApplication::processEvents();
  EXPECT_GT(model.data(model.index(0), Qt::SizeHintRole).toSize().width(), row.width());
  EXPECT_GT(box.horizontalScrollBar()->maximum(), 0);
  model.SetLogMode(0);
  EXPECT_EQ(model.AddStatusLine("/d/b.txt"), 0u);
  model.Clear();
  EXPECT_EQ(model.rowCount(), 0);
}

// The texts a window shows, in the order of its labels and button.
QStringList Texts(const QWidget& window) {
  QStringList texts{window.windowTitle()};
  for (const QLabel* label : window.findChildren<QLabel*>())
    texts << label->text();
  for (const QPushButton* button : window.findChildren<QPushButton*>())
    texts << button->text();
  return texts;
}

template <typename TForm>
void ExpectBothLanguages(const char* objectName, const char* germanTitle, const char* englishTitle,
                         const char* germanUrl, const char* englishUrl) {
  TForm form;
  EXPECT_EQ(form.objectName(), objectName);
  const QStringList english = Texts(form);
  EXPECT_EQ(form.windowTitle(), englishTitle);
  EXPECT_TRUE(english.join('\n').contains(englishUrl));

  form.SetCurrentLanguage(0);
  const QStringList german = Texts(form);
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8(germanTitle));
  EXPECT_TRUE(german.join('\n').contains(germanUrl));
  EXPECT_NE(german, english);

  form.SetCurrentLanguage(3);
  EXPECT_EQ(Texts(form), german);
  form.SetCurrentLanguage(-1);
  EXPECT_EQ(Texts(form), english);
}

TEST(InformationWindowsTest, AboutAndBannerInBothLanguages) {
  ExpectBothLanguages<TSnRAboutForm>("SnRAboutForm", "Über Fendrel", "About Fendrel",
                                     "https://fendrel.example.org/de/",
                                     "https://fendrel.example.org/\"");
  ExpectBothLanguages<TBannerForm>("BannerForm", "Ebenfalls von uns", "Also from us",
                                   "https://fendrel.example.org/de/pairs/",
                                   "https://fendrel.example.org/pairs/");
  // The version names the code set text is read in.
  for (const TCaseTable table : {TCaseTable::Ascii, TCaseTable::Windows1251}) {
    SelectCaseTable(table);
    TSnRAboutForm about;
    EXPECT_TRUE(Texts(about).contains("Fendrel"));
    EXPECT_TRUE(Texts(about).contains(table == TCaseTable::Ascii
                                          ? "Version 2.0, text in UTF-8"
                                          : "Version 2.0, text in Windows-1251"));
  }
  SelectCaseTable(TCaseTable::Ascii);
}

}  // namespace
}  // namespace fendrel
