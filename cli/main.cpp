#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/stop_signals.h"
#include "cli/zarvelctl.h"

int main(int argc, char** argv) {
  zarvel::cli::InstallStopSignalHandlers();
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = zarvel::cli::RunZarvelctl(args, std::cout, std::cerr);
  errno = 0;
  std::cout.flush();
  if (!std::cout) {
    // Output lost (a full disk, /dev/full): a script must not take it for done.
    std::cerr << "zarvelctl: cannot write the output: " << std::strerror(errno != 0 ? errno : EIO) << '\n';
    return status == 0 ? 1 : status;
  }
  return status;
}
