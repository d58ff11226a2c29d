#pragma once
// The application core: everything the main window does that is not drawing.
//
// One object per program run. It owns the profile store (all four profiles'
// key records, the macro set and the texts), the keyboard writer with its
// snapshot, the current profile, the unapplied-changes flag, the flip
// setting and the lighting controller (lighting state, key colours, user
// slots and the lighting switch). It reaches the outside world through a
// MainView and a Prompter only, so the Qt window, zarvelctl and the tests
// drive the same code: a window handler is one call into the core.
//
// Threads: every method runs on the window's thread (the connection monitor
// reaches ConnectionRefresh through its blocking PROF message). Locks, from
// outermost: the store lock (StoreLock()), the snapshot lock (inside the
// writer), the device lock (inside the link).
//
// Files, under UserDataFolder(): the store file "$Profile0" (a profile file
// holding all four profiles, replaced atomically on every save), the four
// user lighting files and "qnkb.ini".
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/edit_history.h"
#include "model/file_stamp.h"
#include "core/key_selection.h"
#include "core/keyboard_writer.h"
#include "core/main_view.h"
#include "core/profile_sync.h"
#include "core/store_merge.h"
#include "device/connection_context.h"
#include "device/device_link.h"
#include "model/key_code.h"
#include "model/key_function.h"
#include "model/profile_store.h"
#include "model/prompter.h"
#include "skin/settings.h"

namespace zarvel {

class LightingController;
class ProfileManager;

// Import results (ImportProfileFile).
inline constexpr int kCoreImportDone = 1;
inline constexpr int kCoreImportRefused = 0;       // the reason shown; store, store file and Apply untouched
inline constexpr int kCoreImportWriteFailed = -1;  // loaded, but the store file or the keyboard did not take it
inline constexpr int kCoreImportBusy = -2;         // another process held the store lock; nothing was done
inline constexpr int kCoreImportNotSent = -3;      // the keyboard cannot hold the macros; nothing changed or sent

// The settings section and value of the flip setting.
inline constexpr std::string_view kFlipSection = "PROFILES";
inline constexpr std::string_view kFlipKey = "Flip";

// The notice of a connection that kept the user's unapplied edits.
inline constexpr const char* kChangesKeptNotice = "MAIN_PROMPT_CHANGES_KEPT";
// The notices of a store file another process changed under unapplied edits.
inline constexpr const char* kChangedElsewhereNotice = "MAIN_PROMPT_CHANGED_ELSEWHERE";
inline constexpr const char* kChangedBothNotice = "MAIN_PROMPT_CHANGED_BOTH";
// Added to either when the merge had to leave something out.
inline constexpr const char* kMacrosDroppedNotice = "MAIN_PROMPT_MACROS_DROPPED";
inline constexpr const char* kMacroKeysDefaultNotice = "MAIN_PROMPT_MACRO_KEYS_DEFAULT";

// TakeOtherProcessChanges results.
inline constexpr int kOtherChangesNone = 0;
inline constexpr int kOtherChangesReloaded = 1;  // shown as the files and keyboard hold them now
inline constexpr int kOtherChangesMerged = 2;    // the store file's, with the unapplied edits laid over

class AppCore {
 public:
  // `settings` holds the flip setting; `view` and `prompter` must outlive
  // the core. Call Start() before anything else.
  AppCore(DeviceLink& link, ConnectionContext& connection, MainView& view, Prompter& prompter, Settings& settings);
  ~AppCore();
  AppCore(const AppCore&) = delete;
  AppCore& operator=(const AppCore&) = delete;

  // Start-up: creates the per-user folder when missing (seeding the four
  // user lighting files from the shipped template the first time), starts
  // from a fresh store and shows the flip setting, Apply disabled and the
  // key descriptions. Returns SeedUserFolder's result: 1 created, 0 existed,
  // -1 could not be created.
  int Start();

  // ---- profile synchronisation ----

