#include "core/lighting_controller.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <future>
#include <system_error>
#include <span>
#include <utility>
#include <vector>

#include "core/key_buttons.h"
#include "core/keyboard_change_mark.h"
#include "device/device_info_record.h"
#include "device/report_frame.h"
#include "model/atomic_file.h"
#include "skin/ini_file.h"
#include "skin/language.h"

namespace zarvel {

namespace {

// Outside the effect table's own styles the arrows read left/right; the panel
// shows them that way until an effect's style takes over.
constexpr int kLeftRightStyleEffect = 1;
constexpr int kFirstDefaultEffect = 1;

// Keeps the first failure of a sequence whose commands all go out anyway:
// the keyboard takes or refuses each on its own.
void Keep(int& result, int next) {
  if (result == kResultDone && next != kResultDone) result = next;
}

// A panel edit runs on the window's thread: it waits for another process
// only briefly, so a long zarvelctl run cannot freeze the window.
std::chrono::milliseconds PanelEditWait() {
  return std::min(StoreLockFile::DefaultWait(), std::chrono::milliseconds(500));
}

LightingColour AsLightingColour(const SlotColour& colour) { return {colour.red, colour.green, colour.blue}; }

constexpr std::array<LightingPicture, 4> kChoicePictures = {
    LightingPicture::kChoiceRed, LightingPicture::kChoiceYellow, LightingPicture::kChoiceGreen,
    LightingPicture::kChoiceBlue};

// Why a slot file write failed, as "PATH: reason". The INI writer refuses a
// file it cannot read whole (a folder, or one over its size limit) without
// an errno of its own, so those are looked up; otherwise `savedErrno`, taken
// right after the failed write, tells (a read-only file or folder).
std::string SlotFileFailure(const std::string& path, int savedErrno) {
  const int probe = ProbeRegularFile(path);
  if (probe != 0 && probe != ENOENT) return path + ": " + ReadFailureText(probe);
  struct stat info {};
  if (probe == 0 && ::stat(path.c_str(), &info) == 0 && static_cast<std::size_t>(info.st_size) > kMaxIniFileBytes) {
    return path + ": " + ReadFailureText(kReadTooLarge, kMaxIniFileBytes);
  }
  return path + ": " + std::strerror(savedErrno != 0 ? savedErrno : EIO);
}

// What a click on each key button fails to do in this state of the switch
// and effect (see KeyNote). G6..G9 always open their key dialog, and every
// other button not listed does what a click promises.
std::vector<ButtonNote> KeyNotesFor(const LightingState& state, bool unread) {
  std::vector<int> buttons;
  for (const KeyButton& key : KeyButtons()) buttons.push_back(key.buttonId);
  for (int special = 0; special < static_cast<int>(kSpecialButtonCount); ++special)
    buttons.push_back(SpecialKeyButtonId(special));
  buttons.push_back(kFnButtonId);
  std::vector<ButtonNote> notes;
  if (unread) return notes;  // the panel's notice says why nothing acts
  for (int id : buttons) {
    const int special = SpecialKeyOfButton(id);
    if (special >= 5) continue;
    const bool paintOnly = special >= 0 || id == kFnButtonId;
    if (!state.lightingSwitch) {
      if (paintOnly) notes.push_back({id, KeyNote::kColourOnly});
    } else if (state.effect != kUserEffect) {
      notes.push_back({id, KeyNote::kUserEffectOnly});
    } else if (ColourIndexOfButton(id) < 0) {
      notes.push_back({id, KeyNote::kNoLight});
    }
  }
  return notes;
}

}  // namespace

LightingController::LightingController(DeviceLink& link, LightingView& view, Prompter& prompter, LightingHost host,
                                       UserLightingFiles files)
    : link_(link), view_(view), prompter_(prompter), host_(std::move(host)), files_(std::move(files)) {}

int LightingController::CurrentProfile() const {
  int profile = host_.currentProfile ? host_.currentProfile() : 0;
  return ValidLightingProfile(profile) ? profile : 0;
}

// ---- Sending ---------------------------------------------------------------

int LightingController::SendAreaWrites(const AreaWrites& writes) {
  if (writes.empty()) return kResultDone;
  int result = link_.BeginTransfer();
  for (const AreaWrite& write : writes) Keep(result, link_.WriteLighting(write.bytes, write.offset));
  Keep(result, link_.EndTransfer());
  // A window of another process shows the keyboard's lighting: it reads it again.
  MarkKeyboardChanged();
  return result;
}

int LightingController::SendColourWrites(int profile, const KeyColourWrites& writes) {
  if (writes.empty()) return kResultDone;
  int result = link_.BeginTransfer();
  for (const KeyColourWrite& write : writes) {
    Keep(result, link_.WriteKeyColours(profile, write.bytes, write.firstColourIndex));
  }
  Keep(result, link_.EndTransfer());
  MarkKeyboardChanged();
  return result;
}

// ---- Reading ---------------------------------------------------------------

int LightingController::ReadDeviceInformation() {
  state_.effects.Clear();
  view_.SetEffectList({});
  DeviceInfoRecord info{};
  if (link_.ReadDeviceInfo(info) != kResultDone) return -1;
  state_.effects.Fill(std::span<const std::uint8_t>(info).subspan(device_info_offset::kEffectList, kEffectListLength));
  return kResultDone;
}

int LightingController::ReadRecords() { return ReadRecordsThenEnd(link_.BeginTransfer()); }

int LightingController::ReadRecordsThenEnd(int result) {
  // Read into a copy: a keyboard that goes away halfway must not leave some
  // profiles' records from this read and others from the last one.
  LightingArea area = state_.records;
  for (int profile = 0; profile < kLightingProfileCount; ++profile) {
    std::array<std::uint8_t, kLightingReadLength> reply{};
    int read = link_.ReadLighting(reply, kLightingReadOffsets[static_cast<std::size_t>(profile)]);
    Keep(result, read);
    if (read == kResultDone) StoreLightingReply(area, profile, reply);
  }
  Keep(result, link_.EndTransfer());
  if (result != kResultDone) return -1;
  state_.records = area;
  SetStateFromRecords(state_, CurrentProfile());
  return kResultDone;
}

int LightingController::ReadLightingArea() {
  if (ReadDeviceInformation() != kResultDone) return -1;
  if (ReadRecords() != kResultDone) return -1;
  ApplyStoredSwitchOnRead(state_, files_.ReadLightingSwitch());
  return kResultDone;
}

int LightingController::LoadLighting() {
  if (ReadDeviceInformation() != kResultDone) return -1;
  // The full load opens an outer bracket that the trigger write's own bracket
  // sits in; the slot colours go in a bracket of their own inside it, and the
  // record reads close it. Every begin has its end: a keyboard that counts
  // nested brackets is never left inside a transfer after a connection.
  int result = link_.BeginTransfer();
  Keep(result, SendAreaWrites(TriggerWrites()));
  if (KeyboardOffersUserEffect()) {
    FillSlotList();
    Keep(result, LoadUserSlot(true));
  }
  // A refused trigger or colour write is the load's result; the records are
  // still taken when the reads are answered.
  if (ReadRecordsThenEnd(kResultDone) != kResultDone) return -1;
  ApplyStoredSwitchOnLoad(state_, files_.ReadLightingSwitch());
  return result;
}

// ---- Showing ---------------------------------------------------------------

void LightingController::ShowDirection() {
  view_.PlaceDirectionControls(DirectionPlacementFor(state_.effect));
  ArrowPictures arrows = DirectionPictures(state_.effect, state_.direction);
  view_.SetPicture(LightingPicture::kFirstArrow, arrows.first);
  view_.SetPicture(LightingPicture::kSecondArrow, arrows.second);
}

void LightingController::ShowKeyNotes() { view_.ShowKeyNotes(KeyNotesFor(state_, LightingUnread())); }

void LightingController::ShowEffectControls() {
  ShowKeyNotes();
  if (LightingUnread()) {
    PanelVisibility notice;
    notice.unreadNotice = true;
    view_.SetPanelVisibility(notice);
    return;
  }
  view_.SetPanelVisibility(PanelVisibility{true, true, ControlsForEffect(state_.effect)});
  ShowDirection();
  if (state_.effect == kUserEffect) {
    RefreshUserGroup();
    ShowKeyColours();
  }
}

void LightingController::ShowValues() {
  view_.CheckReportRate(state_.reportRate);
  view_.SetSliderPosition(LightingSlider::kBrightness, BrightnessSliderPosition(state_.brightness));
  view_.SetPicture(LightingPicture::kBrightness, BrightnessPicture(state_.brightness));
  int speedPosition = SpeedSliderPosition(state_.speed);
  view_.SetSliderPosition(LightingSlider::kSpeed, speedPosition);
  view_.SetPicture(LightingPicture::kSpeed, SpeedPicture(speedPosition));
  view_.ShowColour(LightingColourButton::kColourA, state_.colour);
  view_.ShowColour(LightingColourButton::kColourB, state_.colour);
  view_.SetPicture(LightingPicture::kRandomA, RandomColourPicture(state_.randomColour));
  view_.SetPicture(LightingPicture::kRandomB, RandomColourPicture(state_.randomColour));
  view_.ShowColour(LightingColourButton::kSecondColour, state_.secondColour);
  view_.ShowColour(LightingColourButton::kThirdColour, state_.thirdColour);
  RefreshUserGroup();
  for (int choice = 0; choice < static_cast<int>(kChoicePictures.size()); ++choice) {
    view_.SetPicture(kChoicePictures[static_cast<std::size_t>(choice)],
                     ColourChoicePicture(choice, choice == state_.colourChoice));
  }
  ArrowPictures arrows = DirectionPictures(kLeftRightStyleEffect, state_.direction);
  view_.SetPicture(LightingPicture::kFirstArrow, arrows.first);
  view_.SetPicture(LightingPicture::kSecondArrow, arrows.second);
}

void LightingController::ShowSwitchAndPanel() {
  view_.SelectEffectEntry(state_.effects.PositionOf(state_.effect));
  view_.SetPicture(LightingPicture::kSwitch, LightingSwitchPicture(state_.lightingSwitch));
  if (state_.lightingSwitch) {
    ShowEffectControls();
  } else {
    view_.SetPanelVisibility(PanelVisibility{});
    ShowKeyNotes();
  }
}

void LightingController::RefreshLightingPanel() {
  std::vector<EffectListEntry> entries;
  for (const EffectEntry& entry : state_.effects.entries()) {
    entries.push_back({entry.effect, LookupEffectName(entry.effect)});
  }
  view_.SetEffectList(entries);
  ShowValues();
  ShowSwitchAndPanel();
}

// ---- The panel's edits -----------------------------------------------------

int LightingController::SelectEffect(int position) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  ClearKeyColours();
  if (state_.effects.EffectAt(position) < 0) return 0;
  AreaWrites writes = zarvel::SelectEffect(state_, position);
  // The list shows the choice also when it did not come from the list
  // itself (the default reset, zarvelctl).
  view_.SelectEffectEntry(position);
  ShowDirection();
  int result = SendAreaWrites(writes);
  // With the switch off the panel stays hidden; the choice still reaches the
  // keyboard (zarvelctl sets effects without showing a panel).
  if (state_.lightingSwitch) ShowEffectControls();
  return result;
}

