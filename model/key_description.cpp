#include "model/key_description.h"

#include "model/key_table.h"
#include "model/media_functions.h"
#include "skin/ini_file.h"
#include "skin/language.h"

namespace zarvel {

namespace {

std::string KeyName(KeyCode key) {
  if (IsSpecialKey(key)) {
    std::string name = "G";
    name += std::to_string(key - kSpecialKeyBase + 1);
    return name;
  }
  return KeyDisplayName(key);
}

}  // namespace

KeyDescription DescribeKeyFunction(KeyCode key, const KeyFunction& record, const MacroSet& macros) {
  KeyDescription description;
  description.text = KeyName(key);
  if (record.type == kFunctionDefault) {
    description.text = CutToChars(description.text, kMaxDescriptionChars);
    return description;
  }
  description.assigned = true;
  std::string& text = description.text;
  text += LookupText("KEY_PROMPT_SET");
  switch (record.type) {
    case kFunctionKey:
      text += LookupText("KEY_PROMPT_SINGLE");
      if (record.value <= 0xFFFF) text += KeyDisplayName(static_cast<KeyCode>(record.value));
      text += ")";
      break;
    case kFunctionMacro:
      text += LookupText("KEY_PROMPT_MACRO");
      if (const MacroRecord* macro = FindMacroById(macros, record.value)) text += MacroNameUtf8(*macro);
      text += ")";
      break;
    case kFunctionMedia:
      text += LookupText("KEY_PROMPT_MEDIA");
      if (record.value < kMediaFunctionCount) text += KeyDisplayName(MediaFunctionTable()[record.value].keyCode);
      text += ")";
      break;
    case kFunctionKeyboard:
      text += LookupText("KEY_PROMPT_FUNCTION");
      text += KeyboardFunctionName(record.value);
      text += ")";
      break;
    default:
      break;  // disabled, program launch, stop macro, text block: nothing more
  }
  text = CutToChars(text, kMaxDescriptionChars);
  return description;
}

}  // namespace zarvel
