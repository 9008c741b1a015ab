// fendrel-cli checksum and container: the files appended to an executable, listed and written
// out as the desktop program does at start-up, for checking a build and for tests.
#include <cstdio>

#include "CommandLine.h"
#include "Commands.h"
#include "container/checksum.h"
#include "container/fileinst.h"

namespace fendrel::cli {
namespace {

int Usage(const char* command, const std::string& error) {
  std::fprintf(stderr, "fendrel-cli %s: %s\nTry 'fendrel-cli --help'.\n", command, error.c_str());
  return kExitUsage;
}

// Stored names and checksums come from the file as they are; control bytes are shown as '.' so
// that every entry stays on its own line.
std::string Shown(const std::string& bytes) {
  std::string text = bytes;
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = '.';
  }
  return text;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

int ListEntries(const TContainerDirectory& directory) {
  const auto& entries = directory.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PrintLine(std::to_string(i) + " " + Shown(entries[i].FileName) + " " +
              std::to_string(entries[i].FileOffset) + " " + std::to_string(entries[i].FileSize) +
              " " + Shown(entries[i].Checksum) + (directory.Intact(i) ? "" : " damaged"));
  }
  return kExitOk;
}

int ExtractEntries(const TContainerDirectory& directory, const std::string& targetDirectory) {
  int status = kExitOk;
  for (std::size_t i = 1; i <= directory.FileCount(); ++i) {
    const TExtractResult result = directory.Extract(i, targetDirectory);
    const char* word = result == TExtractResult::Ok         ? "ok "
                       : result == TExtractResult::Mismatch ? "mismatch "
                                                            : "failed ";
    PrintLine(word + Shown(directory.Entries()[i].FileName));
    if (result != TExtractResult::Ok) status = kExitFailed;
  }
  return status;
}

}  // namespace

int ChecksumCommand(const std::vector<std::string>& args) {
  std::string error;
  const auto parsed = ParseArgs(args, {}, 1, error);
  if (!parsed) return Usage("checksum", error);
  const std::string checksum = FileChecksum(parsed->Positional[0]);
  if (checksum.empty()) {
    std::fprintf(stderr, "fendrel-cli checksum: cannot read %s\n", parsed->Positional[0].c_str());
    return kExitFailed;
  }
  PrintLine(checksum);
  return kExitOk;
}

int ContainerCommand(const std::vector<std::string>& args) {
  std::string error;
  const auto parsed = ParseArgs(args, {}, kAnyCount, error);
  if (!parsed) return Usage("container", error);
  const auto& positional = parsed->Positional;
  const bool list = !positional.empty() && positional[0] == "list";
  const bool extract = !positional.empty() && positional[0] == "extract";
  if (!list && !extract) return Usage("container", "expected list EXE or extract EXE DIR");
  if (positional.size() != (list ? 2u : 3u))
    return Usage("container", list ? "expected list EXE" : "expected extract EXE DIR");

  TContainerDirectory directory;
  switch (directory.Read(positional[1])) {
    case TContainerState::Unreadable:
      std::fprintf(stderr, "fendrel-cli container: cannot read %s\n", positional[1].c_str());
      return kExitFailed;
    case TContainerState::Damaged:
      std::fprintf(stderr, "fendrel-cli container: the directory at the end of %s is damaged\n",
                   positional[1].c_str());
      return kExitFailed;
    case TContainerState::NoContainer:
      return kExitOk;  // nothing appended: nothing to list or write
    case TContainerState::Ok:
      break;
  }
  return list ? ListEntries(directory) : ExtractEntries(directory, positional[2]);
}

}  // namespace fendrel::cli
