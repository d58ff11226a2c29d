#include "core/keyboard_writer.h"

#include <new>
#include <utility>

#include "model/key_matrix.h"
#include "model/macro_area.h"
#include "skin/language.h"

namespace zarvel {

KeyboardWriter::KeyboardWriter(ProfileSync& sync, Prompter& prompter) : sync_(sync), prompter_(prompter) {}

void KeyboardWriter::MarkWriteAllProfiles() {
  std::lock_guard lock(snapshot_lock_);
  write_all_marked_ = true;
}

bool KeyboardWriter::WriteAllProfilesMarked() const {
  std::lock_guard lock(snapshot_lock_);
  return write_all_marked_;
}

void KeyboardWriter::ReleaseSnapshot() {
  std::lock_guard lock(snapshot_lock_);
  snapshot_ = DeviceSnapshot{};
}

bool KeyboardWriter::WouldSend(const ProfileStore& store, bool all_profiles) {
  try {
    if (MacroAreaSizes(store.macros).withoutNames > sync_.Connection().MacroCapacity()) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (all_profiles || WriteAllProfilesMarked()) return true;
  return sync_.GetActiveProfile() >= 0;
}

bool KeyboardWriter::WriteToKeyboard(ProfileStore& store, bool all_profiles) {
  // The snapshot, the macro image and the matrices are allocated here; with
  // no memory for them nothing is sent and the write has not happened.
  try {
    return WriteSnapshot(store, all_profiles);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool KeyboardWriter::WriteSnapshot(ProfileStore& store, bool all_profiles) {
  std::lock_guard lock(snapshot_lock_);
  DeviceLink& link = sync_.Link();

  snapshot_.strings = PackStrings(store);
  snapshot_.image = store.image;
  snapshot_.macros = store.macros;

  const MacroAreaSize sizes = MacroAreaSizes(snapshot_.macros);
  const std::size_t capacity = sync_.Connection().MacroCapacity();
  if (sizes.withoutNames > capacity) {
    prompter_.ShowMessage("EXTRA_MACRO_TOO_LONG", LookupText("EXTRA_MACRO_TOO_LONG"));
    return false;
  }
  const bool tight = sizes.withNames > capacity;
  const std::size_t image_size = tight ? sizes.withoutNames : sizes.withNames;
  if (write_all_marked_) all_profiles = true;

  std::vector<std::uint8_t> image(image_size, 0);
  // A set the image cannot describe is not sent half-packed.
  if (!EncodeMacroArea(snapshot_.macros, image_size, !tight, image)) return false;

  std::vector<int> profiles;
  if (all_profiles) {
    profiles = {0, 1, 2, 3};
  } else {
    const int active = sync_.GetActiveProfile();
    if (active < 0) return false;
    profiles = {active};
  }
  const DefaultMatrix defaults = sync_.Connection().DefaultMatrix();
  std::vector<std::vector<std::uint8_t>> matrices;
  for (int p : profiles)
    matrices.push_back(EncodeKeyMatrix(snapshot_.image[static_cast<std::size_t>(p)], defaults, snapshot_.macros,
                                       link.KeyMatrixSize()));

  // Begin and end are sent whatever they answer; the keyboard refuses the
  // writes between them when the bracket did not open, and that is what counts.
  link.BeginTransfer();
  bool written = link.WriteMacroArea(image) == kResultDone;
  for (std::size_t i = 0; i < profiles.size(); ++i)
    written = (link.WriteKeyMatrix(matrices[i], profiles[i]) == kResultDone) && written;
  // The keyboard takes the written data as a whole only once the bracket is
  // closed; a keyboard gone (or silent) at the end has not confirmed it.
  const bool ended = link.EndTransfer() == kResultDone;

  if (tight) prompter_.ShowMessage("EXTRA_PROFILE_SPACE_TIGHT", LookupText("EXTRA_PROFILE_SPACE_TIGHT"));
  write_all_marked_ = false;
  return written && ended;
}

}  // namespace zarvel
