#include "core/macro_recorder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

#include "core/macro_editor.h"
#include "model/key_table.h"

namespace zarvel {

namespace {

std::uint32_t SteadyTick() {
  const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

// Mute, V+, V-, Stop Play, Play/Pause, Next Track, Prev Track, Media Player,
// WWW Home, Refresh, Stop, Back, Forward, Favorite, Search, My PC, Calc, Mail.
constexpr std::array<KeyCode, 18> kRefusedKeys = {0x120, 0x130, 0x12E, 0x124, 0x122, 0x119, 0x110, 0x16D, 0x132,
                                                  0x167, 0x168, 0x16A, 0x169, 0x166, 0x165, 0x16B, 0x121, 0x16C};

}  // namespace

MacroRecorder::MacroRecorder(MacroEditor& editor, Clock clock)
    : editor_(editor), clock_(clock ? std::move(clock) : Clock(SteadyTick)) {}

bool MacroRecorder::IsRefusedKey(KeyCode key) {
  return std::find(kRefusedKeys.begin(), kRefusedKeys.end(), key) != kRefusedKeys.end();
}

bool MacroRecorder::Start() {
  stopped_by_limit_ = false;
  stopped_by_escape_ = false;
  escape_alone_ = false;
  if (!editor_.HasCurrent()) return false;
  recording_ = true;
  last_event_ = clock_();
  down_.clear();
  awaiting_release_.clear();
  dropped_.clear();
  StopWhenFull();
  return recording_;
}

void MacroRecorder::Stop() {
  if (recording_) ReleaseHeldKeys();
  recording_ = false;
  escape_alone_ = false;
  down_.clear();
  awaiting_release_.clear();
  dropped_.clear();
}

bool MacroRecorder::ReleaseHeldKeys() {
  bool added = false;
  // Room for these releases was kept when their presses were taken.
  for (const KeyCode key : awaiting_release_)
    added = editor_.InsertRecorded(StoredDelay(TakePause()), key, kRelease) || added;
  awaiting_release_.clear();
  down_.clear();
  dropped_.clear();
  return added;
}

std::uint32_t MacroRecorder::TakePause() {
  const std::uint32_t now = clock_();
  const std::uint32_t pause = now - last_event_;  // wraps with the tick
  last_event_ = now;
  return pause;
}

std::uint32_t MacroRecorder::StoredDelay(std::uint32_t measured) const {
  return record_delay_ ? std::min(measured, kMaxMacroDelay) : kFixedRecordDelay;
}

bool MacroRecorder::Room(std::size_t rows_needed) const {
  // Room for these rows and for the release of every recorded key still held.
  return editor_.Rows().size() + rows_needed + awaiting_release_.size() <= kMaxMacroActions;
}

void MacroRecorder::StopWhenFull() {
  if (!awaiting_release_.empty()) return;  // their releases still have to come in
  if (editor_.Rows().size() + 2 <= kMaxMacroActions) return;
  Stop();
  stopped_by_limit_ = true;
}

bool MacroRecorder::StopOnHeldEscape(KeyCode key) {
  if (key != kStopKey || !escape_alone_ || clock_() - escape_since_ < kStopHoldTime) return false;
  if (!editor_.TakeBackRecorded()) return false;
  awaiting_release_.erase(key);
  Stop();
  stopped_by_escape_ = true;
  return true;
}

RecordedEvent MacroRecorder::KeyEvent(KeyCode key, MacroDirection direction, bool repeat) {
  if (!recording_ || key == 0 || IsRefusedKey(key)) return RecordedEvent::kPassOn;
  stopped_by_limit_ = false;
  stopped_by_escape_ = false;
  bool recorded = false;

  if (direction == kPress) {
    const bool already_down = !down_.insert(key).second;
    if (repeat || already_down) return RecordedEvent::kSwallowed;
    if (!Room(2)) {
      dropped_.insert(key);
      return RecordedEvent::kSwallowed;
    }
    recorded = editor_.InsertRecorded(StoredDelay(TakePause()), key, kPress);
    if (recorded) awaiting_release_.insert(key);
    if (recorded && key == kStopKey) {
      escape_alone_ = true;
      escape_since_ = last_event_;
      StopWhenFull();
      return RecordedEvent::kRecorded;
    }
  } else {
    if (StopOnHeldEscape(key)) return RecordedEvent::kRecorded;
    const bool was_down = down_.erase(key) != 0;
    if (dropped_.erase(key) != 0) return RecordedEvent::kSwallowed;
    if (IsReleaseOnlyKey(key) && !was_down) {
      // No press was reported: the pause leads up to the press added here,
      // and the key is held only briefly, as a tap of it is.
      if (!Room(2)) return RecordedEvent::kSwallowed;
      recorded = editor_.InsertRecorded(StoredDelay(TakePause()), key, kPress) &&
                 editor_.InsertRecorded(StoredDelay(kReleaseOnlyPressLead), key, kRelease);
    } else if (awaiting_release_.erase(key) != 0 || Room(1)) {
      // A key held since before the recording started still has its release recorded.
      recorded = editor_.InsertRecorded(StoredDelay(TakePause()), key, kRelease);
    }
  }
  if (recorded) escape_alone_ = false;
  StopWhenFull();
  return recorded ? RecordedEvent::kRecorded : RecordedEvent::kSwallowed;
}

}  // namespace zarvel
