#pragma once
// The lighting panel and the per-key colours of the user effect, driven
// against the keyboard: reads of the lighting parameter area, every edit
// sent at once in its own transfer bracket, the lighting switch, the default
// reset, and the user slots kept in the user lighting files.
//
// The bytes of each edit come from the lighting and colour models
// (lighting_state.h, key_colours.h); this class sends them, keeps the files
// in step and tells the view what to show. It runs on the window's thread;
// the command layer serialises the exchanges themselves.
//
// Results: 1 when every command of the operation was taken by the keyboard
// (or there was nothing to send), otherwise the first failing command result
// (report_frame.h), or -1 for a failed read of the device information. The
// window does not roll an edit back on failure: it keeps showing the new
// value, as the keyboard has no other copy to ask, until the next read.
//
// Every edit and sequence that writes the keyboard's lighting or the user
// lighting files holds the store lock (store_lock_file.h) for its whole
// length, as zarvelctl's lighting and colours commands do: two processes
// editing at once would interleave their transfers and lose each other's
// slot file changes. When another process keeps it, the edit does nothing,
// says so (STORE_BUSY_PROMPT) and returns 0 (false for the bool ones); the
// panel goes back to the values the keyboard holds.
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <string_view>

#include "core/edit_history.h"
#include "core/lighting_view.h"
#include "core/store_lock_file.h"
#include "device/device_link.h"
#include "model/key_colours.h"
#include "model/lighting_state.h"
#include "model/prompter.h"
#include "model/user_lighting_file.h"

namespace zarvel {

// What the controller needs of the application core that owns it.
struct LightingHost {
  // The window's current profile, 0..3.
  std::function<int()> currentProfile;
  // The keyboard's active profile (cached), -1 when unknown.
  std::function<int()> activeProfile;
  // Selects `profile` as the profile buttons do; false when refused (for
  // example while the key-function dialog is open). Unset: always refused.
  std::function<bool(int)> switchProfile;
  // Redraws the key buttons' checked states from the key assignments, after
  // the colour frames have taken them over.
  std::function<void()> redrawKeyButtons;
  // A paint or base-colour change went out: the user colours before and
  // after it (the undo history keeps them). Unset: nobody keeps them.
  std::function<void(const ColourSnapshot& before, const ColourSnapshot& after)> colourEdit;
};

class LightingController {
 public:
  LightingController(DeviceLink& link, LightingView& view, Prompter& prompter, LightingHost host,
                     UserLightingFiles files = UserLightingFiles());
  LightingController(const LightingController&) = delete;
  LightingController& operator=(const LightingController&) = delete;

  // Replaces the host's hooks (the owner sets them once it is built).
  void SetHost(LightingHost host) { host_ = std::move(host); }

  const LightingState& State() const { return state_; }
  const KeyColourState& Colours() const { return colours_; }
  const UserLightingFiles& Files() const { return files_; }
  int CurrentProfile() const;
  // True while the lighting state describes another profile than the
  // window's current one: the re-read after a profile change failed. Every
  // lighting edit is then refused (nothing is sent, the result is 0), as it
  // would land in the other profile's record, and the panel shows the
  // unread notice instead of its controls.
  bool LightingUnread() const { return state_.profile != CurrentProfile(); }

  // ---- Reading and showing ----------------------------------------------
  // Re-reads the device information and the four lighting records; the state
  // takes the current profile's record. -1 (state unchanged) when the device
  // information or a record cannot be read.
  int ReadLightingArea();
  // The full load after a connection: also sets the keyboard's trigger byte
  // and, when the keyboard offers the user effect, loads and sends the
  // current slot's colours. The lighting switch is taken as stored.
  int LoadLighting();
  void RefreshLightingPanel();
  bool KeyboardOffersUserEffect() const { return state_.effects.OffersUserEffect(); }

  // ---- The panel's edits ------------------------------------------------
  int SelectEffect(int position);
  int SetBrightness(int position);       // slider position 0..4
  int SetSpeedPosition(int position);    // slider position 0..3
  int SetDirection(DirectionArrow arrow);
  int SetColour(LightingColour colour);  // either colour button
  int ToggleRandomColour();
  int SetColourChoice(int choice);       // 0 red, 1 yellow, 2 green, 3 blue
  int SetReportRate(int rate);           // 0..3 (button n gives n - 1)

  // The click on the lighting switch picture. Turning it on first selects the
  // keyboard's active profile through the host, unless the window already
  // shows it (then nothing is asked or reloaded); when that is refused the
  // switch goes back off, nothing is shown and 0 is returned. With the active
  // profile unknown the switch stays off and the user is told why
  // (LIGHT_SWITCH_NO_PROFILE). Turned on while the lighting is unread, it
  // tries the read once more.
  int ToggleLightingSwitch();
  // The switch off without inversion (profile buttons, reset notification).
  void TurnLightingSwitchOff();
  // The default reset, once the user has confirmed it.
  int ResetLighting();

