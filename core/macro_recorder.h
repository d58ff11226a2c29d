#pragma once
// Macro recording: turns the user's key presses and releases into rows of
// the macro being edited, with the pause before each.
//
// The window hands every key event it catches while a recording runs to
// KeyEvent() as a key code and a direction; the recorder decides whether
// the event is recorded, swallowed or left to the desktop:
//  - media keys keep their normal effect and are never recorded;
//  - a press of a key that is already down is an auto-repeat: nothing is
//    recorded (the window's own repeat flag is not trusted alone, as X
//    flags only some of a held key's repeats);
//  - Linux reports the press of Print Screen (and Sys Req), so it is
//    recorded like any key's. A release-only key (Sys Req, KL, KR, Print
//    Screen) whose release arrives without a press is given one: the
//    measured pause goes before that press and 2 ms lie between it and the
//    release, so the key is not held for the whole pause;
//  - every recorded press has its release: keys still held when the
//    recording stops or the dialog loses the keyboard are released there;
//  - the 4000-action limit never cuts a press from its release: a press is
//    taken only while its release (and those of the keys still held) fits,
//    and the recording stops when no further press and release would.
//
// Holding Esc for a second and letting it go ends the recording, so the
// keyboard alone can stop it: Record itself cannot be reached while every key
// is recorded. The held Esc is taken out of the rows again; a shorter press
// of Esc, or one held while another key goes down or up, is recorded as any
// key is. The stop comes at the release, not while Esc is still held, so its
// further auto-repeats never reach the dialog (where Esc cancels).
//
// Pauses: with the record-delay flag the measured pause (at most 40000 ms),
// without it a fixed 50 ms. Times are milliseconds of a 32-bit wrapping
// tick, so a recording across the wrap measures the right pause.
#include <cstdint>
#include <functional>
#include <set>

#include "model/key_code.h"
#include "model/macro.h"

namespace zarvel {

class MacroEditor;

inline constexpr std::uint32_t kFixedRecordDelay = 50;      // ms, record-delay off
inline constexpr std::uint32_t kReleaseOnlyPressLead = 2;   // ms from an added press to its release
inline constexpr std::uint32_t kStopHoldTime = 1000;        // ms Esc is held to end the recording
inline constexpr KeyCode kStopKey = 0x01;                    // Esc

// What the window does with a key event it caught.
enum class RecordedEvent {
  kPassOn,     // not for the recorder: let the desktop have it (media keys)
  kSwallowed,  // consumed, nothing recorded (repeats, no room)
  kRecorded,   // consumed and recorded
};

class MacroRecorder {
 public:
  // A millisecond tick, 32-bit and wrapping; tests give a fake one.
  using Clock = std::function<std::uint32_t()>;
  explicit MacroRecorder(MacroEditor& editor, Clock clock = {});

  void SetRecordDelay(bool on) { record_delay_ = on; }
  bool RecordDelay() const { return record_delay_; }

  // False (and nothing started) when no macro is current.
  bool Start();
  // Ends the recording; recorded keys still held get their release.
  void Stop();
  // The dialog lost the keyboard: the releases of the keys held now will go
  // elsewhere, so they are recorded here, and no key counts as down.
  // True when rows were added.
  bool ReleaseHeldKeys();
  bool Recording() const { return recording_; }

  // A key event while recording; `repeat` is the window's own auto-repeat
  // flag. Key code 0 (a key the program does not know) passes on.
  RecordedEvent KeyEvent(KeyCode key, MacroDirection direction, bool repeat = false);

  // True when the last KeyEvent() ended the recording because the rows are
  // full; the window then shows the record button released.
  bool StoppedByLimit() const { return stopped_by_limit_; }
  // True when the last KeyEvent() ended the recording because Esc was held
  // (its press row was taken out again).
  bool StoppedByHeldEscape() const { return stopped_by_escape_; }

  // The 18 media keys, which keep their normal effect while recording.
  static bool IsRefusedKey(KeyCode key);

 private:
  std::uint32_t TakePause();
  std::uint32_t StoredDelay(std::uint32_t measured) const;
  bool Room(std::size_t rows_needed) const;
  void StopWhenFull();
  // The held Esc's press is taken back and the recording ends; false when
  // Esc has not been held long enough alone.
  bool StopOnHeldEscape(KeyCode key);

  MacroEditor& editor_;
  Clock clock_;
  bool record_delay_ = false;
  bool recording_ = false;
  bool stopped_by_limit_ = false;
  bool stopped_by_escape_ = false;
  // Esc's recorded press is the last row, made at this tick; nothing else
  // was recorded since.
  bool escape_alone_ = false;
  std::uint32_t escape_since_ = 0;
  std::uint32_t last_event_ = 0;
  std::set<KeyCode> down_;           // keys whose press was seen
  std::set<KeyCode> awaiting_release_;  // recorded presses still to be released
  std::set<KeyCode> dropped_;           // presses left out for lack of room
};

}  // namespace zarvel
