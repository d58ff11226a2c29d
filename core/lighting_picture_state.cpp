#include "core/lighting_picture_state.h"

namespace zarvel {

namespace {

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

bool LightingPictureChosen(std::string_view image_name) {
  return EndsWith(image_name, "down.bmp") || EndsWith(image_name, "ok.bmp");
}

}  // namespace zarvel
