#include "TempDir.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fendrel::test {

TTempDir::TTempDir() {
  std::string base = std::filesystem::temp_directory_path().string() + "/fendrel-test-XXXXXX";
  if (mkdtemp(base.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  FPath = base;
}

namespace {

// Removes everything in the open folder `folder`, relative to folder handles so that trees
// deeper than the path limit go too. Tests make folders read-only; the owner gets write access
// back first.
void EmptyFolder(int folder) {
  fchmod(folder, 0700);
  DIR* stream = fdopendir(dup(folder));
  if (stream == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(stream)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(stream);
  for (const std::string& name : names) {
    if (unlinkat(folder, name.c_str(), 0) == 0) continue;
    const int inner = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (inner < 0) continue;
    EmptyFolder(inner);
    close(inner);
    unlinkat(folder, name.c_str(), AT_REMOVEDIR);
  }
}

}  // namespace

TTempDir::~TTempDir() {
  const int folder = open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (folder < 0) return;
  EmptyFolder(folder);
  close(folder);
  rmdir(FPath.c_str());
}

std::string MakeDeepFolder(const std::string& root, std::size_t minimumLength) {
  std::string path = root;
  int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  const std::string segment(100, 'd');
  while (folder >= 0 && path.size() < minimumLength) {
    mkdirat(folder, segment.c_str(), 0755);
    const int inner = openat(folder, segment.c_str(), O_RDONLY | O_DIRECTORY);
    close(folder);
    folder = inner;
    path += "/" + segment;
  }
  if (folder < 0) ADD_FAILURE() << "cannot make a deep folder in " << root;
  close(folder);
  return path;
}

void WriteDeepFile(const std::string& folderPath, const std::string& root, const std::string& name,
                   std::string_view content) {
  int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (std::size_t at = root.size() + 1; folder >= 0 && at < folderPath.size();) {
    const std::size_t end = std::min(folderPath.find('/', at), folderPath.size());
    const int inner =
        openat(folder, folderPath.substr(at, end - at).c_str(), O_RDONLY | O_DIRECTORY);
    close(folder);
    folder = inner;
    at = end + 1;
  }
  const int file =
      folder >= 0 ? openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
  if (file < 0 ||
      write(file, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
    ADD_FAILURE() << "cannot write a deep file";
  if (file >= 0) close(file);
  if (folder >= 0) close(folder);
}

std::string TTempDir::operator/(std::string_view relative) const {
  return FPath + "/" + std::string(relative);
}

void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void MakeDir(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) ADD_FAILURE() << "cannot create " << path << ": " << ec.message();
}

std::vector<std::string> ListNames(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(text.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* at = out.data();
  std::size_t outLeft = out.size();
  const bool whole = iconv(converter, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (!whole) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string Utf16File(std::string_view utf8, bool bigEndian) {
  const auto text = Convert(bigEndian ? "UTF-16BE" : "UTF-16LE", "UTF-8", utf8);
  if (!text) ADD_FAILURE() << "not UTF-8: " << utf8;
  return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + text.value_or("");
}

std::optional<std::string> Utf16FileText(std::string_view content, bool bigEndian) {
  if (!content.starts_with(bigEndian ? "\xFE\xFF" : "\xFF\xFE")) return std::nullopt;
  return Convert("UTF-8", bigEndian ? "UTF-16BE" : "UTF-16LE", content.substr(2));
}

}  // namespace fendrel::test
