#include "MappedFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <mutex>

#include "LongPath.h"
#include "ReadAt.h"

namespace fendrel {

// The open mappings of each thread, for the fault handler. A bus error is delivered to the
// thread that touched the page, so each thread only ever looks at its own list.
struct TMappingRegistry {
  static thread_local TMappedFile* tActive;
  static struct sigaction sPrevious;

  static void Add(TMappedFile* file) {
    std::call_once(sInstalled, Install);
    file->FNextActive = tActive;
    tActive = file;
  }

  static void Remove(TMappedFile* file) {
    for (TMappedFile** link = &tActive; *link != nullptr; link = &(*link)->FNextActive) {
      if (*link == file) {
        *link = file->FNextActive;
        break;
      }
    }
    file->FNextActive = nullptr;
  }

  static void Install() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &sPrevious);
  }

  static void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (TMappedFile* file = tActive; file != nullptr; file = file->FNextActive) {
      const auto begin = reinterpret_cast<std::uintptr_t>(file->FMapBase);
      if (address < begin || address >= begin + file->FMapLength) continue;
      // Put a zero page where the file's page vanished; the read that faulted then completes.
      const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
      void* page = reinterpret_cast<void*>(address & ~(pageSize - 1));
      if (mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
          MAP_FAILED)
        break;
      file->FDamaged = 1;
      return;
    }
    // Not ours: behave as if we had never been installed.
    if (sPrevious.sa_flags & SA_SIGINFO) {
      if (sPrevious.sa_sigaction != nullptr) {
        sPrevious.sa_sigaction(signal, info, context);
        return;
      }
    } else if (sPrevious.sa_handler != SIG_DFL && sPrevious.sa_handler != SIG_IGN) {
      sPrevious.sa_handler(signal);
      return;
    }
    // Returning re-runs the faulting access, which now takes the default action.
    ::signal(SIGBUS, SIG_DFL);
  }

 private:
  static std::once_flag sInstalled;
};

thread_local TMappedFile* TMappingRegistry::tActive = nullptr;
struct sigaction TMappingRegistry::sPrevious {};
std::once_flag TMappingRegistry::sInstalled;

namespace {

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

// A change gets the clock's coarse time of that moment as its time stamp. While that clock still
// reads the file's latest time stamp, a further change would leave both times as they are and
// go unseen, so the file is read only once the clock has moved past it. Time stamps far in the
// future (set by hand) cannot be repeated by a change and need no wait.
bool StatWhenChangesShow(int fd, struct stat& st) {
  timespec tick{};
  clock_getres(CLOCK_REALTIME_COARSE, &tick);
  for (int round = 0;; ++round) {
    if (fstat(fd, &st) != 0) return false;
    const timespec& latest = Before(st.st_mtim, st.st_ctim) ? st.st_ctim : st.st_mtim;
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    if (Before(latest, now) || latest.tv_sec > now.tv_sec + 1 || round == 8) return true;
    nanosleep(&tick, nullptr);
  }
}

}  // namespace

namespace {

// Non-blocking, so that a FIFO under the name cannot hang the worker before it is rejected; not
// through a link, because the caller has resolved links and checks the file it named. Reading
// leaves the access time as it was where the system lets it (the file is the runner's own, or
// the runner may act as its owner): a dry run, and a run that finds nothing, change no time
// stamp then.
int OpenToRead(int folderFd, const std::string& name) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
  const int fd = ::openat(folderFd, name.c_str(), kFlags | O_NOATIME);
  return fd >= 0 || errno != EPERM ? fd : ::openat(folderFd, name.c_str(), kFlags);
}

}  // namespace

TMappedFile::TOpenResult TMappedFile::Open(const std::string& path) {
  std::string name;
  const int folder = OpenParentFolder(path, name);
  if (folder < 0) {
    FError = errno;
    return errno == ENOENT || errno == ENOTDIR ? TOpenResult::Missing : TOpenResult::CannotMap;
  }
  const TOpenResult result = Open(folder, name);
  ::close(folder);
  return result;
}

TMappedFile::TOpenResult TMappedFile::Open(int folderFd, const std::string& name) {
  Close();
  FError = 0;
  FFd = OpenToRead(folderFd, name);
  return Read(true);
}

TMappedFile::TOpenResult TMappedFile::OpenLeavingHoles(int folderFd, const std::string& name) {
  Close();
  FError = 0;
  FFd = OpenToRead(folderFd, name);
  return Read(true, true);
}

