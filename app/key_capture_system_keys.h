#pragma once
// Keeps the desktop from acting on the Super (Win) and Menu keys while the
// key-function dialog is the active window, so a press of Super assigns or
// records Super instead of opening the launcher.
//
// Nothing else of the keyboard is taken: on X11 these three keys alone are
// grabbed passively on the root window (with any modifiers). X then hands
// them to this program while the grab lives: the press that sets the grab
// off arrives on the root window, which no window of the toolkit's is, so a
// native event filter passes it to `keys`; the release reaches the dialog as
// any key does. Every other key, the media keys included, stays with the
// desktop's own bindings and whichever window has the focus.
//
// Where the platform offers no such thing (Wayland, where only the
// compositor decides, or an X server on which the desktop already grabbed
// the key), the keys are taken as the toolkit delivers them: the desktop may
// act on them as well.
//
// SystemKeyGrab is a RAII guard: it grabs in its constructor and releases in
// its destructor, so every way out of the dialog gives the keys back.
#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace zarvel {

class SystemKeyGrab : public QAbstractNativeEventFilter {
 public:
  // A grabbed key's press or release that arrived outside the dialog's own
  // window: its native scan code (X11 key number).
  using Keys = std::function<void(unsigned native_scan_code, bool press)>;

  // Grabs for the screen `window` is on; `window` must have a native window.
  SystemKeyGrab(QWidget& window, Keys keys);
  ~SystemKeyGrab() override;
  SystemKeyGrab(const SystemKeyGrab&) = delete;
  SystemKeyGrab& operator=(const SystemKeyGrab&) = delete;

  // How many of the three keys are held now (0 where the platform cannot).
  int KeysHeld() const;

  // Whether this build can grab keys on X11 at all.
  static bool Supported();

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 private:
  Keys keys_;
  struct Grab {
    std::uint8_t keycode;
    std::uint16_t modifiers;
  };
  void* connection_ = nullptr;  // xcb_connection_t, owned by Qt
  std::uint32_t root_ = 0;
  std::vector<Grab> grabs_;
};

}  // namespace zarvel
