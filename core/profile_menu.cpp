#include "core/profile_menu.h"

#include <filesystem>

#include "model/profile_store.h"
#include "skin/language.h"

namespace zarvel {

namespace {
constexpr int kMenuProfiles = 4;
}  // namespace

std::string ProfileMenuEntryText() {
  // The store file has no extension, so its stem is its whole name.
  return std::filesystem::path(StoreFilePath()).stem().string();
}

ProfileMenuLabel ProfileMenuLabelFor(int activeProfile) {
  const bool known = activeProfile >= 0 && activeProfile < kMenuProfiles;
  ProfileMenuLabel label;
  label.text = known ? ProfileMenuEntryText() : LookupText("DEFAULT_PROFILE_NAME");
  label.tooltip = LookupText("PROFILE_TIP") + label.text;
  return label;
}

}  // namespace zarvel
