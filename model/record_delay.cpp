#include "model/record_delay.h"

#include <string>

#include "skin/language.h"

namespace zarvel {

namespace {
std::string ValueName() { return LookupText("MACRO_ACTION_RECORD_DELAY"); }
}  // namespace

int ReadRecordDelaySetting(Settings& settings) {
  const std::string name = ValueName();
  const std::string text = settings.GetString(kProfilesSection, name, "0");
  if (text == "1") return 1;
  if (text != "0") settings.SetString(kProfilesSection, name, "0");
  return 0;
}

int WriteRecordDelaySetting(Settings& settings, bool on) {
  settings.SetString(kProfilesSection, ValueName(), on ? "1" : "0");
  return on ? 1 : 0;
}

}  // namespace zarvel
