#pragma once
// Where a skinned control sits: its rectangle in the window's client area
// (the background image's pixels), read from the window's skin file.
//
// A placement value is "left,top,width,height" in decimal; anything after the
// fourth number is ignored, and numbers that are missing or unreadable (the
// reading stops at the first one) count as 0. A missing key reads as
// "1,1,1,1,x": a 1 x 1 control at (1, 1). An image button placed at (1, 1)
// is taken as not placed by its skin and is disabled. Each number is clamped
// to -32767..32767, so sums and rectangles made from a placement never
// overflow.
#include <string>
#include <string_view>

namespace zarvel {

class CIniFile;

inline constexpr std::string_view kPlacementSection = "BUTTONINFO";
inline constexpr std::string_view kImageOriginSection = "BUTTONINFO2";
inline constexpr std::string_view kDefaultPlacementValue = "1,1,1,1,x";
inline constexpr int kPlacementLimit = 32767;

struct Placement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Placement&) const = default;
};

// Where a button's piece starts in the full-window state images.
struct ImageOrigin {
  int x = 0;
  int y = 0;
  bool operator==(const ImageOrigin&) const = default;
};

Placement ParsePlacement(std::string_view value);

// The placement under `key` in "BUTTONINFO". A missing key or an empty value
// gives the default placement.
Placement ReadPlacement(const CIniFile& skin, std::string_view key);
// The first two numbers under `key` in "BUTTONINFO2", with the same defaults.
ImageOrigin ReadImageOrigin(const CIniFile& skin, std::string_view key);

// An image button's origin is its own position, so its piece of each state
// image is the one under it.
inline ImageOrigin OriginOf(const Placement& placement) { return {placement.left, placement.top}; }
// True for an image button left at the default position (1, 1): it is disabled.
inline bool IsUnplacedButton(const Placement& placement) { return placement.left == 1 && placement.top == 1; }
// The top-left pixel of the state images a button at `origin` shows: one up
// and one to the left of the origin.
inline ImageOrigin StateImageCorner(const ImageOrigin& origin) { return {origin.x - 1, origin.y - 1}; }

// Skin key names made from numbers.
std::string KeyButtonSkinKey(int tableIndex);  // "KEY_%03X", e.g. "KEY_03B"
std::string GButtonSkinKey(int number);        // "FUNC_G%d", 1..9
// "UP_ARROW_LEFT1" and the like: base name and the number 1 or 2.
std::string ArrowOriginKey(std::string_view base, int number);

}  // namespace zarvel
