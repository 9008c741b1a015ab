// fendrel-bench-gen: writes the inputs of the benchmarks in bench/ from a real text file.
//
//   fendrel-bench-gen big  SRC OUT SIZE PERIOD MARKER
//       SIZE bytes of SRC repeated end to end, with MARKER in place of the last bytes of every
//       whole PERIOD-byte block, so the file holds SIZE / PERIOD (rounded down) markers.
//   fendrel-bench-gen tree SRC DIR DIRS FILES SIZE MARKER TIMES [EVERY]
//       DIRS directories of FILES files of SIZE bytes: consecutive slices of SRC, each with
//       MARKER put over TIMES evenly spread positions (only every EVERY-th file when given).
//   fendrel-bench-gen scan DIR TOP MID LEAF FILES EVERY
//       TOP x MID x LEAF leaf directories three levels deep with FILES empty files each; every
//       EVERY-th file is named *.log, the others *.txt.
//
// It is C++ rather than shell because a shell loop needs minutes for 200,000 files and cannot
// place ten million markers at exact offsets without another tool.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::perror(what.c_str());
  std::exit(1);
}

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.empty()) Fail(std::string(path) + " is empty");
  return text;
}

void WriteFile(const std::string& path, const char* data, std::size_t length) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail(path);
  while (length > 0) {
    const ssize_t written = write(fd, data, length);
    if (written <= 0) Fail(path);
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  if (close(fd) != 0) Fail(path);
}

void MakeDir(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail(path);
}

// Hands out the source text as an endless loop, so slices never repeat within one copy.
class TTextLoop {
 public:
  explicit TTextLoop(std::string text) : FText(std::move(text)) {}
  void Take(char* out, std::size_t length) {
    while (length > 0) {
      const std::size_t piece = std::min(length, FText.size() - FPos);
      std::memcpy(out, FText.data() + FPos, piece);
      out += piece;
      length -= piece;
      FPos = (FPos + piece) % FText.size();
    }
  }

 private:
  std::string FText;
  std::size_t FPos = 0;
};

int Big(char** argv) {
  TTextLoop text(ReadAll(argv[0]));
  const std::size_t size = std::stoull(argv[2]);
  const std::size_t period = std::stoull(argv[3]);
  const std::string marker = argv[4];
  if (period <= marker.size()) Fail("PERIOD must exceed the marker");
  // Whole blocks per write: 4 MiB rounded down to the period.
  std::vector<char> chunk(std::max<std::size_t>(period, (4u << 20) / period * period));
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) Fail(argv[1]);
  for (std::size_t done = 0; done < size;) {
    const std::size_t length = std::min(chunk.size(), size - done);
    for (std::size_t block = 0; block < length; block += period) {
      if (length - block < period) {  // the tail of the file: text only
        text.Take(chunk.data() + block, length - block);
        break;
      }
      text.Take(chunk.data() + block, period - marker.size());
      std::memcpy(chunk.data() + block + period - marker.size(), marker.data(), marker.size());
    }
    if (std::fwrite(chunk.data(), 1, length, out) != length) Fail(argv[1]);
    done += length;
  }
  if (std::fclose(out) != 0) Fail(argv[1]);
  return 0;
}

int Tree(char** argv) {
  TTextLoop text(ReadAll(argv[0]));
  const std::string root = argv[1];
  const int dirs = std::atoi(argv[2]), files = std::atoi(argv[3]);
  const std::size_t size = std::stoull(argv[4]);
  const std::string marker = argv[5];
  const int times = std::atoi(argv[6]);
  const int every = argv[7] != nullptr ? std::atoi(argv[7]) : 1;
  if (times < 1 || every < 1 || size / times <= marker.size()) Fail("marker does not fit");
  std::vector<char> content(size);
  MakeDir(root);
  char name[64];
  for (int d = 0; d < dirs; ++d) {
    std::snprintf(name, sizeof name, "/d%03d", d);
    const std::string dir = root + name;
    MakeDir(dir);
    for (int f = 0; f < files; ++f) {
      text.Take(content.data(), size);
      for (int k = 0; (d * files + f) % every == 0 && k < times; ++k) {
        const std::size_t at = size * k / times + (size / times - marker.size()) / 2;
        std::memcpy(content.data() + at, marker.data(), marker.size());
      }
      std::snprintf(name, sizeof name, "/f%05d.txt", f);
      WriteFile(dir + name, content.data(), size);
    }
  }
  return 0;
}

int Scan(char** argv) {
  const std::string root = argv[0];
  const int top = std::atoi(argv[1]), mid = std::atoi(argv[2]), leaf = std::atoi(argv[3]);
  const int files = std::atoi(argv[4]), every = std::atoi(argv[5]);
  MakeDir(root);
  char name[64];
  for (int a = 0; a < top; ++a) {
    std::snprintf(name, sizeof name, "/a%02d", a);
    const std::string da = root + name;
    MakeDir(da);
    for (int b = 0; b < mid; ++b) {
      std::snprintf(name, sizeof name, "/b%02d", b);
      const std::string db = da + name;
      MakeDir(db);
      for (int c = 0; c < leaf; ++c) {
        std::snprintf(name, sizeof name, "/c%02d", c);
        const std::string dc = db + name;
        MakeDir(dc);
        for (int f = 0; f < files; ++f) {
          std::snprintf(name, sizeof name, "/file%03d.%s", f, f % every == 0 ? "log" : "txt");
          WriteFile(dc + name, "", 0);
        }
      }
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "big" && argc == 7) return Big(argv + 2);
  if (mode == "tree" && (argc == 9 || argc == 10)) return Tree(argv + 2);
  if (mode == "scan" && argc == 8) return Scan(argv + 2);
  std::fputs("usage: fendrel-bench-gen big|tree|scan ... (see the comment in bench/gen.cpp)\n",
             stderr);
  return 2;
}
