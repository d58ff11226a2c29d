#pragma once
// One application core on a connected simulated keyboard, with its own
// per-user folders: the fixture of the core's tests.
//
// The data and settings folders are fresh temp folders per rig (set through
// XDG_DATA_HOME / XDG_CONFIG_HOME before the core is built, as the lighting
// files are found through them), and the program folder is the build's, so
// the shipped language file and lighting template are found.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app_core.h"
#include "device/connection_monitor.h"
#include "device/simulated_backend.h"
#include "model/atomic_file.h"
#include "model/default_matrix.h"
#include "model/key_function.h"
#include "model/macro.h"
#include "skin/program_paths.h"
#include "skin/settings.h"
#include "support/recording_prompter.h"
#include "support/recording_view.h"

namespace zarvel::testing {

// Points the per-user folders at a fresh temp folder for as long as it lives.
struct UserFolders {
  UserFolders() {
    static int serial = 0;
    root = std::filesystem::temp_directory_path() /
           ("zarvel-core-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    SetProgramFolder(ZARVEL_PROGRAM_DIR);
  }
  ~UserFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  std::string Path(const std::string& name) const { return (root / name).string(); }
  std::filesystem::path root;
};

struct CoreRig {
  explicit CoreRig(const DeviceVariant& variant = kDeviceVariants[0]) : keyboard(variant) {
    core = std::make_unique<AppCore>(link, context, view, prompter, settings);
    core->Start();
  }

  // What the connection monitor does when it finds the keyboard, then the
  // window's connection refresh. Exchanges and events are cleared afterwards.
  bool Connect() {
    if (!command.BuildPathList()) return false;
    if (OpenCommandInterface(link, context) == nullptr) return false;
    ReadConnectionData(link, context);
    core->ConnectionRefresh();
    keyboard.ClearExchanges();
    view.ClearEvents();
    prompter.Clear();
    return true;
  }
  // What the monitor does when the keyboard is gone.
  void Disconnect() {
    keyboard.Unplug();
    link.SetDeviceOpen(false);
    context.SetActiveProfileCache(-1);
  }
  bool Reconnect() {
    Disconnect();
    keyboard.PlugIn();
    return Connect();
  }

  std::vector<std::uint8_t> Commands() const {
    std::vector<std::uint8_t> codes;
    for (const SimulatedExchange& e : keyboard.Exchanges()) codes.push_back(e.request.at(3));
    return codes;
  }
  std::vector<std::uint8_t> StoreFileBytes() const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(core->StoreFile(), bytes);
    return bytes;
  }
  // The keyboard's four profiles and macros, read as a profile file (the
  // way a connection reads them), without touching the core.
  // What a connection would make of the keyboard's memory: the keyboard's
  // keys and macros, with the store file's launch and text-block keys kept
  // where the keyboard still holds what they were written as.
  std::vector<std::uint8_t> KeyboardAsFile() {
    const std::string path = folders.Path("keyboard.zvl");
    std::vector<std::uint8_t> store_file;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (ReadWholeFile(core->StoreFile(), store_file)) WriteFileAtomically(path, store_file);
    ConnectionContext fresh(context.DefaultMatrix());
    ProfileSync sync(link, fresh);
    if (!sync.ReadKeyboardToFile(path, nullptr, nullptr, /*keep_texts=*/true)) return {};
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
  }

  UserFolders folders;
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  DeviceLink link{command};
  ConnectionContext context{BuiltInDefaultMatrix()};
  RecordingView view;
  RecordingPrompter prompter;
  MemorySettings settings;
  std::unique_ptr<AppCore> core;
};

// A record that makes a key type another key.
inline KeyFunction KeyTo(KeyCode code) { return KeyFunction{kFunctionKey, 0, code, 0, 0}; }

// A named macro typing one key once.
inline MacroRecord MakeMacro(std::uint16_t id, const char* name, KeyCode key = 0x30 /* B */) {
  MacroRecord macro;
  macro.id = id;
  macro.repeat = 1;
  SetMacroNameUtf8(macro, name);
  macro.actionCount = 2;
  macro.actions[0] = MacroAction{20, key, kPress};
  macro.actions[1] = MacroAction{0, key, kRelease};
  return macro;
}

}  // namespace zarvel::testing
