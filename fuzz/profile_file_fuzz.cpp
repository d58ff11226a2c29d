// Profile files come from anywhere the user picks: validation and loading must
// refuse or accept any bytes without reading outside them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/profile_file.h"
#include "model/profile_store.h"
#include "model/prompter.h"
#include "seed_writer.h"

namespace {

const std::string& TempPath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/zarvel-fuzz-profile-XXXXXX";
    int fd = ::mkstemp(pattern);
    if (fd >= 0) ::close(fd);
    return std::string(pattern);
  }();
  return path;
}

}  // namespace

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  using namespace zarvel;
  std::vector<std::vector<std::uint8_t>> seeds;
  ProfileStore store;
  seeds.push_back(ProfileFileBytes(store.image, store.macros, {}));

  store.Record(0, 0x1E) = {kFunctionText, 0, 0, 0, 0};
  store.strings.Set(GlobalRecordNumber(0, 0x1E), u"typed text");
  store.Record(1, 0x30) = {kFunctionLaunch, 0, 0, 0, 0};
  store.strings.Set(GlobalRecordNumber(1, 0x30), u"/bin/true");
  std::vector<std::uint8_t> area = PackStrings(store);
  seeds.push_back(ProfileFileBytes(store.image, store.macros, area));

  MacroRecord macro;
  macro.id = 1;
  SetMacroName(macro, u"seed");
  macro.actionCount = 2;
  macro.actions[0] = {10, 0x01E, kPress};
  macro.actions[1] = {0, 0x01E, kRelease};
  store.macros.push_back(macro);
  seeds.push_back(ProfileFileBytes(store.image, store.macros, area));
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarvel;
  std::span<const std::uint8_t> bytes(data, size);
  const std::string& path = TempPath();
  // A plain write: the temporary file needs no crash safety, and fsync per run
  // would slow the fuzzer to a crawl.
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  std::fclose(f);
  if (!written) return 0;
  SilentPrompter prompter;
  int valid = ValidateProfileFile(path, prompter);
  static ProfileStore store;  // reused, as the program reuses its one store
  bool loaded = LoadStoreFile(store, path);
  if (valid == 1 && loaded) {
    // What loaded must save and load again to the same records.
    std::vector<std::uint8_t> area = PackStrings(store);
    std::vector<std::uint8_t> again = ProfileFileBytes(store.image, store.macros, area);
    static ProfileStore reread;
    if (again.empty() || !LoadStoreFromBytes(reread, again)) std::abort();
    if (reread.macros != store.macros) std::abort();
  }
  return 0;
}
