// The rewrite of one file: results, backups, the temporary file, and what is kept of the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/ProcessFile.h"
#include "engine/RestoreBackup.h"
#include "engine/Utf16Text.h"
#include "platform/CodePage.h"
#include "platform/RewriteHooks.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

class TRecordingSink : public TStatusSink {
 public:
  void SnRStatus(TStatusKind kind, const std::string& text) override {
    if (kind == TStatusKind::stBackupFile) Backups.push_back(text);
    if (kind == TStatusKind::stFailureReason) Reasons.push_back(text);
  }
  std::vector<std::string> Backups;
  std::vector<std::string> Reasons;
};

class ProcessFileTest : public ::testing::Test {
 protected:
  int64_t Run(const std::string& file, std::string_view from, std::string_view to,
              bool backup = true, TSearchMode mode = smCaseSensitive, TLinkRule links = {},
              bool hexInput = false) {
    TSnRTast task;
    task.Init(file, from.data(), static_cast<int32_t>(from.size()), mode, to.data(),
              static_cast<int32_t>(to.size()), backup, lmAllFiles);
    task.Links = std::move(links);
    task.HexInput = hexInput;
    return ProcessFile(task, &Sink);
  }

  struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
  }

  TTempDir Dir;
  TRecordingSink Sink;
};

TEST_F(ProcessFileTest, BackupsAreNumberedAcrossRuns) {
  const std::string file = Dir / "report.txt";
  WriteFile(file, "one two one");
  EXPECT_EQ(Run(file, "one", "1"), 2);
  EXPECT_EQ(Run(file, "two", "2"), 1);
  EXPECT_EQ(ReadFile(file), "1 2 1");
  EXPECT_EQ(ReadFile(file + ".0.snr_bak"), "one two one");
  EXPECT_EQ(ReadFile(file + ".1.snr_bak"), "1 two 1");
  EXPECT_EQ(Sink.Backups, (std::vector<std::string>{file + ".0.snr_bak", file + ".1.snr_bak"}));
  EXPECT_FALSE(Exists(Dir / "snr4.tmp"));
}

TEST_F(ProcessFileTest, WithoutBackupOnlyTheFileChanges) {
  const std::string file = Dir / "a.txt";
  WriteFile(file, "abc");
  EXPECT_EQ(Run(file, "b", "XYZ", false), 1);
  EXPECT_EQ(ReadFile(file), "aXYZc");
  EXPECT_FALSE(Exists(file + ".0.snr_bak"));
  EXPECT_TRUE(Sink.Backups.empty());
}

TEST_F(ProcessFileTest, FailureCodes) {
  WriteFile(Dir / "empty.txt", "");
  WriteFile(Dir / "plain.txt", "abc");
  ASSERT_EQ(mkfifo((Dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("nowhere", (Dir / "dangling").c_str()), 0);
  test::MakeDir(Dir / "sub.txt");
  struct TCase {
    std::string File, From;
    TSearchMode Mode;
    int64_t Result;
  };
  const TCase cases[] = {
      {Dir / "missing.txt", "a", smCaseSensitive, prMissing},
      {Dir / "dangling", "a", smCaseSensitive, prCannotMap},
      {Dir / "nodir/x.txt", "a", smCaseSensitive, prMissing},
      {Dir / "empty.txt", "a", smCaseSensitive, prCannotMap},
      {Dir / "fifo", "a", smCaseSensitive, prCannotMap},
      {Dir / "sub.txt", "a", smCaseSensitive, prCannotMap},
      {Dir / "plain.txt", "", smCaseSensitive, prMatchFailed},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Run(c.File, c.From, "x", true, c.Mode), c.Result) << c.File;
    EXPECT_FALSE(Exists(Dir / "snr4.tmp")) << "no temporary file may stay: " << c.File;
  }
  EXPECT_EQ(ReadFile(Dir / "plain.txt"), "abc");
}

TEST_F(ProcessFileTest, NoMatchLeavesFileAndTimesUntouched) {
  const std::string file = Dir / "a.txt";
  WriteFile(file, "nothing here");
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
  const struct stat before = Stat(file);
  EXPECT_EQ(Run(file, "absent", "x"), 0);
  const struct stat after = Stat(file);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, 1000000000);
  EXPECT_FALSE(Exists(Dir / "snr4.tmp"));
  EXPECT_FALSE(Exists(file + ".0.snr_bak"));
}

