// fendrel-cli folds letters by the code page of the locale the user set, installed or not.
#include <gtest/gtest.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(CliLocale, IgnoreCaseFoldsByTheLocalesCodeset) {
  struct TCase {
    const char* LcAll;
    const char* Lang;
    std::string Content, Old, Want;
  };
  // xx_XX is installed nowhere: setlocale fails and the name alone tells the code set.
  const TCase cases[] = {
      // A CJK character (E3 A4 80) is no capital of 'ä' (C3 A4) in UTF-8.
      {"", "xx_XX.UTF-8", "\xE3\xA4\x80 \xC3\xA4", "\xC3\xA4", "\xE3\xA4\x80 X"},
      {"", "xx_XX.utf8", "\xE3\xA4\x80 \xC3\xA4", "\xC3\xA4", "\xE3\xA4\x80 X"},
      {"xx_XX.UTF-8", "de_DE", "\xE3\xA4\x80 \xC3\xA4", "\xC3\xA4", "\xE3\xA4\x80 X"},
      {"C.UTF-8", "", "\xE3\xA4\x80 \xC3\xA4", "\xC3\xA4", "\xE3\xA4\x80 X"},  // installed
      // Windows-1251: "Ёж ЁЖ ёж" (Ё/ё lie outside the 0xC0-0xFF block).
      {"xx_XX.CP1251", "", "\xA8\xE6 \xA8\xC6 \xB8\xE6", "\xB8\xE6", "X X X"},
      // Windows-1252 where the locale names no code set: "Ä ä".
      {"", "xx_XX", "\xC4 \xE4", "\xE4", "X X"},
      // The C locale and no locale at all: UTF-8, so no byte of an emoji is a letter.
      {"C", "", "smile \xF0\x9F\x98\x80 and \xD0\x9F", "\xD0\x9F", "smile \xF0\x9F\x98\x80 and X"},
      {"", "", "\xC4 \xE4", "\xE4", "\xC4 X"},
  };
  for (const TCase& c : cases) {
    TTempDir dir;
    WriteFile(dir / "t.txt", c.Content);
    const test::TRun run = test::RunProgram(
        "env",
        {std::string("LC_ALL=") + c.LcAll, "LC_CTYPE=", std::string("LANG=") + c.Lang, FENDREL_CLI,
         "replace", "-i", "--no-backup", "--log=none", dir.Path(), "t.txt", c.Old, "X"});
    EXPECT_EQ(run.Status, 0) << run.Out;
    EXPECT_EQ(ReadFile(dir / "t.txt"), c.Want) << "LC_ALL=" << c.LcAll << " LANG=" << c.Lang;
  }
}

// A code set chosen before the command wins over the locale's, and --help names the one in use.
TEST(CliLocale, ACodeSetChosenBeforeTheCommandWins) {
  struct TCase {
    std::vector<std::string> Before;
    std::string Content, Old, Want, InHelp;
  };
  const TCase cases[] = {
      {{}, "\xC4 \xE4", "\xE4", "\xC4 X", "Text is read as UTF-8 (the locale's code set)."},
      {{"--bytes"}, "\xC4 \xE4", "\xE4", "X X", "Text is read as Windows-1252 (chosen"},
      {{"--encoding=cp1251"}, "\xA8\xE6 \xB8\xE6", "\xB8\xE6", "X X", "as Windows-1251"},
      {{"--bytes", "--encoding=UTF-8"}, "\xC4 \xE4", "\xE4", "\xC4 X", "as UTF-8 (chosen"},
  };
  for (const TCase& c : cases) {
    TTempDir dir;
    WriteFile(dir / "t.txt", c.Content);
    std::vector<std::string> args = {"LC_ALL=C.UTF-8", FENDREL_CLI};
    args.insert(args.end(), c.Before.begin(), c.Before.end());
    std::vector<std::string> help = args;
    help.push_back("--help");
    for (const char* arg : {"replace", "-i", "--no-backup", "--log=none"})
      args.push_back(arg);
    for (const std::string& arg : {dir.Path(), std::string("t.txt"), c.Old, std::string("X")})
      args.push_back(arg);
    EXPECT_EQ(test::RunProgram("env", args).Status, 0);
    EXPECT_EQ(ReadFile(dir / "t.txt"), c.Want) << c.InHelp;
    EXPECT_NE(test::RunProgram("env", help).Out.find(c.InHelp), std::string::npos) << c.InHelp;
  }
  const test::TRun unknown =
      test::RunProgram(FENDREL_CLI, {"--encoding=klingon", "scan", ".", "*"});
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_EQ(unknown.Out.substr(0, 44), "fendrel-cli: unknown code set klingon: UTF-8");
}

}  // namespace
}  // namespace fendrel
