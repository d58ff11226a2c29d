#include "core/macro_editor.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <mutex>
#include <new>
#include <utility>

#include "core/app_core.h"
#include "model/key_table.h"
#include "skin/language.h"
#include "skin/message_format.h"

namespace zarvel {

namespace {

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  return static_cast<char16_t>(std::towlower(static_cast<std::wint_t>(c)));
}

// A decimal number as the edit boxes give it: leading blanks, an optional
// sign, digits up to the first other character. Saturates instead of
// wrapping, so a long row of digits still reads as "too large".
bool ReadDecimal(std::string_view text, std::int64_t& value) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const std::size_t first_digit = i;
  std::int64_t number = 0;
  constexpr std::int64_t kCeiling = 1'000'000'000'000;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    number = std::min(kCeiling, number * 10 + (text[i] - '0'));
  if (i == first_digit) return false;
  value = negative ? -number : number;
  return true;
}

}  // namespace

bool BeginsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
  return true;
}

MacroEditor::MacroEditor(AppCore& core) : core_(core) {}

void MacroEditor::Load() {
  {
    std::lock_guard lock(core_.StoreLock());
    entries_ = core_.Store().macros;
  }
  for (MacroRecord& macro : entries_) macro.unapplied = 0;
  current_ = -1;
  first_visit_ = true;
  rows_.clear();
  selected_row_ = -1;
  repeat_ = 1;
}

void MacroEditor::Discard() {
  entries_.clear();
  entries_.shrink_to_fit();
  current_ = -1;
  rows_.clear();
  selected_row_ = -1;
}

std::uint16_t MacroEditor::CurrentId() const {
  return HasCurrent() ? entries_[static_cast<std::size_t>(current_)].id : 0;
}

// ---- choosing a macro ----

void MacroEditor::SelectMacro(int index) {
  SaveCurrentMacro();
  current_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
  ShowCurrentMacro();
}

void MacroEditor::SelectMacroForKey(std::uint32_t id) {
  int index = entries_.empty() ? -1 : 0;
  for (std::size_t i = 0; id != 0 && i < entries_.size(); ++i)
    if (entries_[i].id == id) index = static_cast<int>(i);
  SelectMacro(index);
}

void MacroEditor::EnterPage(bool initial, std::uint32_t stored_id) {
  if (!first_visit_) return;
  first_visit_ = false;
  // A key that plays no known macro still gets one made current: rows typed
  // or recorded with none current would belong to nothing and be lost.
  if (initial)
    SelectMacroForKey(stored_id);
  else if (!HasCurrent() && !entries_.empty())
    SelectMacro(0);
}

// ---- names ----

std::u16string MacroEditor::GenerateName() {
  ++name_counter_;
  return Utf8ToUtf16(LookupText("MACRO_NEW_PREFIX") + std::to_string(name_counter_));
}

bool MacroEditor::IsTaken(std::u16string_view name) const {
  // A prefix match: "Macro1" is taken while "Macro10" exists. The current
  // macro's own name does not count, as it is the one being renamed.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (static_cast<int>(i) == current_) continue;
    if (BeginsWithIgnoringCase(MacroName(entries_[i]), name)) return true;
  }
  return false;
}

bool MacroEditor::IsOtherMacrosName(std::u16string_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (static_cast<int>(i) == current_) continue;
    const std::u16string other = MacroName(entries_[i]);
    if (other.size() == name.size() && BeginsWithIgnoringCase(other, name)) return true;
  }
  return false;
}

std::u16string MacroEditor::GenerateFreeName() {
  std::u16string name = GenerateName();
  // Each macro blocks only the counters that begin its own name, so this
  // ends within a few hundred tries even with 100 macros.
  while (IsTaken(name)) name = GenerateName();
  return name;
}

MacroRecord MacroEditor::NewMacro(std::u16string_view name) const {
  MacroRecord macro;
  SetMacroName(macro, name);
  macro.repeat = 1;
  macro.unapplied = 1;
  macro.id = NextFreeMacroId(entries_);
  return macro;
}

// ---- macros ----

