#pragma once
// What the lighting panel shows for each effect, and the names of the
// pictures and placement keys it uses. Pure lookups: the window (or the core
// driving it) asks these, then loads the named skin images and placements.
#include <string>
#include <string_view>

namespace zarvel {

// How the two direction arrows read for an effect.
enum class DirectionStyle {
  kLeftRight,       // most effects
  kUpDown,          // effect 12
  kSpreadConverge,  // effect 18
};

// The panel controls an effect shows besides the effect list, and what
// selecting it writes.
struct EffectControls {
  bool known = false;          // the effect has a row in the effect table
  bool writesRandomColour = false;  // selection also writes the random-colour flag
  bool brightness = false;
  bool speed = false;
  bool direction = false;
  bool colourGroupA = false;
  bool colourGroupB = false;
  bool colourChoice = false;
  bool userGroup = false;  // the per-key colour group of the user effect
  bool operator==(const EffectControls&) const = default;
};

// The controls of `effect`. An effect the table does not know (19, numbers
// above 21) shows nothing besides the list, and selecting it writes nothing:
// the window has no idea which of its parameters such an effect reads.
EffectControls ControlsForEffect(int effect);

DirectionStyle DirectionStyleFor(int effect);

// Placement keys (section BUTTONINFO of the main skin) of the direction label
// and arrows: suffix "2" for effects 1..3, "3" for effect 12, none otherwise.
struct DirectionPlacementKeys {
  std::string label;
  std::string firstArrow;
  std::string secondArrow;
  bool operator==(const DirectionPlacementKeys&) const = default;
};
DirectionPlacementKeys DirectionPlacementFor(int effect);

// Arrow pictures for `direction` in `effect`'s style: 0xFF presses the first
// arrow, every other value the second.
struct ArrowPictures {
  std::string_view first;
  std::string_view second;
  bool operator==(const ArrowPictures&) const = default;
};
ArrowPictures DirectionPictures(int effect, int direction);

// The brightness slider: position 0..4, picture named by the brightness. The
// default record's 5 shows "5.bmp" at position 4; a value above 5 (only a
// damaged record holds one) shows as 5, so no picture outside the skin's set
// is ever asked for.
int BrightnessSliderPosition(int brightness);
std::string BrightnessPicture(int brightness);
// The speed slider: position 3 − speed (a stored speed above 3 shows as 3),
// picture "5.bmp".."8.bmp" for positions 0..3.
int SpeedSliderPosition(int speed);
std::string SpeedPicture(int position);

std::string_view RandomColourPicture(bool on);      // "sjsdown.bmp" / "sjsup.bmp"
std::string_view LightingSwitchPicture(bool on);    // "dengdown.bmp" / "dengup.bmp"
// Colour choice picture c (0 red, 1 yellow, 2 green, 3 blue), plain or chosen;
// empty for c outside 0..3.
std::string_view ColourChoicePicture(int choice, bool chosen);

// The colour number fields R, G and B: digits only, rewritten as their decimal
// value, 255 for anything larger. Non-digits are dropped; a field left with
// no digits shows "0".
std::string NormaliseColourField(std::string_view text);

}  // namespace zarvel
