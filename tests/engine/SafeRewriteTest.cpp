// Rewrites under adversity: two runs on one tree, a run killed part way, another program
// writing during a task, the file-size limit, attributes a new file must keep, an unprivileged
// user, hard links, sparse files, paths beyond the system's limit, and a reason for every
// failure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "engine/PreviewFile.h"
#include "engine/ProcessFile.h"
#include "engine/RunBuilder.h"
#include "engine/uSearchAndReplaceThread.h"
#include "platform/InPlaceRecovery.h"
#include "platform/OwnFileNames.h"
#include "platform/RewriteHooks.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

using test::Exists;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TSnRTast MakeTask(const std::string& file, std::string_view from, std::string_view to,
                  bool backup = true, TSearchMode mode = smCaseSensitive) {
  TSnRTast task;
  task.Init(file, from.data(), static_cast<int32_t>(from.size()), mode, to.data(),
            static_cast<int32_t>(to.size()), backup, lmAllFiles);
  return task;
}

// Collects the reasons the worker or ProcessFile sends.
class TReasonSink : public TStatusSink {
 public:
  void SnRStatus(TStatusKind kind, const std::string& text) override {
    if (kind == TStatusKind::stFailureReason) Reasons.push_back(text);
  }
  std::vector<std::string> Reasons;
};

// Every case runs both ways of making the temporary file: unnamed, and named from the start as
// on a file system without unnamed files.
class SafeRewrite : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { RewriteHooks().NamedTempFiles = GetParam(); }
  void TearDown() override { RewriteHooks().NamedTempFiles = false; }
};

// Rounds of the races below: a few in every test run, FENDREL_SOAK_ROUNDS in a soak.
int SoakRounds(int usual) {
  const char* soak = std::getenv("FENDREL_SOAK_ROUNDS");
  return soak != nullptr ? std::atoi(soak) : usual;
}

// Runs `body` in a child process and returns its exit status (-signal when killed).
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// One whole run over `files`, as the command line makes it.
void RunWorker(const std::vector<std::string>& files, std::string_view from, std::string_view to,
               bool backup) {
  TSearchAndReplaceThread worker;
  worker.TaskList().AppendBatch(BuildSingleLineTasks(
      files, from.data(), static_cast<int32_t>(from.size()), to.data(),
      static_cast<int32_t>(to.size()), {smCaseSensitive, backup, lmAllFiles, {}}));
  worker.Start();
  while (!worker.TaskList().WaitUntilEmpty(std::chrono::milliseconds(10))) {
  }
  worker.Terminate();
  worker.WaitFor();
}