bool MacroEditor::Add() {
  if (entries_.size() >= kMaxMacros) {
    const std::string text = FormatMessage(LookupText("MACRO_ERR_MAX"), {std::int64_t{kMaxMacros}});
    core_.Prompts().ShowMessage("MACRO_ERR_MAX", text);
    return false;
  }
  SaveCurrentMacro();
  if (entries_.empty()) name_counter_ = 0;
  const int keep_current = current_;
  current_ = -1;  // every existing name counts as taken
  const std::u16string name = GenerateFreeName();
  current_ = keep_current;
  entries_.push_back(NewMacro(name));
  current_ = static_cast<int>(entries_.size()) - 1;
  ShowCurrentMacro();
  return true;
}

bool MacroEditor::Rename(std::u16string_view text) {
  if (entries_.empty()) {
    name_counter_ = 0;
    current_ = -1;
    const std::u16string name = text.empty() ? GenerateFreeName() : std::u16string(text);
    entries_.insert(entries_.begin(), NewMacro(name));
    current_ = 0;
    ShowCurrentMacro();
    return true;
  }
  // Macros exist but the user picked none: there is no macro the text could
  // name, and taking one the user did not choose would rename it unseen.
  if (!HasCurrent()) return false;
  // Only the very same name is refused: "Copy" beside "Copy line" is a
  // fine name, and on the way to typing "Copy line 2" the box passes
  // through names that begin others.
  std::u16string name(text);
  if (name.empty() || IsOtherMacrosName(name)) name = GenerateFreeName();
  SetMacroName(entries_[static_cast<std::size_t>(current_)], name);
  return true;
}

std::u16string MacroEditor::CurrentName() const {
  return HasCurrent() ? MacroName(entries_[static_cast<std::size_t>(current_)]) : std::u16string();
}

bool MacroEditor::KeysPlay(std::uint16_t id) {
  std::lock_guard lock(core_.StoreLock());
  // Every record of every profile, the special keys' included.
  for (const ProfileBlock& block : core_.Store().image)
    for (const KeyFunction& record : block)
      if (record.type == kFunctionMacro && record.value == id) return true;
  return false;
}

MacroDeleteResult MacroEditor::DeleteCurrent() {
  if (!HasCurrent()) return MacroDeleteResult::kNothing;
  const MacroRecord& macro = entries_[static_cast<std::size_t>(current_)];
  if (macro.unapplied == 0) {
    // The keyboard's matrices name macros by position, and every later macro
    // moves down one: all four profiles must be written again, not only the
    // active one, whether or not a key plays this macro.
    const bool used = KeysPlay(macro.id);
    core_.MarkWriteAllProfiles();
    if (used && !core_.Prompts().AskYesNo("MACRO_DELETE_CONFIRM_OF_KEYS", LookupText("MACRO_DELETE_CONFIRM_OF_KEYS")))
      return MacroDeleteResult::kKept;
  }
  entries_.erase(entries_.begin() + current_);
  current_ = entries_.empty() ? -1 : std::max(0, current_ - 1);
  ShowCurrentMacro();
  return MacroDeleteResult::kDeleted;
}

// ---- rows ----

void MacroEditor::ShowCurrentMacro() {
  rows_.clear();
  selected_row_ = -1;
  if (!HasCurrent()) return;
  const MacroRecord& macro = entries_[static_cast<std::size_t>(current_)];
  const auto actions = ValidActions(macro);
  rows_.assign(actions.begin(), actions.end());
  repeat_ = std::clamp<int>(macro.repeat, 1, 255);
}

void MacroEditor::SaveCurrentMacro() {
  if (!HasCurrent()) return;
  MacroRecord& macro = entries_[static_cast<std::size_t>(current_)];
  macro.repeat = static_cast<std::uint8_t>(repeat_);
  const std::size_t count = std::min(rows_.size(), kMaxMacroActions);
  std::copy_n(rows_.begin(), count, macro.actions.begin());
  std::fill(macro.actions.begin() + static_cast<std::ptrdiff_t>(count), macro.actions.end(), MacroAction{});
  macro.actionCount = static_cast<std::uint16_t>(count);
}

