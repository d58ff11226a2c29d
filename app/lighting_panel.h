#pragma once
// The lighting panel and the user colour group of the main window: the Qt
// LightingView the lighting controller drives.
//
// Its controls are children of the main window itself, placed from
// "Skins/Main.ini" (the CONTROL_* keys of the panel), so the panel is an
// object rather than a widget of its own. Every user action is one call into
// the LightingController (or AppCore::KeyClick while painting); every
// LightingView call only shows, and never reaches a user handler.
//
// Each control's object name is its skin key ("CONTROL_LightSlider",
// "FUNC_REPORT1", "COLOR_R"), and the unread notice is "LIGHT_READ_ERROR".
#include <QColor>
#include <QObject>
#include <memory>

#include "core/lighting_view.h"
#include "skin/ini_file.h"
#include "skin/widgets/image_button.h"

class QWidget;

namespace zarvel {

class AppCore;
class CIniFile;
class KeyButtonAccess;
class LightingController;

class LightingPanel : public QObject, public LightingView {
  Q_OBJECT
 public:
  // Creates and places the panel's controls on `window`.
  LightingPanel(QWidget& window, const CIniFile& mainSkin, KeyButtonAccess& keys);
  ~LightingPanel() override;

  // Wires the controls' user actions to the controller; call once the core
  // exists. Until then user actions do nothing.
  void Connect(AppCore& core);
  // Captions and tooltips from the language file (section LIGHT).
  void ApplyLanguage();

  void SetEffectList(const std::vector<EffectListEntry>& entries) override;
  void SelectEffectEntry(int position) override;
  void SetPanelVisibility(const PanelVisibility& visibility) override;
  void PlaceDirectionControls(const DirectionPlacementKeys& keys) override;
  void SetPicture(LightingPicture picture, std::string_view imageName) override;
  void SetSliderPosition(LightingSlider slider, int position) override;
  void ShowColour(LightingColourButton button, const LightingColour& colour) override;
  void CheckReportRate(int rate) override;
  void SetSlotNames(const std::vector<std::string>& names) override;
  void SetSlotName(int slot, const std::string& name) override;
  void SelectSlot(int slot) override;
  void ShowKeyFrames(const std::vector<ButtonFrame>& frames) override;
  void ShowKeyFrame(const ButtonFrame& frame) override;
  void ClearKeyFrames() override;
  // A tooltip line on each noted button; keys without a light are dimmed.
  void ShowKeyNotes(const std::vector<ButtonNote>& notes) override;

  // The values of the colour buttons that are never shown (the keyboard's
  // second and third colours), kept as read.
  QColor SecondColour() const;
  QColor ThirdColour() const;

 private:
  struct Controls;
  void ConnectControls();
  void ShowReportRateFromState();
  LightingController* Lighting() const;

  QWidget& window_;
  CIniFile skin_;
  KeyButtonAccess& keys_;
  AppCore* core_ = nullptr;
  std::unique_ptr<Controls> controls_;
  FrameStyle frame_style_ = FrameStyle::kColouredKey;
};

}  // namespace zarvel
