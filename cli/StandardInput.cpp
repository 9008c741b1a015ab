#include "StandardInput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "TerminalText.h"
#include "engine/ReplaceMatches.h"
#include "platform/Fd.h"
#include "scan/DirWalk.h"

namespace fendrel::cli {
namespace {

bool ReadAll(int fd, std::string& data) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    data.append(buffer, static_cast<std::size_t>(got));
  }
}

bool WriteAll(const std::string& data) {
  for (std::size_t done = 0; done < data.size();) {
    const ssize_t put = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::string>> ReadFileList(const std::string& source, bool nulSeparated,
                                                     std::string& error) {
  TFd opened;
  if (source != "-") {
    opened.Reset(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!opened.Valid()) {
      error = "cannot read " + EscapeControls(source) + ": " + std::strerror(errno);
      return std::nullopt;
    }
  }
  std::string list;
  if (!ReadAll(source == "-" ? STDIN_FILENO : opened.Get(), list)) {
    error = "cannot read " + EscapeControls(source) + ": " + std::strerror(errno);
    return std::nullopt;
  }
  const std::string here = FullStartPath("");
  std::vector<std::string> files;
  const char end = nulSeparated ? '\0' : '\n';
  for (std::size_t at = 0; at < list.size();) {
    std::size_t next = list.find(end, at);
    if (next == std::string::npos) next = list.size();
    std::string path = list.substr(at, next - at);
    at = next + 1;
    if (!nulSeparated && path.ends_with('\r')) path.pop_back();
    if (path.empty()) continue;
    // Full paths below the current folder, so that a run guards every folder on the way there.
    files.push_back(LexicalFullPath(path, here));
  }
  return files;
}

int FilterStandardInput(const TTaskList& tasks) {
  std::string data;
  if (!ReadAll(STDIN_FILENO, data)) {
    std::fprintf(stderr, "fendrel-cli replace: cannot read standard input: %s\n",
                 std::strerror(errno));
    return kExitFailed;
  }
  // Each task works on what the one before left, as the tasks of a file do in a run.
  for (const auto& task : tasks) {
    TStringSink out;
    std::string why;
    const int64_t result = ReplaceMatches(out, data.data(), data.data() + data.size(), *task, why);
    if (result < 0) {
      std::fprintf(stderr, "fendrel-cli replace: standard input: %s\n",
                   EscapeControls(why.empty() ? "failed" : why).c_str());
      return kExitFailed;
    }
    // A literal search without matches writes nothing: the data stays as it was.
    if (result > 0 || !out.Bytes.empty()) data = std::move(out.Bytes);
  }
  if (!WriteAll(data)) {
    std::fprintf(stderr, "fendrel-cli replace: cannot write standard output: %s\n",
                 std::strerror(errno));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace fendrel::cli