void MacroEditor::SelectRow(int row) { selected_row_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1; }

bool MacroEditor::DeleteSelectedRow() {
  if (!HasCurrent() || selected_row_ < 0) return false;
  rows_.erase(rows_.begin() + selected_row_);
  if (selected_row_ >= static_cast<int>(rows_.size())) selected_row_ = static_cast<int>(rows_.size()) - 1;
  return true;
}

bool MacroEditor::ClearRows() {
  if (!HasCurrent() || rows_.empty()) return false;
  if (!core_.Prompts().AskYesNo("MACRO_ACTION_CLEAR_CONFIRM", LookupText("MACRO_ACTION_CLEAR_CONFIRM"))) return false;
  rows_.clear();
  selected_row_ = -1;
  return true;
}

bool MacroEditor::MoveSelectedRow(RowMove move) {
  if (!HasCurrent() || selected_row_ < 0) return false;
  const int last = static_cast<int>(rows_.size()) - 1;
  int target = selected_row_;
  switch (move) {
    case RowMove::kTop: target = 0; break;
    case RowMove::kUp: target = std::max(0, selected_row_ - 1); break;
    case RowMove::kDown: target = std::min(last, selected_row_ + 1); break;
    case RowMove::kBottom: target = last; break;
  }
  // The row travels with its own delay: it is the pause after that action.
  const MacroAction row = rows_[static_cast<std::size_t>(selected_row_)];
  rows_.erase(rows_.begin() + selected_row_);
  rows_.insert(rows_.begin() + target, row);
  selected_row_ = target;
  return true;
}

std::int64_t MacroEditor::SetRowDelay(int row, std::string_view text) {
  if (!HasCurrent() || row < 0 || row >= static_cast<int>(rows_.size())) return -1;
  std::int64_t delay = 0;
  if (!ReadDecimal(text, delay)) delay = 0;
  if (delay > kMaxMacroDelay || delay < 0) {
    const std::string message =
        FormatMessage(LookupText("MACRO_ACTION_ERR_DELAY_MAX"), {std::int64_t{kMaxMacroDelay}});
    core_.Prompts().ShowMessage("MACRO_ACTION_ERR_DELAY_MAX", message);
    delay = kMaxMacroDelay;
  }
  // The keyboard counts pauses in 10 ms steps.
  delay -= delay % 10;
  rows_[static_cast<std::size_t>(row)].delay = static_cast<std::uint32_t>(delay);
  return delay;
}

bool MacroEditor::SetRowKey(int row, KeyCode key) {
  if (!HasCurrent() || row < 0 || row >= static_cast<int>(rows_.size()) || key == 0) return false;
  MacroAction& action = rows_[static_cast<std::size_t>(row)];
  if (action.keyCode == key) return false;
  action.keyCode = key;
  return true;
}

int MacroEditor::KeyCellPick(KeyCode key) {
  const std::uint16_t pick = KeyCodeToPickIndex(key);
  return pick < kPickListSize ? pick : kKeepRowKey;
}

bool MacroEditor::CommitKeyCell(int row, int pick) {
  // The row's own entry, or anything outside the list, leaves the key as
  // it is: an unlisted key is never swapped for whatever the list shows first.
  if (pick < 0 || pick >= kPickListSize) return false;
  return SetRowKey(row, PickIndexToKeyCode(static_cast<std::uint16_t>(pick)));
}

bool MacroEditor::SetRowDirection(int row, MacroDirection direction) {
  if (!HasCurrent() || row < 0 || row >= static_cast<int>(rows_.size())) return false;
  MacroAction& action = rows_[static_cast<std::size_t>(row)];
  if (action.direction == direction) return false;
  action.direction = direction;
  return true;
}

