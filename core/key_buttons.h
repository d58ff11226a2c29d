#pragma once
// The key buttons of the main window: which key each button stands for, so
// clicks, descriptions and the default reset reach the right key record.
//
// 104 key buttons (identifiers 1010..1120, the spare buttons 1016..1021 and
// the unused 1057 excepted) and the nine G buttons: G1..G5 are 1000..1004,
// G6..G9 are 1140..1143. G button n stands for special key n - 1, whose
// record is 256 + n - 1.
#include <cstddef>
#include <span>

#include "model/key_code.h"

namespace zarvel {

struct KeyButton {
  int buttonId;
  KeyCode key;
};

inline constexpr std::size_t kKeyButtonCount = 104;
inline constexpr std::size_t kSpecialButtonCount = 9;
inline constexpr int kFirstLowSpecialButton = 1000;   // G1..G5
inline constexpr int kFirstHighSpecialButton = 1140;  // G6..G9

// The key buttons, in identifier order.
std::span<const KeyButton, kKeyButtonCount> KeyButtons();
// The identifier of G button n + 1 (special key n, 0..8); -1 outside.
int SpecialKeyButtonId(int special);
// Special key 0..8 of a G button; -1 for any other button.
int SpecialKeyOfButton(int buttonId);

// The key and record a key or G button stands for; record -1 for a button
// that is neither (spare buttons, Fn, anything else).
struct ButtonKey {
  KeyCode key = 0;
  int record = -1;
};
ButtonKey KeyOfButton(int buttonId);

}  // namespace zarvel
