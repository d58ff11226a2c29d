#pragma once
// The text the main window shows for a key (its tooltip) and whether the key
// counts as assigned.
#include <cstddef>
#include <string>

#include "model/key_code.h"
#include "model/key_function.h"
#include "model/macro.h"

namespace zarvel {

// Descriptions are cut to this many characters (code points).
inline constexpr std::size_t kMaxDescriptionChars = 259;

struct KeyDescription {
  std::string text;  // UTF-8
  bool assigned = false;
};

// `key` is the key's code, or SpecialKeyCode(k) for special key k (shown as
// "G<k+1>"). Type 0 shows the name alone, not assigned. Every other type is
// assigned and shows the name, KEY_PROMPT_SET and, for key, macro, multimedia and
// keyboard functions, the matching prompt, the target's name and ")". A macro
// id that no macro has, or an index past its table, gives an empty target name.
// `macros` is the working set, read under the store lock.
KeyDescription DescribeKeyFunction(KeyCode key, const KeyFunction& record, const MacroSet& macros);

}  // namespace zarvel