bool MacroEditor::InsertRecorded(std::uint32_t delay, KeyCode key, MacroDirection direction) {
  if (!HasCurrent() || rows_.size() >= kMaxMacroActions) return false;
  const std::size_t at = selected_row_ >= 0 ? static_cast<std::size_t>(selected_row_) + 1 : rows_.size();
  MacroAction action{0, key, direction};
  // A row's delay is the pause after it: the row before takes the pause
  // that led up to this event, and this row keeps the pause that used to
  // follow the row before.
  if (at > 0) {
    action.delay = rows_[at - 1].delay;
    rows_[at - 1].delay = delay;
  }
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), action);
  selected_row_ = static_cast<int>(at);
  return true;
}

bool MacroEditor::TakeBackRecorded() {
  if (!HasCurrent() || selected_row_ < 0 || selected_row_ >= static_cast<int>(rows_.size())) return false;
  const auto at = static_cast<std::size_t>(selected_row_);
  if (at > 0) rows_[at - 1].delay = rows_[at].delay;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
  selected_row_ = static_cast<int>(at) - 1;
  return true;
}

// ---- repeat count ----

std::string MacroEditor::SetRepeatText(std::string_view text) {
  std::int64_t value = 0;
  if (text.empty()) {
    // The user is about to type a number over the old one.
    repeat_ = 1;
    return std::string();
  }
  if (!ReadDecimal(text, value) || value <= 0) {
    repeat_ = 1;
    return "1";
  }
  if (value >= 256) {
    repeat_ = 255;
    return "255";
  }
  repeat_ = static_cast<int>(value);
  return std::string(text);
}

// ---- presses and releases ----

std::vector<int> UnbalancedActions(std::span<const MacroAction> actions) {
  std::vector<int> unbalanced;
  std::map<KeyCode, std::vector<int>> open;  // presses not yet released, per key
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const MacroAction& action = actions[i];
    std::vector<int>& presses = open[action.keyCode];
    if (action.direction == kPress) {
      presses.push_back(static_cast<int>(i));
    } else if (presses.empty()) {
      unbalanced.push_back(static_cast<int>(i));
    } else {
      presses.pop_back();
    }
  }
  for (const auto& [key, presses] : open) unbalanced.insert(unbalanced.end(), presses.begin(), presses.end());
  std::sort(unbalanced.begin(), unbalanced.end());
  return unbalanced;
}

std::vector<int> MacroEditor::UnbalancedRows() const { return UnbalancedActions(rows_); }

bool MacroEditor::ConfirmBalanced() {
  SaveCurrentMacro();
  for (const MacroRecord& macro : entries_) {
    if (UnbalancedActions(ValidActions(macro)).empty()) continue;
    const std::string text =
        FormatMessage(LookupText("MACRO_UNBALANCED_CONFIRM"), {Utf16ToUtf8(MacroName(macro))});
    return core_.Prompts().AskYesNo("MACRO_UNBALANCED_CONFIRM", text);
  }
  return true;
}

// ---- apply ----

void MacroEditor::ApplyMacroSet() {
  SaveCurrentMacro();
  bool keys_changed = false;
  {
    std::lock_guard lock(core_.StoreLock());
    for (ProfileBlock& block : core_.Store().image) {
      for (KeyFunction& record : block) {
        if (record.type != kFunctionMacro) continue;
        if (record.value == 0) {
          if (entries_.empty()) continue;
          record.value = entries_.front().id;
          keys_changed = true;
          continue;
        }
        // A key still naming a deleted macro, or a new one that took the
        // deleted macro's id, would play something the user never gave it.
        const MacroRecord* macro = FindMacroById(entries_, record.value);
        if (macro == nullptr || macro->unapplied != 0) {
          record.type = kFunctionDefault;
          keys_changed = true;
        }
      }
    }
    try {
      MacroSet installed = entries_;
      for (MacroRecord& macro : installed) macro.unapplied = 0;
      core_.Store().macros = std::move(installed);
    } catch (const std::bad_alloc&) {
      return;  // the working set stays as it was
    }
  }
  // The page's copies are applied now too: a second Apply in this opening
  // must not take them for new macros and reset the keys that play them.
  for (MacroRecord& macro : entries_) macro.unapplied = 0;
  if (keys_changed) {
    core_.RefreshKeyDescriptions();
    core_.SetUnappliedChanges(true);
  }
}

}  // namespace zarvel
