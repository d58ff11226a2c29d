#include "core/key_function_builder.h"

#include "core/macro_recorder.h"
#include "model/key_table.h"
#include "model/media_functions.h"

namespace zarvel {

namespace {

constexpr KeyCode kPrintScreen = 0x137;

// Types the dialog offers a page or a choice for; anything else came from a
// file or from the keyboard and is kept until the user picks something.
bool DialogMakesType(std::uint16_t type) {
  return type == kFunctionDefault || type == kFunctionKey || type == kFunctionMacro || type == kFunctionMedia ||
         type == kFunctionKeyboard;
}

}  // namespace

int MouseListPosition(KeyCode key) {
  for (std::size_t i = 0; i < kMouseList.size(); ++i)
    if (kMouseList[i].key == key) return static_cast<int>(i);
  return -1;
}

std::uint16_t SpecialIdOfRecord(std::size_t record_index) {
  if (record_index >= kFirstSpecialRecord && record_index < kFirstSecondSpecialRecord)
    return static_cast<std::uint16_t>(kFirstSpecialId + (record_index - kFirstSpecialRecord));
  if (record_index >= kFirstSecondSpecialRecord && record_index < kFirstSecondSpecialRecord + 9)
    return static_cast<std::uint16_t>(kFirstSecondSpecialId + (record_index - kFirstSecondSpecialRecord));
  return 0;
}

bool IsSystemMenuKey(KeyCode key) { return key == 0x15B || key == 0x15C || key == 0x15D; }

void KeyFunctionChoice::Open(std::size_t record_index, KeyDialogMode mode, const KeyFunction& record) {
  record_index_ = record_index;
  mode_ = mode;
  original_type_ = record.type;
  kind_ = MacroOnly() ? static_cast<std::uint16_t>(kFunctionMacro) : record.type;
  stored_value_ = record.value;
  keyboard_ = true;
  single_key_ = 0;
  mouse_position_ = 0;
  media_position_ = 0;
  function_position_ = 0;
  ResetKeysDown();

  // A value outside a list (a hand-made file) selects the list's first
  // entry, so OK never stores a position the keyboard cannot play.
  if (kind_ == kFunctionMedia && stored_value_ < kMediaFunctionCount)
    media_position_ = static_cast<int>(stored_value_);
  if (kind_ == kFunctionKeyboard && stored_value_ < kKeyboardFunctionCount)
    function_position_ = static_cast<int>(stored_value_);
  if (kind_ == kFunctionKey) {
    const int mouse = stored_value_ <= 0xFFFF ? MouseListPosition(static_cast<KeyCode>(stored_value_)) : -1;
    if (mouse >= 0) {
      keyboard_ = false;
      mouse_position_ = mouse;
    } else if (stored_value_ <= 0xFFFF) {
      single_key_ = static_cast<KeyCode>(stored_value_);
    }
  }
}

KeyCode KeyFunctionChoice::Key() const {
  // Records 256.. belong to the special keys 0x200..; below, the table's rows.
  if (record_index_ >= kFirstSpecialRecord) return static_cast<KeyCode>(record_index_ + 0x100);
  return TableIndexToKeyCode(static_cast<unsigned>(record_index_));
}

std::string KeyFunctionChoice::KeyName() const {
  if (record_index_ >= kFirstSpecialRecord && record_index_ < kFirstSpecialRecord + 9)
    return "G" + std::to_string(record_index_ - kFirstSpecialRecord + 1);
  return KeyDisplayName(Key());
}

KeyPage KeyFunctionChoice::Page() const {
  switch (kind_) {
    case kFunctionMacro: return KeyPage::kMacro;
    case kFunctionMedia: return KeyPage::kMedia;
    case kFunctionKeyboard: return KeyPage::kFunction;
    default: return KeyPage::kSingleKey;
  }
}

bool KeyFunctionChoice::ChoosePage(KeyPage page) {
  std::uint16_t kind = kFunctionKey;
  switch (page) {
    case KeyPage::kSingleKey:
      if (kind_ == kFunctionDefault) return false;
      kind = kFunctionKey;
      break;
    case KeyPage::kMacro: kind = kFunctionMacro; break;
    case KeyPage::kMedia: kind = kFunctionMedia; break;
    case KeyPage::kFunction: kind = kFunctionKeyboard; break;
  }
  if (kind_ == kind) return false;
  kind_ = kind;
  return true;
}

bool KeyFunctionChoice::ChooseKeyboard() {
  keyboard_ = true;
  const bool changed = kind_ != kFunctionKey;
  kind_ = kFunctionKey;
  return changed;
}

bool KeyFunctionChoice::ChooseMouse() {
  keyboard_ = false;
  const bool changed = kind_ != kFunctionKey;
  kind_ = kFunctionKey;
  return changed;
}

namespace {

// Moves `position` to `chosen` when it lies in the list; true when the
// record changes with it (the list belongs to the kind being stored).
bool Choose(int& position, int chosen, std::size_t count, bool list_stored) {
  if (chosen < 0 || chosen >= static_cast<int>(count) || chosen == position) return false;
  position = chosen;
  return list_stored;
}

}  // namespace

bool KeyFunctionChoice::SelectMouseEntry(int position) {
  return Choose(mouse_position_, position, kMouseList.size(), kind_ == kFunctionKey && !keyboard_);
}

bool KeyFunctionChoice::SelectMedia(int position) {
  return Choose(media_position_, position, kMediaFunctionCount, kind_ == kFunctionMedia);
}

bool KeyFunctionChoice::SelectFunction(int position) {
  return Choose(function_position_, position, kKeyboardFunctionCount, kind_ == kFunctionKeyboard);
}

bool KeyFunctionChoice::Clear() {
  const std::uint16_t before = kind_;
  ChoosePage(KeyPage::kSingleKey);
  if (kind_ == kFunctionKey) {
    single_key_ = 0;
    kind_ = kFunctionDefault;
    keyboard_ = true;
  }
  return kind_ != before;
}

CaptureResult KeyFunctionChoice::KeyEvent(KeyCode key, MacroDirection direction, bool repeat) {
  CaptureResult result;
  if (key == 0 || key >= keys_down_.size() || MacroRecorder::IsRefusedKey(key)) {
    result.passOn = true;
    return result;
  }
  bool& down = keys_down_[key];
  const bool fresh_press = direction == kPress && !repeat && !down;
  down = direction == kPress;
  const bool edge = fresh_press || (direction == kRelease && key == kPrintScreen);
  if (!edge) return result;
  if (!keyboard_ && !IsSystemMenuKey(key)) return result;
  single_key_ = key;
  kind_ = kFunctionKey;
  result.taken = true;
  return result;
}

bool KeyFunctionChoice::KeepsRecordAsFound() const {
  return !MacroOnly() && kind_ == original_type_ && !DialogMakesType(original_type_);
}

KeyFunction KeyFunctionChoice::Build(const KeyFunction& current, bool macros_exist, std::uint16_t macro_id,
                                     int repeat) const {
  if (KeepsRecordAsFound()) return current;
  KeyFunction record = current;  // mark and reserved are not the dialog's
  record.type = kind_;
  record.extra = SpecialIdOfRecord(record_index_);
  record.value = 0;
  switch (kind_) {
    case kFunctionKey:
      if (keyboard_) {
        // A key given itself is simply a default key.
        if (single_key_ == 0 || KeyCodeToRecordIndex(single_key_) == record_index_)
          record.type = kFunctionDefault;
        else
          record.value = single_key_;
      } else {
        record.value = kMouseList[static_cast<std::size_t>(mouse_position_)].key;
      }
      break;
    case kFunctionMacro:
      if (macros_exist) {
        record.value = macro_id;
        record.extra = static_cast<std::uint16_t>(repeat);
      } else {
        record.type = kFunctionDefault;
      }
      break;
    case kFunctionMedia: record.value = static_cast<std::uint32_t>(media_position_); break;
    case kFunctionKeyboard: record.value = static_cast<std::uint32_t>(function_position_); break;
    default: break;
  }
  return record;
}

}  // namespace zarvel