const char* TMappedFile::MapPart(off_t offset, std::size_t length) {
  if (FMapBase != nullptr) {
    TMappingRegistry::Remove(this);
    munmap(const_cast<char*>(FMapBase), FMapLength);
    FMapBase = nullptr;
    FMapLength = 0;
  }
  const auto pageSize = static_cast<off_t>(sysconf(_SC_PAGESIZE));
  const off_t start = offset - offset % pageSize;
  const std::size_t mapped = length + static_cast<std::size_t>(offset - start);
  void* data = mmap(nullptr, mapped, PROT_READ, MAP_SHARED, FFd, start);
  if (data == MAP_FAILED) {
    FError = errno;
    return nullptr;
  }
  (void)madvise(data, mapped, MADV_SEQUENTIAL);
  FMapBase = static_cast<const char*>(data);
  FMapLength = mapped;
  FMapOffset = start;
  TMappingRegistry::Add(this);
  return FMapBase + (offset - start);
}

void TMappedFile::DropBefore(const char* at) {
  if (FMapBase == nullptr || at <= FMapBase) return;
  const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t length =
      std::min(static_cast<std::size_t>(at - FMapBase), FMapLength) / pageSize * pageSize;
  if (length == 0) return;
  (void)madvise(const_cast<char*>(FMapBase), length, MADV_DONTNEED);
  (void)posix_fadvise(FFd, FMapOffset, static_cast<off_t>(length), POSIX_FADV_DONTNEED);
}

TMappedFile::TOpenResult TMappedFile::OpenAsItIs(int folderFd, const std::string& name,
                                                 bool leaveHoles) {
  Close();
  FError = 0;
  FFd = OpenToRead(folderFd, name);
  return Read(false, leaveHoles);
}

TMappedFile::TOpenResult TMappedFile::Read(bool whenChangesShow, bool leaveHoles) {
  if (FFd < 0) {
    FError = errno;
    return errno == ENOENT ? TOpenResult::Missing : TOpenResult::CannotMap;
  }
  if (whenChangesShow ? !StatWhenChangesShow(FFd, FIdentity) : ::fstat(FFd, &FIdentity) != 0) {
    FError = errno;
    Close();
    return TOpenResult::Failed;
  }
  if (!S_ISREG(FIdentity.st_mode) || FIdentity.st_size <= 0 ||
      static_cast<std::uintmax_t>(FIdentity.st_size) > SIZE_MAX) {
    Close();
    return TOpenResult::CannotMap;
  }
  const auto size = static_cast<std::size_t>(FIdentity.st_size);
  FDamaged = 0;
  if (size <= kReadLimit) return ReadWhole(size);
  if (leaveHoles && static_cast<off_t>(FIdentity.st_blocks) * 512 < FIdentity.st_size) {
    FSize = size;
    return TOpenResult::Ok;
  }
  void* data = mmap(nullptr, size, PROT_READ, MAP_SHARED, FFd, 0);
  if (data == MAP_FAILED) {
    FError = errno;
    Close();
    return TOpenResult::CannotMap;
  }
  FData = static_cast<const char*>(data);
  FSize = size;
  FMapBase = FData;
  FMapLength = size;
  FMapOffset = 0;
  (void)madvise(data, size, MADV_SEQUENTIAL);
  TMappingRegistry::Add(this);
  return TOpenResult::Ok;
}

TMappedFile::TOpenResult TMappedFile::ReadWhole(std::size_t size) {
  FCopy = std::make_unique<char[]>(size);
  const ssize_t got = ReadAt(FFd, FCopy.get(), size, 0);
  if (got < 0) {
    FError = errno;
    Close();
    return TOpenResult::Failed;
  }
  if (static_cast<std::size_t>(got) < size) {
    // Shortened meanwhile: what was read is not the file's content.
    std::memset(FCopy.get() + got, 0, size - static_cast<std::size_t>(got));
    FDamaged = 1;
  }
  FData = FCopy.get();
  FSize = size;
  return TOpenResult::Ok;
}

void TMappedFile::Unmap() {
  if (FCopy) {
    FCopy.reset();
  } else if (FMapBase != nullptr) {
    TMappingRegistry::Remove(this);
    munmap(const_cast<char*>(FMapBase), FMapLength);
  }
  FData = nullptr;
  FSize = 0;
  FMapBase = nullptr;
  FMapLength = 0;
}

void TMappedFile::Close() {
  Unmap();
  if (FFd >= 0) {
    ::close(FFd);
    FFd = -1;
  }
}

bool SameFileState(const struct stat& before, const struct stat& now) {
  return before.st_dev == now.st_dev && before.st_ino == now.st_ino &&
         before.st_size == now.st_size && before.st_mtim.tv_sec == now.st_mtim.tv_sec &&
         before.st_mtim.tv_nsec == now.st_mtim.tv_nsec &&
         before.st_ctim.tv_sec == now.st_ctim.tv_sec &&
         before.st_ctim.tv_nsec == now.st_ctim.tv_nsec;
}

}  // namespace fendrel