  // Refills the store from the keyboard through the store file. A keyboard
  // that does not answer never blanks the store: it takes the store file's
  // profiles (or, with `keep_flag` or no readable store file, keeps what it
  // holds) and the user is told (MAIN_PROMPT_KEYBOARD_NOT_READ). Unless
  // `keep_flag`, the unapplied-changes flag is cleared.
  void ReadAllFromKeyboard(bool keep_flag);
  // Takes the store from the store file instead of the keyboard, as a tool
  // run after an earlier connection does; the keyboard's active profile, when
  // it answers, becomes the current one. False (the store stays fresh) when
  // there is no store file or it cannot be loaded.
  bool ResumeFromStoreFile();
  // Saves the store file and writes the active profile (all four after a
  // used macro was deleted) when there are unapplied changes, with the busy
  // indicator around it. True when there was nothing to apply or both the
  // file and the keyboard took it; the flag is cleared only then. LastWrite()
  // tells which part failed (also after RestoreDefaults and an import).
  bool Apply();
  struct WriteOutcome {
    bool busy = false;         // another process held the store lock: nothing was done
    bool keyboard_took = true;  // the keyboard took the write (or there was none)
    bool file_saved = true;     // the store file was saved (or there was nothing to save)
    int file_error = 0;         // errno of a failed save, 0 when unknown
  };
  const WriteOutcome& LastWrite() const { return last_write_; }
  // How the last ReadAllFromKeyboard went: whether the keyboard's profiles
  // reached the store file, and the system's reason when saving failed.
  struct KeyboardRead {
    bool saved = false;
    int error = 0;
  };
  const KeyboardRead& LastKeyboardRead() const { return last_read_; }
  // Asks MAIN_PROMPT_DEFAULT; on Yes resets the active profile's keys that
  // the main window shows (and the lighting when the switch is on) and
  // applies. False when the user said No or the apply failed.
  bool RestoreDefaults();
  // Makes `profile` the keyboard's active profile (4 and above select 0),
  // first asking PROFILE_SELECT_PROMPT about unapplied changes (the store's,
  // or the open profile manager's list). False when the key-function dialog
  // is open (PROFILE_SEELCT_PROMPT2 shown). Afterwards an open profile
  // manager checks the active profile's row, and the profile menu is rebuilt.
  bool SwitchProfile(int profile);
  // Shows the profiles button's label for the cached active profile.
  void BuildProfileMenu();
  // Brings the window's current profile (profile buttons, lighting) to the
  // keyboard's active profile when they differ, as that profile's button
  // would; nothing while the active profile is unknown.
  void FollowActiveProfile();

  // Loads a profile file the user picked into the store and writes all four
  // profiles; see the kCoreImport* results. A file that passes the header
  // check but cannot be loaded whole is refused like an invalid one.
  int ImportProfileFile(const std::string& path);
  // Writes the store to `path` (replaced atomically). True when written;
  // the window then shows MAIN_PROMPT_BACKUP_DONE as a notice.
  bool ExportProfileFile(const std::string& path);

  // ---- key assignments (the key-function dialog's OK) ----

  // Replaces the record of `record_index` in the active profile (the current
  // profile while the active one is unknown); `text` is the program path or
  // text of a type 3 or 6 record. Refreshes the key's description and sets
  // the unapplied-changes flag. False for a record index past the block.
  bool AssignKey(std::size_t record_index, const KeyFunction& function, std::u16string_view text = {});
  // The record of `record_index` in the profile keys are edited in.
  KeyFunction KeyRecord(std::size_t record_index);
  // The program path or text of that record (type 3 or 6); empty for none.
  // The key-function dialog hands it back to AssignKey when it stores such
  // a record unchanged, so the text is not lost.
  std::u16string KeyText(std::size_t record_index);
  // Whether the connected keyboard's factory matrix has a place for the
  // key of `record_index`: a record no matrix position names (a G key on a
  // keyboard without special keys) never reaches the keyboard, and the next
  // read of the keyboard wipes it.
  bool KeyboardCanStore(std::size_t record_index) const;

  // ---- undo, redo, paste, copy a profile ----

