#pragma once
// The key-function dialog's choices for one key, and the record they make.
//
// The dialog shows one page per kind of function: single key (another key
// or a mouse button), macro, multimedia and keyboard function; Clear makes
// the key a default key. KeyFunctionChoice holds what the user chose and
// Build() turns it into the key's 16-byte record.
//
// A key that arrives with a function the dialog has no page for (disabled,
// program launch, stop macro, text block: they come from files or from the
// keyboard) is left exactly as found, text included, until the user chooses
// something else: opening such a key and pressing OK must not destroy it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/key_code.h"
#include "model/key_function.h"
#include "model/macro.h"

namespace zarvel {

enum class KeyPage { kSingleKey, kMacro, kMedia, kFunction };

// How the dialog was opened: for a key, for G9 from a click on G9 (only the
// macro page; OK gives G9 the current macro), or from the main window's
// Macros button (only the macro page; OK stores the macros and leaves every
// key, G9 included, as it is).
enum class KeyDialogMode : int { kKey, kG9Macros, kMacroSet };

// The single-key page's mouse list, in list order.
struct MouseEntry {
  KeyCode key;
  std::string_view textKey;
};
inline constexpr std::array<MouseEntry, 5> kMouseList = {{{0x171, "IDS_KEYBOARD_MOU_LEFT"},
                                                           {0x172, "IDS_KEYBOARD_MOU_RIGHT"},
                                                           {0x173, "IDS_KEYBOARD_MOU_MIDDLE"},
                                                           {0x161, "IDS_KEYBOARD_ROLL_UP"},
                                                           {0x162, "IDS_KEYBOARD_ROLL_DOWN"}}};
// The list position of a mouse key code, -1 for any other key.
int MouseListPosition(KeyCode key);

// The special id a record index carries: 0x0301 + k for G1..G9 (records
// 256..264), 0x1301 + k for the second set (265..273), 0 for other keys.
std::uint16_t SpecialIdOfRecord(std::size_t record_index);

// The Windows and Application keys: taken on the single-key page whichever
// choice is ticked, so the desktop never acts on them there.
bool IsSystemMenuKey(KeyCode key);

// What a key event on the single-key page did.
struct CaptureResult {
  bool passOn = false;  // leave it to the desktop (media keys, unknown keys)
  bool taken = false;   // it became the single key
};

class KeyFunctionChoice {
 public:
  // A new opening for `record_index` whose record is `record`. The two
  // macro modes choose the macro page. `macro_only` true is kG9Macros.
  void Open(std::size_t record_index, KeyDialogMode mode, const KeyFunction& record);
  void Open(std::size_t record_index, bool macro_only, const KeyFunction& record) {
    Open(record_index, macro_only ? KeyDialogMode::kG9Macros : KeyDialogMode::kKey, record);
  }

  std::size_t RecordIndex() const { return record_index_; }
  // The key whose record this is (G1..G9 for the special records).
  KeyCode Key() const;
  // Its name as the main window shows it ("F1", "Num Enter", "G9").
  std::string KeyName() const;
  KeyDialogMode Mode() const { return mode_; }
  bool MacroOnly() const { return mode_ != KeyDialogMode::kKey; }
  // False when OK and Apply store only the macros (the Macros button).
  bool AssignsKey() const { return mode_ != KeyDialogMode::kMacroSet; }
  std::uint16_t Kind() const { return kind_; }
  KeyPage Page() const;
  // The record's value when the dialog opened (a macro id for macro keys).
  std::uint32_t StoredValue() const { return stored_value_; }

  bool KeyboardChosen() const { return keyboard_; }
  KeyCode SingleKey() const { return single_key_; }
  int MousePosition() const { return mouse_position_; }
  int MediaPosition() const { return media_position_; }
  int FunctionPosition() const { return function_position_; }

  // A page button. True when the kind changed (the dialog shows the page
  // and enables Apply); the single-key button does nothing on a default key.
  bool ChoosePage(KeyPage page);
  // The keyboard and mouse check boxes, kept mutually exclusive. True when
  // the kind changed.
  bool ChooseKeyboard();
  bool ChooseMouse();
  // List choices; a position outside the list is ignored. True when the
  // record to store changed (the dialog enables Apply).
  bool SelectMouseEntry(int position);
  bool SelectMedia(int position);
  bool SelectFunction(int position);
  // Back to the single-key page and the key's default. True when anything changed.
  bool Clear();

  // A key event while the single-key page captures. A press that is not a
  // repeat (nor of a key already down) is taken with the keyboard choice;
  // Win, Right Win and App are taken with either choice; Print Screen is
  // taken on either edge, as its press is not reported everywhere.
  CaptureResult KeyEvent(KeyCode key, MacroDirection direction, bool repeat);
  // Forget which keys are down (capture starts or stops).
  void ResetKeysDown() { keys_down_ = {}; }

  // True while the record must be stored exactly as it was found.
  bool KeepsRecordAsFound() const;
  // The record to store. `current` gives the words the dialog does not own
  // (mark, reserved) and, for a record kept as found, everything.
  // `macros_exist`, `macro_id` and `repeat` come from the macro page.
  KeyFunction Build(const KeyFunction& current, bool macros_exist, std::uint16_t macro_id, int repeat) const;

 private:
  std::size_t record_index_ = 0;
  KeyDialogMode mode_ = KeyDialogMode::kKey;
  std::uint16_t original_type_ = kFunctionDefault;
  std::uint16_t kind_ = kFunctionDefault;
  std::uint32_t stored_value_ = 0;
  bool keyboard_ = true;
  KeyCode single_key_ = 0;
  int mouse_position_ = 0;
  int media_position_ = 0;
  int function_position_ = 0;
  std::array<bool, 0x300> keys_down_{};
};

}  // namespace zarvel