TEST_F(ProcessFileTest, FilesUnderTheTemporaryNameAreNeitherFollowedNorRemoved) {
  const std::string file = Dir / "a.txt";
  const std::string victim = Dir / "victim.txt";
  WriteFile(file, "abc");
  WriteFile(victim, "precious");
  ASSERT_EQ(symlink(victim.c_str(), (Dir / "snr4.tmp").c_str()), 0);
  EXPECT_EQ(Run(file, "b", "B"), 1);
  EXPECT_EQ(ReadFile(file), "aBc");
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_TRUE(Exists(Dir / "snr4.tmp")) << "the link is not the task's to remove";
  ASSERT_EQ(unlink((Dir / "snr4.tmp").c_str()), 0);

  // The user's own file of that name, as a file of its folder and as a listed file itself.
  WriteFile(Dir / "snr4.tmp", "the user's own a");
  EXPECT_EQ(Run(file, "a", "A", false), 1);
  EXPECT_EQ(ReadFile(file), "ABc");
  EXPECT_EQ(ReadFile(Dir / "snr4.tmp"), "the user's own a");
  EXPECT_EQ(Run(Dir / "snr4.tmp", "own", "OWN", false), 1);
  EXPECT_EQ(ReadFile(Dir / "snr4.tmp"), "the user's OWN a");
  ASSERT_EQ(symlink("snr4.tmp", (Dir / "notes.tmp").c_str()), 0);
  EXPECT_EQ(Run(Dir / "notes.tmp", "OWN", "own", true, smCaseSensitive, {Dir.Path(), true}), 1);
  EXPECT_EQ(ReadFile(Dir / "snr4.tmp"), "the user's own a");
  EXPECT_EQ(test::ListNames(Dir.Path()),
            (std::vector<std::string>{"a.txt", "a.txt.0.snr_bak", "notes.tmp", "snr4.tmp",
                                      "snr4.tmp.0.snr_bak", "victim.txt"}));
}

TEST_F(ProcessFileTest, PermissionsAreKeptWithOwnerWriteAddedAndSetIdDropped) {
  struct TCase {
    mode_t Before, After;
  };
  const TCase cases[] = {{0640, 0640}, {0444, 0644}, {04755, 0755}, {0600, 0600}};
  for (const TCase& c : cases) {
    const std::string file = Dir / ("m" + std::to_string(c.Before));
    WriteFile(file, "abc");
    ASSERT_EQ(chmod(file.c_str(), c.Before), 0);
    EXPECT_EQ(Run(file, "b", "B"), 1);
    EXPECT_EQ(Stat(file).st_mode & 07777, c.After) << std::oct << c.Before;
    EXPECT_EQ(Stat(file + ".0.snr_bak").st_mode & 07777, c.Before) << "the backup is the old file";
  }
}

TEST_F(ProcessFileTest, OwnerIsKeptWherePermitted) {
  if (geteuid() != 0) GTEST_SKIP() << "changing a file's owner needs root";
  const std::string file = Dir / "a.txt";
  WriteFile(file, "abc");
  ASSERT_EQ(chown(file.c_str(), 4321, 4322), 0);
  EXPECT_EQ(Run(file, "b", "B"), 1);
  EXPECT_EQ(Stat(file).st_uid, 4321u);
  EXPECT_EQ(Stat(file).st_gid, 4322u);
}

