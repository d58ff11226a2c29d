#pragma once
// One opening of the key-function dialog, without the window: what the
// dialog's controls do, so every decision is made and tested here and the
// Qt dialog only shows it.
//
// Open() counts the dialog as open in the core (profile switches are then
// refused) and Close() undoes it; ApplyKey() stores the macro set and the
// key's record in the profile store, never in the keyboard: the main
// window's Apply writes them.
#include <cstddef>
#include <cstdint>

#include "core/key_function_builder.h"
#include "core/macro_editor.h"
#include "core/macro_recorder.h"

namespace zarvel {

class AppCore;
class Settings;

// What one key event did while the dialog captures keys.
struct DialogKeyResult {
  bool passOn = false;         // the desktop should have it
  bool keyTaken = false;       // the single key changed
  bool rowsChanged = false;    // a recording added rows
  bool recordingStopped = false;  // the rows are full; the recording ended
};

class KeyDialogSession {
 public:
  KeyDialogSession(AppCore& core, Settings& settings, MacroRecorder::Clock clock = {});
  ~KeyDialogSession();
  KeyDialogSession(const KeyDialogSession&) = delete;
  KeyDialogSession& operator=(const KeyDialogSession&) = delete;

  // Opens for `record_index` of the edited profile; false (nothing opened)
  // for a record index past the block. `macro_only` true is kG9Macros.
  bool Open(std::size_t record_index, KeyDialogMode mode);
  bool Open(std::size_t record_index, bool macro_only) {
    return Open(record_index, macro_only ? KeyDialogMode::kG9Macros : KeyDialogMode::kKey);
  }
  // Every way the dialog closes: stops a recording, drops the macro copies,
  // counts the dialog as closed. Safe to call twice.
  void Close();
  // Drops the opening without telling the core: for the program's end, when
  // the core may already be gone (it is destroyed before the windows).
  void Abandon();
  bool IsOpen() const { return open_; }

  KeyFunctionChoice& Choice() { return choice_; }
  const KeyFunctionChoice& Choice() const { return choice_; }
  MacroEditor& Editor() { return editor_; }
  MacroRecorder& Recorder() { return recorder_; }

  // The page now shown. Leaving the macro page stops a recording; the first
  // visit of the macro page makes a macro current.
  void ShowPage(bool initial);
  // Whether keys are captured now: the single-key page while it waits for
  // a key, or a recording.
  bool Capturing() const;
  // The single-key page takes one key per request, so the keyboard never
  // stays trapped there: showing the page asks for one, and so does this
  // (Space on the key box, a click on it). Once a key is taken,
  // every key works as usual again (Tab, Esc, Enter included) until the
  // next request. False when the single-key page is not shown.
  bool WaitForKey();
  bool WaitingForKey() const { return Capturing() && !recorder_.Recording(); }

  // A key event caught while Capturing().
  DialogKeyResult KeyEvent(KeyCode key, MacroDirection direction, bool repeat);
  // The dialog stopped being the active window while capturing: the keys
  // held now will be released elsewhere. A recording records their
  // releases here (rowsChanged), so no macro keeps a key held down.
  DialogKeyResult KeyboardLost();

  // The record-delay check box: flips the flag and stores it.
  bool ToggleRecordDelay();
  bool RecordDelay() const { return recorder_.RecordDelay(); }

  // The dialog's own Apply button: enabled while changes are unapplied.
  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }

  // Whether the keyboard can keep an assignment of this key (a G key on a
  // keyboard without a place for it cannot).
  bool KeyStorable() const { return storable_; }

  // Asked before Apply and OK store anything: false when the user would
  // rather fix a macro that leaves a key held down (nothing is stored then,
  // and OK leaves the dialog open).
  bool ConfirmApply();
  // Apply and the first step of OK: the macro set, then the key's record.
  // False when the key has no place in the keyboard (its record is left
  // alone; the macros are stored all the same). Opened from the Macros
  // button, only the macro set is stored.
  bool ApplyKey();

 private:
  AppCore& core_;
  Settings& settings_;
  MacroEditor editor_;
  MacroRecorder recorder_;
  KeyFunctionChoice choice_;
  bool open_ = false;
  bool modified_ = false;
  bool storable_ = true;
  bool key_box_waiting_ = false;
};

}  // namespace zarvel