std::string Content(int n) {
  return "file " + std::to_string(n) + "\n" + std::string(2000 + n, 'a') + "\n";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Two runs at once on one tree, with and without backups: every file ends with the complete
// result of one run, of the other, or of both in turn; nothing else, and no temporary file.
TEST_P(SafeRewrite, TwoRunsAtOnceNeverMixOrLoseContent) {
  for (const bool backup : {false, true}) {
    for (int round = 0; round < SoakRounds(3); ++round) {
      TTempDir dir;
      std::vector<std::string> files;
      for (int n = 0; n < 100; ++n) {
        files.push_back(dir / ("f" + std::to_string(n) + ".txt"));
        WriteFile(files.back(), Content(n));
      }
      std::thread first([&] { RunWorker(files, "a", "b", backup); });
      std::thread second([&] { RunWorker(files, "file", "FILE", backup); });
      first.join();
      second.join();
      for (int n = 0; n < 100; ++n) {
        const std::string old = Content(n);
        const std::string both = Replace(Replace(old, "a", "b"), "file", "FILE");
        const std::string now = ReadFile(files[n]);
        EXPECT_TRUE(now == both || now == Replace(old, "a", "b") ||
                    now == Replace(old, "file", "FILE"))
            << files[n] << " holds " << now.substr(0, 12);
      }
      for (const std::string& name : test::ListNames(dir.Path())) {
        EXPECT_FALSE(name.find(".tmp") != std::string::npos) << name;
        if (name.find(".snr_bak") == std::string::npos) continue;
        const std::string content = ReadFile(dir / name);
        const int n = std::stoi(name.substr(1));
        EXPECT_TRUE(content == Content(n) || content == Replace(Content(n), "a", "b") ||
                    content == Replace(Content(n), "file", "FILE"))
            << "a backup holds its own file's earlier content: " << name;
      }
    }
  }
}

// A run killed at any moment leaves each file complete, old or new, and at most one temporary
// file, one of the program's own; with named temporary files two, one being written while the
// one before it is put in place.
TEST_P(SafeRewrite, AKilledRunLeavesEveryFileWhole) {
  for (const int delayMs : {2, 10, 30}) {
    TTempDir dir;
    std::vector<std::string> files;
    for (int n = 0; n < 300; ++n) {
      files.push_back(dir / ("f" + std::to_string(n) + ".txt"));
      WriteFile(files.back(), Content(n));
    }
    const pid_t child = fork();
    if (child == 0) {
      RunWorker(files, "a", "b", false);
      _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    for (int n = 0; n < 300; ++n) {
      const std::string now = ReadFile(files[n]);
      EXPECT_TRUE(now == Content(n) || now == Replace(Content(n), "a", "b")) << files[n];
    }
    int temporary = 0;
    for (const std::string& name : test::ListNames(dir.Path()))
      if (name.find(".txt") == std::string::npos) {
        EXPECT_TRUE(IsOwnFileName(name)) << name;
        ++temporary;
      }
    EXPECT_LE(temporary, GetParam() ? 2 : 1);
  }
}

// Another program writes the file in place after the task has read it: the change shows, even
// within the clock tick in which the file was last changed, and the other program's content
// stays.
TEST_P(SafeRewrite, AChangeAfterTheReadIsSeenBeforeTheRename) {
  TTempDir dir;
  const std::string file = dir / "a.txt";
  for (int round = 0; round < 20; ++round) {
    WriteFile(file, std::string(100000, 'a'));
    TFileRewrite rewrite(MakeTask(file, "a", "b"));
    ASSERT_TRUE(rewrite.Pending());
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "THEIRS", 6, 500), 6);
    close(fd);
    rewrite.FlushContent();
    rewrite.PutInPlace();
    EXPECT_EQ(rewrite.Outcome().Result, prPutFailed);
    EXPECT_EQ(rewrite.Outcome().Reason, "changed by another program during the run");
    EXPECT_EQ(ReadFile(file).substr(500, 6), "THEIRS");
    EXPECT_FALSE(Exists(file + ".0.snr_bak"));
  }
}

// A program writing a 2 MB file in place while the task reads it: whatever the timing, every
// write made before the rename is in the file afterwards, rewritten or left as the program
// wrote it.
TEST_P(SafeRewrite, AWriterRacingTheTaskLosesNothing) {
  TTempDir dir;
  const std::string file = dir / "shared.dat";
  for (int round = 0; round < SoakRounds(8); ++round) {
    std::string theirs(2 << 20, 'a');
    WriteFile(file, theirs);
    std::thread writer([&] {
      const int fd = open(file.c_str(), O_WRONLY);
      for (int i = 0; i < 40; ++i) {
        const std::string mark = "W" + std::to_string(i);
        const off_t at = (static_cast<off_t>(i) * 52361) % (2 << 20);
        if (pwrite(fd, mark.data(), mark.size(), at) == static_cast<ssize_t>(mark.size()))
          theirs.replace(static_cast<std::size_t>(at), mark.size(), mark);
        std::this_thread::sleep_for(std::chrono::microseconds(50 * (round % 7)));
      }
      close(fd);
    });
    TFileRewrite rewrite(MakeTask(file, "a", "b"));
    writer.join();  // every write is made before the rename
    rewrite.FlushContent();
    rewrite.PutInPlace();
    const std::string now = ReadFile(file);
    if (rewrite.Outcome().Result > 0)
      EXPECT_EQ(now, Replace(theirs, "a", "b")) << "round " << round;
    else
      EXPECT_EQ(now, theirs) << "round " << round << ": " << rewrite.Outcome().Reason;
    unlink((file + ".0.snr_bak").c_str());
  }
}

