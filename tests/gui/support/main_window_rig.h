#pragma once
// The main window on a simulated keyboard, wired as the program wires it:
// the window, the application core built on it, and the two device threads
// (connection monitor and input listener) talking to the window through its
// Qt link. Prompts are answered by the test (No unless told otherwise) and
// recorded; file dialogs and web pages go through the window's seams.
//
// The test's thread is the window's thread: WaitFor() runs its events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/keyboard_write_runner.h"
#include "app/main_window.h"
#include "app/qt_prompter.h"
#include "core/app_core.h"
#include "device/connection_monitor.h"
#include "device/input_listener.h"
#include "device/simulated_backend.h"
#include "model/default_matrix.h"
#include "model/profile_store.h"
#include "skin/settings.h"
#include "skin/widgets/image_button.h"
#include "support/core_rig.h"

namespace zarvel::testing {

struct MainWindowRig {
  // `state_file`: the keyboard keeps its memory in the per-user test folder's
  // "state.txt" and serves it there to other processes (zarvelctl runs).
  explicit MainWindowRig(const DeviceVariant& variant = kDeviceVariants[0], bool state_file = false)
      : keyboard(variant, state_file ? folders.Path("state.txt") : std::string()) {
    context.SetStartHidden(true);
    window = std::make_unique<MainWindow>(settings);
    window->Prompts().SetResponder([this](const PromptRecord& prompt) {
      prompts.push_back(prompt);
      const std::string& name = prompt.key.empty() ? prompt.caption : prompt.key;
      auto it = answers.find(name);
      return it != answers.end() && it->second;
    });
    window->SetUrlOpener([this](const QUrl& url) { opened_urls.push_back(url); });
    window->SetFileChooser([this](MainWindow::FileDialogKind) { return chosen_file; });
    core = std::make_unique<AppCore>(link, context, *window, window->Prompts(), settings);
    window->AttachCore(*core);
    core->Start();
  }

  ~MainWindowRig() { Shutdown(); }

  // The program's stop order: release the window's blocking sends (and wait
  // for a running keyboard write), stop the monitor, stop the listener, and
  // only then the core.
  void Shutdown() {
    if (!window) return;
    window->ReleaseBlockingSends();
    if (monitor) monitor->Stop();
    if (listener) listener->Stop();
    window->DetachCore();
    core.reset();
    window.reset();
  }

  // Starts both device threads and waits until the keyboard is connected
  // and its profiles are shown.
  bool Connect() {
    monitor = std::make_unique<ConnectionMonitor>(
        link, context, window->Link(),
        MonitorTiming{std::chrono::milliseconds(20), std::chrono::milliseconds(10), std::chrono::milliseconds(0)});
    listener = std::make_unique<InputListener>(
        notifications, context, window->Link(),
        ListenerTiming{std::chrono::milliseconds(20), std::chrono::milliseconds(1), std::chrono::milliseconds(1)});
    listener->Start();
    monitor->Start();
    return WaitFor([&] { return context.State() == 1 && listener->IsListening(); }) && WaitIdle() &&
           WaitFor([&] { return context.ConnectionIcon() == kConnectedTrayIcon; });
  }

  template <typename Predicate>
  bool WaitFor(Predicate done, int timeout_ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > timeout_ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    return true;
  }
  // Until no keyboard write runs and what it queued has been shown.
  bool WaitIdle() {
    const bool idle = WaitFor([&] { return !window->Writes().Running(); });
    QCoreApplication::processEvents();
    return idle;
  }

  ImageButton* Button(int id) { return window->KeyButton(id); }
  void Click(int id) { window->KeyButton(id)->click(); }
  bool PromptedWith(const std::string& key) const {
    for (const PromptRecord& p : prompts)
      if (p.key == key) return true;
    return false;
  }
  std::vector<std::uint8_t> Commands() const {
    std::vector<std::uint8_t> codes;
    for (const SimulatedExchange& e : keyboard.Exchanges()) codes.push_back(e.request.at(3));
    return codes;
  }

  UserFolders folders;
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  HidDevice notifications{backend};
  DeviceLink link{command};
  ConnectionContext context{BuiltInDefaultMatrix()};
  MemorySettings settings;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<AppCore> core;
  std::unique_ptr<ConnectionMonitor> monitor;
  std::unique_ptr<InputListener> listener;

  std::vector<PromptRecord> prompts;
  std::map<std::string, bool> answers;  // by language key, or caption for fixed texts
  std::vector<QUrl> opened_urls;
  std::string chosen_file;
};

// Profile 1's record as the keyboard holds it now, read the way a connection
// reads the keyboard, without touching the window's core.
inline KeyFunction KeyboardRecord(MainWindowRig& rig, std::size_t record) {
  ProfileStore keyboard;
  const std::string path = rig.folders.Path("keyboard.zvl");
  ConnectionContext fresh(rig.context.DefaultMatrix());
  ProfileSync sync(rig.link, fresh);
  EXPECT_TRUE(sync.ReadKeyboardToFile(path));
  EXPECT_TRUE(LoadStoreFile(keyboard, path));
  return keyboard.Record(0, record);
}

}  // namespace zarvel::testing
