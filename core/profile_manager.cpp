#include "core/profile_manager.h"

#include <cstdio>
#include <filesystem>

#include "core/app_core.h"
#include "model/profile_file.h"
#include "model/user_lighting_file.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/program_paths.h"
#include "skin/settings.h"

namespace zarvel {

ProfileRow RowForFile(const std::string& path) {
  const std::filesystem::path file(path);
  std::string folder = file.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return ProfileRow{file.stem().string(), folder};
}

std::string ProfileListValueName(int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", number);
  return std::string(kProfileListValuePrefix) + digits;
}

ProfileManager::ProfileManager(AppCore& core, Settings& settings) : core_(core), settings_(settings) {}

ProfileManager::~ProfileManager() { Close(); }

void ProfileManager::Open() {
  rows_.assign(kStoreFileRows, RowForFile(core_.StoreFile()));
  const int active = core_.Sync().GetActiveProfile();
  checked_ = active >= 0 && active < kStoreFileRows ? active : -1;
  apply_enabled_ = false;
  open_ = true;
  core_.SetOpenProfileManager(this);
}

void ProfileManager::Close() {
  if (!open_) return;
  open_ = false;
  core_.SetOpenProfileManager(nullptr);
}

void ProfileManager::SetRowChecked(int row, bool checked) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (checked) {
    checked_ = row;
  } else if (checked_ == row) {
    checked_ = -1;
  }
  apply_enabled_ = true;
}

std::string ProfileManager::NewFileSuggestion() {
  UserLightingFiles().SeedUserFolder();
  // Inside the folder: the folder's path always ends with its separator.
  return UserDataFolder() + LookupText("PROFILE_NEW") + std::string(kProfileFileSuffix);
}

bool ProfileManager::AddNewFile(const std::string& path) {
  std::string target = path;
  // What a file dialog with a default extension does for a bare name.
  if (!std::filesystem::path(target).has_extension()) target += kProfileFileSuffix;
  if (!NewProfileFile(target)) {
    core_.Prompts().ShowMessage("PROFILE_NEW_ERROR", FormatMessage(LookupText("PROFILE_NEW_ERROR"), {target}));
    return false;
  }
  rows_.push_back(RowForFile(target));
  apply_enabled_ = true;
  return true;
}

std::string ProfileManager::LoadFileSuggestion() const {
  return UserDataFolder() + "*" + std::string(kProfileFileSuffix);
}

void ProfileManager::AddExistingFile(const std::string& path) {
  rows_.push_back(RowForFile(path));
  apply_enabled_ = true;
}

bool ProfileManager::DeleteRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  rows_.erase(rows_.begin() + row);
  // Row numbers are profile numbers: the check follows its row.
  if (checked_ == row) {
    checked_ = -1;
  } else if (checked_ > row) {
    --checked_;
  }
  apply_enabled_ = true;
  return true;
}

void ProfileManager::WriteList() {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const ProfileRow& row = rows_[i];
    settings_.SetString(kProfileListSection, ProfileListValueName(static_cast<int>(i) + 1),
                        row.folder + row.name + std::string(kProfileFileSuffix));
  }
  settings_.SetInt(kProfileListSection, ProfileListValueName(0), static_cast<std::int64_t>(rows_.size()));
}

bool ProfileManager::Apply() {
  if (core_.UnappliedChanges() &&
      core_.Prompts().AskYesNo("PROFILE_SELECT_PROMPT", LookupText("PROFILE_SELECT_PROMPT"))) {
    // A failed write must not be followed by the re-read, which would throw
    // the edits away after the user asked to keep them.
    if (!core_.Apply()) return false;
  }
  // Answered No: the re-read below replaces the store and its edits.
  applying_ = true;
  // The re-read takes hundreds of reports: the progress picture turns.
  core_.View().ShowBusy(true);
  WriteList();
  int profile = checked_;
  if (profile >= kStoreFileRows) profile = 0;
  core_.Sync().SetActiveProfile(profile);
  core_.ReadAllFromKeyboard(/*keep_flag=*/false);
  core_.FollowActiveProfile();
  core_.BuildProfileMenu();
  core_.View().ShowBusy(false);
  applying_ = false;
  apply_enabled_ = false;
  core_.SetUnappliedChanges(false);
  return true;
}

void ProfileManager::OnProfileSwitched(int profile) {
  if (!applying_) checked_ = profile >= 0 && profile < static_cast<int>(rows_.size()) ? profile : -1;
  apply_enabled_ = false;
}

}  // namespace zarvel
