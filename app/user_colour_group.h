#pragma once
// The user colour group of the lighting panel, shown with the user effect:
// the slot list (renamable in place), the paint and base colour buttons and
// the two tool pictures. Its controls are children of the main window,
// placed from the main skin file like the rest of the panel.
//
// Every user action is one call into the lighting controller; the Show*
// calls only show and never reach those handlers.
#include <QColor>
#include <QObject>
#include <string>
#include <string_view>
#include <vector>

#include "core/lighting_view.h"

class QWidget;

namespace zarvel {

class CIniFile;
class ColourButton;
class EditCombo;
class LightingController;
class SkinLabel;
class SkinPicture;

class UserColourGroup : public QObject {
  Q_OBJECT
 public:
  UserColourGroup(QWidget& window, const CIniFile& mainSkin);

  // Wires the user's actions to `lighting`; until then they do nothing.
  void Connect(LightingController& lighting);
  void ApplyLanguage();
  void SetVisible(bool visible);

  void SetSlotNames(const std::vector<std::string>& names);
  void SetSlotName(int slot, const std::string& name);
  void SelectSlot(int slot);
  void ShowPaintColour(const QColor& colour);
  void ShowBaseColour(const QColor& colour);
  // The tool pictures (LightingPicture::kFirstTool / kSecondTool).
  void SetToolPicture(bool first, std::string_view imageName);

  EditCombo& SlotList() { return *slots_; }
  ColourButton& PaintColourButton() { return *paint_; }
  ColourButton& BaseColourButton() { return *base_; }

 private:
  EditCombo* slots_;
  SkinLabel* paint_label_;
  ColourButton* paint_;
  SkinLabel* base_label_;
  ColourButton* base_;
  SkinLabel* tool_label_;
  SkinPicture* first_tool_;
  SkinPicture* second_tool_;
  LightingController* lighting_ = nullptr;
};

}  // namespace zarvel
