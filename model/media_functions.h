#pragma once
// The multimedia functions a key can be given (type 7 records) and the
// keyboard's own functions (type 8 records).
//
// The multimedia index is what the record stores; the keyboard receives the
// HID consumer usage of that index. The order here is the order of the
// key-function dialog's list and is not the order of the key table's consumer
// usage table (which follows the keyboard's device codes): the two are kept apart.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/key_code.h"

namespace zarvel {

struct MediaFunction {
  std::uint16_t usage;  // HID consumer usage sent to the keyboard
  KeyCode keyCode;      // key whose display name names the function
};

inline constexpr std::size_t kMediaFunctionCount = 18;
inline constexpr std::size_t kKeyboardFunctionCount = 11;

const std::array<MediaFunction, kMediaFunctionCount>& MediaFunctionTable();

// The multimedia index whose usage is `usage`, or -1 when none is.
int MediaIndexOfUsage(std::uint16_t usage);
// The multimedia index whose key is `code`, or -1 when none is.
int MediaIndexOfKeyCode(KeyCode code);

// Language key naming keyboard function `index` (0..10): "FUNC_KEY_DESC1".."FUNC_KEY_DESC11";
// empty for any other index.
std::string KeyboardFunctionTextKey(std::uint32_t index);
// The function's name in the current language; empty for an index above 10.
std::string KeyboardFunctionName(std::uint32_t index);

}  // namespace zarvel
