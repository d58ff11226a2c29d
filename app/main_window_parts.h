#pragma once
// The main window's members, shared by its source files (construction of the
// controls, the messages, the commands). Private to the main window.
#include <QPointer>
#include <QUrl>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/keyboard_write_runner.h"
#include "app/lighting_panel.h"
#include "app/main_window.h"
#include "app/progress_animation.h"
#include "app/qt_prompter.h"
#include "app/qt_window_link.h"
#include "app/window_thread_queue.h"
#include "app/window_thread_view.h"
#include "controls/skin_label.h"
#include "controls/skin_picture.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

class KeyFunctionDialog;
class KeySelectionGestures;
class ProfileManagerDialog;

// Command identifiers of the main window's own buttons.
namespace main_window_id {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kProfiles = 1005;
inline constexpr int kApply = 1006;
inline constexpr int kMacro = 1007;
inline constexpr int kLink = 1121;
inline constexpr int kHelp = 1122;
inline constexpr int kMinimise = 1123;
inline constexpr int kClose = 1124;
inline constexpr int kLockCaps = 1125;
inline constexpr int kLockNum = 1126;
inline constexpr int kLockScroll = 1127;
inline constexpr int kLockAb = 1128;
inline constexpr int kLeftArrow = 1132;
inline constexpr int kRightArrow = 1133;
inline constexpr int kVersion = 1134;
inline constexpr int kDefault = 1138;
inline constexpr int kMenu = 1139;
inline constexpr int kModeSwitch = 1144;
inline constexpr int kFn = 1174;
inline constexpr int kProgress = 1177;
inline constexpr int kWebHome = 1219;
inline constexpr int kWebFirstSocial = 1220;
inline constexpr int kWebSecondSocial = 1221;
inline constexpr int kMenuRestore = 32776;
inline constexpr int kMenuBackUp = 32777;
inline constexpr int kMenuAbout = 32778;
}  // namespace main_window_id

struct MainWindow::Parts {
  explicit Parts(MainWindow& window);

  WindowThreadQueue queue;  // first: the parts below post through it
  QtPrompter prompter;
  KeyboardWriteRunner writes;
  std::unique_ptr<QtWindowLink> link;
  std::unique_ptr<LightingPanel> panel;
  std::unique_ptr<WindowThreadLightingView> lighting;
  SkinPicture* progress_picture = nullptr;
  std::unique_ptr<ProgressAnimation> progress;
  SkinLabel* version = nullptr;
  SkinLabel* notice = nullptr;

  // Every image button by control identifier.
  std::map<int, ImageButton*> buttons;
  // The checked state each checkable button should show; a click never
  // changes it by itself, only the core does.
  std::map<int, bool> checked;
  // Key, G and Fn buttons, in construction order.
  std::vector<int> key_ids;
  // Spare buttons the skin places (the others stay hidden).
  std::vector<int> placed_spares;
  int flip = 0;
  int arrow_state[2] = {1, 1};  // left, right: 2 while the pointer rests on its flip button
  int tray_picture = -1;
  bool start_up_done = false;

  QPointer<KeyFunctionDialog> key_dialog;
  QPointer<ProfileManagerDialog> profile_dialog;
  // Selection of many keys, undo, copy and paste (a child of the window).
  KeySelectionGestures* gestures = nullptr;
  MainWindow::FileChooser choose_file;
  MainWindow::UrlOpener open_url;
};

}  // namespace zarvel
