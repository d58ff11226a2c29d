#include "app/window_thread_view.h"

#include <string>

namespace zarvel {

void WindowThreadLightingView::SetEffectList(const std::vector<EffectListEntry>& entries) {
  queue_.RunOrPost([this, entries] { target_.SetEffectList(entries); });
}
void WindowThreadLightingView::SelectEffectEntry(int position) {
  queue_.RunOrPost([this, position] { target_.SelectEffectEntry(position); });
}
void WindowThreadLightingView::SetPanelVisibility(const PanelVisibility& visibility) {
  queue_.RunOrPost([this, visibility] { target_.SetPanelVisibility(visibility); });
}
void WindowThreadLightingView::PlaceDirectionControls(const DirectionPlacementKeys& keys) {
  queue_.RunOrPost([this, keys] { target_.PlaceDirectionControls(keys); });
}
void WindowThreadLightingView::SetPicture(LightingPicture picture, std::string_view imageName) {
  queue_.RunOrPost([this, picture, name = std::string(imageName)] { target_.SetPicture(picture, name); });
}
void WindowThreadLightingView::SetSliderPosition(LightingSlider slider, int position) {
  queue_.RunOrPost([this, slider, position] { target_.SetSliderPosition(slider, position); });
}
void WindowThreadLightingView::ShowColour(LightingColourButton button, const LightingColour& colour) {
  queue_.RunOrPost([this, button, colour] { target_.ShowColour(button, colour); });
}
void WindowThreadLightingView::CheckReportRate(int rate) {
  queue_.RunOrPost([this, rate] { target_.CheckReportRate(rate); });
}
void WindowThreadLightingView::SetSlotNames(const std::vector<std::string>& names) {
  queue_.RunOrPost([this, names] { target_.SetSlotNames(names); });
}
void WindowThreadLightingView::SetSlotName(int slot, const std::string& name) {
  queue_.RunOrPost([this, slot, name] { target_.SetSlotName(slot, name); });
}
void WindowThreadLightingView::SelectSlot(int slot) {
  queue_.RunOrPost([this, slot] { target_.SelectSlot(slot); });
}
void WindowThreadLightingView::ShowKeyFrames(const std::vector<ButtonFrame>& frames) {
  queue_.RunOrPost([this, frames] { target_.ShowKeyFrames(frames); });
}
void WindowThreadLightingView::ShowKeyFrame(const ButtonFrame& frame) {
  queue_.RunOrPost([this, frame] { target_.ShowKeyFrame(frame); });
}
void WindowThreadLightingView::ClearKeyFrames() {
  queue_.RunOrPost([this] { target_.ClearKeyFrames(); });
}
void WindowThreadLightingView::ShowKeyNotes(const std::vector<ButtonNote>& notes) {
  queue_.RunOrPost([this, notes] { target_.ShowKeyNotes(notes); });
}

}  // namespace zarvel
