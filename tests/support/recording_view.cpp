#include "support/recording_view.h"

#include <algorithm>

namespace zarvel::testing {

void RecordingView::ShowKeyDescription(int button_id, const std::string& text, bool assigned) {
  descriptions[button_id] = {text, assigned};
  events.push_back("key " + std::to_string(button_id));
}

void RecordingView::CheckProfileButton(int profile) {
  checked_profile = profile;
  events.push_back("profile " + std::to_string(profile));
}

void RecordingView::EnableApply(bool enabled) {
  apply_enabled = enabled;
  events.push_back(std::string("apply ") + (enabled ? "1" : "0"));
}

void RecordingView::ShowBusy(bool shown) {
  busy = shown;
  if (shown) ++busy_shows;
  events.push_back(std::string("busy ") + (shown ? "1" : "0"));
}

void RecordingView::ShowTrayPicture(int icon_resource) {
  tray_picture = icon_resource;
  events.push_back("tray " + std::to_string(icon_resource));
}

void RecordingView::ShowFlip(int value) {
  flip = value;
  events.push_back("flip " + std::to_string(value));
}

void RecordingView::ShowActiveProfile(int profile, const ProfileMenuLabel& label) {
  active_profile = profile;
  profile_label = label;
  events.push_back("active " + std::to_string(profile));
}

void RecordingView::ShowNotice(const std::string& key, const std::string& text) {
  notice_key = text.empty() ? std::string() : key;
  notice_text = text;
  if (!text.empty()) notices.push_back(key);
  events.push_back("notice " + notice_key);
}

void RecordingView::SetEffectList(const std::vector<EffectListEntry>& entries) {
  effect_list = entries;
  events.push_back("effects " + std::to_string(entries.size()));
}

void RecordingView::SelectEffectEntry(int position) {
  selected_effect_entry = position;
  events.push_back("effect entry " + std::to_string(position));
}

void RecordingView::SetPanelVisibility(const PanelVisibility& v) {
  visibility = v;
  events.push_back("visibility");
}

void RecordingView::PlaceDirectionControls(const DirectionPlacementKeys& keys) {
  events.push_back("place " + keys.label);
}

void RecordingView::SetPicture(LightingPicture picture, std::string_view imageName) {
  pictures[picture] = std::string(imageName);
  events.push_back("picture " + std::to_string(static_cast<int>(picture)) + " " + std::string(imageName));
}

void RecordingView::SetSliderPosition(LightingSlider slider, int position) {
  sliders[slider] = position;
  events.push_back("slider " + std::to_string(static_cast<int>(slider)) + " " + std::to_string(position));
}

void RecordingView::ShowColour(LightingColourButton button, const LightingColour& colour) {
  colours[button] = colour;
  events.push_back("colour " + std::to_string(static_cast<int>(button)));
}

void RecordingView::CheckReportRate(int rate) {
  report_rate = rate;
  events.push_back("rate " + std::to_string(rate));
}

void RecordingView::SetSlotNames(const std::vector<std::string>& names) {
  slot_names = names;
  events.push_back("slots");
}

void RecordingView::SetSlotName(int slot, const std::string& name) {
  if (slot >= 0 && static_cast<std::size_t>(slot) < slot_names.size()) slot_names[static_cast<std::size_t>(slot)] = name;
  events.push_back("slot name " + std::to_string(slot));
}

void RecordingView::SelectSlot(int slot) {
  selected_slot = slot;
  events.push_back("slot " + std::to_string(slot));
}

void RecordingView::ShowKeyFrames(const std::vector<ButtonFrame>& list) {
  for (const ButtonFrame& f : list) frames[f.buttonId] = f.colour;
  events.push_back("frames " + std::to_string(list.size()));
}

void RecordingView::ShowKeyFrame(const ButtonFrame& frame) {
  frames[frame.buttonId] = frame.colour;
  events.push_back("frame " + std::to_string(frame.buttonId));
}

void RecordingView::ClearKeyFrames() {
  frames.clear();
  events.push_back("frames clear");
}

int RecordingView::Count(const std::string& event) const {
  return static_cast<int>(std::count(events.begin(), events.end(), event));
}

}  // namespace zarvel::testing
