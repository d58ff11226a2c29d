#include "app/window_thread_view.h"

#include <string>

namespace zarvel {

void WindowThreadLightingView::SetEffectList(const std::vector<EffectListEntry>& entries) {
  OnWindowThread(&context_, [this, entries] { target_.SetEffectList(entries); });
}
void WindowThreadLightingView::SelectEffectEntry(int position) {
  OnWindowThread(&context_, [this, position] { target_.SelectEffectEntry(position); });
}
void WindowThreadLightingView::SetPanelVisibility(const PanelVisibility& visibility) {
  OnWindowThread(&context_, [this, visibility] { target_.SetPanelVisibility(visibility); });
}
void WindowThreadLightingView::PlaceDirectionControls(const DirectionPlacementKeys& keys) {
  OnWindowThread(&context_, [this, keys] { target_.PlaceDirectionControls(keys); });
}
void WindowThreadLightingView::SetPicture(LightingPicture picture, std::string_view imageName) {
  OnWindowThread(&context_, [this, picture, name = std::string(imageName)] { target_.SetPicture(picture, name); });
}
void WindowThreadLightingView::SetSliderPosition(LightingSlider slider, int position) {
  OnWindowThread(&context_, [this, slider, position] { target_.SetSliderPosition(slider, position); });
}
void WindowThreadLightingView::ShowColour(LightingColourButton button, const LightingColour& colour) {
  OnWindowThread(&context_, [this, button, colour] { target_.ShowColour(button, colour); });
}
void WindowThreadLightingView::CheckReportRate(int rate) {
  OnWindowThread(&context_, [this, rate] { target_.CheckReportRate(rate); });
}
void WindowThreadLightingView::SetSlotNames(const std::vector<std::string>& names) {
  OnWindowThread(&context_, [this, names] { target_.SetSlotNames(names); });
}
void WindowThreadLightingView::SetSlotName(int slot, const std::string& name) {
  OnWindowThread(&context_, [this, slot, name] { target_.SetSlotName(slot, name); });
}
void WindowThreadLightingView::SelectSlot(int slot) {
  OnWindowThread(&context_, [this, slot] { target_.SelectSlot(slot); });
}
void WindowThreadLightingView::ShowKeyFrames(const std::vector<ButtonFrame>& frames) {
  OnWindowThread(&context_, [this, frames] { target_.ShowKeyFrames(frames); });
}
void WindowThreadLightingView::ShowKeyFrame(const ButtonFrame& frame) {
  OnWindowThread(&context_, [this, frame] { target_.ShowKeyFrame(frame); });
}
void WindowThreadLightingView::ClearKeyFrames() {
  OnWindowThread(&context_, [this] { target_.ClearKeyFrames(); });
}

}  // namespace zarvel
