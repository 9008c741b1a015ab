// Ini access: what a stored line reads as, and what a write leaves in the file.
#include "settings/Iniregi.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(IniReadString, StoredTextRules) {
  const std::string x298(298, 'x');
  struct TCase {
    const char* Name;
    std::string Content;
    std::string Expected;
  };
  const TCase cases[] = {
      {"trimmed", "[S]\r\nk = \t v w \t\r\n", "v w"},
      {"blanks around names", "  [ S ]  \r\n  k  =v\r\n", "v"},
      {"names ignore case", "[s]\r\nK=v\r\n", "v"},
      {"double quotes", "[S]\r\nk=\" v \"\r\n", " v "},
      {"single quotes", "[S]\r\nk=' v '\r\n", " v "},
      {"one pair only", "[S]\r\nk=\"\"v\"\"\r\n", "\"v\""},
      {"unmatched quotes stay", "[S]\r\nk=\"v'\r\n", "\"v'"},
      {"backslash start keeps blanks", "[S]\r\nk=\\\" v \\\"\r\n", "\\\" v \\\""},
      {"backslash start not unquoted", "[S]\r\nk=\\\"\r\n", "\\\""},
      {"empty value", "[S]\r\nk=\r\n", ""},
      {"first key wins", "[S]\r\nk=1\r\nk=2\r\n", "1"},
      {"first section wins", "[S]\r\nj=1\r\n[T]\r\nk=3\r\n[S]\r\nk=2\r\n", "default"},
      {"LF lines", "[S]\nk=v\n", "v"},
      {"CR lines", "[S]\rk=v\r", "v"},
      {"mixed lines", "[T]\r\nk=t\n[S]\rj=1\r\nk=v", "v"},
      {"byte order mark", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "v"},
      {"key before any section", "k=v\r\n[S]\r\n", "default"},
      {"missing key", "[S]\r\nj=v\r\n", "default"},
      {"line without '='", "[S]\r\nk\r\n", "default"},
      {"at the read limit", "[S]\r\nk=" + x298 + "\r\n", x298},
      {"cut at the read limit", "[S]\r\nk=" + x298 + "yz\r\n", x298},
      {"cut after unquoting", "[S]\r\nk=\"" + x298 + "\"\r\n", x298},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFile(dir / "a.ini", c.Content);
    EXPECT_EQ(IniReadString(dir / "a.ini", "S", "k", "default"), c.Expected) << c.Name;
  }
  EXPECT_EQ(IniReadString(dir / "missing.ini", "S", "k", "default"), "default");
  const std::string longDefault(500, 'd');
  EXPECT_EQ(IniReadString(dir / "missing.ini", "S", "k", longDefault), longDefault)
      << "a default is the caller's own text and comes back whole";
}

TEST(IniReadIntegerAndBool, StoredTextRules) {
  struct TCase {
    std::string Value;
    int32_t Integer;  // default 2
    bool Bool;        // default true
  };
  const TCase cases[] = {
      // clang-format off
      {"0", 0, false},      {"1", 1, true},        {" 1 ", 1, true},   {"\"1\"", 1, true},
      {"-1", -1, false},    {"+7", 7, false},      {"x", 2, false},    {"", 2, false},
      {"yes", 2, false},    {"01", 1, false},      {"1 2", 2, false},  {"0x10", 2, false},
      {"+-1", 2, false},    {"2147483648", 2, false},  {"-2147483648", INT32_MIN, false},
      // clang-format on
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFile(dir / "a.ini", "[Generel]\r\nLogging=" + c.Value + "\r\nBackup=" + c.Value + "\r\n");
    EXPECT_EQ(IniReadInteger(dir / "a.ini", "Generel", "Logging", 2), c.Integer) << c.Value;
    EXPECT_EQ(IniReadBool(dir / "a.ini", "Generel", "Backup", true), c.Bool) << c.Value;
  }
  EXPECT_EQ(IniReadInteger(dir / "a.ini", "Generel", "absent", 5), 5);
  EXPECT_TRUE(IniReadBool(dir / "a.ini", "Generel", "absent", true));
  EXPECT_FALSE(IniReadBool(dir / "a.ini", "Generel", "absent", false));
}

TEST(IniWriteString, KeepsEveryOtherLine) {
  struct TCase {
    const char* Name;
    std::string Before;
    std::string After;  // after writing S / k = new
  };
  const TCase cases[] = {
      {"new file", "", "[S]\r\nk=new\r\n"},
      {"replace keeps spelling and others", "; note\n[s]\nA=1\n K =old\nB=2\n",
       "; note\n[s]\nA=1\n K =new\r\nB=2\n"},
      {"new key after the section's last line", "[S]\r\nA=1\r\n\r\n[T]\r\nk=t\r\n",
       "[S]\r\nA=1\r\nk=new\r\n\r\n[T]\r\nk=t\r\n"},
      {"new key in a section that ends the file unterminated", "[T]\rx=1\r[S]",
       "[T]\rx=1\r[S]\r\nk=new\r\n"},
      {"new section after an unterminated line", "[T]\nx=1", "[T]\nx=1\r\n[S]\r\nk=new\r\n"},
      {"only the first section of a name", "[S]\r\nA=1\r\n[S]\r\nk=2\r\n",
       "[S]\r\nA=1\r\nk=new\r\n[S]\r\nk=2\r\n"},
      {"byte order mark stays", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "\xEF\xBB\xBF[S]\r\nk=new\r\n"},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    std::filesystem::remove(dir / "a.ini");
    if (!c.Before.empty()) WriteFile(dir / "a.ini", c.Before);
    EXPECT_TRUE(IniWriteString(dir / "a.ini", "S", "k", "new")) << c.Name;
    EXPECT_EQ(ReadFile(dir / "a.ini"), c.After) << c.Name;
    EXPECT_EQ(IniReadString(dir / "a.ini", "S", "k", ""), "new") << c.Name;
  }
}

