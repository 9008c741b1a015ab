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

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "engine/ProcessFile.h"
#include "engine/RunBuilder.h"
#include "engine/uSearchAndReplaceThread.h"
#include "platform/OwnFileNames.h"
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
  worker.TaskList().AppendBatch(
      BuildSingleLineTasks(files, from.data(), static_cast<int32_t>(from.size()), to.data(),
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
TEST(SafeRewrite, TwoRunsAtOnceNeverMixOrLoseContent) {
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
// file, one of the program's own.
TEST(SafeRewrite, AKilledRunLeavesEveryFileWhole) {
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
    EXPECT_LE(temporary, 1);
  }
}

// Another program writes the file in place after the task has read it: the change shows, even
// within the clock tick in which the file was last changed, and the other program's content
// stays.
TEST(SafeRewrite, AChangeAfterTheReadIsSeenBeforeTheRename) {
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
TEST(SafeRewrite, AWriterRacingTheTaskLosesNothing) {
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

TEST(SafeRewrite, TheFileSizeLimitFailsTheTaskInsteadOfEndingTheProgram) {
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

TEST(SafeRewrite, ExtendedAttributesAndAccessListsAreKept) {
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
TEST(SafeRewrite, AnotherOwnersFileKeepsItsOwnerOrIsLeftAlone) {
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

TEST(SafeRewrite, HardLinksStayOneFile) {
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

TEST(SafeRewrite, ASparseFileStaysSparse) {
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
}

TEST(SafeRewrite, AFileBeyondThePathLimitIsRewritten) {
  TTempDir dir;
  const std::string deep = test::MakeDeepFolder(dir.Path(), PATH_MAX + 200);
  test::WriteDeepFile(deep, dir.Path(), "deep.txt", "abc");
  TReasonSink sink;
  EXPECT_EQ(ProcessFile(MakeTask(deep + "/deep.txt", "b", "B"), &sink), 1);
  EXPECT_TRUE(sink.Reasons.empty());
  TFileRewrite again(MakeTask(deep + "/deep.txt", "aB", "ab"));
  EXPECT_EQ(again.Outcome().Result, 1) << "the new content is there to be found";
}

TEST(SafeRewrite, EveryFailureSaysWhy) {
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
}

}  // namespace
}  // namespace fendrel