// A link is rewritten through only when the run follows links, and then only to a file inside
// the run's folder; the link itself stays a link and the backup lies beside the target.
TEST_F(ProcessFileTest, LinksLeadNowhereOutsideTheRunsFolder) {
  const TTempDir outside;
  test::MakeDir(Dir / "real");
  WriteFile(Dir / "real/data.txt", "abc");
  WriteFile(outside / "secret.txt", "abc");
  ASSERT_EQ(symlink((Dir / "real/data.txt").c_str(), (Dir / "in.txt").c_str()), 0);
  ASSERT_EQ(symlink((outside / "secret.txt").c_str(), (Dir / "out.txt").c_str()), 0);
  ASSERT_EQ(symlink("../real", (Dir / "real/up").c_str()), 0);
  ASSERT_EQ(symlink(outside.Path().c_str(), (Dir / "away").c_str()), 0);
  struct TCase {
    std::string File;
    bool Follow;
    int64_t Result;
    const char* Reason;
    const char* From = "b";
  };
  const TCase cases[] = {
      {Dir / "in.txt", false, prCannotMap, "is a symbolic link"},
      {Dir / "out.txt", false, prCannotMap, "is a symbolic link"},
      {Dir / "out.txt", true, prCannotMap, "is a symbolic link that leads outside the folder"},
      {Dir / "away/secret.txt", false, prCannotMap, "a folder on its path is a symbolic link"},
      {Dir / "away/secret.txt", true, prCannotMap,
       "is a symbolic link that leads outside the folder"},
      {Dir / "in.txt", true, 1, nullptr},
      {Dir / "real/up/data.txt", true, 1, nullptr, "c"},
  };
  for (const TCase& c : cases) {
    Sink.Reasons.clear();
    EXPECT_EQ(Run(c.File, c.From, "B", true, smCaseSensitive, {Dir.Path(), c.Follow}), c.Result)
        << c.File;
    if (c.Reason != nullptr) {
      EXPECT_EQ(Sink.Reasons, std::vector<std::string>{c.Reason});
    }
  }
  EXPECT_TRUE(S_ISLNK(Stat(Dir / "in.txt").st_mode));
  EXPECT_EQ(ReadFile(Dir / "real/data.txt"), "aBB");
  EXPECT_EQ(ReadFile(Dir / "real/data.txt.0.snr_bak"), "abc");
  EXPECT_FALSE(Exists(Dir / "in.txt.0.snr_bak"));
  EXPECT_EQ(ReadFile(outside / "secret.txt"), "abc");
  EXPECT_EQ(test::ListNames(outside.Path()), std::vector<std::string>{"secret.txt"});

  // The run's folder opened when the run was built stays its folder: another one put under its
  // name meanwhile, holding a link where the file was, steers nothing.
  const TLinkRule opened{Dir / "real", false, OpenRoot(Dir / "real")};
  ASSERT_NE(opened.Opened, nullptr);
  ASSERT_EQ(rename((Dir / "real").c_str(), (Dir / "moved").c_str()), 0);
  test::MakeDir(Dir / "real");
  ASSERT_EQ(symlink((outside / "secret.txt").c_str(), (Dir / "real/data.txt").c_str()), 0);
  EXPECT_EQ(Run(Dir / "real/data.txt", "B", "D", true, smCaseSensitive, opened), 2);
  EXPECT_EQ(ReadFile(Dir / "moved/data.txt"), "aDD");
  EXPECT_EQ(ReadFile(outside / "secret.txt"), "abc");
  EXPECT_EQ(OpenRoot(Dir / "none"), nullptr);
}

// Root's run over a folder another user can write: that user's links to root's files are never
// followed, even inside the folder; links to the user's own files are.
TEST_F(ProcessFileTest, AnotherUsersLinkNeverLeadsRootsRunToRootsFile) {
  if (geteuid() != 0) GTEST_SKIP() << "the test plays two users and needs root to do so";
  ASSERT_EQ(chmod(Dir.Path().c_str(), 0777), 0);
  WriteFile(Dir / "roots.txt", "abc");
  ASSERT_EQ(chmod((Dir / "roots.txt").c_str(), 0600), 0);
  WriteFile(Dir / "users.txt", "abc");
  ASSERT_EQ(chown((Dir / "users.txt").c_str(), 65534, 65534), 0);
  for (const char* name : {"roots.txt", "users.txt"}) {
    const std::string link = Dir / (std::string("to-") + name);
    ASSERT_EQ(symlink(name, link.c_str()), 0);
    ASSERT_EQ(lchown(link.c_str(), 65534, 65534), 0);
  }
  EXPECT_EQ(Run(Dir / "to-roots.txt", "b", "B", false, smCaseSensitive, {Dir.Path(), true}),
            prCannotMap);
  EXPECT_EQ(Sink.Reasons,
            std::vector<std::string>{"is a symbolic link of another user to a file not theirs"});
  EXPECT_EQ(Run(Dir / "to-users.txt", "b", "B", false, smCaseSensitive, {Dir.Path(), true}), 1);
  EXPECT_EQ(ReadFile(Dir / "roots.txt"), "abc");
  EXPECT_EQ(ReadFile(Dir / "users.txt"), "aBc");
}

