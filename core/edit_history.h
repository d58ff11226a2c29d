#pragma once
// Undo and redo of the window's edits of one profile: key assignments not
// yet applied, and paints and base-colour changes of the user colours.
//
// A step holds what it changed before and after, so undo and redo are the
// same operation in opposite directions. The history belongs to one
// profile: the owner clears it on a profile switch, a restore from a file
// and a reconnection that reads the keyboard. Apply ends the key steps (the
// keyboard then holds them; undoing one would need a second Apply the user
// did not ask for), so it drops them and keeps the colour steps, which the
// keyboard took at once anyway.
//
// Limits: at most kEditHistoryLimit steps; the oldest goes first.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/key_colours.h"
#include "model/key_function.h"

namespace zarvel {

inline constexpr std::size_t kEditHistoryLimit = 100;

// One key's record before and after an assignment.
struct KeyChange {
  std::size_t record = 0;
  KeyFunction before;
  std::u16string beforeText;
  KeyFunction after;
  std::u16string afterText;
};

// The user colours of one profile and slot as they were: every lit key's
// colour and mark and the slot's settings.
struct ColourSnapshot {
  int profile = -1;
  int slot = 0;
  std::array<std::uint8_t, kKeyColourBlockBytes> block{};
  std::array<bool, kColourButtonCount> marks{};
  SlotSettings settings;
  bool operator==(const ColourSnapshot&) const = default;
};
ColourSnapshot TakeColourSnapshot(const KeyColourState& state, int profile);
// Puts the snapshot's colours, marks and settings back into `state`.
void PutColourSnapshot(KeyColourState& state, const ColourSnapshot& snapshot);
// The slot file entries that differ between two snapshots of one slot, one
// per colour index.
std::vector<UserLightingFiles::IndexedEntry> ChangedEntries(const ColourSnapshot& from, const ColourSnapshot& to);
// The buttons whose colour differs between two snapshots.
std::vector<ButtonFrame> ChangedFrames(const ColourSnapshot& from, const ColourSnapshot& to);

struct EditStep {
  enum class Kind { kKeys, kColours };
  Kind kind = Kind::kKeys;
  std::vector<KeyChange> keys;  // kKeys
  ColourSnapshot before;        // kColours
  ColourSnapshot after;
};

class EditHistory {
 public:
  // The profile the steps belong to; -1 before the first step.
  int Profile() const { return profile_; }
  // A new step of `profile` (a step of another profile first clears the
  // history); forgets what could be redone.
  void Push(int profile, EditStep step);
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The step undo or redo would reverse or repeat; null when none.
  const EditStep* NextUndo() const { return undo_.empty() ? nullptr : &undo_.back(); }
  const EditStep* NextRedo() const { return redo_.empty() ? nullptr : &redo_.back(); }
  // Moves the step over once the caller has undone or redone it.
  void Undone();
  void Redone();
  // Apply: the key steps go, colour steps stay.
  void DropKeySteps();
  // Drops the next undo (or redo) step, when it can no longer be carried out.
  void DropNextUndo();
  void DropNextRedo();
  void Clear();
  std::size_t UndoCount() const { return undo_.size(); }
  std::size_t RedoCount() const { return redo_.size(); }

 private:
  int profile_ = -1;
  std::deque<EditStep> undo_;
  std::deque<EditStep> redo_;
};

}  // namespace zarvel
