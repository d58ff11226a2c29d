#pragma once
// Writing the profile store's key configuration into the keyboard.
//
// WriteToKeyboard works on a snapshot: a copy of the store's records, macro
// set and packed texts taken under the snapshot lock, so the store can be
// edited again while the keyboard is written. It sends, in one bracket, the
// macro image and the key matrix of the active profile (or of all four).
//
// The macro image must fit the keyboard's macro memory (device information
// byte 11 x 128). When even the image without names does not fit, nothing is
// sent and EXTRA_MACRO_TOO_LONG is shown; when only the names do not fit, the
// macros go without them and EXTRA_PROFILE_SPACE_TIGHT is shown afterwards.
//
// Locks: the caller holds the store lock; the snapshot lock is taken inside,
// after it, never the other way round.
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/profile_sync.h"
#include "model/profile_store.h"
#include "model/prompter.h"

namespace zarvel {

// What is being written to the keyboard.
struct DeviceSnapshot {
  ProfileImage image{};
  MacroSet macros;
  std::vector<std::uint8_t> strings;  // the packed string area
};

class KeyboardWriter {
 public:
  KeyboardWriter(ProfileSync& sync, Prompter& prompter);
  KeyboardWriter(const KeyboardWriter&) = delete;
  KeyboardWriter& operator=(const KeyboardWriter&) = delete;

  // Writes the macro set and the key matrix of the active profile, or of all
  // four profiles when `all_profiles` is set or the write-all mark is. True
  // only when the macro image and every key matrix were taken by the keyboard
  // and the bracket closed.
  // False with nothing sent when the macros do not fit or, writing only the
  // active profile, the active profile cannot be read. Call with the store
  // lock held: the texts are packed into the store's own records. False too
  // when memory for the snapshot or the encoded data ran out.
  bool WriteToKeyboard(ProfileStore& store, bool all_profiles);

  // Whether WriteToKeyboard would send anything: false when the macros do
  // not fit into the keyboard's capacity or, writing only the active
  // profile, the active profile cannot be read. Sequences that save the
  // store file beside the write ask first, so a write refused before it
  // started leaves the file as it was.
  bool WouldSend(const ProfileStore& store, bool all_profiles);

  // Set when a macro that keys used was deleted: the matrices of all four
  // profiles then name macro positions that changed. Cleared by the next
  // write that gets past the capacity check.
  void MarkWriteAllProfiles();
  bool WriteAllProfilesMarked() const;

  // Frees the snapshot (at shutdown).
  void ReleaseSnapshot();
  std::recursive_mutex& SnapshotLock() { return snapshot_lock_; }

 private:
  bool WriteSnapshot(ProfileStore& store, bool all_profiles);

  ProfileSync& sync_;
  Prompter& prompter_;
  mutable std::recursive_mutex snapshot_lock_;
  DeviceSnapshot snapshot_;
  bool write_all_marked_ = false;
};

}  // namespace zarvel