TEST_F(ProcessFileTest, MultiLineRunsExpandANewStringHoldingTheOldOne) {
  // Three tasks on one file, as a multi-line run makes them: each finds the old string again.
  const std::string file = Dir / "a.txt";
  WriteFile(file, "a");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Run(file, "a", "ab"), 1);
  EXPECT_EQ(ReadFile(file), "abbb");
}

// A file the process may not replace: the new content must survive under a name of its own.
TEST_F(ProcessFileTest, NewContentThatCannotTakeTheNameIsKept) {
  const std::string file = Dir / "locked.txt";
  WriteFile(file, "abc");
  const int fd = open(file.c_str(), O_RDONLY);
  int flags = FS_IMMUTABLE_FL;
  const bool locked = fd >= 0 && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (!locked) {
    if (fd >= 0) close(fd);
    GTEST_SKIP() << "cannot make a file immutable here";
  }
  const int64_t withoutBackup = Run(file, "b", "B", false);
  const int64_t withBackup = Run(file, "b", "B", true);
  flags = 0;
  ioctl(fd, FS_IOC_SETFLAGS, &flags);
  close(fd);
  EXPECT_EQ(withoutBackup, prPutFailed);
  EXPECT_EQ(withBackup, prPutFailed);
  EXPECT_EQ(ReadFile(file), "abc");
  EXPECT_EQ(ReadFile(file + ".snr_new"), "aBc");
  EXPECT_FALSE(Exists(file + ".0.snr_bak"));
  EXPECT_FALSE(Exists(Dir / "snr4.tmp"));
  EXPECT_TRUE(Sink.Backups.empty());
  // Each failure says why, and where the new content went; with a backup asked for, the
  // immutable file cannot even be given its backup name, and nothing is written.
  EXPECT_EQ(Sink.Reasons,
            (std::vector<std::string>{"cannot put the new content in place: Operation not "
                                      "permitted; new content kept as " +
                                          file + ".snr_new",
                                      "cannot make the backup: Operation not permitted"}));
}

// A file written in place whose safety copy cannot be removed afterwards: the task is done, and
// the user is told where the copy lies.
TEST_F(ProcessFileTest, ASafetyCopyThatCannotBeRemovedIsNamed) {
  const std::string file = Dir / "a.txt";
  WriteFile(file, "abc");
  ASSERT_EQ(link(file.c_str(), (Dir / "b.txt").c_str()), 0);
  int copy = -1;
  RewriteHooks().InPlaceWritten = [&](off_t, bool done) {
    if (!done) return;
    copy = open((Dir / "snr4.tmp").c_str(), O_RDONLY);
    int flags = FS_IMMUTABLE_FL;
    if (copy >= 0 && ioctl(copy, FS_IOC_SETFLAGS, &flags) != 0) {
      close(copy);
      copy = -1;
    }
  };
  const int64_t result = Run(file, "b", "B", false);
  RewriteHooks().InPlaceWritten = nullptr;
  if (copy < 0) GTEST_SKIP() << "cannot make a file immutable here";
  int flags = 0;
  ioctl(copy, FS_IOC_SETFLAGS, &flags);
  close(copy);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile(Dir / "b.txt"), "aBc");
  EXPECT_EQ(Sink.Reasons, std::vector<std::string>{"cannot remove the safety copy " +
                                                   Dir / "snr4.tmp: Operation not permitted"});
  EXPECT_EQ(ReadFile(Dir / "snr4.tmp"), "abc");
}