TEST(IniWriteString, RefusesWhatCouldNotBeReadBack) {
  const std::string x400(400, 'x');
  struct TCase {
    std::string Section, Key, Value;
    bool Written;
  };
  const TCase cases[] = {
      {"S", "k", x400, true},
      {"S", "k", x400 + "y", false},
      {"S", "k", "a\r\n[T]\r\nk=b", false},
      {"S", "k", std::string("a\0b", 3), false},
      {"S", "k=j", "v", false},
      {"S", "[k", "v", false},
      {"S", " ", "v", false},
      {"S]", "k", "v", false},
      {std::string(401, 's'), "k", "v", false},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFile(dir / "a.ini", "[S]\r\nk=old\r\n");
    EXPECT_EQ(IniWriteString(dir / "a.ini", c.Section, c.Key, c.Value), c.Written) << c.Key;
    const std::string expected = c.Written ? "[S]\r\nk=" + c.Value + "\r\n" : "[S]\r\nk=old\r\n";
    EXPECT_EQ(ReadFile(dir / "a.ini"), expected) << c.Key;
  }
  // A batch is refused as a whole.
  EXPECT_FALSE(IniWriteStrings(dir / "a.ini", "S", {{"k", "1"}, {"j", "a\nb"}}));
  EXPECT_EQ(ReadFile(dir / "a.ini"), "[S]\r\nk=old\r\n");
}

TEST(IniWriteString, ReplacesTheFileWhole) {
  TTempDir dir;
  WriteFile(dir / "real.ini", "[S]\nk=1\n");
  chmod((dir / "real.ini").c_str(), 0640);
  ASSERT_EQ(symlink("real.ini", (dir / "link.ini").c_str()), 0);

  ASSERT_TRUE(IniWriteString(dir / "link.ini", "S", "k", "2"));
  struct stat st;
  ASSERT_EQ(lstat((dir / "link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "a linked settings file stays linked";
  EXPECT_EQ(ReadFile(dir / "real.ini"), "[S]\nk=2\r\n");
  ASSERT_EQ(stat((dir / "real.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    ++entries;
  EXPECT_EQ(entries, 2u) << "no temporary file is left behind";

  // A name that is not a regular file is never replaced.
  test::MakeDir(dir / "dir.ini");
  EXPECT_FALSE(IniWriteString(dir / "dir.ini", "S", "k", "v"));
  EXPECT_EQ(IniReadString(dir / "dir.ini", "S", "k", "default"), "default");
  // Nor is a write possible where the directory is missing.
  EXPECT_FALSE(IniWriteString(dir / "missing/a.ini", "S", "k", "v"));
  EXPECT_FALSE(Exists(dir / "missing"));
}

TEST(IniWriteString, FileThatCannotBeReadIsNeverReplaced) {
  TTempDir dir;
  const std::string content = "[S]\r\nk=1\r\nother=keep\r\n";
  // Far larger than any settings file: not read, so a write would lose everything but its key.
  WriteFile(dir / "huge.ini", content);
  ASSERT_EQ(truncate((dir / "huge.ini").c_str(), 64 * 1024 * 1024), 0);
  EXPECT_EQ(IniReadString(dir / "huge.ini", "S", "k", "default"), "default");
  EXPECT_FALSE(IniWriteString(dir / "huge.ini", "S", "k", "2"));
  EXPECT_EQ(ReadFile(dir / "huge.ini").substr(0, content.size()), content);

  // A FIFO under the name is not waited on.
  ASSERT_EQ(mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  EXPECT_EQ(IniReadString(dir / "fifo.ini", "S", "k", "default"), "default");
  EXPECT_FALSE(IniWriteString(dir / "fifo.ini", "S", "k", "2"));

  if (geteuid() == 0) return;  // root reads every file
  WriteFile(dir / "a.ini", content);
  chmod((dir / "a.ini").c_str(), 0200);
  EXPECT_EQ(IniReadString(dir / "a.ini", "S", "k", "default"), "default");
  EXPECT_FALSE(IniWriteString(dir / "a.ini", "S", "k", "2"));
  chmod((dir / "a.ini").c_str(), 0600);
  EXPECT_EQ(ReadFile(dir / "a.ini"), content);
}

}  // namespace
}  // namespace fendrel