int LightingController::SetBrightness(int position) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  if (position >= 0 && position <= 4) view_.SetPicture(LightingPicture::kBrightness, BrightnessPicture(position));
  return SendAreaWrites(zarvel::SetBrightness(state_, position));
}

int LightingController::SetSpeedPosition(int position) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  if (position >= 0 && position <= 3) view_.SetPicture(LightingPicture::kSpeed, SpeedPicture(position));
  return SendAreaWrites(zarvel::SetSpeedPosition(state_, position));
}

int LightingController::SetDirection(DirectionArrow arrow) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  AreaWrites writes = zarvel::SetDirection(state_, arrow);
  ArrowPictures arrows = DirectionPictures(state_.effect, state_.direction);
  view_.SetPicture(LightingPicture::kFirstArrow, arrows.first);
  view_.SetPicture(LightingPicture::kSecondArrow, arrows.second);
  return SendAreaWrites(writes);
}

int LightingController::SetColour(LightingColour colour) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  AreaWrites writes = zarvel::SetColour(state_, colour);
  view_.SetPicture(LightingPicture::kRandomA, RandomColourPicture(false));
  view_.SetPicture(LightingPicture::kRandomB, RandomColourPicture(false));
  view_.ShowColour(LightingColourButton::kColourA, colour);
  view_.ShowColour(LightingColourButton::kColourB, colour);
  return SendAreaWrites(writes);
}