// Under the UTF-8 code page a UTF-16 file is searched as characters and written back in its own
// byte order with its mark; the backup, and so a restore, keeps its bytes. A file larger than a
// piece comes out as if it had been decoded whole, whichever matches straddle the pieces: pieces
// of one unit and of a few put their boundaries inside every match.
TEST_F(ProcessFileTest, Utf16FilesAreReplacedAsCharacters) {
  // Runs of ASCII longer than the blocks converted at once, characters of two and three bytes
  // of UTF-8, and one beyond the 16-bit range; a form feed and a C1 control end text runs.
  const std::string run = " and then a run of ASCII longer than a block";
  const std::string head = "Straße eins 😀" + run + "\r\n";
  const std::string text = head + "Жук и Straße, STRAßE\f straße\u0085Ж\u212A\r\n";
  struct TCase {
    std::string From, To;
    TSearchMode Mode;
    int64_t Count;
    std::string Text;
  };
  const TCase cases[] = {
      {"Straße", "Gasse", smCaseSensitive, 2,
       "Gasse eins 😀" + run + "\r\nЖук и Gasse, STRAßE\f straße\u0085Ж\u212A\r\n"},
      {"straße", "Gasse", smIgnoreCase, 4,
       "Gasse eins 😀" + run + "\r\nЖук и Gasse, Gasse\f Gasse\u0085Ж\u212A\r\n"},
      {"(?m)^\\w", "#", smRegExpr, 3,
       "#traße eins 😀" + run + "\r\n#ук и Straße, STRAßE\f straße\u0085#\u212A\r\n"},
      {"😀", "☺", smRegExpr, 1,
       "Straße eins ☺" + run + "\r\nЖук и Straße, STRAßE\f straße\u0085Ж\u212A\r\n"},
      {"Жук", "𝄞", smCaseSensitive, 1, head + "𝄞 и Straße, STRAßE\f straße\u0085Ж\u212A\r\n"},
      // Each text run is searched on its own: a piece never begins inside one.
      {"^", "#", smRegExpr, 3, "#" + head + "Жук и Straße, STRAßE\f# straße\u0085#Ж\u212A\r\n"},
      {"block\\s+Ж", "-", smRegExpr, 1,
       "Straße eins 😀 and then a run of ASCII longer than a -ук и Straße, STRAßE\f straße"
       "\u0085Ж\u212A\r\n"},
      {"block\r\nЖук", "X", smCaseSensitive, 1,
       "Straße eins 😀 and then a run of ASCII longer than a X и Straße, STRAßE\f straße"
       "\u0085Ж\u212A\r\n"},
      // The Kelvin sign: a match longer than the old string.
      {"жk\r\n", "Zk", smIgnoreCase, 1, head + "Жук и Straße, STRAßE\f straße\u0085Zk"},
  };
  int files = 0;
  for (const std::size_t pieceUnits : {Utf16PieceUnits(), std::size_t{1}, std::size_t{7}}) {
    const TUtf16PieceUnitsScope pieces(pieceUnits);
    for (const bool bigEndian : {false, true}) {
      for (const TCase& c : cases) {
        SCOPED_TRACE(c.From + (bigEndian ? " BE, " : " LE, ") + std::to_string(pieceUnits));
        const std::string file = Dir / ("u16-" + std::to_string(++files) + ".txt");
        const std::string original = test::Utf16File(text, bigEndian);
        WriteFile(file, original);
        EXPECT_EQ(Run(file, c.From, c.To, true, c.Mode), c.Count);
        EXPECT_EQ(test::Utf16FileText(ReadFile(file), bigEndian), c.Text);
        const TRewriteOutcome restored = RestoreBackup(NewestBackup(file), file);
        EXPECT_EQ(restored.Result, 1) << restored.Reason;
        EXPECT_EQ(ReadFile(file), original);
      }
    }
  }
}

// Where a task does not read a file as UTF-16 it matches its bytes; a file that is not what its
// mark says fails untouched, as does a new string that UTF-16 cannot hold. A file decoded a piece
// at a time fails as a whole for a unit far beyond the first match, and its invalidity is told
// before anything else that fails.
TEST_F(ProcessFileTest, Utf16FilesAsBytesAndInvalidOnes) {
  const std::string le = test::Utf16File("eins zwei", false);
  // A control character ends the first text run, so that a search writes before the surrogate.
  const std::string late = test::Utf16File("eins\x01zwei", false);
  const std::string lateSurrogate = late + "\x3D\xD8" + late.substr(2);
  const std::string be = test::Utf16File("eins\x01zwei eins", true);
  struct TCase {
    std::string Content, From, To;
    TSearchMode Mode;
    bool Hex;
    TCaseTable Table;
    int64_t Result;
    std::string After;  // or a failure's reason
  };
  const TCase cases[] = {
      {le, "\xFF\xFE", "AB", smCaseSensitive, true, TCaseTable::Ascii, 1, "AB" + le.substr(2)},
      {le, "eins", "drei", smCaseSensitive, false, TCaseTable::Windows1252, 0, le},
      // UTF-32 LE "é", which read as UTF-16 would hold "é" too.
      {std::string("\xFF\xFE\0\0\xE9\0\0\0", 8), "é", "e", smCaseSensitive, false,
       TCaseTable::Ascii, 0, std::string("\xFF\xFE\0\0\xE9\0\0\0", 8)},
      {le + "x", "eins", "drei", smCaseSensitive, false, TCaseTable::Ascii, prMatchFailed,
       "not valid UTF-16 LE: an odd number of bytes (21)"},
      {lateSurrogate, "eins", "drei", smCaseSensitive, false, TCaseTable::Ascii, prMatchFailed,
       "not valid UTF-16 LE: an unpaired surrogate at byte 20"},
      {lateSurrogate, "EINS", "drei", smIgnoreCase, false, TCaseTable::Ascii, prMatchFailed,
       "not valid UTF-16 LE: an unpaired surrogate at byte 20"},
      {lateSurrogate, "zwei", "\xC3", smCaseSensitive, false, TCaseTable::Ascii, prMatchFailed,
       "not valid UTF-16 LE: an unpaired surrogate at byte 20"},
      {lateSurrogate, "(", "x", smRegExpr, false, TCaseTable::Ascii, prMatchFailed,
       "not valid UTF-16 LE: an unpaired surrogate at byte 20"},
      {std::string("\xFE\xFF\0e\xDC\0", 6), "e", "x", smCaseSensitive, false, TCaseTable::Ascii,
       prMatchFailed, "not valid UTF-16 BE: an unpaired surrogate at byte 4"},
      {be + std::string("\xDC\0\0e", 4), "e\\w", "x", smRegExpr, false, TCaseTable::Ascii,
       prMatchFailed, "not valid UTF-16 BE: an unpaired surrogate at byte 30"},
      {le, "zwei", "\xC3", smCaseSensitive, false, TCaseTable::Ascii, prMatchFailed,
       "the new string is not valid UTF-8, so it cannot be written to a UTF-16 file"},
  };
  for (const std::size_t pieceUnits : {Utf16PieceUnits(), std::size_t{3}}) {
    const TUtf16PieceUnitsScope pieces(pieceUnits);
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.After + ", " + std::to_string(pieceUnits));
      SelectCaseTable(c.Table);
      const std::string file = Dir / "u16.txt";
      WriteFile(file, c.Content);
      Sink.Reasons.clear();
      EXPECT_EQ(Run(file, c.From, c.To, false, c.Mode, {}, c.Hex), c.Result);
      SelectCaseTable(TCaseTable::Ascii);
      if (c.Result >= 0) {
        EXPECT_EQ(ReadFile(file), c.After);
      } else {
        EXPECT_EQ(ReadFile(file), c.Content);
        EXPECT_EQ(Sink.Reasons, std::vector<std::string>{c.After});
      }
      EXPECT_EQ(test::ListNames(Dir.Path()), std::vector<std::string>{"u16.txt"});
    }
  }
}

}  // namespace
}  // namespace fendrel
