// fendrel-pack: appends files to an executable as its container. The build runs it after linking
// (cmake/FendrelPack.cmake); see container/Packer.h for what it refuses.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "container/Packer.h"

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(
        "Usage: fendrel-pack EXE [FILE...]\n"
        "Appends each FILE to EXE under its name without directory, followed by the directory\n"
        "and the trailer; a container EXE already carries is replaced. Exit status: 0 success,\n"
        "1 failure (EXE unchanged), 2 usage error.\n",
        argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string error =
      fendrel::AppendContainerFiles(argv[1], std::vector<std::string>(argv + 2, argv + argc));
  if (error.empty()) return 0;
  std::fprintf(stderr, "fendrel-pack: %s\n", error.c_str());
  return 1;
}
