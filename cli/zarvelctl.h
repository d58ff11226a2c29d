#pragma once
// zarvelctl as a function: what main() runs, with the output streams given,
// so a caller can run it in-process.
#include <ostream>
#include <string>
#include <vector>

namespace zarvel::cli {

// `args` excludes the program name. Returns the exit status.
int RunZarvelctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zarvel::cli
