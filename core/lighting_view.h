#pragma once
// The lighting panel of the main window as the lighting controller drives it:
// the effect list, which controls are visible and where the direction arrows
// sit, the pictures swapped by name, the slider positions, the colour buttons,
// the report rate buttons, the user colour group and the colour frames of the
// key buttons.
//
// The Qt window implements it with its skinned controls, zarvelctl on the
// terminal, the tests with a recorder. Every call only shows; none of them
// calls back into the controller. Pictures are skin image file names
// ("dengdown.bmp"), looked up by the window in its skin folder.
#include <string>
#include <string_view>
#include <vector>

#include "model/key_colours.h"
#include "model/lighting_panel.h"
#include "model/lighting_record.h"

namespace zarvel {

// The pictures of the panel that change with the lighting state.
enum class LightingPicture {
  kSwitch,         // the lighting switch picture
  kBrightness,     // the brightness slider's picture
  kSpeed,          // the speed slider's picture
  kFirstArrow,     // direction arrows
  kSecondArrow,
  kRandomA,        // random-colour pictures of colour groups A and B
  kRandomB,
  kChoiceRed,      // colour choice pictures (effect 17)
  kChoiceYellow,
  kChoiceGreen,
  kChoiceBlue,
  kFirstTool,      // tool pictures of the user colour group
  kSecondTool,
};

enum class LightingSlider { kBrightness, kSpeed };

// The colour buttons. The second and third colours have buttons that are
// never shown; they still carry the values read from the keyboard.
enum class LightingColourButton { kColourA, kColourB, kSecondColour, kThirdColour, kPaintColour, kBaseColour };

// Which panel controls are shown. Everything false hides the whole panel, as
// the lighting switch does when it is off.
struct PanelVisibility {
  bool effectList = false;
  bool reportRate = false;    // report rate buttons and the colour number fields
  EffectControls controls;    // the effect's own controls
  // In place of the controls: the notice that the current profile's lighting
  // could not be read (the panel then offers nothing to edit).
  bool unreadNotice = false;
  bool operator==(const PanelVisibility&) const = default;
};

struct EffectListEntry {
  int effect = 0;
  std::string name;  // the effect's "MODE" name in the language file
  bool operator==(const EffectListEntry&) const = default;
};

// Why a click on a key button does nothing now; the window tells it in the
// button's tooltip, and draws the keys without a light dimmed while the user
// colours are shown, so one sees at a glance which keys take a colour.
enum class KeyNote {
  kNoLight,         // user colours shown: the key has no light and takes no colour
  kColourOnly,      // switch off: G1..G5 and Fn cannot be reassigned, only painted
  kUserEffectOnly,  // switch on, another effect: a click paints only in the user effect
};

struct ButtonNote {
  int buttonId = 0;
  KeyNote note = KeyNote::kNoLight;
  bool operator==(const ButtonNote&) const = default;
};

class LightingView {
 public:
  virtual ~LightingView() = default;

  // The effect list, in the keyboard's order; an empty list empties it.
  virtual void SetEffectList(const std::vector<EffectListEntry>& entries) = 0;
  // Selects list position `position`; -1 selects nothing.
  virtual void SelectEffectEntry(int position) = 0;

  virtual void SetPanelVisibility(const PanelVisibility& visibility) = 0;
  // Moves the direction label and arrows to the placements under these keys.
  virtual void PlaceDirectionControls(const DirectionPlacementKeys& keys) = 0;

  virtual void SetPicture(LightingPicture picture, std::string_view imageName) = 0;
  virtual void SetSliderPosition(LightingSlider slider, int position) = 0;
  virtual void ShowColour(LightingColourButton button, const LightingColour& colour) = 0;
  // Checks report rate button `rate` + 1 and unchecks the other three.
  virtual void CheckReportRate(int rate) = 0;

  // The user colour group's slot list: all ten names, one renamed entry, the
  // selected entry.
  virtual void SetSlotNames(const std::vector<std::string>& names) = 0;
  virtual void SetSlotName(int slot, const std::string& name) = 0;
  virtual void SelectSlot(int slot) = 0;

  // Key colour frames: the frames of many buttons at once, one button, or
  // every frame off. Clearing also unchecks every key button, G button and Fn.
  virtual void ShowKeyFrames(const std::vector<ButtonFrame>& frames) = 0;
  virtual void ShowKeyFrame(const ButtonFrame& frame) = 0;
  virtual void ClearKeyFrames() = 0;

  // Every key button's note: the listed ones get theirs, every other button
  // none. Views without key buttons ignore it.
  virtual void ShowKeyNotes(const std::vector<ButtonNote>& /*notes*/) {}
};

// A view that shows nothing, for callers without a window.
class NullLightingView : public LightingView {
 public:
  void SetEffectList(const std::vector<EffectListEntry>&) override {}
  void SelectEffectEntry(int) override {}
  void SetPanelVisibility(const PanelVisibility&) override {}
  void PlaceDirectionControls(const DirectionPlacementKeys&) override {}
  void SetPicture(LightingPicture, std::string_view) override {}
  void SetSliderPosition(LightingSlider, int) override {}
  void ShowColour(LightingColourButton, const LightingColour&) override {}
  void CheckReportRate(int) override {}
  void SetSlotNames(const std::vector<std::string>&) override {}
  void SetSlotName(int, const std::string&) override {}
  void SelectSlot(int) override {}
  void ShowKeyFrames(const std::vector<ButtonFrame>&) override {}
  void ShowKeyFrame(const ButtonFrame&) override {}
  void ClearKeyFrames() override {}
};

}  // namespace zarvel
