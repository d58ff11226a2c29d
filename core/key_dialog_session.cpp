#include "core/key_dialog_session.h"

#include <string>

#include "core/app_core.h"
#include "model/key_table.h"
#include "model/record_delay.h"

namespace zarvel {

KeyDialogSession::KeyDialogSession(AppCore& core, Settings& settings, MacroRecorder::Clock clock)
    : core_(core), settings_(settings), editor_(core), recorder_(editor_, std::move(clock)) {}

KeyDialogSession::~KeyDialogSession() { Close(); }

bool KeyDialogSession::Open(std::size_t record_index, KeyDialogMode mode) {
  if (record_index >= kRecordsPerProfile) return false;
  if (open_) Close();
  open_ = true;
  core_.SetKeyFunctionDialogOpen(true);
  // Reading normalises a damaged value and writes it back.
  recorder_.SetRecordDelay(ReadRecordDelaySetting(settings_) == 1);
  recorder_.Stop();
  editor_.Load();
  choice_.Open(record_index, mode, core_.KeyRecord(record_index));
  // Only the G keys come and go with the keyboard model; the other keys the
  // main window shows are kept whatever the matrix says, as they always were.
  // Editing only the macros assigns no key, so no key's place matters.
  storable_ = !choice_.AssignsKey() || record_index < kFirstSpecialRecord || core_.KeyboardCanStore(record_index);
  modified_ = false;
  ShowPage(/*initial=*/true);
  return true;
}

void KeyDialogSession::Close() {
  recorder_.Stop();
  choice_.ResetKeysDown();
  editor_.Discard();
  modified_ = false;
  key_box_waiting_ = false;
  if (!open_) return;
  open_ = false;
  core_.SetKeyFunctionDialogOpen(false);
}

void KeyDialogSession::Abandon() {
  open_ = false;
  Close();
}

void KeyDialogSession::ShowPage(bool initial) {
  if (choice_.Page() == KeyPage::kMacro) {
    editor_.EnterPage(initial, choice_.StoredValue());
  } else {
    recorder_.Stop();
  }
  choice_.ResetKeysDown();
  // Showing the single-key page is asking for a key: the next one pressed.
  key_box_waiting_ = choice_.Page() == KeyPage::kSingleKey;
}

bool KeyDialogSession::WaitForKey() {
  if (!open_ || choice_.Page() != KeyPage::kSingleKey || recorder_.Recording()) return false;
  // Keys held since before were pressed for something else.
  choice_.ResetKeysDown();
  key_box_waiting_ = true;
  return true;
}

bool KeyDialogSession::Capturing() const {
  return open_ && (recorder_.Recording() || (choice_.Page() == KeyPage::kSingleKey && key_box_waiting_));
}

DialogKeyResult KeyDialogSession::KeyEvent(KeyCode key, MacroDirection direction, bool repeat) {
  DialogKeyResult result;
  if (recorder_.Recording()) {
    const RecordedEvent event = recorder_.KeyEvent(key, direction, repeat);
    result.passOn = event == RecordedEvent::kPassOn;
    result.rowsChanged = event == RecordedEvent::kRecorded;
    result.recordingStopped = recorder_.StoppedByLimit() || recorder_.StoppedByHeldEscape();
    if (result.rowsChanged) modified_ = true;
    return result;
  }
  if (choice_.Page() != KeyPage::kSingleKey || !key_box_waiting_) {
    result.passOn = true;
    return result;
  }
  const CaptureResult capture = choice_.KeyEvent(key, direction, repeat);
  result.passOn = capture.passOn;
  result.keyTaken = capture.taken;
  // With a mouse button chosen only the Windows and Menu keys are taken;
  // the others keep working in the dialog.
  if (!capture.taken && !choice_.KeyboardChosen()) result.passOn = true;
  if (capture.taken) {
    modified_ = true;
    // One key per request: Tab, Esc and Enter after it move the focus,
    // cancel and confirm again.
    key_box_waiting_ = false;
  }
  return result;
}

DialogKeyResult KeyDialogSession::KeyboardLost() {
  DialogKeyResult result;
  choice_.ResetKeysDown();
  if (recorder_.Recording() && recorder_.ReleaseHeldKeys()) {
    result.rowsChanged = true;
    modified_ = true;
  }
  return result;
}

bool KeyDialogSession::ToggleRecordDelay() {
  recorder_.SetRecordDelay(WriteRecordDelaySetting(settings_, !recorder_.RecordDelay()) == 1);
  return recorder_.RecordDelay();
}

bool KeyDialogSession::ConfirmApply() {
  recorder_.Stop();
  return editor_.ConfirmBalanced();
}

bool KeyDialogSession::ApplyKey() {
  recorder_.Stop();
  editor_.ApplyMacroSet();
  modified_ = false;
  if (!choice_.AssignsKey()) {
    // Only the macros were edited: G9 keeps whatever it does. Applying a
    // macro set marks the store itself when keys had to change with it.
    core_.SetUnappliedChanges(true);
    return true;
  }
  const std::size_t index = choice_.RecordIndex();
  if (!storable_) {
    // The macros were stored all the same and still have to be written.
    core_.SetUnappliedChanges(true);
    return false;
  }
  const KeyFunction current = core_.KeyRecord(index);
  const KeyFunction record =
      choice_.Build(current, !editor_.Entries().empty(), editor_.CurrentId(), editor_.RepeatCount());
  // A program or text key kept as found keeps its text; any other record
  // releases it.
  const std::u16string text = choice_.KeepsRecordAsFound() ? core_.KeyText(index) : std::u16string();
  core_.AssignKey(index, record, text);
  return true;
}

}  // namespace zarvel
