// The store's heaviest work: a full store of four profiles and 100 macros of
// 4000 actions each, turned into the keyboard's matrices and the store file's
// bytes and back, and a 3.3 MB profile file validated and loaded.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/default_matrix.h"
#include "model/key_matrix.h"
#include "model/macro_area.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "model/prompter.h"

namespace zarvel {
namespace {

// Every profile's keys busy with several record types; 100 macros of 4000 actions.
ProfileStore& FullStore() {
  static ProfileStore* store = [] {
    auto* s = new ProfileStore;
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      for (std::size_t r = 1; r < 0x80; ++r) {
        switch (r % 4) {
          case 0: s->Record(p, r) = {kFunctionKey, 0, static_cast<std::uint32_t>(0x01E + r % 10), 0, 0}; break;
          case 1: s->Record(p, r) = {kFunctionMacro, 0, static_cast<std::uint32_t>(1 + r % 100), 0, 0}; break;
          case 2: s->Record(p, r) = {kFunctionMedia, 0, static_cast<std::uint32_t>(r % 18), 0, 0}; break;
          default: s->Record(p, r) = {kFunctionText, 0, 0, 0, 0};
            s->strings.Set(GlobalRecordNumber(p, r), u"some text to type");
        }
      }
    }
    for (std::uint16_t id = 1; id <= kMaxMacroId; ++id) {
      MacroRecord macro;
      macro.id = id;
      SetMacroName(macro, u"benchmark macro");
      macro.actionCount = kMaxMacroActions;
      for (std::size_t a = 0; a < kMaxMacroActions; ++a) {
        macro.actions[a] = {static_cast<std::uint32_t>(a % 400), static_cast<KeyCode>(0x010 + a % 40),
                            static_cast<std::uint16_t>(a % 2)};
      }
      s->macros.push_back(macro);
    }
    return s;
  }();
  return *store;
}

// Four matrices encoded and decoded, and the store packed into its file bytes
// and loaded back.
void BM_FullStoreEncodeDecode(benchmark::State& state) {
  ProfileStore& store = FullStore();
  const DefaultMatrix defaults = BuiltInDefaultMatrix();
  ProfileStore loaded;
  for (auto _ : state) {
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      std::vector<std::uint8_t> matrix = EncodeKeyMatrix(store.image[p], defaults, store.macros);
      ProfileBlock block;
      DecodeKeyMatrix(matrix, defaults, block);
      benchmark::DoNotOptimize(block);
    }
    std::vector<std::uint8_t> area = PackStrings(store);
    std::vector<std::uint8_t> file = ProfileFileBytes(store.image, store.macros, area);
    if (!LoadStoreFromBytes(loaded, file)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(loaded.macros.data());
  }
}
BENCHMARK(BM_FullStoreEncodeDecode)->Unit(benchmark::kMillisecond);

// The largest macro image the keyboard's 16-bit offsets allow (100 macros of
// 150 actions with names), packed and unpacked.
void BM_MacroImageEncodeDecode(benchmark::State& state) {
  MacroSet set(FullStore().macros);
  for (MacroRecord& macro : set) macro.actionCount = 150;
  const MacroAreaSize sizes = MacroAreaSizes(set);
  std::vector<std::uint8_t> image(sizes.withNames);
  MacroSet decoded;
  for (auto _ : state) {
    if (!EncodeMacroArea(set, sizes.withNames, true, image)) state.SkipWithError("encode failed");
    DecodeMacroArea(image, u"M", decoded);
    benchmark::DoNotOptimize(decoded.data());
  }
  state.counters["image_bytes"] = static_cast<double>(sizes.withNames);
}
BENCHMARK(BM_MacroImageEncodeDecode)->Unit(benchmark::kMillisecond);

void BM_ValidateAndLoadProfileFile(benchmark::State& state) {
  char pattern[] = "/tmp/zarvel-bench-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  const std::string path = dir + "/full.zvl";
  if (!SaveImageToFile(FullStore(), path)) state.SkipWithError("save failed");
  SilentPrompter prompter;
  ProfileStore store;
  for (auto _ : state) {
    if (ValidateProfileFile(path, prompter) != 1 || !LoadStoreFile(store, path)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(store.macros.data());
  }
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ValidateAndLoadProfileFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarvel
