// The application core's undo and redo, the paste of a key's function and
// the copy of a whole profile.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/app_core.h"
#include "core/key_buttons.h"
#include "core/key_function_builder.h"
#include "core/lighting_controller.h"
#include "core/store_lock_file.h"
#include "model/key_table.h"
#include "model/macro.h"
#include "skin/language.h"
#include "skin/message_format.h"

namespace zarvel {

namespace {

bool HasText(const KeyFunction& function) {
  return function.type == kFunctionLaunch || function.type == kFunctionText;
}

// What a key gets when it is given another key's function: the function's
// type and value; the target's own special id, mark and spare word stay. A
// macro keeps its repeat setting; a key given itself is a default key.
KeyFunction PastedRecord(const KeyFunction& source, const KeyFunction& target, std::size_t target_record) {
  KeyFunction record = target;
  record.type = source.type;
  record.value = source.value;
  record.extra = source.type == kFunctionMacro ? source.extra : SpecialIdOfRecord(target_record);
  if (source.type == kFunctionKey && KeyCodeToRecordIndex(static_cast<KeyCode>(source.value)) == target_record) {
    record.type = kFunctionDefault;
    record.value = 0;
  }
  return record;
}

}  // namespace

void AppCore::BeginKeyStep() { ++key_step_depth_; }

void AppCore::EndKeyStep() {
  if (key_step_depth_ == 0 || --key_step_depth_ > 0) return;
  std::vector<KeyChange> changes = std::move(open_key_step_);
  open_key_step_.clear();
  // An OK that stored what the key already had changes nothing to undo.
  std::erase_if(changes, [](const KeyChange& c) { return c.before == c.after && c.beforeText == c.afterText; });
  if (changes.empty()) return;
  EditStep step;
  step.kind = EditStep::Kind::kKeys;
  step.keys = std::move(changes);
  history_.Push(current_profile_, std::move(step));
}

bool AppCore::ReplayKeyStep(const EditStep& step, bool undo) {
  auto restorable = [this](const KeyFunction& function) {
    std::lock_guard lock(store_lock_);
    return WithoutLostMacro(store_.macros, function);
  };
  replaying_ = true;
  // Undone in reverse order, so a key changed twice in one step ends as it was.
  if (undo) {
    for (auto it = step.keys.rbegin(); it != step.keys.rend(); ++it)
      AssignKey(it->record, restorable(it->before), it->beforeText);
  } else {
    for (const KeyChange& change : step.keys) AssignKey(change.record, restorable(change.after), change.afterText);
  }
  replaying_ = false;
  return true;
}

bool AppCore::Undo() { return ReplayStep(/*undo=*/true); }

bool AppCore::Redo() { return ReplayStep(/*undo=*/false); }

bool AppCore::ReplayStep(bool undo) {
  const EditStep* step = undo ? history_.NextUndo() : history_.NextRedo();
  if (step == nullptr) return false;
  const auto replayed = [this, undo] { undo ? history_.Undone() : history_.Redone(); };
  if (step->kind == EditStep::Kind::kKeys) {
    ReplayKeyStep(*step, undo);
    replayed();
    return true;
  }
  const ColourSnapshot& colours = undo ? step->before : step->after;
  replaying_ = true;
  const int result = lighting_->RestoreColours(colours);
  replaying_ = false;
  if (result == kResultDone || (result != 0 && colours.profile == current_profile_)) {
    // Sent (or the keyboard did not answer: the window and the file hold the
    // colours, as after any paint the keyboard missed).
    replayed();
    return result == kResultDone;
  }
  // Another slot is shown now: the step can never be replayed there.
  if (colours.slot != lighting_->Colours().slot.currentSlot) undo ? history_.DropNextUndo() : history_.DropNextRedo();
  return false;
}

int AppCore::PasteKeyFunction(const KeyFunction& source, std::u16string_view text,
                              const std::vector<std::size_t>& targets) {
  for (std::size_t target : targets) {
    if (target >= kRecordsPerProfile) return 0;
    // The key dialog refuses such a key its function; so does a paste.
    if (target >= kFirstSpecialRecord && !KeyboardCanStore(target)) {
      const std::string g_name = "G" + std::to_string(target - kFirstSpecialRecord + 1);
      prompter_.ShowMessage("KEY_NO_PLACE_PROMPT", FormatMessage(LookupText("KEY_NO_PLACE_PROMPT"), {g_name}));
      return 0;
    }
  }
  int changed = 0;
  BeginKeyStep();
  for (std::size_t target : targets) {
    const KeyFunction before = KeyRecord(target);
    const KeyFunction record = PastedRecord(source, before, target);
    if (record == before && (!HasText(record) || KeyText(target) == text)) continue;
    AssignKey(target, record, HasText(source) ? text : std::u16string_view());
    ++changed;
  }
  EndKeyStep();
  return changed;
}

bool AppCore::CopyKey(int button_id) {
  const int record = KeyOfButton(button_id).record;
  if (record < 0) return false;
  const auto index = static_cast<std::size_t>(record);
  const KeyFunction function = KeyRecord(index);
  copied_ = CopiedKey{function, HasText(function) ? KeyText(index) : std::u16string()};
  return true;
}

int AppCore::PasteKey(int fallback_button) {
  if (!copied_) return 0;
  std::vector<int> buttons = selection_.Empty() ? std::vector<int>{fallback_button} : selection_.SelectedList();
  std::vector<std::size_t> records;
  for (int button : buttons) {
    const int record = KeyOfButton(button).record;
    if (record >= 0) records.push_back(static_cast<std::size_t>(record));
  }
  if (records.empty()) return 0;
  KeyFunction source;
  {
    std::lock_guard lock(store_lock_);
    source = WithoutLostMacro(store_.macros, copied_->function);
  }
  return PasteKeyFunction(source, copied_->text, records);
}

void AppCore::SetSelectionKeys(const std::vector<KeyRect>& keys) {
  const LightingState& state = lighting_->State();
  const bool colours = state.lightingSwitch;
  const bool paints = colours && state.effect == kUserEffect && !lighting_->LightingUnread();
  std::vector<KeyRect> selectable;
  for (const KeyRect& key : keys) {
    const bool lit = ColourIndexOfButton(key.buttonId) >= 0;
    if (paints ? lit : !colours && KeyOfButton(key.buttonId).record >= 0) selectable.push_back(key);
  }
  selection_.SetSelectable(std::move(selectable));
}

bool AppCore::CopyProfile(int from, int to, bool lighting) {
  if (from < 0 || to < 0 || from >= kKeyboardProfiles || to >= kKeyboardProfiles || from == to) return false;
  const std::string question = FormatMessage(LookupText("COPY_PROFILE_PROMPT"),
                                             {std::to_string(from + 1), std::to_string(to + 1)});
  if (!prompter_.AskYesNo("COPY_PROFILE_PROMPT", question)) return false;
  {
    std::lock_guard lock(store_lock_);
    const auto source = static_cast<std::size_t>(from);
    const auto target = static_cast<std::size_t>(to);
    for (std::size_t record = 0; record < kRecordsPerProfile; ++record) {
      // The target's special ids stay: they name its own G keys.
      KeyFunction copy = store_.Record(source, record);
      store_.Record(target, record) = copy;
      const std::size_t global = GlobalRecordNumber(target, record);
      if (HasText(copy))
        store_.strings.Set(global, store_.strings.Entry(GlobalRecordNumber(source, record)).text);
      else
        store_.strings.Clear(global);
    }
  }
  if (lighting) lighting_->CopyLighting(from, to);
  // Every profile goes out, the copied one among them, as Apply writes.
  writer_.MarkWriteAllProfiles();
  SetUnappliedChanges(true);
  RefreshKeyDescriptions();
  return Apply();
}

}  // namespace zarvel
