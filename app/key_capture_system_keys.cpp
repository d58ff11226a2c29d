#include "app/key_capture_system_keys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <array>
#include <set>
#include <utility>

#include "model/evdev_keys.h"
#include "model/key_code.h"

#if defined(ZARVEL_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#define ZARVEL_X11_GRABS 1
#endif

namespace zarvel {

#ifdef ZARVEL_X11_GRABS

namespace {

// Win, Right Win and Menu (App).
constexpr std::array<KeyCode, 3> kSystemKeys = {0x15B, 0x15C, 0x15D};

xcb_connection_t* QtConnection() {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 != nullptr ? x11->connection() : nullptr;
}

// One checked passive grab; false when X refused it (another client, such
// as the desktop, holds the same key with the same modifiers).
bool GrabKey(xcb_connection_t* connection, xcb_window_t root, std::uint8_t keycode, std::uint16_t modifiers) {
  // owner_events: the key reaches the dialog's own window, which has the
  // focus, as any other key does. Asynchronous: nothing else is frozen.
  const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 1, root, modifiers, keycode,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
  xcb_generic_error_t* error = xcb_request_check(connection, cookie);
  if (error == nullptr) return true;
  std::free(error);
  return false;
}

}  // namespace

bool SystemKeyGrab::Supported() { return QtConnection() != nullptr; }

SystemKeyGrab::SystemKeyGrab(QWidget& window, Keys keys) : keys_(std::move(keys)) {
  xcb_connection_t* connection = QtConnection();
  if (connection == nullptr) return;
  xcb_query_tree_reply_t* tree =
      xcb_query_tree_reply(connection, xcb_query_tree(connection, static_cast<xcb_window_t>(window.winId())), nullptr);
  if (tree == nullptr) return;
  connection_ = connection;
  root_ = tree->root;
  std::free(tree);
  for (const KeyCode key : kSystemKeys) {
    // X11 key numbers are the Linux ones + 8, as the dialog's scan codes are.
    const unsigned evdev = KeyCodeToEvdev(key);
    if (evdev == 0 || evdev + kXkbKeycodeOffset > 255) continue;
    const auto keycode = static_cast<std::uint8_t>(evdev + kXkbKeycodeOffset);
    if (GrabKey(connection, root_, keycode, XCB_MOD_MASK_ANY)) {
      grabs_.push_back({keycode, XCB_MOD_MASK_ANY});
      continue;
    }
    // The desktop holds the key with some modifiers: take the plain key
    // with the lock keys in any state, where it lets us.
    // (Mod2 is Num Lock on every common layout.)
    constexpr std::uint16_t kLock = XCB_MOD_MASK_LOCK, kNumLock = XCB_MOD_MASK_2;
    for (const std::uint16_t modifiers : {std::uint16_t{0}, kLock, kNumLock, std::uint16_t(kLock | kNumLock)})
      if (GrabKey(connection, root_, keycode, modifiers)) grabs_.push_back({keycode, modifiers});
  }
  if (!grabs_.empty()) QCoreApplication::instance()->installNativeEventFilter(this);
}

bool SystemKeyGrab::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t" || message == nullptr) return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  const std::uint8_t kind = event->response_type & 0x7F;
  if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE) return false;
  // Press and release events share one layout.
  auto* key = static_cast<xcb_key_press_event_t*>(message);
  if (key->event != root_) return false;
  bool ours = false;
  for (const Grab& grab : grabs_) ours = ours || grab.keycode == key->detail;
  if (!ours) return false;
  if (keys_) keys_(key->detail, kind == XCB_KEY_PRESS);
  return true;
}

SystemKeyGrab::~SystemKeyGrab() {
  auto* connection = static_cast<xcb_connection_t*>(connection_);
  // Qt closes its connection only after the last window is gone; a guard
  // outliving the application has nothing left to release (X drops a
  // closed connection's grabs itself).
  if (connection == nullptr || grabs_.empty()) return;
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
  if (QtConnection() != connection) return;
  for (const Grab& grab : grabs_) xcb_ungrab_key(connection, grab.keycode, root_, grab.modifiers);
  xcb_flush(connection);
}

#else

bool SystemKeyGrab::Supported() { return false; }
SystemKeyGrab::SystemKeyGrab(QWidget&, Keys keys) : keys_(std::move(keys)) {}
SystemKeyGrab::~SystemKeyGrab() = default;
bool SystemKeyGrab::nativeEventFilter(const QByteArray&, void*, qintptr*) { return false; }

#endif

int SystemKeyGrab::KeysHeld() const {
  std::set<std::uint8_t> keys;
  for (const Grab& grab : grabs_) keys.insert(grab.keycode);
  return static_cast<int>(keys.size());
}

}  // namespace zarvel
