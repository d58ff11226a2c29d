// Skin placement values and the comma-separated numbers of the lighting
// files, checked against the C library's reading of the same pattern where
// that is defined (no number too long for int).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "seed_writer.h"
#include "skin/int_list.h"
#include "skin/placement.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  for (const char* text : {"10,20,30,40", "1,1,1,1,x", " -5, +6,7", "255,0,0,1", "10,abc,30,40", ""}) {
    std::string value = text;
    seeds.emplace_back(value.begin(), value.end());
  }
  std::string formatted = zarvel::FormatIntList(std::vector<int>{12, -34, 56, 0});
  seeds.emplace_back(formatted.begin(), formatted.end());
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  zarvel::Placement placement = zarvel::ParsePlacement(text);

  // Differential check when every digit run is short enough for sscanf to be exact.
  bool comparable = text.find('\0') == std::string::npos;
  std::size_t run = 0;
  for (char c : text) {
    run = (c >= '0' && c <= '9') ? run + 1 : 0;
    if (run > 9) comparable = false;
  }
  if (comparable) {
    int expected[4] = {0, 0, 0, 0};
    int count = std::sscanf(text.c_str(), "%d,%d,%d,%d", &expected[0], &expected[1], &expected[2], &expected[3]);
    if (count < 0) count = 0;
    int got[4] = {7, 7, 7, 7};
    std::size_t read = zarvel::ScanIntList(text, got);
    if (static_cast<int>(read) != count) __builtin_trap();
    for (int i = 0; i < count; ++i) {
      if (got[i] != expected[i]) __builtin_trap();
    }
    for (int& number : expected) number = std::clamp(number, -zarvel::kPlacementLimit, zarvel::kPlacementLimit);
    zarvel::Placement fromScanf{expected[0], expected[1], expected[2], expected[3]};
    if (!(placement == fromScanf)) __builtin_trap();
  }
  // What the windows compute from a placement (Qt's rectangle keeps right and
  // bottom as left + width - 1; a button's state images start one pixel up and
  // left of it) must stay inside int for every skin file.
  int right = 0;
  int bottom = 0;
  if (__builtin_add_overflow(placement.left, placement.width - 1, &right)) __builtin_trap();
  if (__builtin_add_overflow(placement.top, placement.height - 1, &bottom)) __builtin_trap();
  const zarvel::ImageOrigin corner = zarvel::StateImageCorner(zarvel::OriginOf(placement));
  if (corner.x >= placement.left || corner.y >= placement.top) __builtin_trap();
  return 0;
}