TEST_P(SafeRewrite, TheFileSizeLimitFailsTheTaskInsteadOfEndingTheProgram) {
  TTempDir dir;
  const std::string file = dir / "big.txt";
  WriteFile(file, std::string(4 << 20, 'a'));
  const int status = InChild([&] {
    const rlimit limit{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
    TReasonSink sink;
    const int64_t result = ProcessFile(MakeTask(file, "a", "b"), &sink);
    return result == prMatchFailed && sink.Reasons.size() == 1 &&
                   sink.Reasons[0] == "cannot write the temporary file: File too large"
               ? 0
               : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFile(file), std::string(4 << 20, 'a'));
  EXPECT_EQ(test::ListNames(dir.Path()), std::vector<std::string>{"big.txt"});
}

// An access list with a named user, in the form the system stores it.
std::string AccessList(uint32_t user) {
  struct TEntry {
    uint16_t Tag, Perm;
    uint32_t Id;
  };
  const TEntry entries[] = {
      {0x01, 6, ~0u}, {0x02, 6, user}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 4, ~0u}};
  std::string list("\x02\0\0\0", 4);
  list.append(reinterpret_cast<const char*>(entries), sizeof entries);
  return list;
}

std::string Attribute(const std::string& file, const char* name) {
  char value[256];
  const ssize_t size = getxattr(file.c_str(), name, value, sizeof value);
  return size < 0 ? std::string() : std::string(value, static_cast<std::size_t>(size));
}

TEST_P(SafeRewrite, ExtendedAttributesAndAccessListsAreKept) {
  TTempDir dir;
  const std::string file = dir / "a.txt";
  WriteFile(file, "abc");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  if (setxattr(file.c_str(), "user.origin", "mine", 4, 0) != 0)
    GTEST_SKIP() << "the file system has no user attributes here";
  const std::string acl = AccessList(65534);
  if (setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "the file system has no access lists here";
  struct stat before;
  ASSERT_EQ(stat(file.c_str(), &before), 0);

  for (const bool backup : {true, false}) {
    EXPECT_EQ(ProcessFile(MakeTask(file, backup ? "b" : "B", backup ? "B" : "b", backup), nullptr),
              1);
    EXPECT_EQ(Attribute(file, "user.origin"), "mine");
    EXPECT_EQ(Attribute(file, "system.posix_acl_access"), acl);
    struct stat after;
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, before.st_mode & 0777) << "access never widened";
  }
}

// As an unprivileged user: a file of another owner keeps its owner, rewritten in place where
// the user may write it, refused with the reason where not.
TEST_P(SafeRewrite, AnotherOwnersFileKeepsItsOwnerOrIsLeftAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "the test plays two users and needs root to do so";
  TTempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
  struct TCase {
    const char* Name;
    mode_t Mode;
    int64_t Result;
    const char* Content;
    const char* Reason;
  };
  const TCase cases[] = {
      {"shared.txt", 0666, 1, "aBc", nullptr},
      {"private.txt", 0644, prPutFailed, "abc",
       "cannot write the file in place: Permission denied"},
  };
  for (const TCase& c : cases) {
    const std::string file = dir / c.Name;
    WriteFile(file, "abc");
    ASSERT_EQ(chmod(file.c_str(), c.Mode), 0);
    const int status = InChild([&] {
      if (setgid(65534) != 0 || setuid(65534) != 0) return 2;
      TReasonSink sink;
      if (ProcessFile(MakeTask(file, "b", "B", false), &sink) != c.Result) return 3;
      if (c.Reason != nullptr && (sink.Reasons.size() != 1 || sink.Reasons[0] != c.Reason))
        return 4;
      return 0;
    });
    EXPECT_EQ(status, 0) << c.Name;
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << c.Name;
    EXPECT_EQ(ReadFile(file), c.Content) << c.Name;
  }
  EXPECT_EQ(test::ListNames(dir.Path()), (std::vector<std::string>{"private.txt", "shared.txt"}));
}

TEST_P(SafeRewrite, HardLinksStayOneFile) {
  TTempDir dir;
  const std::string one = dir / "one.txt", two = dir / "two.txt";
  WriteFile(one, "abc");
  ASSERT_EQ(link(one.c_str(), two.c_str()), 0);
  RunWorker({one, two}, "b", "Bb", true);
  EXPECT_EQ(ReadFile(one), "aBBbc") << "the second link saw the first task's content";
  EXPECT_EQ(ReadFile(two), "aBBbc");
  struct stat a, b;
  ASSERT_EQ(stat(one.c_str(), &a), 0);
  ASSERT_EQ(stat(two.c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  EXPECT_EQ(ReadFile(one + ".0.snr_bak"), "abc");
  EXPECT_EQ(ReadFile(two + ".0.snr_bak"), "aBbc");
}

// Asked to, a rewrite gives the file its access and modification times back, by a new file and
// in place (a second hard link) alike; otherwise the times are new. Backups keep their own.
TEST_P(SafeRewrite, ModificationTimeIsKeptOnlyWhenAsked) {
  const timespec old[2] = {{1000000000, 123456789},
                           {900000000, 987654321}};  // access, modification
  const struct {
    bool Keep;
    bool Backup;
    bool InPlace;
  } cases[] = {
      {false, true, false}, {true, true, false}, {true, false, false},
      {false, true, true},  {true, true, true},  {true, false, true},
  };
  for (const auto& c : cases) {
    const std::string name = std::string(c.Keep ? "kept" : "new") + (c.Backup ? " backup" : "") +
                             (c.InPlace ? " in place" : "");
    TTempDir dir;
    const std::string file = dir / "a.txt";
    WriteFile(file, "abc");
    if (c.InPlace) {
      ASSERT_EQ(link(file.c_str(), (dir / "other.txt").c_str()), 0);
    }
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    struct stat before, after;
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    TSnRTast task = MakeTask(file, "b", "B", c.Backup);
    task.KeepModificationTime = c.Keep;
    TReasonSink sink;
    EXPECT_EQ(ProcessFile(task, &sink), 1) << name;
    EXPECT_EQ(sink.Reasons, std::vector<std::string>{}) << name;
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(ReadFile(file), "aBc") << name;
    EXPECT_EQ(after.st_ino == before.st_ino, c.InPlace) << name;
    const auto same = [](const timespec& a, const timespec& b) {
      return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    EXPECT_EQ(same(after.st_mtim, old[1]), c.Keep) << name;
    if (c.Keep) {
      EXPECT_TRUE(same(after.st_atim, old[0])) << name << ": the access time as it was";
    }
    if (c.Backup) {
      struct stat backup;
      ASSERT_EQ(stat((file + ".0.snr_bak").c_str(), &backup), 0);
      EXPECT_TRUE(same(backup.st_mtim, old[1])) << name << ": the backup is the old content's";
    }
  }
}

TEST_P(SafeRewrite, ASparseFileStaysSparse) {
  TTempDir dir;
  const std::string file = dir / "sparse.dat";
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(pwrite(fd, "needle", 6, 0), 6);
  ASSERT_EQ(pwrite(fd, "needle", 6, 256 << 20), 6);
  close(fd);
  EXPECT_EQ(ProcessFile(MakeTask(file, "needle", "thread", false), nullptr), 2);
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, (256 << 20) + 6);
  EXPECT_LT(st.st_blocks * 512, 1 << 20);
  char end[6];
  const int in = open(file.c_str(), O_RDONLY);
  ASSERT_EQ(pread(in, end, 6, 256 << 20), 6);
  close(in);
  EXPECT_EQ(std::string(end, 6), "thread");

  // 20 GB of which 8 KB hold data, rewritten within 1 GB of address space: only the data is read,
  // and the holes stay holes.
  const std::string huge = dir / "huge.img";
  const int out = open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
  const off_t far = off_t{20} << 30;
  ASSERT_EQ(pwrite(out, std::string(4096, 'n').c_str(), 4096, 1 << 20), 4096);
  ASSERT_EQ(pwrite(out, "needle", 6, far - 4096), 6);
  ASSERT_EQ(ftruncate(out, far), 0);
  close(out);
  EXPECT_EQ(InChild([&] {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
              const rlimit limit{1 << 30, 1 << 30};
              if (setrlimit(RLIMIT_AS, &limit) != 0) return 2;
#endif
              // Counted as a dry run counts, then rewritten.
              const TSnRTast task = MakeTask(huge, "needle", "thread!", false);
              THunkOptions countOnly;
              countOnly.CountOnly = true;
              if (PreviewFile({&task}, countOnly).Results != std::vector<int64_t>{1}) return 4;
              return ProcessFile(task, nullptr) == 1 ? 0 : 3;
            }),
            0);
  ASSERT_EQ(stat(huge.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, far + 1);
  EXPECT_LT(st.st_blocks * 512, 1 << 20);
  const int in2 = open(huge.c_str(), O_RDONLY);
  char tail[7];
  ASSERT_EQ(pread(in2, tail, 7, far - 4096), 7);
  close(in2);
  EXPECT_EQ(std::string(tail, 7), "thread!");
}

// A UTF-16 file with holes is one text, its holes U+0000 characters, decoded a piece at a time
// through them; a data region that merely begins like one, past the file's start, is bytes.
TEST_P(SafeRewrite, AUtf16FileWithHolesIsReadWhole) {
  TTempDir dir;
  const std::string le = test::Utf16File("eins ", false);
  const std::string text = test::Utf16File("eins", false).substr(2);
  const off_t far = 1 << 20;
  const std::size_t whole = Utf16PieceUnits();
  struct TCase {
    std::string Head, Far;
    int64_t Count;
    std::size_t PieceUnits;
  };
  // The second time in pieces far smaller than the hole.
  for (const TCase& c :
       {TCase{le, text, 2, whole}, TCase{le, text, 2, 4096}, TCase{"plain", le + text, 0, whole}}) {
    const TUtf16PieceUnitsScope pieces(c.PieceUnits);
    const std::string file = dir / "sparse.txt";
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_EQ(pwrite(fd, c.Head.data(), c.Head.size(), 0), ssize_t(c.Head.size()));
    ASSERT_EQ(pwrite(fd, c.Far.data(), c.Far.size(), far), ssize_t(c.Far.size()));
    close(fd);
    const std::string before = ReadFile(file);
    const TSnRTast task = MakeTask(file, "eins", "drei", false);
    EXPECT_EQ(PreviewFile({&task}, {0, 0, true}).Results, std::vector<int64_t>{c.Count});
    EXPECT_EQ(ProcessFile(task, nullptr), c.Count);
    if (c.Count == 0) continue;
    std::string after = *test::Utf16FileText(before, false);
    for (std::size_t at; (at = after.find("eins")) != std::string::npos;)
      after.replace(at, 4, "drei");
    // A megabyte of U+0000 is no failure message.
    EXPECT_TRUE(test::Utf16FileText(ReadFile(file), false) == after) << "both replaced, as UTF-16";
  }
}

TEST_P(SafeRewrite, AFileBeyondThePathLimitIsRewritten) {
  TTempDir dir;
  const std::string deep = test::MakeDeepFolder(dir.Path(), PATH_MAX + 200);
  test::WriteDeepFile(deep, dir.Path(), "deep.txt", "abc");
  TReasonSink sink;
  EXPECT_EQ(ProcessFile(MakeTask(deep + "/deep.txt", "b", "B"), &sink), 1);
  EXPECT_TRUE(sink.Reasons.empty());
  TFileRewrite again(MakeTask(deep + "/deep.txt", "aB", "ab"));
  EXPECT_EQ(again.Outcome().Result, 1) << "the new content is there to be found";
}

TEST_P(SafeRewrite, EveryFailureSaysWhy) {
  TTempDir dir;
  WriteFile(dir / "empty.txt", "");
  WriteFile(dir / "plain.txt", "abc");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  test::MakeDir(dir / "sub.txt");
  const std::string longName = std::string(250, 'n');
  WriteFile(dir / longName, "abc");
  struct TCase {
    std::string File, From;
    TSearchMode Mode;
    int64_t Result;
    std::string Reason;
  };
  const TCase cases[] = {
      {dir / "missing.txt", "a", smCaseSensitive, prMissing, "the file no longer exists"},
      {dir / "nodir/x.txt", "a", smCaseSensitive, prMissing, "the file no longer exists"},
      {dir / "empty.txt", "a", smCaseSensitive, prCannotMap, "the file is empty"},
      {dir / "fifo", "a", smCaseSensitive, prCannotMap, "not a regular file"},
      {dir / "sub.txt", "a", smCaseSensitive, prCannotMap, "not a regular file"},
      {dir / "plain.txt", "", smCaseSensitive, prMatchFailed, "the old string is empty"},
      {dir / "plain.txt", "a(", smRegExpr, prMatchFailed,
       "TRegExpr(comp): ParseReg Unmatched () (pos 2)"},
      {dir / longName, "b", smCaseSensitive, prPutFailed,
       "cannot make the backup: File name too long"},
  };
  for (const TCase& c : cases) {
    TReasonSink sink;
    EXPECT_EQ(ProcessFile(MakeTask(c.File, c.From, "x", true, c.Mode), &sink), c.Result) << c.File;
    EXPECT_EQ(sink.Reasons, std::vector<std::string>{c.Reason}) << c.File;
  }
  EXPECT_EQ(ReadFile(dir / longName), "abc");
  EXPECT_EQ(test::ListNames(dir.Path()).size(), 5u) << "nothing left behind";

  // A folder whose new names cannot be written to disk: every task of it fails, in a batch of
  // the worker and on its own, and the backup made stays reported.
  std::vector<std::string> files;
  for (const char* name : {"f1.txt", "f2.txt", "f3.txt"}) {
    files.push_back(dir / name);
    WriteFile(files.back(), "abc");
  }
  RewriteHooks().FolderFlushError = EIO;
  TReasonSink sink;
  TSearchAndReplaceThread worker;
  worker.Attach(&sink);
  worker.TaskList().AppendBatch(
      BuildSingleLineTasks(files, "b", 1, "B", 1, {smCaseSensitive, true, lmAllFiles, {}}));
  worker.Start();
  while (!worker.TaskList().WaitUntilEmpty(std::chrono::milliseconds(10))) {
  }
  worker.Terminate();
  worker.WaitFor();
  const int64_t alone = ProcessFile(MakeTask(dir / "plain.txt", "b", "B"), &sink);
  RewriteHooks().FolderFlushError = 0;
  EXPECT_EQ(worker.FailedTasks(), 3u);
  EXPECT_EQ(alone, prPutFailed);
  const std::string why =
      "cannot write the folder to disk: Input/output error; the new content has the file's name "
      "but may not be on disk";
  EXPECT_EQ(sink.Reasons, std::vector<std::string>(4, why));
}

// Another user swaps the file for a link to a file of root's between the read and the commit:
// the task fails, the link's target is untouched, and no backup is a link or names that file.
TEST_P(SafeRewrite, AFileSwappedForALinkBeforeTheCommitIsLeftAlone) {
  TTempDir dir, outside;
  const std::string file = dir / "x.txt", target = outside / "roots.txt";
  WriteFile(target, "precious a");
  for (const bool backup : {true, false}) {
    WriteFile(file, "a");
    RewriteHooks().BeforePut = [&](const std::string&) {
      ASSERT_EQ(rename(file.c_str(), (dir / "moved").c_str()), 0);
      ASSERT_EQ(symlink(target.c_str(), file.c_str()), 0);
    };
    TReasonSink sink;
    EXPECT_EQ(ProcessFile(MakeTask(file, "a", "b", backup), &sink), prPutFailed);
    RewriteHooks().BeforePut = nullptr;
    EXPECT_EQ(sink.Reasons, std::vector<std::string>{"changed by another program during the run"});
    EXPECT_EQ(ReadFile(target), "precious a");
    EXPECT_EQ(test::ListNames(dir.Path()), (std::vector<std::string>{"moved", "x.txt"}));
    ASSERT_EQ(unlink(file.c_str()), 0);
  }
}

// Another user flips a name between a file and a link to a file of root's while runs go over it:
// root's file never changes, and every backup is a file that was read, never a link.
TEST_P(SafeRewrite, ALinkSwappedInDuringRunsNeverLeadsOut) {
  TTempDir dir, outside;
  const std::string file = dir / "x.txt", target = outside / "roots.txt";
  WriteFile(target, "precious a");
  WriteFile(file, "a");
  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    for (int flip = 0; !stop; ++flip) {
      const std::string next = dir / "next";
      if (flip % 2 == 0)
        (void)symlink(target.c_str(), next.c_str());
      else
        WriteFile(next, "a");
      (void)rename(next.c_str(), file.c_str());
    }
  });
  for (int round = 0; round < SoakRounds(20); ++round)
    RunWorker({file}, "a", "b", true);
  stop = true;
  swapper.join();
  EXPECT_EQ(ReadFile(target), "precious a");
  for (const std::string& name : test::ListNames(dir.Path())) {
    if (name.find(".snr_bak") == std::string::npos) continue;
    struct stat st;
    ASSERT_EQ(lstat((dir / name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << name << " is no file that was read";
    EXPECT_EQ(ReadFile(dir / name), "a") << name;
  }
}

// Runs killed while they write into a hard-linked file, before, during and after the write,
// with a safety copy and with a backup: the next recovery leaves the file whole, byte for byte
// (the new content when the write had finished, the previous one otherwise), keeps the backup
// and leaves nothing else of the rewrite behind.
TEST_P(SafeRewrite, AKilledRewriteInPlaceIsRecovered) {
  // Over 1 MiB, so that the write into the file takes more than one piece.
  std::string old(3 << 19, 'x');
  for (std::size_t at = 0; at < old.size(); at += 100000)
    old.replace(at, 4, "aaaa");
  const std::string now = Replace(old, "aaaa", "bb");
  struct TCase {
    off_t KillAfter;  // bytes of new content written into the file; -1: once it is complete
    const std::string& Expected;
    const char* Text;
  };
  const TCase cases[] = {
      {0, old, "an interrupted rewrite had not begun: the file keeps its previous content"},
      {1 << 20, old, "an interrupted rewrite was undone: the file has its previous content back"},
      {static_cast<off_t>(now.size()), old,
       "an interrupted rewrite was undone: the file has its previous content back"},
      {-1, now, "an interrupted rewrite had finished: the file keeps its new content"},
  };
  for (const bool backup : {false, true}) {
    for (const TCase& c : cases) {
      TTempDir dir;
      const std::string file = dir / "f.txt", link = dir / "g.txt";
      WriteFile(file, old);
      ASSERT_EQ(::link(file.c_str(), link.c_str()), 0);
      const int status = InChild([&] {
        RewriteHooks().InPlaceWritten = [&](off_t written, bool done) {
          if (c.KillAfter < 0 ? done : written >= c.KillAfter) raise(SIGKILL);
        };
        ProcessFile(MakeTask(file, "aaaa", "bb", backup), nullptr);
        return 0;
      });
      ASSERT_EQ(status, -SIGKILL);
      const std::vector<TRecovery> recoveries = RecoverFolder(dir.Path());
      ASSERT_EQ(recoveries.size(), 1u);
      EXPECT_EQ(recoveries[0].File, file);
      EXPECT_EQ(recoveries[0].Text, c.Text);
      EXPECT_FALSE(recoveries[0].Failed);
      EXPECT_TRUE(ReadFile(file) == c.Expected) << c.Text;
      EXPECT_TRUE(ReadFile(link) == c.Expected) << "still one file";
      std::vector<std::string> names{"f.txt", "g.txt"};
      if (backup) {
        names.insert(names.begin() + 1, "f.txt.0.snr_bak");
        EXPECT_TRUE(ReadFile(file + ".0.snr_bak") == old);
      }
      EXPECT_EQ(test::ListNames(dir.Path()), names);
      EXPECT_TRUE(RecoverFolder(dir.Path()).empty());
    }
  }
}

// A record that does not fit the file it names is never acted on: another file under the name,
// or a record an unrelated user planted for a file of root's.
TEST_P(SafeRewrite, ARecordNeverSteersARecoveryToAnotherFile) {
  TTempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
  const std::string file = dir / "roots.txt";
  WriteFile(file, "root's own");
  WriteFile(dir / "copy", "planted!!!");
  const int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  TInPlaceIntent intent{"roots.txt", "copy", false, "", st, 10, 0, 1, 1};
  const int copy = open((dir / "copy").c_str(), O_RDONLY);
  ASSERT_TRUE(ContentSum(copy, 10, intent.OldSum));
  close(copy);
  intent.Identity.st_ino += 1;
  ASSERT_FALSE(WriteIntentRecord(folder, intent).empty());
  std::vector<TRecovery> recoveries = RecoverFolder(dir.Path());
  ASSERT_EQ(recoveries.size(), 1u);
  EXPECT_TRUE(recoveries[0].Failed);
  EXPECT_EQ(recoveries[0].Text.substr(0, 46), "the file was replaced since an interrupted rew");
  for (const std::string& name : test::ListNames(dir.Path()))
    if (IsIntentRecordName(name)) {
      ASSERT_EQ(unlinkat(folder, name.c_str(), 0), 0);
    }
  if (geteuid() == 0) {
    intent.Identity.st_ino -= 1;
    ASSERT_EQ(chown((dir / "copy").c_str(), 65534, 65534), 0);
    EXPECT_EQ(InChild([&] {
                if (setgid(65534) != 0 || setuid(65534) != 0) return 2;
                return WriteIntentRecord(folder, intent).empty() ? 3 : 0;
              }),
              0);
    recoveries = RecoverFolder(dir.Path());
    ASSERT_EQ(recoveries.size(), 1u);
    EXPECT_EQ(recoveries[0].Text,
              "a record of an interrupted rewrite made by another user: left alone");
  }
  close(folder);
  EXPECT_EQ(ReadFile(file), "root's own");
}

INSTANTIATE_TEST_SUITE_P(TempFiles, SafeRewrite, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) {
                           return param.param ? "Named" : "Unnamed";
                         });

}  // namespace
}  // namespace fendrel
