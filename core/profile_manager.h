#pragma once
// The profile manager's list and commands, without a window: the rows of
// profile files with their one check mark, Load, Add, Delete and Apply.
//
// A row's number is the keyboard profile it stands for (row 0 profile 0);
// Apply makes the checked row's profile the keyboard's active one, re-reads
// everything from the keyboard and records the list in the settings, section
// "PROFILES": "PROFILE00" holds the number of rows, "PROFILE01".. each row's
// folder + name + ".zvl". The settings are only written, never read back, so
// the list starts afresh (four rows of the store file) at every opening.
//
// While open, the manager is known to the application core: a profile
// switch counts its unapplied list as unapplied changes, checks the new
// active profile's row and clears its Apply state.
//
// Window side: the dialog asks the user for file names (the suggestions come
// from here), calls one method per button and then shows Rows(),
// CheckedRow() and ApplyEnabled() again.
#include <string>
#include <string_view>
#include <vector>

namespace zarvel {

class AppCore;
class Settings;

inline constexpr std::string_view kProfileListSection = "PROFILES";
inline constexpr std::string_view kProfileListValuePrefix = "PROFILE";
inline constexpr std::string_view kProfileFileSuffix = ".zvl";
inline constexpr int kStoreFileRows = 4;

struct ProfileRow {
  std::string name;    // the file's name without folder and extension
  std::string folder;  // the file's folder, ending in '/'
  bool operator==(const ProfileRow&) const = default;
};

// The row of a file path: its name without extension and its folder.
ProfileRow RowForFile(const std::string& path);
// A settings value name: "PROFILE" and the number in at least two digits.
std::string ProfileListValueName(int number);

class ProfileManager {
 public:
  ProfileManager(AppCore& core, Settings& settings);
  ~ProfileManager();
  ProfileManager(const ProfileManager&) = delete;
  ProfileManager& operator=(const ProfileManager&) = delete;

  // Opening: four rows of the store file, the active profile's row checked
  // when it is known, Apply disabled; the core now knows the manager.
  void Open();
  // Closing (OK, Cancel, or the window closing): the core forgets it.
  void Close();
  bool IsOpen() const { return open_; }

  const std::vector<ProfileRow>& Rows() const { return rows_; }
  // The checked row, -1 when none is.
  int CheckedRow() const { return checked_; }
  bool ApplyEnabled() const { return apply_enabled_; }

  // The user set or cleared row `row`'s check mark. Checking one row clears
  // the others; every change enables Apply.
  void SetRowChecked(int row, bool checked);

  // Add: the name the save dialog suggests, inside the per-user folder
  // (which is created when missing).
  std::string NewFileSuggestion();
  // Writes a fresh default profile file at `path` (".zvl" is added when the
  // name has no extension) and lists it. When the file cannot be written,
  // the user is told and no row is added. False then.
  bool AddNewFile(const std::string& path);
  // Load: the name the open dialog starts from ("*.zvl" in the per-user
  // folder).
  std::string LoadFileSuggestion() const;
  // Lists an existing file as a row. The file is neither read nor checked.
  void AddExistingFile(const std::string& path);
  // Removes row `row`; false when there is no such row.
  bool DeleteRow(int row);

  // Apply (OK applies too). Key assignments or macros accepted but not yet
  // written would be lost by the re-read, so the user is asked first, as a
  // profile switch asks: Yes writes them first, No lets the re-read discard
  // them. When the user said Yes and the write failed, nothing else happens
  // (the edits stay) and the result is false.
  bool Apply();

  // A profile switch made `profile` active (-1: unknown): its row is checked
  // and Apply disabled. During the manager's own Apply only Apply is
  // disabled, so the row the user checked stays checked.
  void OnProfileSwitched(int profile);

 private:
  void WriteList();

  AppCore& core_;
  Settings& settings_;
  std::vector<ProfileRow> rows_;
  int checked_ = -1;
  bool apply_enabled_ = false;
  bool open_ = false;
  bool applying_ = false;
};

}  // namespace zarvel
