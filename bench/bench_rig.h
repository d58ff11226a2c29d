#pragma once
// What the application-core benchmarks share: a view that draws nothing,
// private per-user folders, and a simulated keyboard connected the way the
// connection monitor connects the real one.
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "core/key_dialog_session.h"
#include "core/lighting_view.h"
#include "core/main_view.h"
#include "device/connection_monitor.h"
#include "device/simulated_backend.h"
#include "model/default_matrix.h"
#include "model/macro.h"
#include "model/macro_area.h"
#include "skin/program_paths.h"

namespace zarvel::bench {

// The least one exchange can take on a keyboard that needs 1 ms per report:
// the request out, the reply back.
inline constexpr auto kLatency = std::chrono::microseconds(1000);
inline constexpr double kExchangeMs = 2.0;
inline constexpr double kEndWaitMs = kEndTransferDelayMs;

class QuietMainView : public MainView {
 public:
  void ShowKeyDescription(int, const std::string&, bool) override {}
  void CheckProfileButton(int) override {}
  void EnableApply(bool) override {}
  void ShowBusy(bool) override {}
  void ShowTrayPicture(int) override {}
  void ShowFlip(int) override {}
  void ShowActiveProfile(int, const ProfileMenuLabel&) override {}
  void ShowNotice(const std::string&, const std::string&) override {}
  LightingView& Lighting() override { return lighting_; }

 private:
  NullLightingView lighting_;
};

// The per-user folders in a temporary place and the program folder at the
// shipped assets (language file and lighting template).
struct BenchFolders {
  explicit BenchFolders(const std::string& name) {
    namespace fs = std::filesystem;
    data = fs::temp_directory_path() / ("zarvel-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(data);
    fs::create_directories(data);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (data / "config").c_str(), 1);
    SetProgramFolder((fs::path(__FILE__).parent_path().parent_path() / "assets").string() + "/");
  }
  ~BenchFolders() { std::filesystem::remove_all(data); }
  std::filesystem::path data;
};

// The simulated keyboard sleeps its time per report on the calling thread;
// the kernel's default 50 us of timer slack on each sleep would otherwise be
// charged to the program.
inline void LowerTimerSlack() { ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); }

// Macros of 40 key strokes each (80 actions), named, until the next one would
// not fit the keyboard's macro memory with its name: the largest Apply.
inline MacroSet FullMacroMemory(std::size_t capacity) {
  MacroSet macros;
  for (std::uint16_t id = 1; id <= kMaxMacros; ++id) {
    MacroRecord macro;
    macro.id = id;
    macro.repeat = 1;
    SetMacroNameUtf8(macro, "Macro " + std::to_string(id));
    macro.actionCount = 80;
    for (std::uint16_t a = 0; a < macro.actionCount; ++a)
      macro.actions[a] = MacroAction{10, static_cast<KeyCode>(0x10 + a / 2 % 20), a % 2 == 0 ? kPress : kRelease};
    macros.push_back(macro);
    if (MacroAreaSizes(macros).withNames > capacity) {
      macros.pop_back();
      break;
    }
  }
  return macros;
}

struct ConnectedKeyboard {
  explicit ConnectedKeyboard(const std::string& name) : folders(name) {
    LowerTimerSlack();
    command.BuildPathList();
    OpenCommandInterface(link, context);
    ReadConnectionData(link, context);
  }
  BenchFolders folders;
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  DeviceLink link{command};
  ConnectionContext context{BuiltInDefaultMatrix()};
};

// A recording stops once its macro is full (3998 rows): outside the timed
// part, a fresh macro is added and recording starts again.
inline void KeepRecording(benchmark::State& state, KeyDialogSession& session) {
  if (session.Recorder().Recording()) return;
  state.PauseTiming();
  session.Editor().Load();
  session.Editor().Add();
  session.Recorder().Start();
  state.ResumeTiming();
}

}  // namespace zarvel::bench
