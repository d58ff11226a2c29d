#pragma once
// A main window for tests of the application core: it keeps what the window
// would show (key descriptions, checked profile button, Apply, busy picture,
// flip, lighting panel, key colour frames) and records every call as a short
// line, so a test can check both the end state and the order of events.
#include <map>
#include <string>
#include <vector>

#include "core/lighting_view.h"
#include "core/main_view.h"

namespace zarvel::testing {

class RecordingView : public MainView, public LightingView {
 public:
  struct Description {
    std::string text;
    bool assigned = false;
  };

  // ---- MainView ----
  void ShowKeyDescription(int button_id, const std::string& text, bool assigned) override;
  void CheckProfileButton(int profile) override;
  void EnableApply(bool enabled) override;
  void ShowBusy(bool shown) override;
  void ShowTrayPicture(int icon_resource) override;
  void ShowFlip(int flip) override;
  void ShowActiveProfile(int profile, const ProfileMenuLabel& label) override;
  void ShowNotice(const std::string& key, const std::string& text) override;
  LightingView& Lighting() override { return *this; }

  // ---- LightingView ----
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

  // ---- what is shown ----
  std::map<int, Description> descriptions;  // by button identifier
  int checked_profile = -1;
  bool apply_enabled = false;
  bool busy = false;
  int busy_shows = 0;
  int tray_picture = -1;
  int flip = -1;
  int active_profile = -2;  // -2: never shown
  ProfileMenuLabel profile_label;
  std::string notice_key;  // the notice line shown now ("" none)
  std::string notice_text;
  std::vector<std::string> notices;  // keys of every notice shown, in order
  std::vector<EffectListEntry> effect_list;
  int selected_effect_entry = -1;
  PanelVisibility visibility;
  std::map<LightingPicture, std::string> pictures;
  std::map<LightingSlider, int> sliders;
  std::map<LightingColourButton, LightingColour> colours;
  int report_rate = -1;
  std::vector<std::string> slot_names;
  int selected_slot = -1;
  std::map<int, SlotColour> frames;  // by button identifier

  // Every call, in order ("apply 1", "busy 1", "profile 2", "frames clear").
  std::vector<std::string> events;
  int Count(const std::string& event) const;
  void ClearEvents() { events.clear(); }
};

}  // namespace zarvel::testing