int LightingController::ToggleRandomColour() {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  AreaWrites writes = zarvel::ToggleRandomColour(state_);
  view_.SetPicture(LightingPicture::kRandomA, RandomColourPicture(state_.randomColour));
  view_.SetPicture(LightingPicture::kRandomB, RandomColourPicture(state_.randomColour));
  return SendAreaWrites(writes);
}

int LightingController::SetColourChoice(int choice) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  AreaWrites writes = zarvel::SetColourChoice(state_, choice);
  if (writes.empty()) return 0;
  for (int c = 0; c < static_cast<int>(kChoicePictures.size()); ++c) {
    view_.SetPicture(kChoicePictures[static_cast<std::size_t>(c)], ColourChoicePicture(c, c == choice));
  }
  return SendAreaWrites(writes);
}

int LightingController::SetReportRate(int rate) {
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  AreaWrites writes = zarvel::SetReportRate(state_, rate);
  if (writes.empty()) return 0;
  view_.CheckReportRate(rate);
  return SendAreaWrites(writes);
}

void LightingController::TurnLightingSwitchOff() {
  zarvel::TurnLightingSwitchOff(state_);
  files_.WriteLightingSwitch(false);
  view_.SetPicture(LightingPicture::kSwitch, LightingSwitchPicture(false));
  ClearKeyColours();
  if (host_.redrawKeyButtons) host_.redrawKeyButtons();
  view_.SetPanelVisibility(PanelVisibility{});
  ShowKeyNotes();
}

