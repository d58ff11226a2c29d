#include "core/app_core.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

#include "core/key_buttons.h"
#include "core/keyboard_change_mark.h"
#include "core/lighting_controller.h"
#include "core/profile_import.h"
#include "core/profile_manager.h"
#include "core/profile_menu.h"
#include "core/store_lock_file.h"
#include "model/atomic_file.h"
#include "model/key_description.h"
#include "model/key_matrix.h"
#include "model/key_table.h"
#include "model/profile_file.h"
#include "model/user_lighting_file.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/program_paths.h"

namespace zarvel {

AppCore::AppCore(DeviceLink& link, ConnectionContext& connection, MainView& view, Prompter& prompter,
                 Settings& settings)
    : link_(link),
      connection_(connection),
      view_(view),
      prompter_(prompter),
      settings_(settings),
      sync_(link, connection),
      writer_(sync_, prompter) {
  LightingHost host;
  host.currentProfile = [this] { return current_profile_; };
  host.activeProfile = [this] { return sync_.GetActiveProfile(); };
  host.switchProfile = [this](int profile) { return SwitchProfile(profile); };
  host.redrawKeyButtons = [this] { RefreshKeyDescriptions(); };
  host.colourEdit = [this](const ColourSnapshot& before, const ColourSnapshot& after) {
    if (replaying_) return;
    EditStep step;
    step.kind = EditStep::Kind::kColours;
    step.before = before;
    step.after = after;
    history_.Push(before.profile, std::move(step));
  };
  lighting_ = std::make_unique<LightingController>(link, view.Lighting(), prompter, std::move(host));
}

AppCore::~AppCore() {
  std::lock_guard store_lock(store_lock_);
  CreateStore(store_);
  writer_.ReleaseSnapshot();
}

std::string AppCore::StoreFile() const { return StoreFilePath(); }

int AppCore::Start() {
  const int seeded = UserLightingFiles().SeedUserFolder();
  {
    std::lock_guard lock(store_lock_);
    CreateStore(store_);
    store_holds_profiles_ = false;
    // Until a store file is loaded, edits are edits of a fresh image.
    edits_.SetBase(store_);
  }
  LightingFilesChanged();
  KeyboardChangedElsewhere(change_mark_seen_);
  const std::int64_t flip = settings_.GetInt(kFlipSection, kFlipKey, 0);
  flip_ = flip == 1 ? 1 : 0;
  view_.ShowFlip(flip_);
  view_.CheckProfileButton(current_profile_);
  SetUnappliedChanges(false);
  RefreshKeyDescriptions();
  // The profiles button names the default profile until a keyboard says
  // which one it uses.
  BuildProfileMenu();
  return seeded;
}

void AppCore::SetUnappliedChanges(bool unapplied) {
  unapplied_ = unapplied;
  view_.EnableApply(unapplied);
  // Once written or discarded, edits kept over a reconnection are no news.
  if (!unapplied && notice_key_ == kChangesKeptNotice) ShowNotice({});
}

int AppCore::EditedProfile() {
  // Keys are edited in the keyboard's active profile; while it is unknown
  // (no keyboard answering) the window's own profile stands in, so a click
  // still shows the key the user sees.
  const int active = sync_.GetActiveProfile();
  return active >= 0 ? active : current_profile_;
}

void AppCore::ReloadStoreFile() {
  std::lock_guard lock(store_lock_);
  // The load is all or nothing; a store file that cannot be read leaves a
  // fresh image rather than whatever was there, so the store always has one.
  store_holds_profiles_ = LoadStoreFile(store_, StoreFile());
  if (!store_holds_profiles_) CreateStore(store_);
  RememberStoreFile();
}

void AppCore::RememberStoreFile() {
  store_stamp_ = StampOf(StoreFile());
  edits_.SetBase(store_);
}

// ---- profile synchronisation ----

void AppCore::ReadAllFromKeyboard(bool keep_flag) {
  UserLightingFiles().SeedUserFolder();
  const StoreLockFile other_processes;
  if (other_processes.Busy()) {
    // Another process is writing the store file: show what it holds now
    // rather than replace it under that process's feet.
    TellIfBusy(other_processes, prompter_);
    if (!keep_flag) TakeStoreFileIfReadable();
    RefreshKeyDescriptions();
    if (!keep_flag) SetUnappliedChanges(false);
    return;
  }
  const int active = sync_.GetActiveProfile();
  // The file is replaced only once every read succeeded, so a keyboard that
  // goes away half way leaves the previous store file whole.
  last_read_ = KeyboardRead{};
  std::vector<std::uint8_t> read;
  if (active >= 0 && sync_.ReadKeyboardToFile(StoreFile(), &last_read_.error, &read, /*keep_texts=*/true)) {
    last_read_.saved = true;
    ReloadStoreFile();
    ShowNotice({});
  } else if (!read.empty()) {
    // Read whole, but the disk did not take it: the store shows the keyboard
    // all the same, and the next Apply saves it.
    {
      std::lock_guard lock(store_lock_);
      if (LoadStoreFromBytes(store_, read)) store_holds_profiles_ = true;
    }
    ShowNotice("MAIN_PROMPT_STORE_NOT_SAVED",
               FormatMessage(LookupText("MAIN_PROMPT_STORE_NOT_SAVED"),
                             {last_read_.error != 0 ? std::strerror(last_read_.error) : std::string("?")}));
  } else {
    // A keyboard that did not answer says nothing about its keys. A blank
    // image here would show every key as default, and the next Apply would
    // write that blank over the store file and into the keyboard; the store
    // file holds the last profiles known to be the keyboard's.
    if (!keep_flag) TakeStoreFileIfReadable();
    ShowNotice("MAIN_PROMPT_KEYBOARD_NOT_READ", LookupText("MAIN_PROMPT_KEYBOARD_NOT_READ"));
  }
  RefreshKeyDescriptions();
  if (!keep_flag) SetUnappliedChanges(false);
  // The store holds what the keyboard holds now: earlier steps would undo
  // into profiles that are no longer there.
  history_.Clear();
}

void AppCore::TakeStoreFileIfReadable() {
  std::lock_guard lock(store_lock_);
  // All or nothing: without a readable store file the store keeps what it
  // holds, which is never less than a fresh image.
  if (LoadStoreFile(store_, StoreFile())) {
    store_holds_profiles_ = true;
    RememberStoreFile();
  }
}

void AppCore::ShowNotice(std::string_view key, const std::string& text) {
  if (text.empty() && notice_key_.empty()) return;  // nothing shown to take away
  notice_key_ = text.empty() ? std::string() : std::string(key);
  view_.ShowNotice(notice_key_, text);
}

std::vector<std::uint8_t> AppCore::StoreFileBytesToSave() {
  // Only into an existing store file: before the first read of a keyboard
  // there is nothing the file could be saved over.
  std::error_code ignored;
  if (!std::filesystem::exists(StoreFile(), ignored)) return {};
  try {
    const std::vector<std::uint8_t> strings = PackStrings(store_);
    return ProfileFileBytes(store_.image, store_.macros, strings);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

bool AppCore::ResumeFromStoreFile() {
  bool loaded;
  {
    std::lock_guard lock(store_lock_);
    loaded = LoadStoreFile(store_, StoreFile());
    if (loaded) {
      store_holds_profiles_ = true;
      RememberStoreFile();
    }
  }
  const int active = sync_.GetActiveProfile();
  if (active >= 0) {
    SetCurrentProfile(active);
    view_.CheckProfileButton(active);
  }
  RefreshKeyDescriptions();
  return loaded;
}

bool AppCore::Apply() {
  last_write_ = WriteOutcome{};
  if (!unapplied_) {
    view_.ShowBusy(true);
    view_.ShowBusy(false);
    return true;
  }
  const StoreLockFile other_processes;
  if (other_processes.Busy()) {
    last_write_.busy = true;
    TellIfBusy(other_processes, prompter_);
    return false;
  }
  // Another process may have changed the store file since the window last
  // looked: its changes are taken and the window's edits laid over them, so
  // the save below loses neither.
  TakeOtherProcessChanges(/*store_only=*/true);
  // The picture shows before the write starts; the view hides it 100 ms
  // after the write ended, so a quick write still shows it.
  view_.ShowBusy(true);
  {
    std::lock_guard lock(store_lock_);
    // The store file is written by a helper thread while the keyboard takes
    // the same store: one waits on the disk, the other on hundreds of
    // reports, and neither needs the other. The file's bytes are taken here,
    // under the store lock, so the helper never touches the store.
    // A write the keyboard would refuse before sending anything (macros too
    // long, active profile unknown) fails without touching the store file.
    if (!writer_.WouldSend(store_, /*all_profiles=*/false)) {
      last_write_.keyboard_took = writer_.WriteToKeyboard(store_, /*all_profiles=*/false);
      last_write_.file_saved = false;
      view_.ShowBusy(false);
      return false;
    }
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(StoreFileBytesToSave());
    struct Saved {
      bool ok = false;
      int error = 0;
    };
    auto save = [path = StoreFile(), bytes] {
      Saved saved;
      if (bytes->empty()) return saved;
      saved.ok = WriteFileAtomically(path, *bytes);
      if (!saved.ok) saved.error = errno;
      return saved;
    };
    std::future<Saved> saving;
    try {
      saving = std::async(std::launch::async, save);
    } catch (const std::system_error&) {
      // No thread to be had: save after the write instead.
    }
    const bool written = writer_.WriteToKeyboard(store_, /*all_profiles=*/false);
    const Saved saved = saving.valid() ? saving.get() : save();
    last_write_.keyboard_took = written;
    last_write_.file_saved = saved.ok;
    last_write_.file_error = saved.error;
    if (saved.ok) RememberStoreFile();
    if (saved.ok && written) {
      SetUnappliedChanges(false);
      history_.DropKeySteps();
      // The keyboard and the store file now hold the store: whatever a
      // notice said about either is past, except which keys another program
      // changed too, which the user may not have read yet.
      if (notice_key_ != kChangedBothNotice) ShowNotice({});
    }
  }
  view_.ShowBusy(false);
  return !unapplied_;
}

bool AppCore::RestoreDefaults() {
  if (!prompter_.AskYesNo("MAIN_PROMPT_DEFAULT", LookupText("MAIN_PROMPT_DEFAULT"))) return false;
  history_.Clear();
  const StoreLockFile other_processes;
  if (other_processes.Busy()) {
    last_write_ = WriteOutcome{};
    last_write_.busy = true;
    TellIfBusy(other_processes, prompter_);
    return false;
  }
  {
    std::lock_guard lock(store_lock_);
    const int profile = EditedProfile();
    // Only the keys the window shows: records of keys without a button keep
    // what they do. A text-block or program key loses its function here; its
    // text stays in the table until the store is reloaded.
    for (const KeyButton& button : KeyButtons()) {
      const std::size_t record = KeyCodeToRecordIndex(button.key);
      if (record >= kRecordsPerProfile) continue;
      ResetKeyFunction(store_.Record(static_cast<std::size_t>(profile), record));
    }
    for (std::size_t k = 0; k < kSpecialButtonCount; ++k)
      ResetKeyFunction(store_.Record(static_cast<std::size_t>(profile), kFirstSpecialRecord + k));
    RefreshKeyDescriptions();
    SetUnappliedChanges(true);
  }
  if (lighting_->State().lightingSwitch) lighting_->ResetLighting();
  return Apply();
}

bool AppCore::SwitchProfile(int profile) {
  if (profile < 0) return false;
  if (profile >= kKeyboardProfiles) profile = 0;
  if (key_dialog_open_) {
    prompter_.ShowMessage("PROFILE_SEELCT_PROMPT2", LookupText("PROFILE_SEELCT_PROMPT2"));
    return false;
  }
  // Edits of the profile left behind are applied or discarded below.
  history_.Clear();
  const bool manager_changes = profile_manager_ != nullptr && profile_manager_->ApplyEnabled();
  if ((unapplied_ || manager_changes) && !switch_question_pending_) {
    switch_question_pending_ = true;
    const bool apply = prompter_.AskYesNo("PROFILE_SELECT_PROMPT", LookupText("PROFILE_SELECT_PROMPT"));
    switch_question_pending_ = false;
    if (apply) {
      Apply();
    } else {
      SetUnappliedChanges(false);
      ReloadStoreFile();
    }
  }
  bool switched = false;
  {
    const StoreLockFile other_processes;
    if (other_processes.Busy())
      TellIfBusy(other_processes, prompter_);
    else
      switched = sync_.SetActiveProfile(profile);
  }
  RefreshKeyDescriptions();
  // The manager's list and the profiles button follow what the keyboard now
  // holds: a switch it did not take shows the profile as unknown.
  if (profile_manager_ != nullptr) profile_manager_->OnProfileSwitched(connection_.ActiveProfileCache());
  BuildProfileMenu();
  // A keyboard that did not take the profile is still on another one (or
  // gone); saying it switched would check a profile button that lies.
  return switched;
}

void AppCore::BuildProfileMenu() {
  const int active = connection_.ActiveProfileCache();
  view_.ShowActiveProfile(active, ProfileMenuLabelFor(active));
}

void AppCore::FollowActiveProfile() {
  const int active = connection_.ActiveProfileCache();
  if (active < 0 || active >= kKeyboardProfiles || active == current_profile_) return;
  SetCurrentProfile(active);
  view_.CheckProfileButton(active);
  lighting_->OnProfileSelected();
}

int AppCore::ImportProfileFile(const std::string& path) {
  last_write_ = WriteOutcome{};
  const StoreLockFile other_processes;
  if (other_processes.Busy()) {
    last_write_.busy = true;
    TellIfBusy(other_processes, prompter_);
    return kCoreImportBusy;
  }
  bool saved = false;
  int save_error = 0;
  const int result = ImportProfileSequence(path, store_, store_lock_, writer_, prompter_,
                                           ImportOptions{StoreFile(), &saved, &save_error});
  // A refused file changed nothing: the store keeps its edits and Apply its
  // state.
  if (result == kImportRefused) return kCoreImportRefused;
  history_.Clear();
  RefreshKeyDescriptions();
  if (result != kImportNotSent) store_holds_profiles_ = true;
  if (result == kImportNotSent) {
    last_write_.keyboard_took = false;
    last_write_.file_saved = false;
    return kCoreImportNotSent;
  }
  last_write_.keyboard_took = result == kImportDone;
  last_write_.file_saved = saved;
  if (saved) {
    std::lock_guard lock(store_lock_);
    RememberStoreFile();
  }
  // The keyboard may hold some of the file's profiles and not others: the
  // Apply that tries again writes all four, as the import would have.
  if (result != kImportDone) writer_.MarkWriteAllProfiles();
  if (!saved) last_write_.file_error = save_error;
  // The imported profiles are in the store whatever happened; when the file
  // or the keyboard did not take them, Apply stays available to try again.
  const bool done = result == kImportDone && saved;
  SetUnappliedChanges(!done);
  if (done) ShowNotice({});
  return done ? kCoreImportDone : kCoreImportWriteFailed;
}

bool AppCore::ExportProfileFile(const std::string& path) {
  bool saved;
  {
    std::lock_guard lock(store_lock_);
    saved = SaveImageToFile(store_, path);
  }
  if (saved) ShowNotice("MAIN_PROMPT_BACKUP_DONE", FormatMessage(LookupText("MAIN_PROMPT_BACKUP_DONE"), {path}));
  return saved;
}

// ---- key assignments ----

bool AppCore::AssignKey(std::size_t record_index, const KeyFunction& function, std::u16string_view text) {
  if (record_index >= kRecordsPerProfile) return false;
  std::lock_guard lock(store_lock_);
  const int edited = EditedProfile();
  const auto profile = static_cast<std::size_t>(edited);
  const std::size_t global = GlobalRecordNumber(profile, record_index);
  if (!replaying_) {
    KeyChange change{record_index, store_.Record(profile, record_index), store_.strings.Entry(global).text, function,
                     std::u16string(text)};
    if (change.after.type != kFunctionLaunch && change.after.type != kFunctionText) change.afterText.clear();
    auto same = [&](const KeyChange& c) { return c.record == record_index; };
    auto open = std::find_if(open_key_step_.begin(), open_key_step_.end(), same);
    if (open != open_key_step_.end()) {
      open->after = change.after;
      open->afterText = change.afterText;
    } else {
      open_key_step_.push_back(std::move(change));
    }
  }
  store_.Record(profile, record_index) = function;
  if (function.type == kFunctionLaunch || function.type == kFunctionText)
    store_.strings.Set(global, text);
  else
    store_.strings.Clear(global);

  if (record_index >= kFirstSpecialRecord && record_index < kFirstSpecialRecord + kSpecialButtonCount) {
    const int special = static_cast<int>(record_index - kFirstSpecialRecord);
    ShowKeyDescription(edited, SpecialKeyButtonId(special), record_index,
                       SpecialKeyCode(static_cast<unsigned>(special)));
  } else {
    for (const KeyButton& button : KeyButtons())
      if (KeyCodeToRecordIndex(button.key) == record_index)
        ShowKeyDescription(edited, button.buttonId, record_index, button.key);
  }
  SetUnappliedChanges(true);
  if (key_step_depth_ == 0 && !replaying_) {
    key_step_depth_ = 1;
    EndKeyStep();
  }
  return true;
}

KeyFunction AppCore::KeyRecord(std::size_t record_index) {
  if (record_index >= kRecordsPerProfile) return {};
  std::lock_guard lock(store_lock_);
  return store_.Record(static_cast<std::size_t>(EditedProfile()), record_index);
}

std::u16string AppCore::KeyText(std::size_t record_index) {
  if (record_index >= kRecordsPerProfile) return {};
  std::lock_guard lock(store_lock_);
  const std::size_t global = GlobalRecordNumber(static_cast<std::size_t>(EditedProfile()), record_index);
  return store_.strings.Entry(global).text;
}

bool AppCore::KeyboardCanStore(std::size_t record_index) const {
  if (record_index >= kRecordsPerProfile) return false;
  return MatrixHasPlaceFor(connection_.DefaultMatrix(), record_index);
}

// ---- main window ----

void AppCore::ShowKeyDescription(int profile, int button_id, std::size_t record_index, KeyCode key) {
  const KeyDescription description =
      DescribeKeyFunction(key, store_.Record(static_cast<std::size_t>(profile), record_index), store_.macros);
  view_.ShowKeyDescription(button_id, description.text, description.assigned);
}

void AppCore::RefreshKeyDescriptions() {
  std::lock_guard lock(store_lock_);
  // One question to the keyboard for the whole refresh: while its active
  // profile is unknown every question is a device-information read, and a
  // silent keyboard would make each of the 113 buttons wait for its own.
  const int profile = EditedProfile();
  for (const KeyButton& button : KeyButtons()) {
    const std::size_t record = KeyCodeToRecordIndex(button.key);
    if (record < kRecordsPerProfile) ShowKeyDescription(profile, button.buttonId, record, button.key);
  }
  for (std::size_t k = 0; k < kSpecialButtonCount; ++k)
    ShowKeyDescription(profile, SpecialKeyButtonId(static_cast<int>(k)), kFirstSpecialRecord + k,
                       SpecialKeyCode(static_cast<unsigned>(k)));
}

void AppCore::ProfileButton(int n) {
  if (n < 1 || n > kKeyboardProfiles) return;
  const int profile = n - 1;
  // The lighting re-read and the profile switch are one sequence.
  const StoreLockFile other_processes;
  TellIfBusy(other_processes, prompter_);
  SetCurrentProfile(profile);
  lighting_->OnProfileSelected();
  if (sync_.GetActiveProfile() == profile) return;
  if (!SwitchProfile(profile)) return;
  view_.CheckProfileButton(profile);
  RefreshKeyDescriptions();
}

void AppCore::ConnectionRefresh() {
  // The keyboard's read and the lighting load are one sequence: no other
  // process writes between them, and a busy store is told once.
  const StoreLockFile other_processes;
  TellIfBusy(other_processes, prompter_);
  // Edits made on a store that never held a keyboard's profiles (a fresh
  // store before the first connection) would write defaults over every
  // other key: those are replaced by the keyboard's profiles as before.
  if (unapplied_ && store_holds_profiles_)
    KeepEditsOverConnection();
  else
    ReadAllFromKeyboard(/*keep_flag=*/false);
  const int active = sync_.GetActiveProfile();
  if (active >= 0) {
    view_.CheckProfileButton(active);
    SetCurrentProfile(active);
  }
  BuildProfileMenu();
  lighting_->OnConnected();
  if (unapplied_) RefreshKeyDescriptions();
}

void AppCore::KeepEditsOverConnection() {
  // The keyboard came back (a loose cable, a hub) while the user had edits
  // that Apply has not written yet: reading its profiles would replace them
  // without a word. The store and the flag stay; only the device information
  // is read (the active profile below, the lighting after it).
  const int active = sync_.GetActiveProfile();
  // Edits were made in the profile the window showed. A keyboard that came
  // back on another profile would get only that one from Apply, so Apply
  // writes all four.
  if (active >= 0 && active != current_profile_) writer_.MarkWriteAllProfiles();
  ShowNotice(kChangesKeptNotice, LookupText(kChangesKeptNotice));
}

int AppCore::KeyClick(int button_id) {
  const ButtonKey key = KeyOfButton(button_id);
  const int special = SpecialKeyOfButton(button_id);
  // G6..G9 have no light: they open the key dialog whatever the switch says.
  const bool unlit_special = special >= 5;
  if (!unlit_special && lighting_->State().lightingSwitch) {
    // A click on one of several selected keys paints them all at once.
    const std::vector<int> targets = selection_.ClickTargets(button_id);
    if (targets.size() > 1)
      lighting_->PaintKeys(targets);
    else
      lighting_->PaintKey(button_id);
    return -1;
  }
  // A plain click opens the key's dialog and ends a selection.
  selection_.Clear();
  // G1..G5 and Fn only paint; with the switch off they do nothing.
  if (special >= 0 && !unlit_special) return -1;
  return key.record;
}

void AppCore::ToggleFlip() {
  flip_ = 1 - flip_;
  settings_.SetInt(kFlipSection, kFlipKey, flip_);
  view_.ShowFlip(flip_);
}

// ---- keyboard announcements ----

void AppCore::OnProfileNotification() {
  if (key_dialog_open_) {
    // The open key dialog edits a key of the profile it opened for, and a
    // switch now would be refused while the keyboard has moved on. The
    // keyboard's profile is followed once the dialog closes.
    profile_notification_deferred_ = true;
    return;
  }
  DeviceInfoRecord record{};
  if (link_.ReadDeviceInfo(record) != kResultDone) return;
  const int announced = record[device_info_offset::kActiveProfile];
  if (announced == current_profile_) {
    lighting_->OnProfileNotification();
  } else if (announced < kKeyboardProfiles) {
    ProfileButton(announced + 1);
  }
}

void AppCore::OnReloadNotification() {
  // The reset's switch, file restore, re-read and first profile are one sequence.
  const StoreLockFile other_processes;
  TellIfBusy(other_processes, prompter_);
  // The keyboard's reset changed its colours and lighting under every step.
  history_.Clear();
  DeviceInfoRecord record{};
  if (link_.ReadDeviceInfo(record) != kResultDone) return;
  const int active = record[device_info_offset::kActiveProfile];
  // The reset may have left the keyboard on another profile than the one the
  // cache remembers; the record just read is the truth, or the profile switch
  // below could be skipped and Apply would write the wrong profile's keys.
  connection_.SetActiveProfileCache(active < kKeyboardProfiles ? active : -1);
  // A profile number the window has no button for is not taken over; the
  // first profile is selected below all the same.
  if (active < kKeyboardProfiles) SetCurrentProfile(active);
  if (lighting_->State().lightingSwitch) lighting_->TurnLightingSwitchOff();
  if (lighting_->KeyboardOffersUserEffect() && active < kKeyboardProfiles && SwitchProfile(active)) {
    view_.CheckProfileButton(active);
    lighting_->RestoreUserLightingFiles();
  }
  lighting_->ReadLightingArea();
  lighting_->RefreshLightingPanel();
  ProfileButton(1);
}

// ---- other processes ----

std::vector<FileStamp> AppCore::LightingFileStamps() {
  const UserLightingFiles files;
  std::vector<FileStamp> now;
  for (int p = 0; p < kLightingFileProfiles; ++p) now.push_back(StampOf(files.LightingFilePath(p)));
  now.push_back(StampOf(files.SettingsFilePath()));
  return now;
}

int AppCore::LightingFilesChangedSince(const std::vector<FileStamp>& now) const {
  if (lighting_stamps_.size() != now.size()) return 0;
  const UserLightingFiles files;
  // A file the window saved itself (a paint, a slot change) is no news.
  auto changed = [&](std::size_t i, const std::string& path) {
    return now[i] != lighting_stamps_[i] && !SavedByThisProcess(path, now[i]);
  };
  int bits = 0;
  for (int p = 0; p < kLightingFileProfiles; ++p)
    if (changed(static_cast<std::size_t>(p), files.LightingFilePath(p))) bits |= kSlotFilesChanged;
  if (changed(now.size() - 1, files.SettingsFilePath())) bits |= kSwitchFileChanged;
  return bits;
}

int AppCore::LightingFilesChanged() {
  std::vector<FileStamp> now = LightingFileStamps();
  const int changed = LightingFilesChangedSince(now);
  lighting_stamps_ = std::move(now);
  return changed;
}

bool AppCore::OtherProcessChangesWaiting() const {
  std::string mark_seen = change_mark_seen_;
  return KeyboardChangedElsewhere(mark_seen) || LightingFilesChangedSince(LightingFileStamps()) != 0 ||
         StampOf(StoreFile()) != store_stamp_;
}

std::string AppCore::RecordNames(const std::vector<StoreRecordRef>& refs) {
  const int edited = EditedProfile();
  std::string names;
  for (const StoreRecordRef& ref : refs) {
    std::string name;
    if (ref.record >= kFirstSpecialRecord && ref.record < kFirstSpecialRecord + kSpecialButtonCount) {
      name = "G" + std::to_string(ref.record - kFirstSpecialRecord + 1);
    } else {
      for (const KeyButton& button : KeyButtons())
        if (KeyCodeToRecordIndex(button.key) == ref.record) name = KeyDisplayName(button.key);
      if (name.empty()) name = "#" + std::to_string(ref.record);
    }
    if (static_cast<int>(ref.profile) != edited) name += " (" + std::to_string(ref.profile + 1) + ")";
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names;
}

int AppCore::TakeOtherProcessChanges(bool store_only) {
  int result = kOtherChangesNone;
  // The keyboard (another process's mark) and the user lighting files: shown
  // again as they are now. Within Apply they wait for the next check: a
  // profile switch followed here may ask to apply first.
  const bool keyboard_changed = !store_only && KeyboardChangedElsewhere(change_mark_seen_);
  const int lighting_files = store_only ? 0 : LightingFilesChanged();
  if (keyboard_changed) {
    // Its profile may have been switched (zarvelctl profile N): followed as
    // a switch on the keyboard itself is; on the same profile the lighting
    // is read again, which changes nothing on the keyboard.
    OnProfileNotification();
    result = kOtherChangesReloaded;
  } else if ((lighting_files & kSwitchFileChanged) && lighting_->ReadLightingArea() == kResultDone) {
    // The lighting switch (qnkb.ini) is taken with the lighting's read.
    result = kOtherChangesReloaded;
  }
  if ((lighting_files & kSlotFilesChanged) && lighting_->KeyboardOffersUserEffect()) {
    lighting_->FillSlotList();
    lighting_->LoadUserSlot(/*send=*/false);
    result = kOtherChangesReloaded;
  }
  if (keyboard_changed || lighting_files != 0) lighting_->RefreshLightingPanel();

  const FileStamp now = StampOf(StoreFile());
  if (now == store_stamp_) return result;
  auto theirs = std::make_unique<ProfileStore>();
  // A store file that cannot be loaded (another program's damage) leaves the
  // window's store as it is; the next Apply saves over it.
  if (!LoadStoreFile(*theirs, StoreFile())) {
    store_stamp_ = now;
    return result;
  }
  std::lock_guard lock(store_lock_);
  store_stamp_ = now;
  store_holds_profiles_ = true;
  if (!unapplied_ || !edits_.AnyEdits(store_)) {
    store_ = std::move(*theirs);
    edits_.SetBase(store_);
    RefreshKeyDescriptions();
    return kOtherChangesReloaded;
  }
  ProfileStore merged = *theirs;
  const StoreMergeReport report = edits_.LayOver(store_, merged);
  edits_.SetBase(*theirs);
  const ProfileStore mine_before_merge = std::exchange(store_, std::move(merged));
  last_conflicts_ = report.conflicting_records;
  RefreshKeyDescriptions();
  const std::string_view key = report.conflicting_records.empty() ? kChangedElsewhereNotice : kChangedBothNotice;
  std::string text = report.conflicting_records.empty()
                         ? LookupText(kChangedElsewhereNotice)
                         : FormatMessage(LookupText(kChangedBothNotice), {RecordNames(report.conflicting_records)});
  // What the merge could not keep is told too, by name.
  if (!report.dropped_macros.empty()) {
    std::string names;
    for (const std::uint16_t id : report.dropped_macros) {
      const MacroRecord* macro = FindMacroById(mine_before_merge.macros, id);
      if (macro == nullptr) continue;
      names += (names.empty() ? "" : ", ") + MacroNameUtf8(*macro);
    }
    text += " " + FormatMessage(LookupText(kMacrosDroppedNotice), {names});
  }
  if (!report.records_without_macro.empty())
    text += " " + FormatMessage(LookupText(kMacroKeysDefaultNotice), {RecordNames(report.records_without_macro)});
  ShowNotice(key, text);
  return kOtherChangesMerged;
}

}  // namespace zarvel
