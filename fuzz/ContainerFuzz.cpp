// Reads arbitrary bytes as a program file that carries a container, and writes out every entry
// the reader accepts: nothing may crash, allocate without bound or read outside the file, and
// nothing may be written but the accepted entries, each inside the target directory.
#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "container/fileinst.h"

namespace {

// The input lives in memory; extraction goes to memory-backed storage when the machine has it,
// so that flushing the extracted files to disk costs nothing.
struct TFuzzPlace {
  TFuzzPlace() {
    Fd = memfd_create("container-fuzz", MFD_CLOEXEC);
    InputPath = "/proc/self/fd/" + std::to_string(Fd);
    struct stat st;
    std::string base = stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
    base += "/fendrel-container-fuzz-XXXXXX";
    if (Fd < 0 || mkdtemp(base.data()) == nullptr) std::abort();
    Root = base;
    Out = Root + "/out";
    if (mkdir(Out.c_str(), 0700) != 0) std::abort();
  }
  // Every run leaves both directories empty, so a run that ends normally leaves nothing behind.
  ~TFuzzPlace() {
    rmdir(Out.c_str());
    rmdir(Root.c_str());
  }

  int Fd;
  std::string InputPath;
  std::string Root;
  std::string Out;
};

// The names in `dir` other than "." and "..".
int CountEntries(const std::string& dir) {
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) std::abort();
  int count = 0;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") ++count;
  }
  closedir(listing);
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static TFuzzPlace place;
  if (ftruncate(place.Fd, 0) != 0 || pwrite(place.Fd, data, size, 0) != static_cast<ssize_t>(size))
    std::abort();

  fendrel::TContainerDirectory directory;
  directory.Read(place.InputPath);
  if (directory.Entries().size() > fendrel::kMaxEntries) std::abort();
  for (std::size_t i = 0; i < directory.Entries().size(); ++i) {
    const fendrel::TContainerEntry& entry = directory.Entries()[i];
    const fendrel::TExtractResult result = directory.Extract(i, place.Out);
    if (result == fendrel::TExtractResult::Failed) continue;
    // Written: then it was whole, and it is exactly its stored size, under its stored name.
    const std::string written = place.Out + "/" + entry.FileName;
    struct stat st;
    if (!directory.Intact(i) || lstat(written.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size != entry.FileSize)
      std::abort();
    unlink(written.c_str());
  }
  // Nothing else was written, no temporary file was left, and nothing went beside the target.
  if (CountEntries(place.Out) != 0 || CountEntries(place.Root) != 1) std::abort();
  return 0;
}
