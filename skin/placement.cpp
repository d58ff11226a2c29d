#include "skin/placement.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "skin/ini_file.h"
#include "skin/int_list.h"

namespace zarvel {

namespace {

std::string PlacementValue(const CIniFile& skin, std::string_view section, std::string_view key) {
  // An empty value places nothing, like a missing one.
  return skin.ReadString(section, key, kDefaultPlacementValue).value_or(std::string(kDefaultPlacementValue));
}

}  // namespace

Placement ParsePlacement(std::string_view value) {
  std::array<int, 4> numbers{};
  ScanIntList(value, numbers);
  // A window's controls sit within a few thousand pixels; clamping here keeps
  // left + width, the state images' corner (origin - 1) and every rectangle
  // made from a placement inside int, whatever a skin file says.
  for (int& number : numbers) number = std::clamp(number, -kPlacementLimit, kPlacementLimit);
  return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

Placement ReadPlacement(const CIniFile& skin, std::string_view key) {
  return ParsePlacement(PlacementValue(skin, kPlacementSection, key));
}

ImageOrigin ReadImageOrigin(const CIniFile& skin, std::string_view key) {
  Placement placement = ParsePlacement(PlacementValue(skin, kImageOriginSection, key));
  return {placement.left, placement.top};
}

std::string KeyButtonSkinKey(int tableIndex) {
  char name[16];
  std::snprintf(name, sizeof name, "KEY_%03X", static_cast<unsigned>(tableIndex) & 0xFFFu);
  return name;
}

std::string GButtonSkinKey(int number) { return "FUNC_G" + std::to_string(number); }

std::string ArrowOriginKey(std::string_view base, int number) { return std::string(base) + std::to_string(number); }

}  // namespace zarvel
