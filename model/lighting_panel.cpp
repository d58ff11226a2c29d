#include "model/lighting_panel.h"

#include <algorithm>
#include <array>

namespace zarvel {

EffectControls ControlsForEffect(int effect) {
  EffectControls c;
  c.known = true;
  switch (effect) {
    case 1:
    case 2:
    case 3:
      c.writesRandomColour = c.brightness = c.speed = c.direction = c.colourGroupA = true;
      break;
    case 4:
    case 11:
      c.brightness = c.speed = true;
      break;
    case 5:
    case 7:
    case 8:
    case 9:
    case 13:
    case 14:
    case 15:
      c.writesRandomColour = c.brightness = c.speed = c.colourGroupA = true;
      break;
    case 6:
    case 16:
      c.brightness = c.colourGroupB = true;
      break;
    case 10:
      c.brightness = c.speed = c.colourGroupA = true;
      break;
    case 12:
      c.brightness = c.speed = c.direction = true;
      break;
    case 17:
      c.brightness = c.colourChoice = true;
      break;
    case 18:
      c.brightness = c.direction = true;
      break;
    case 20:
      c.brightness = c.userGroup = true;
      break;
    case 21:
      break;
    default:
      return EffectControls{};
  }
  return c;
}

DirectionStyle DirectionStyleFor(int effect) {
  if (effect == 12) return DirectionStyle::kUpDown;
  if (effect == 18) return DirectionStyle::kSpreadConverge;
  return DirectionStyle::kLeftRight;
}

DirectionPlacementKeys DirectionPlacementFor(int effect) {
  std::string suffix;
  if (effect >= 1 && effect <= 3) suffix = "2";
  if (effect == 12) suffix = "3";
  return {"CONTROL_BLFXStatic" + suffix, "CONTROL_BLFXLStaPic" + suffix, "CONTROL_BLFXRStaPic" + suffix};
}

ArrowPictures DirectionPictures(int effect, int direction) {
  bool first = direction == 0xFF;
  switch (DirectionStyleFor(effect)) {
    case DirectionStyle::kSpreadConverge:
      return first ? ArrowPictures{"kuosandown.bmp", "julong.bmp"} : ArrowPictures{"kuosan.bmp", "julongdown.bmp"};
    case DirectionStyle::kUpDown:
      return first ? ArrowPictures{"updown.bmp", "downup.bmp"} : ArrowPictures{"upup.bmp", "downdown.bmp"};
    case DirectionStyle::kLeftRight:
      break;
  }
  return first ? ArrowPictures{"leftdown.bmp", "rightup.bmp"} : ArrowPictures{"leftup.bmp", "rightdown.bmp"};
}

int BrightnessSliderPosition(int brightness) { return std::clamp(brightness, 0, 4); }

std::string BrightnessPicture(int brightness) { return std::to_string(std::clamp(brightness, 0, 5)) + ".bmp"; }

int SpeedSliderPosition(int speed) { return 3 - std::clamp(speed, 0, 3); }

std::string SpeedPicture(int position) { return std::to_string(5 + std::clamp(position, 0, 3)) + ".bmp"; }

std::string_view RandomColourPicture(bool on) { return on ? "sjsdown.bmp" : "sjsup.bmp"; }

std::string_view LightingSwitchPicture(bool on) { return on ? "dengdown.bmp" : "dengup.bmp"; }

std::string_view ColourChoicePicture(int choice, bool chosen) {
  static constexpr std::array<std::string_view, 4> kPlain = {"hong.bmp", "huang.bmp", "lv.bmp", "lan.bmp"};
  static constexpr std::array<std::string_view, 4> kChosen = {"hongok.bmp", "huangok.bmp", "lvok.bmp", "lanok.bmp"};
  if (choice < 0 || choice > 3) return {};
  return chosen ? kChosen[static_cast<std::size_t>(choice)] : kPlain[static_cast<std::size_t>(choice)];
}

std::string NormaliseColourField(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    // Stop growing once past 255: the field shows 255 for anything larger,
    // and a long run of digits must not overflow.
    if (value <= 255) value = value * 10 + (c - '0');
  }
  return std::to_string(std::min(value, 255));
}

}  // namespace zarvel
