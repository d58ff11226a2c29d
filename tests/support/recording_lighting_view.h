#pragma once
// A lighting panel for tests: it keeps what the panel would show now (the
// effect list, visibility, pictures by name, sliders, colours, slot list and
// key frames) and counts the frame clearings.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/lighting_view.h"

namespace zarvel::testing {

class RecordingLightingView : public LightingView {
 public:
  void SetEffectList(const std::vector<EffectListEntry>& list) override { effects = list; }
  void SelectEffectEntry(int position) override { selectedEffect = position; }
  void SetPanelVisibility(const PanelVisibility& shown) override { visibility = shown; }
  void PlaceDirectionControls(const DirectionPlacementKeys& keys) override { direction = keys; }
  void SetPicture(LightingPicture picture, std::string_view imageName) override {
    pictures[picture] = std::string(imageName);
  }
  void SetSliderPosition(LightingSlider slider, int position) override { sliders[slider] = position; }
  void ShowColour(LightingColourButton button, const LightingColour& colour) override { colours[button] = colour; }
  void CheckReportRate(int rate) override { reportRate = rate; }
  void SetSlotNames(const std::vector<std::string>& names) override { slotNames = names; }
  void SetSlotName(int slot, const std::string& name) override {
    if (slot >= 0 && static_cast<std::size_t>(slot) < slotNames.size()) slotNames[static_cast<std::size_t>(slot)] = name;
  }
  void SelectSlot(int slot) override { selectedSlot = slot; }
  void ShowKeyFrames(const std::vector<ButtonFrame>& shown) override {
    for (const ButtonFrame& frame : shown) frames[frame.buttonId] = frame.colour;
  }
  void ShowKeyFrame(const ButtonFrame& frame) override { frames[frame.buttonId] = frame.colour; }
  void ClearKeyFrames() override {
    frames.clear();
    ++framesCleared;
  }

  void ShowKeyNotes(const std::vector<ButtonNote>& shown) override {
    notes.clear();
    for (const ButtonNote& note : shown) notes[note.buttonId] = note.note;
  }

  std::string Picture(LightingPicture picture) const {
    auto found = pictures.find(picture);
    return found == pictures.end() ? std::string() : found->second;
  }

  std::vector<EffectListEntry> effects;
  int selectedEffect = -1;
  PanelVisibility visibility;
  DirectionPlacementKeys direction;
  std::map<LightingPicture, std::string> pictures;
  std::map<LightingSlider, int> sliders;
  std::map<LightingColourButton, LightingColour> colours;
  int reportRate = -1;
  std::vector<std::string> slotNames;
  int selectedSlot = -1;
  std::map<int, SlotColour> frames;
  int framesCleared = 0;
  std::map<int, KeyNote> notes;
};

}  // namespace zarvel::testing