int LightingController::ToggleLightingSwitch() {
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  if (!zarvel::ToggleLightingSwitch(state_)) {
    TurnLightingSwitchOff();
    return kResultDone;
  }
  int active = host_.activeProfile ? host_.activeProfile() : -1;
  if (active < 0) {
    // Without the keyboard's profile the panel could edit the wrong record.
    zarvel::TurnLightingSwitchOff(state_);
    prompter_.ShowMessage("LIGHT_SWITCH_NO_PROFILE", LookupText("LIGHT_SWITCH_NO_PROFILE"));
    return 0;
  }
  // The window already shows the keyboard's profile: nothing is switched, so
  // there is nothing to ask about and the user's unapplied edits stay.
  const int shown = host_.currentProfile ? host_.currentProfile() : -1;
  if (active != shown && (!host_.switchProfile || !host_.switchProfile(active))) {
    // The panel was not shown, so the switch must not claim to be on.
    zarvel::TurnLightingSwitchOff(state_);
    return 0;
  }
  files_.WriteLightingSwitch(true);
  view_.SetPicture(LightingPicture::kSwitch, LightingSwitchPicture(true));
  ClearKeyColours();
  if (LightingUnread() && ReadLightingArea() == kResultDone) {
    RefreshLightingPanel();
    return kResultDone;
  }
  ShowEffectControls();
  return kResultDone;
}

int LightingController::ResetLighting() {
  // The default record would be written over the profile the state was
  // last read from, not the one the window shows.
  if (LightingUnread()) return 0;
  const StoreLockFile others;
  if (!Held(others)) return 0;
  int result = kResultDone;
  int position = state_.effects.PositionOf(kFirstDefaultEffect);
  if (position >= 0) Keep(result, SelectEffect(position));
  if (KeyboardOffersUserEffect()) {
    files_.RestoreFromTemplate(CurrentProfile());
    FillSlotList();
    Keep(result, LoadUserSlot(true));
  }
  RefreshUserGroup();
  Keep(result, SendAreaWrites(zarvel::ResetLighting(state_)));
  // The state now holds the default record, as the keyboard does: show it.
  ShowValues();
  ShowSwitchAndPanel();
  return result;
}

// ---- Per-key colours -------------------------------------------------------

