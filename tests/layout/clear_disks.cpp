// Clears the DISK* entries of the folder named on the command line; prints
// the error and exits with 1 when that fails.
#include <cstdio>

#include "layout/disklayout.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string error;
  if (kw::ClearDiskFolders(argv[1], error)) return 0;
  std::printf("%s\n", error.c_str());
  return 1;
}
