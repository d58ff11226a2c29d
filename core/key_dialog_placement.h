#pragma once
// Where the key-function dialog opens: beside the key that was clicked, so
// the key stays visible, and always whole on the screen.
//
// Right of the key when the dialog fits there, else left of it; below the
// key when it fits there, else above. When it fits nowhere beside the key it
// goes below and right of it, moved back as far as needed to be seen whole.
// The macro editor (the macro button and G9) opens centred instead.
// Rectangles are in screen pixels; `right` and `bottom` are one past the
// last pixel.
namespace zarvel {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct DialogPosition {
  int x = 0, y = 0;
  bool operator==(const DialogPosition&) const = default;
};

DialogPosition PlaceBesideKey(const ScreenRect& key, int width, int height, const ScreenRect& screen);
DialogPosition PlaceCentred(int width, int height, const ScreenRect& screen);

}  // namespace zarvel
