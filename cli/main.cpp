#include <iostream>
#include <string>
#include <vector>

#include "cli/zarvelctl.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = zarvel::cli::RunZarvelctl(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
