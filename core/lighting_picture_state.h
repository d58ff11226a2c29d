#pragma once
// Whether a lighting-panel picture shows its "chosen" face: the switch on,
// random colour on, a direction arrow or tool chosen, a colour choice
// taken. Screen readers report it as the picture's checked state.
#include <string_view>

namespace zarvel {

// The chosen faces end in "down.bmp" (dengdown, sjsdown, leftdown,
// user1down) or "ok.bmp" (hongok); every other face is not chosen.
bool LightingPictureChosen(std::string_view image_name);

}  // namespace zarvel
