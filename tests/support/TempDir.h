// A fresh directory per test, removed with everything in it when the test ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fendrel::test {

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The directory's absolute path, without a trailing '/'.
  const std::string& Path() const { return FPath; }
  // Path() + "/" + relative.
  std::string operator/(std::string_view relative) const;

 private:
  std::string FPath;
};

// Small file helpers for tests; they fail the test (ADD_FAILURE) on error.
void WriteFile(const std::string& path, std::string_view content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);  // lstat: a dangling link exists
void MakeDir(const std::string& path);
// Makes a chain of nested folders below `root` until the path is at least `minimumLength`
// long (beyond the system's path limit if asked), and returns the deepest folder's path.
std::string MakeDeepFolder(const std::string& root, std::size_t minimumLength);
// Writes `name` in the deep folder `folderPath` below `root`, reached a folder at a time.
void WriteDeepFile(const std::string& folderPath, const std::string& root, const std::string& name,
                   std::string_view content);
// The names in `dir`, sorted, without "." and "..".
std::vector<std::string> ListNames(const std::string& dir);

// UTF-16 content converted by the C library, not by Fendrel: `utf8` as a file, byte-order mark
// first, and the text of such a file (nullopt when it is not UTF-16 of that byte order with
// that mark).
std::string Utf16File(std::string_view utf8, bool bigEndian);
std::optional<std::string> Utf16FileText(std::string_view content, bool bigEndian);

}  // namespace fendrel::test
