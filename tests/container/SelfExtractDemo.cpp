// Stands in for the desktop program at start-up: reads the container at the end of its own
// executable and writes every appended file into the directory named by its argument.
#include <cstdio>

#include "container/fileinst.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  fendrel::ReadContainerDirectory();
  std::printf("files %u\n", static_cast<unsigned>(fendrel::ContainerFileCount()));
  for (unsigned index = 1; index <= fendrel::ContainerFileCount(); ++index)
    std::printf("%u %s\n", index, fendrel::ExtractContainerFile(index, argv[1], "") ? "ok" : "no");
  return 0;
}