int LightingController::PaintKey(int buttonId) {
  fileError_.clear();
  // Whether the current profile runs the user effect is not known.
  if (LightingUnread()) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  int profile = CurrentProfile();
  const ColourSnapshot before = TakeColourSnapshot(colours_, profile);
  PaintResult paint = zarvel::PaintKey(colours_, profile, buttonId, state_.effect);
  if (!paint.painted) return 0;
  view_.ShowKeyFrame(ButtonFrame{buttonId, paint.colour});
  // The slot file is saved by a helper while the keyboard takes the colour:
  // one waits on the disk, the other on the reports, and a key painted after
  // another waits for the first save, so saves never overlap.
  // errno belongs to the saving thread, so the reason is worked out there.
  auto save = [files = files_, profile, slot = colours_.slot.currentSlot, index = paint.colourIndex,
               entry = paint.entry]() -> std::string {
    if (files.WriteKeyEntry(profile, slot, index, entry)) return {};
    return SlotFileFailure(files.LightingFilePath(profile), errno);
  };
  std::future<std::string> saving;
  try {
    saving = std::async(std::launch::async, save);
  } catch (const std::system_error&) {
    // No thread to be had: save after the write instead.
  }
  int result = SendColourWrites(profile, paint.writes);
  fileError_ = saving.valid() ? saving.get() : save();
  TellColourEdit(before);
  return result;
}

void LightingController::TellColourEdit(const ColourSnapshot& before) {
  const ColourSnapshot after = TakeColourSnapshot(colours_, before.profile);
  if (host_.colourEdit && after != before) host_.colourEdit(before, after);
}

int LightingController::PaintKeys(const std::vector<int>& buttonIds, std::optional<SlotColour> colour,
                                  std::optional<int> tool) {
  fileError_.clear();
  if (LightingUnread() || state_.effect != kUserEffect) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  const int profile = CurrentProfile();
  const ColourSnapshot before = TakeColourSnapshot(colours_, profile);
  if (tool && !zarvel::SetTool(colours_, *tool)) return 0;
  BaseColourChange change;
  if (colour && colours_.slot.tool == 0) zarvel::SetPaintColour(colours_, *colour);
  if (colour && colours_.slot.tool == 1) change = zarvel::SetBaseColour(colours_, profile, *colour);
  PaintManyResult paint = zarvel::PaintKeys(colours_, profile, buttonIds, state_.effect);
  if (paint.frames.empty()) {
    PutColourSnapshot(colours_, before);
    return 0;
  }
  const ColourSnapshot after = TakeColourSnapshot(colours_, profile);
  const bool changed = after != before;
  for (const ButtonFrame& frame : ChangedFrames(before, after)) view_.ShowKeyFrame(frame);
  if (after.settings != before.settings) RefreshUserGroup();
  // A new base colour changed keys outside the list too: the whole block.
  // The colours go out even when nothing changed here: the keyboard may
  // have missed the last send, and a paint is how a user makes sure.
  const KeyColourWrites writes = change.changed ? zarvel::SendKeyColours(colours_, profile) : paint.writes;
  const int result = changed ? SendAndSaveSlot(profile, after.settings, ChangedEntries(before, after), writes)
                             : SendColourWrites(profile, writes);
  if (changed && host_.colourEdit) host_.colourEdit(before, after);
  return result;
}

int LightingController::RestoreColours(const ColourSnapshot& snapshot) {
  fileError_.clear();
  const int profile = CurrentProfile();
  if (snapshot.profile != profile || snapshot.slot != colours_.slot.currentSlot) return 0;
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  const ColourSnapshot now = TakeColourSnapshot(colours_, profile);
  PutColourSnapshot(colours_, snapshot);
  for (const ButtonFrame& frame : ChangedFrames(now, snapshot)) view_.ShowKeyFrame(frame);
  if (now.settings != snapshot.settings) RefreshUserGroup();
  return SendAndSaveSlot(profile, snapshot.settings, ChangedEntries(now, snapshot),
                         zarvel::SendKeyColours(colours_, profile));
}