  // Reverses or repeats the last step of the history: key assignments go
  // back into the store through AssignKey (the keyboard gets them at the
  // next Apply, as any edit); colours are sent at once and the slot file is
  // saved. False when there was nothing to do or it could not be done (the
  // step is then dropped when it can never be).
  bool Undo();
  bool Redo();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  const EditHistory& History() const { return history_; }
  // Every AssignKey between the two is one undo step (a paste into many
  // keys). Calls may nest; the outermost End records the step.
  void BeginKeyStep();
  void EndKeyStep();
  // Gives `source` (with `text` for a program or text key) to every record
  // of `targets` in the edited profile, as one step: a macro key gets the
  // same macro. A G key the keyboard has no place for is refused with the
  // key dialog's message and nothing is pasted. The number of records
  // changed.
  int PasteKeyFunction(const KeyFunction& source, std::u16string_view text, const std::vector<std::size_t>& targets);
  // Ctrl+C on a key, G or spare button: keeps its function for pasting.
  // False for a button without a key record.
  bool CopyKey(int button_id);
  bool HasCopiedKey() const { return copied_.has_value(); }
  // Ctrl+V: the copied function to the selected keys, or else to
  // `fallback_button` (the focused or right-clicked key).
  int PasteKey(int fallback_button);

  // ---- selection of many keys ----

  // The keys selected on the keyboard picture; see key_selection.h.
  KeySelection& Selection() { return selection_; }
  // Tells which buttons are on the picture and where; the selectable ones
  // are those that a click would act on now: the lit keys while the user
  // colours are shown, every key and G button while the lighting switch is
  // off, none otherwise.
  void SetSelectionKeys(const std::vector<KeyRect>& keys);
  // Copies every key of profile `from` into profile `to` in the store and,
  // with `lighting`, the lighting and the user colours; asks
  // COPY_PROFILE_PROMPT first, then writes the keyboard as Apply does
  // (all four profiles). False when the user said No, the profiles are the
  // same or out of range, or the write failed.
  bool CopyProfile(int from, int to, bool lighting);

  // ---- main window ----

  // Profile button n (1..4): lighting re-read for that profile, then
  // SwitchProfile when the keyboard's active profile differs.
  void ProfileButton(int n);
  // The PROF message: read everything and show it. With unapplied changes
  // made on a keyboard's profiles the store and the flag are kept (Apply still writes them) and only the
  // active profile and the lighting are read; the user is told by a notice.
  void ConnectionRefresh();
  // A click on a key, G or spare button. Returns the record index the
  // key-function dialog opens for, or -1 when no dialog opens (the click
  // painted, or the button has no key).
  int KeyClick(int button_id);
  // Flip buttons 1130 and 1131: flip = 1 - flip, stored at once.
  void ToggleFlip();
  int Flip() const { return flip_; }
  // Every key button's tooltip and checked state from the edited profile.
  void RefreshKeyDescriptions();

  // ---- keyboard announcements ----

  // Timer 1051: the keyboard changed its active profile. While the
  // key-function dialog is open nothing happens but a note: the window asks
  // TakeDeferredProfileNotification() when the dialog has closed and then
  // runs this again.
  void OnProfileNotification();
  // True once after a profile notification arrived while the key-function
  // dialog was open.
  bool TakeDeferredProfileNotification() { return std::exchange(profile_notification_deferred_, false); }
  // Timer 1053: the keyboard reset itself.
  void OnReloadNotification();

  // ---- other processes ----

  // Another process (zarvelctl, a script) may have replaced the store file,
  // the user lighting files or qnkb.ini, or changed the keyboard's lighting,
  // since this window last loaded or saved them. Without unapplied edits the
  // window shows what they hold now (keys, macros, panel) without writing the
  // keyboard. With unapplied edits the store file's profiles are taken and the
  // edits laid over them (PendingStoreEdits): the window's edit wins a record
  // both changed, the user is told once (a notice naming those keys), and
  // Apply stays to write the merged store. Called when the per-user folder
  // changes and by Apply under the store lock (`store_only`: the store file
  // alone; the keyboard's and the lighting files' changes wait for the
  // next call). A profile switch by another process is followed as one on
  // the keyboard itself is (OnProfileNotification).
  int TakeOtherProcessChanges(bool store_only = false);
  // Whether TakeOtherProcessChanges has anything to take: cheap (a few
  // stats, no keyboard), so the window need not pause for its own saves.
  bool OtherProcessChangesWaiting() const;
  // The keys of the last merge's records changed both here and elsewhere.
  const std::vector<StoreRecordRef>& LastConflicts() const { return last_conflicts_; }

  // ---- state ----

