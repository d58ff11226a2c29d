#include "skin/widgets/skin_placement.h"

namespace zarvel {

Placement PlaceImageButton(const CIniFile& skin, std::string_view key, ImageButton& button,
                           const StateImages& images) {
  const Placement placement = ReadPlacement(skin, key);
  button.setGeometry(ToRect(placement));
  button.SetStateImages(images, QPoint(placement.left, placement.top));
  // A button the skin does not place is not offered at all.
  if (IsUnplacedButton(placement)) button.setEnabled(false);
  return placement;
}

Placement PlaceControl(const CIniFile& skin, std::string_view key, QWidget& control) {
  const Placement placement = ReadPlacement(skin, key);
  control.setGeometry(ToRect(placement));
  return placement;
}

Placement PlacePosition(const CIniFile& skin, std::string_view key, QWidget& control) {
  const Placement placement = ReadPlacement(skin, key);
  control.move(placement.left, placement.top);
  control.update();
  return placement;
}

Placement PlaceArrowButton(const CIniFile& skin, std::string_view key, std::string_view originKey,
                           ImageButton& button, const QPixmap& image) {
  const Placement placement = ReadPlacement(skin, key);
  button.setGeometry(ToRect(placement));
  const ImageOrigin origin = ReadImageOrigin(skin, originKey);
  button.SetStateImages(StateImages::AllSame(image), QPoint(origin.x, origin.y));
  return placement;
}

}  // namespace zarvel
