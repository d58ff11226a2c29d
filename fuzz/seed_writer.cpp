#include "seed_writer.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// libFuzzer calls this before it reads the corpus folders, so seeds written
// here are picked up by the same run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* dir = std::getenv("ZARVEL_SEED_DIR");
  if (dir == nullptr) return 0;
  int n = 0;
  for (const auto& seed : ZarvelFuzzSeeds()) {
    std::string path = std::string(dir) + "/seed-" + std::to_string(n++);
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      if (!seed.empty()) std::fwrite(seed.data(), 1, seed.size(), f);
      std::fclose(f);
    }
  }
  return 0;
}