int LightingController::SendAndSaveSlot(int profile, const SlotSettings& settings,
                                        std::vector<UserLightingFiles::IndexedEntry> entries,
                                        const KeyColourWrites& writes) {
  // As for one key: the slot file is saved by a helper while the keyboard
  // takes the colours, one waiting on the disk, the other on the reports.
  auto save = [files = files_, profile, slot = colours_.slot.currentSlot, settings,
               entries = std::move(entries)]() -> std::string {
    if (files.WriteSlot(profile, slot, settings, entries)) return {};
    return SlotFileFailure(files.LightingFilePath(profile), errno);
  };
  std::future<std::string> saving;
  try {
    saving = std::async(std::launch::async, save);
  } catch (const std::system_error&) {
    // No thread to be had: save after the write instead.
  }
  const int result = SendColourWrites(profile, writes);
  fileError_ = saving.valid() ? saving.get() : save();
  return result;
}

int LightingController::CopyLighting(int from, int to) {
  if (!ValidLightingProfile(from) || !ValidLightingProfile(to) || from == to) return 0;
  const StoreLockFile others;
  if (!Held(others)) return 0;
  std::vector<std::uint8_t> file;
  if (ReadWholeFile(files_.LightingFilePath(from), file)) {
    fileError_.clear();
    NoteFileWrite(WriteFileAtomically(files_.LightingFilePath(to), std::span<const std::uint8_t>(file)), to);
  }
  const auto at = state_.records.begin() + LightingRecordOffset(from);
  AreaWrite write{LightingRecordOffset(to), std::vector<std::uint8_t>(at, at + kLightingRecordSize)};
  const AreaWrites writes{write};
  ApplyWrites(state_.records, writes);
  return SendAreaWrites(writes);
}

int LightingController::SendKeyColours() {
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  int profile = CurrentProfile();
  return SendColourWrites(profile, zarvel::SendKeyColours(colours_, profile));
}

int LightingController::LoadUserSlotFor(int profile, bool send) {
  int slot = files_.ReadCurrentSlot(profile);
  SlotSettings settings = files_.ReadSlotSettings(profile, slot);
  // Every lit key's entry comes from one read of the file.
  std::vector<int> indexes;
  for (const LitButton& button : LitButtons()) indexes.push_back(button.colourIndex);
  const std::vector<KeyColourEntry> entries = files_.ReadKeyEntries(profile, slot, indexes);
  auto entryOf = [&](int colourIndex) {
    for (std::size_t i = 0; i < indexes.size(); ++i) {
      if (indexes[i] == colourIndex) return entries[i];
    }
    return files_.ReadKeyEntry(profile, slot, colourIndex);
  };
  KeyColourWrites writes = zarvel::LoadUserSlot(colours_, profile, slot, settings, entryOf, send);
  return send ? SendColourWrites(profile, writes) : kResultDone;
}

int LightingController::LoadUserSlot(bool send) { return LoadUserSlotFor(CurrentProfile(), send); }

bool LightingController::Held(const StoreLockFile& lock) {
  if (lock.Held()) return true;
  TellIfBusy(lock, prompter_);
  // The control the user moved goes back to what the keyboard holds.
  if (!LightingUnread()) {
    ShowValues();
    view_.SelectEffectEntry(state_.effects.PositionOf(state_.effect));
  }
  return false;
}

void LightingController::NoteFileWrite(bool written, int profile) {
  const int savedErrno = errno;
  if (!written && fileError_.empty()) fileError_ = SlotFileFailure(files_.LightingFilePath(profile), savedErrno);
}

void LightingController::FillSlotListFor(int profile) {
  colours_.slot.names = files_.ReadSlotNames(profile);
  view_.SetSlotNames(std::vector<std::string>(colours_.slot.names.begin(), colours_.slot.names.end()));
}

void LightingController::FillSlotList() { FillSlotListFor(CurrentProfile()); }

int LightingController::SelectUserSlot(int slot) {
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  fileError_.clear();
  if (!zarvel::SelectUserSlot(colours_, slot)) return 0;
  int profile = CurrentProfile();
  NoteFileWrite(files_.WriteCurrentSlot(profile, slot), profile);
  int result = LoadUserSlotFor(profile, true);
  RefreshUserGroup();
  ShowKeyColours();
  return result;
}

bool LightingController::RenameUserSlot(std::string_view text) {
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) {
    RefreshUserGroup();
    return false;
  }
  std::string name = zarvel::RenameUserSlot(colours_, text);
  int slot = colours_.slot.currentSlot;
  view_.SetSlotName(slot, name);
  return files_.WriteSlotName(CurrentProfile(), slot, name);
}

