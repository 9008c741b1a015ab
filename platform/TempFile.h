// The temporary file of a rewrite: "snr4.tmp" in the rewritten file's own directory.
//
// It is created exclusively and never through a symbolic link, written through a buffer, and
// removed again unless it took another name (Committed), so that no failed task leaves one
// behind.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace fendrel {

// The directory of `path` (up to and including its last '/') + "snr4.tmp".
std::string TempFileName(const std::string& path);

class TTempFile {
 public:
  explicit TTempFile(std::string path) : FPath(std::move(path)) {}
  ~TTempFile();
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  // Removes a file or link left under the name, then creates the file anew, exclusively and
  // without following links, readable and writable by the owner only.
  bool Create();
  // Appends bytes; false once any write has failed (and from then on).
  bool Write(const char* data, std::size_t length);
  // Writes what is buffered and flushes the file to disk.
  bool Finish();
  // The file now lives under another name (or was handed on): nothing to remove.
  void Committed() { FCommitted = true; }

  const std::string& Path() const { return FPath; }
  int Fd() const { return FFd; }
  bool IsOpen() const { return FFd >= 0; }

 private:
  bool WriteThrough(const char* data, std::size_t length);
  bool FlushBuffer();

  std::string FPath;
  int FFd = -1;
  bool FCreated = false;
  bool FCommitted = false;
  bool FFailed = false;
  std::unique_ptr<char[]> FBuffer;
  std::size_t FBuffered = 0;
};

}  // namespace fendrel