  // ---- Per-key colours --------------------------------------------------
  // A key click while the switch is on. 0 when nothing was painted (another
  // effect is selected, the button has no light, or the slot's tool is
  // neither 0 nor 1); otherwise the result of the colour write.
  int PaintKey(int buttonId);
  // Paints several buttons at once with the slot's tool; with `colour` the
  // tool's colour becomes it first (a new base colour repaints the keys that
  // wear the base colour, as SetBaseColour does), with `tool` the tool. The
  // keyboard gets everything in one bracket and the slot file is saved
  // once. 0 when nothing could be painted (another effect, no lit button
  // among them, a tool other than 0 and 1); 1 when nothing changed.
  int PaintKeys(const std::vector<int>& buttonIds, std::optional<SlotColour> colour = {},
                std::optional<int> tool = {});
  // Undo and redo of a paint: puts the user colours back as `snapshot`
  // holds them, sends the profile's colours in one bracket and saves the
  // slot file once. 0 (nothing done) when the snapshot is of another
  // profile or slot than the one shown.
  int RestoreColours(const ColourSnapshot& snapshot);
  int SendKeyColours();
  // A profile copied into another: profile `to` gets `from`'s lighting
  // record (written to the keyboard at once) and its user lighting file
  // (slots and key colours, which the keyboard gets when `to` is next
  // selected: it takes colours only for the profile it shows).
  int CopyLighting(int from, int to);
  // Loads the current slot of the current profile from its file; sends the
  // colours when `send`.
  int LoadUserSlot(bool send);
  void FillSlotList();
  int SelectUserSlot(int slot);
  // The edited name of the current slot; false when it cannot be stored.
  bool RenameUserSlot(std::string_view text);
  void SetPaintColour(SlotColour colour);
  int SetBaseColour(SlotColour colour);
  // 0 or 1; false for another tool.
  bool SetTool(int tool);
  void ShowKeyColours();
  void ClearKeyColours();
  void RecomputeBaseMarks();
  void RefreshUserGroup();
  // Why the last slot edit (SelectUserSlot, SetPaintColour, SetBaseColour,
  // SetTool, PaintKey) could not save the slot file, as "PATH: reason";
  // empty when it saved everything. The keyboard keeps no copy of the
  // per-key colours, so an unsaved edit is lost at the next slot load even
  // when the keyboard took it.
  const std::string& LastFileError() const { return fileError_; }

  // ---- Sequences of the main window -------------------------------------
  // Connection refresh, once the profiles are read and the current profile
  // follows the keyboard: full load, panel, and the base marks of all four
  // profiles when the keyboard offers the user effect.
  int OnConnected();
  // A profile button (after the current profile changed) or a profile
  // notification for another profile: re-read, load and send the slot
  // colours, show, and turn the lighting switch off.
  int OnProfileSelected();
  // A profile notification for the current profile: re-read and show.
  int OnProfileNotification();
  // The keyboard was reset: every profile's user lighting file goes back to
  // the shipped template and its slot is loaded (nothing is sent). Only when
  // the keyboard offers the user effect; the caller has already made the
  // switch to the active profile succeed.
  void RestoreUserLightingFiles();

 private:
  int SendAreaWrites(const AreaWrites& writes);
  int SendColourWrites(int profile, const KeyColourWrites& writes);
  int ReadDeviceInformation();
  // The four record reads in a bracket of their own.
  int ReadRecords();
  // The four record reads and the end of a bracket the caller opened;
  // `result` is the outcome of the begin that counts for these reads.
  int ReadRecordsThenEnd(int result);
  void ShowValues();
  void ShowSwitchAndPanel();
  void ShowEffectControls();
  void ShowDirection();
  // Tells the view which key buttons' clicks do nothing now, and why.
  void ShowKeyNotes();
  void FillSlotListFor(int profile);
  int LoadUserSlotFor(int profile, bool send);
  // False after telling the user, when `lock` could not be taken.
  bool Held(const StoreLockFile& lock);
  // Keeps the first failed slot file write of the current edit; call it
  // straight after the write, while errno still tells why.
  void NoteFileWrite(bool written, int profile);
  void TellColourEdit(const ColourSnapshot& before);
  // Sends `writes` in one bracket while a helper saves the slot's settings
  // and `entries` into the current slot of `profile` with one replacement.
  int SendAndSaveSlot(int profile, const SlotSettings& settings,
                      std::vector<UserLightingFiles::IndexedEntry> entries, const KeyColourWrites& writes);


  DeviceLink& link_;
  LightingView& view_;
  Prompter& prompter_;
  LightingHost host_;
  UserLightingFiles files_;
  LightingState state_;
  KeyColourState colours_;
  std::string fileError_;
};

}  // namespace zarvel