  int CurrentProfile() const { return current_profile_; }
  bool UnappliedChanges() const { return unapplied_; }
  // Sets or clears the flag and shows it as Apply's enabled state.
  void SetUnappliedChanges(bool unapplied);
  // While the key-function dialog is open profiles cannot be switched.
  void SetKeyFunctionDialogOpen(bool open) { key_dialog_open_ = open; }
  // The profile manager while it is open (null when closed).
  void SetOpenProfileManager(ProfileManager* manager) { profile_manager_ = manager; }
  bool KeyFunctionDialogOpen() const { return key_dialog_open_; }
  // The macro page deleted a macro that keys used.
  void MarkWriteAllProfiles() { writer_.MarkWriteAllProfiles(); }

  ProfileStore& Store() { return store_; }
  std::recursive_mutex& StoreLock() { return store_lock_; }
  ProfileSync& Sync() { return sync_; }
  KeyboardWriter& Writer() { return writer_; }
  DeviceLink& Link() { return link_; }
  MainView& View() { return view_; }
  Prompter& Prompts() { return prompter_; }
  LightingController& Lighting() { return *lighting_; }
  // UserDataFolder() + "$Profile0".
  std::string StoreFile() const;

 private:
  void SetCurrentProfile(int profile) {
    if (profile != current_profile_) history_.Clear();
    current_profile_ = profile;
  }
  // Undo (`undo`) or redo of the next step.
  bool ReplayStep(bool undo);
  bool ReplayKeyStep(const EditStep& step, bool undo);
  int EditedProfile();
  void ReloadStoreFile();
  // The store file's profiles when it can be read; the store as it is when not.
  void TakeStoreFileIfReadable();
  void KeepEditsOverConnection();
  // The store now matches the store file: both become the base of the
  // window's edits. Call with the store lock held.
  void RememberStoreFile();
  // Which of the user lighting files changed since the last call (bits).
  static constexpr int kSlotFilesChanged = 1;
  static constexpr int kSwitchFileChanged = 2;
  int LightingFilesChanged();
  int LightingFilesChangedSince(const std::vector<FileStamp>& now) const;
  static std::vector<FileStamp> LightingFileStamps();
  // Display names of `refs`, comma-separated (profile numbers added for
  // records outside the edited profile).
  std::string RecordNames(const std::vector<StoreRecordRef>& refs);
  // The window's notice line (empty `text`: none).
  void ShowNotice(std::string_view key, const std::string& text = {});
  // The store as the store file's bytes; empty when there is no store file
  // yet or memory ran out. Call with the store lock held.
  std::vector<std::uint8_t> StoreFileBytesToSave();
  void ShowKeyDescription(int profile, int button_id, std::size_t record_index, KeyCode key);

  DeviceLink& link_;
  ConnectionContext& connection_;
  MainView& view_;
  Prompter& prompter_;
  Settings& settings_;
  ProfileSync sync_;
  KeyboardWriter writer_;
  std::recursive_mutex store_lock_;
  ProfileStore store_;
  std::unique_ptr<LightingController> lighting_;
  ProfileManager* profile_manager_ = nullptr;
  int current_profile_ = 0;
  bool unapplied_ = false;
  bool key_dialog_open_ = false;
  bool switch_question_pending_ = false;
  bool profile_notification_deferred_ = false;
  // The store holds a keyboard's profiles (read from it, or the store file
  // of an earlier read, or an imported file), not only a fresh image.
  bool store_holds_profiles_ = false;
  std::string notice_key_;
  WriteOutcome last_write_;
  KeyboardRead last_read_;
  int flip_ = 0;
  PendingStoreEdits edits_;
  FileStamp store_stamp_;
  std::vector<FileStamp> lighting_stamps_;
  std::string change_mark_seen_;
  std::vector<StoreRecordRef> last_conflicts_;
  EditHistory history_;
  // Undo and redo call AssignKey and the lighting controller themselves;
  // what they change must not become a new step.
  bool replaying_ = false;
  int key_step_depth_ = 0;
  std::vector<KeyChange> open_key_step_;
  KeySelection selection_;
  struct CopiedKey {
    KeyFunction function;
    std::u16string text;
  };
  std::optional<CopiedKey> copied_;
};

}  // namespace zarvel