void LightingController::SetPaintColour(SlotColour colour) {
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return;
  SlotSettings settings = zarvel::SetPaintColour(colours_, colour);
  view_.ShowColour(LightingColourButton::kPaintColour, AsLightingColour(colour));
  fileError_.clear();
  NoteFileWrite(files_.WriteSlotSettings(CurrentProfile(), colours_.slot.currentSlot, settings), CurrentProfile());
}

int LightingController::SetBaseColour(SlotColour colour) {
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return 0;
  int profile = CurrentProfile();
  fileError_.clear();
  const ColourSnapshot before = TakeColourSnapshot(colours_, profile);
  BaseColourChange change = zarvel::SetBaseColour(colours_, profile, colour);
  if (!change.changed) return kResultDone;
  int slot = colours_.slot.currentSlot;
  view_.ShowColour(LightingColourButton::kBaseColour, AsLightingColour(colour));
  NoteFileWrite(files_.WriteSlotSettings(profile, slot, change.settings), profile);
  for (int buttonId : change.repaintedButtons) view_.ShowKeyFrame(ButtonFrame{buttonId, colour});
  NoteFileWrite(files_.WriteKeyEntries(profile, slot, change.entries), profile);
  const int result = SendColourWrites(profile, change.writes);
  TellColourEdit(before);
  return result;
}

bool LightingController::SetTool(int tool) {
  fileError_.clear();
  const StoreLockFile others(PanelEditWait());
  if (!Held(others)) return false;
  if (!zarvel::SetTool(colours_, tool)) return false;
  ToolPictures pictures = ToolPicturesFor(tool);
  view_.SetPicture(LightingPicture::kFirstTool, pictures.first);
  view_.SetPicture(LightingPicture::kSecondTool, pictures.second);
  NoteFileWrite(files_.WriteSlotSettings(CurrentProfile(), colours_.slot.currentSlot, colours_.slot.Settings()),
                CurrentProfile());
  return true;
}

void LightingController::ShowKeyColours() { view_.ShowKeyFrames(KeyColourFrames(colours_, CurrentProfile())); }

void LightingController::ClearKeyColours() { view_.ClearKeyFrames(); }

void LightingController::RecomputeBaseMarks() { zarvel::RecomputeBaseMarks(colours_); }

void LightingController::RefreshUserGroup() {
  view_.SelectSlot(colours_.slot.currentSlot);
  view_.ShowColour(LightingColourButton::kBaseColour, AsLightingColour(colours_.slot.baseColour));
  view_.ShowColour(LightingColourButton::kPaintColour, AsLightingColour(colours_.slot.paintColour));
  ToolPictures pictures = ToolPicturesFor(colours_.slot.tool);
  view_.SetPicture(LightingPicture::kFirstTool, pictures.first);
  view_.SetPicture(LightingPicture::kSecondTool, pictures.second);
}

// ---- Sequences of the main window ------------------------------------------

int LightingController::OnConnected() {
  const StoreLockFile others;
  if (!Held(others)) return 0;
  int result = LoadLighting();
  RefreshLightingPanel();
  if (KeyboardOffersUserEffect()) RecomputeBaseMarks();
  return result;
}

int LightingController::OnProfileSelected() {
  const StoreLockFile others;
  if (!Held(others)) return 0;
  int result = ReadLightingArea();
  if (KeyboardOffersUserEffect()) {
    FillSlotList();
    Keep(result, LoadUserSlot(true));
  }
  RefreshLightingPanel();
  if (state_.lightingSwitch) TurnLightingSwitchOff();
  return result;
}

int LightingController::OnProfileNotification() {
  int result = ReadLightingArea();
  RefreshLightingPanel();
  return result;
}

void LightingController::RestoreUserLightingFiles() {
  if (!KeyboardOffersUserEffect()) return;
  const StoreLockFile others;
  if (!Held(others)) return;
  for (int profile = 0; profile < kLightingFileProfiles; ++profile) {
    files_.RestoreFromTemplate(profile);
    FillSlotListFor(profile);
    LoadUserSlotFor(profile, false);
  }
}

}  // namespace zarvel
