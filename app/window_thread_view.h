#pragma once
// Carries view calls made on the keyboard-write worker over to the window's
// thread.
//
// The application core shows what it does through its views as it goes; when
// one of its sequences runs on the worker (KeyboardWriteRunner), those calls
// arrive on the worker. Widgets may only be touched on the window's thread,
// so a call from elsewhere is queued there with copies of its arguments, in
// the order made; a call on the window's thread goes straight through.
#include "app/window_thread_queue.h"
#include "core/lighting_view.h"

namespace zarvel {

// The lighting panel as the lighting controller sees it from any thread.
class WindowThreadLightingView final : public LightingView {
 public:
  WindowThreadLightingView(WindowThreadQueue& queue, LightingView& target) : queue_(queue), target_(target) {}

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
  void ShowKeyNotes(const std::vector<ButtonNote>& notes) override;

 private:
  WindowThreadQueue& queue_;
  LightingView& target_;
};

}  // namespace zarvel
