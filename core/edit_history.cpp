#include "core/edit_history.h"

#include <algorithm>
#include <utility>

namespace zarvel {

ColourSnapshot TakeColourSnapshot(const KeyColourState& state, int profile) {
  ColourSnapshot snapshot;
  if (profile < 0 || profile >= kKeyColourProfiles) return snapshot;
  snapshot.profile = profile;
  snapshot.slot = state.slot.currentSlot;
  const auto from = state.colours.begin() + static_cast<std::ptrdiff_t>(kKeyColourBlockBytes) * profile;
  std::copy(from, from + static_cast<std::ptrdiff_t>(kKeyColourBlockBytes), snapshot.block.begin());
  snapshot.marks = state.marks[static_cast<std::size_t>(profile)];
  snapshot.settings = state.slot.Settings();
  return snapshot;
}

void PutColourSnapshot(KeyColourState& state, const ColourSnapshot& snapshot) {
  if (snapshot.profile < 0 || snapshot.profile >= kKeyColourProfiles) return;
  std::copy(snapshot.block.begin(), snapshot.block.end(),
            state.colours.begin() + static_cast<std::ptrdiff_t>(kKeyColourBlockBytes) * snapshot.profile);
  state.marks[static_cast<std::size_t>(snapshot.profile)] = snapshot.marks;
  state.slot.tool = snapshot.settings.tool;
  state.slot.baseColour = snapshot.settings.baseColour;
  state.slot.paintColour = snapshot.settings.paintColour;
}

namespace {

SlotColour SnapshotColour(const ColourSnapshot& snapshot, int colourIndex) {
  const auto at = static_cast<std::size_t>(colourIndex) * 3;
  return {snapshot.block[at], snapshot.block[at + 1], snapshot.block[at + 2]};
}

}  // namespace

std::vector<UserLightingFiles::IndexedEntry> ChangedEntries(const ColourSnapshot& from, const ColourSnapshot& to) {
  std::vector<UserLightingFiles::IndexedEntry> entries;
  const auto buttons = LitButtons();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const int index = buttons[i].colourIndex;
    const KeyColourEntry was{SnapshotColour(from, index), from.marks[i]};
    const KeyColourEntry now{SnapshotColour(to, index), to.marks[i]};
    const bool listed = std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.colourIndex == index; });
    if (was != now && !listed) entries.push_back({index, now});
  }
  return entries;
}

std::vector<ButtonFrame> ChangedFrames(const ColourSnapshot& from, const ColourSnapshot& to) {
  std::vector<ButtonFrame> frames;
  for (const LitButton& button : LitButtons()) {
    const SlotColour now = SnapshotColour(to, button.colourIndex);
    if (SnapshotColour(from, button.colourIndex) != now) frames.push_back({button.buttonId, now});
  }
  return frames;
}

void EditHistory::Push(int profile, EditStep step) {
  if (profile != profile_) Clear();
  profile_ = profile;
  redo_.clear();
  undo_.push_back(std::move(step));
  while (undo_.size() > kEditHistoryLimit) undo_.pop_front();
}

void EditHistory::Undone() {
  if (undo_.empty()) return;
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
}

void EditHistory::Redone() {
  if (redo_.empty()) return;
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
}

void EditHistory::DropKeySteps() {
  auto isKeys = [](const EditStep& step) { return step.kind == EditStep::Kind::kKeys; };
  undo_.erase(std::remove_if(undo_.begin(), undo_.end(), isKeys), undo_.end());
  redo_.erase(std::remove_if(redo_.begin(), redo_.end(), isKeys), redo_.end());
}

void EditHistory::DropNextUndo() {
  if (!undo_.empty()) undo_.pop_back();
}

void EditHistory::DropNextRedo() {
  if (!redo_.empty()) redo_.pop_back();
}

void EditHistory::Clear() {
  undo_.clear();
  redo_.clear();
  profile_ = -1;
}

}  // namespace zarvel
