// Help and Homepage: which page each opens in each language, where the help page is found, and
// what the user is told when it cannot be opened.
#include <QAction>
#include <QDir>
#include <filesystem>

#include "WindowTestSupport.h"
#include "ui/window/HelpPage.h"

namespace fendrel::test {
namespace {

using THelpAndHomePage = TWindowTest;

void Trigger(TSnRForm& form, const char* action) {
  auto* item = qobject_cast<QAction*>(FindComponent(form, QString::fromLatin1(action)));
  ASSERT_NE(item, nullptr) << action;
  item->trigger();
}

TEST(HelpPage, FoundBesideTheProgramFirstThenWhereItWasInstalled) {
  TTempDir dir;
  MakeDir(dir / "bin");
  MakeDir(dir / "doc");
  const QStringList directories = {QString::fromStdString(dir / "bin"),
                                   QString::fromStdString(dir / "doc")};
  EXPECT_EQ(FindHelpPage(directories), QString());
  WriteFile(dir / "doc/Fendrel.html", "installed");
  EXPECT_EQ(FindHelpPage(directories).toStdString(), dir / "doc/Fendrel.html");
  WriteFile(dir / "bin/Fendrel.html", "carried");
  EXPECT_EQ(FindHelpPage(directories).toStdString(), dir / "bin/Fendrel.html");

  const QStringList standard = HelpPageDirectories("/opt/fendrel");
  ASSERT_EQ(standard.size(), 2);
  EXPECT_EQ(standard[0], "/opt/fendrel");
  EXPECT_TRUE(standard[1].endsWith("/doc/fendrel")) << standard[1].toStdString();
}

// The installed copy writes no carried files beside itself, wherever its folder is reached from.
TEST(HelpPage, OnlyTheProgramInTheInstalledFolderIsTheInstalledCopy) {
  TTempDir dir;
  MakeDir(dir / "usr/bin");
  MakeDir(dir / "build");
  std::filesystem::create_directory_symlink(dir / "usr/bin", dir / "linked");
  const QString installed = QString::fromStdString(dir / "usr/bin");
  const struct {
    std::string Program;
    bool Installed;
  } kCases[] = {
      {dir / "usr/bin", true},        {dir / "usr/bin/", true}, {dir / "linked", true},
      {dir / "usr/bin/../bin", true}, {dir / "build", false},   {dir / "missing", false},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(IsInstalledProgram(QString::fromStdString(c.Program), installed), c.Installed)
        << c.Program;
  EXPECT_FALSE(IsInstalledProgram(QString::fromStdString(dir / "missing"),
                                  QString::fromStdString(dir / "missing")));
}

TEST_F(THelpAndHomePage, EachLanguageOpensItsSection) {
  MakeDir(FDir / "bin");
  WriteFile(FDir / "bin/Fendrel.html", "<html>");
  const std::string page = "file://" + (FDir / "bin/Fendrel.html");
  struct TCase {
    int32_t Language;
    const char* Action;
    std::string Url;
  };
  const TCase cases[] = {
      {kGerman, "Help2", page + "#de"},
      {kEnglish, "Help2", page + "#en"},
      {kGerman, "Homepage1", "https://fendrel.example.org/de/"},
      {kEnglish, "Homepage1", "https://fendrel.example.org/"},
  };
  std::vector<QUrl> opened;
  Form().SetUrlOpener([&opened](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
  Form().SetHelpPageDirectories({QString::fromStdString(FDir / "bin"), "/nonexistent"});
  for (const TCase& c : cases) {
    opened.clear();
    TZQSnRMainForm::ChangeLanguage(c.Language);
    Trigger(Form(), c.Action);
    ASSERT_EQ(opened.size(), 1u) << c.Action;
    EXPECT_EQ(opened[0].toString().toStdString(), c.Url);
  }
  EXPECT_TRUE(FNotices.empty());
}

TEST_F(THelpAndHomePage, TheUserIsToldWhatCouldNotBeOpened) {
  MakeDir(FDir / "bin");
  WriteFile(FDir / "bin/Fendrel.html", "<html>");
  struct TCase {
    int32_t Language;
    const char* Action;
    bool PageThere;
    const char* Notice;
  };
  const TCase cases[] = {
      {kEnglish, "Homepage1", true,
       "The page \"https://fendrel.example.org/\" could not be opened: no web browser or other "
       "program to open it was found."},
      {kGerman, "Help2", true, "Die Seite \"BIN/Fendrel.html\" konnte nicht geöffnet werden"},
      {kGerman, "Help2", false,
       "Die Hilfeseite \"Fendrel.html\" wurde weder neben dem Programm noch in \"DOC\" "
       "gefunden."},
  };
  Form().SetUrlOpener([](const QUrl&) { return false; });
  for (const TCase& c : cases) {
    FNotices.clear();
    TZQSnRMainForm::ChangeLanguage(c.Language);
    Form().SetHelpPageDirectories({QString::fromStdString(FDir / (c.PageThere ? "bin" : "none")),
                                   QString::fromStdString(FDir / "doc")});
    Trigger(Form(), c.Action);
    ASSERT_EQ(FNotices.size(), 1u) << c.Action;
    QString expected = QString::fromUtf8(c.Notice);
    expected.replace("BIN", QString::fromStdString(FDir / "bin"));
    expected.replace("DOC", QString::fromStdString(FDir / "doc"));
    EXPECT_TRUE(FNotices[0].startsWith(expected)) << FNotices[0].toStdString();
  }
}

// The desktop's own opener, with no browser and no opener to be found: the user is told.
TEST_F(THelpAndHomePage, WithoutAnOpenerOnThePathTheUserIsTold) {
  MakeDir(FDir / "empty");
  const QByteArray path = qgetenv("PATH");
  const QByteArray browser = qgetenv("BROWSER");
  qputenv("PATH", QByteArray::fromStdString(FDir / "empty"));
  qunsetenv("BROWSER");
  Trigger(Form(), "Homepage1");
  qputenv("PATH", path);
  if (!browser.isNull()) qputenv("BROWSER", browser);
  ASSERT_EQ(FNotices.size(), 1u);
  EXPECT_TRUE(FNotices[0].contains("https://fendrel.example.org/")) << FNotices[0].toStdString();
}

}  // namespace
}  // namespace fendrel::test
