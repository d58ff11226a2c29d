#pragma once
// What the main window shows, as the application core drives it.
//
// The core decides; the view only shows. The Qt main window implements this,
// zarvelctl implements it on the terminal and the tests record it. Calls come
// from the thread the core is running on: the window's thread, or, while the
// Qt window lends the core to its keyboard-write worker (Apply and the other
// long keyboard sequences), that worker; the Qt window carries such calls
// over to its own thread. The core is never used by two threads at once.
//
// The lighting panel and the key colour frames are a view of their own
// (LightingView), which the lighting controller drives; the main view hands
// it out so one window object can play both parts.
#include <string>

#include "core/profile_menu.h"

namespace zarvel {

class LightingView;

// Buttons of the main window that are not key buttons.
inline constexpr int kProfileButtonIds[4] = {1135, 1136, 1137, 1222};
inline constexpr int kApplyButtonId = 1006;
inline constexpr int kDefaultButtonId = 1138;
inline constexpr int kFlipButtonIds[3] = {1129, 1130, 1131};
inline constexpr int kSpareButtonIds[6] = {1016, 1017, 1018, 1019, 1020, 1021};
inline constexpr int kSpareKeyButtonId = 1199;
inline constexpr int kMacroDialogButtonId = 1143;  // G9 opens the key dialog in macro mode
inline constexpr int kBusyFrameTimer = 1050;
inline constexpr int kBusyFrameCount = 10;

class MainView {
 public:
  virtual ~MainView() = default;

  // A key button's tooltip and checked state (checked: the key is assigned).
  // `button_id` is a key button, a G button or a spare button.
  virtual void ShowKeyDescription(int button_id, const std::string& text, bool assigned) = 0;
  // Checks profile button `profile` (0..3) and unchecks the other three.
  virtual void CheckProfileButton(int profile) = 0;
  // Apply is enabled exactly while the store holds unapplied changes.
  virtual void EnableApply(bool enabled) = 0;
  // The progress picture of Apply: shown before the write, hidden after it.
  // While shown the window cycles frames "jdt1.bmp".."jdt10.bmp" every 50 ms.
  virtual void ShowBusy(bool shown) = 0;
  // The tray icon (icon resource 128 not connected, 141 connected, 142
  // indicator).
  virtual void ShowTrayPicture(int icon_resource) = 0;
  // Flip 0 enables F1..F4 (1010..1013) and disables the spare buttons
  // 1016..1021; flip 1 the opposite. Also picks the flip image set.
  virtual void ShowFlip(int flip) = 0;
  // The profile menu was rebuilt for the keyboard's active profile `profile`
  // (-1 when unknown): the profiles button shows `label.text` with the
  // tooltip `label.tooltip`. While the profile manager is open, its list
  // shows the row of `profile` checked (no row for -1) and its Apply is
  // disabled; the window redraws it from the manager's model, which the
  // core has already updated.
  virtual void ShowActiveProfile(int profile, const ProfileMenuLabel& label) = 0;
  // A notice the user should read but need not answer (edits kept over a
  // reconnection, a keyboard that could not be read, a finished back-up):
  // a line in the window, never a box that pops up over other programs.
  // While the window is hidden it also goes to the notification area, and
  // the line is still there when the window is next opened. An empty
  // `text` takes the line away. `key` is the language key of the text.
  virtual void ShowNotice(const std::string& key, const std::string& text) = 0;
  // The lighting panel and key colour frames of this window.
  virtual LightingView& Lighting() = 0;
};

}  // namespace zarvel
