#include "core/lighting_controller.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/connection_monitor.h"
#include "device/simulated_backend.h"
#include "model/default_matrix.h"
#include "skin/ini_file.h"
#include "skin/program_paths.h"
#include "support/recording_lighting_view.h"
#include "support/recording_prompter.h"
#include "core/store_lock_file.h"
#include "model/atomic_file.h"
#include "model/file_lock.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

constexpr int kEscButton = 1022;
constexpr int kF5Button = 1014;  // F5 has no light

// A connected simulated keyboard, the lighting controller on it, and user
// lighting files seeded from the shipped template in a folder of their own.
struct LightingRig {
  explicit LightingRig(int profile = 0) : current(profile) {
    SetProgramFolder(ZARVEL_PROGRAM_DIR);
    folder = fs::temp_directory_path() / ("zarvel-lighting-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(folder);
    files = UserLightingFiles(folder.string() + "/", std::string(ZARVEL_SOURCE_DIR) + "/assets/");
    EXPECT_EQ(files.SeedUserFolder(), 1);
    EXPECT_TRUE(command.BuildPathList());
    EXPECT_NE(OpenCommandInterface(link, context), nullptr);
    ReadConnectionData(link, context);
    LightingHost host;
    host.currentProfile = [this] { return current; };
    host.activeProfile = [this] { return active.value_or(current); };
    host.switchProfile = [this](int) {
      ++switches;
      return switchAllowed;
    };
    host.redrawKeyButtons = [this] { ++redraws; };
    controller = std::make_unique<LightingController>(link, view, prompter, host, files);
    keyboard.ClearExchanges();
  }
  ~LightingRig() { fs::remove_all(folder); }

  // One line per exchange: command code, then for data commands "@offset
  // #length" and, for writes of at most eight bytes, the bytes.
  std::vector<std::string> Traffic() const {
    std::vector<std::string> lines;
    for (const SimulatedExchange& e : keyboard.Exchanges()) {
      char text[96];
      const auto& r = e.request;
      int command_code = r.at(3);
      int length = r.at(4);
      int offset = r.at(5) | (r.at(6) << 8);
      if (command_code == 0x05 || command_code == 0x06 || command_code == 0x11) {
        std::snprintf(text, sizeof text, "%02x @%d #%d", command_code, offset, length);
        std::string line = text;
        if (command_code != 0x05 && length <= 8) {
          for (int i = 0; i < length; ++i) {
            std::snprintf(text, sizeof text, " %02x", r.at(8 + static_cast<std::size_t>(i)));
            line += text;
          }
        }
        lines.push_back(line);
      } else {
        std::snprintf(text, sizeof text, "%02x", command_code);
        lines.emplace_back(text);
      }
    }
    return lines;
  }

  std::string SlotFile() const { return files.LightingFilePath(current); }

  int current;
  std::optional<int> active;  // the keyboard's active profile; the current one when unset
  bool switchAllowed = true;
  int switches = 0;
  int redraws = 0;
  fs::path folder;
  UserLightingFiles files;
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  DeviceLink link{command};
  ConnectionContext context{BuiltInDefaultMatrix()};
  testing::RecordingLightingView view;
  testing::RecordingPrompter prompter;
  std::unique_ptr<LightingController> controller;
  static inline int serial = 0;
};

std::string ReadFileText(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> SendColoursTraffic(int profile) {
  std::vector<std::string> lines{"01"};
  for (int chunk = 0; chunk < 8; ++chunk) lines.push_back("11 @" + std::to_string(profile * 512 + chunk * 54) + " #54");
  lines.push_back("02");
  return lines;
}

TEST(LightingLoad, FullLoadSetsTheTriggerAndReadsEveryRecordInsideABracket) {
  for (int profile : {0, 3}) {
    SCOPED_TRACE(profile);
    LightingRig rig(profile);
    const std::uint8_t record[] = {7, 3, 1, 0xFF, 0, 10, 20, 30};
    rig.keyboard.SetArea(KeyboardArea::kLighting, static_cast<std::size_t>(profile) * 42, record);

    ASSERT_EQ(rig.controller->LoadLighting(), 1);
    EXPECT_EQ(rig.Traffic(), Join({{"03", "01", "01", "06 @19 #1 01", "02"},
                                   SendColoursTraffic(profile),
                                   {"05 @0 #56", "05 @42 #56", "05 @84 #56", "05 @126 #56", "02"}}));
    EXPECT_EQ(rig.keyboard.Area(KeyboardArea::kLighting).at(19), 1);
    const LightingState& state = rig.controller->State();
    EXPECT_EQ(state.profile, profile);
    EXPECT_EQ(state.effect, 7);
    EXPECT_EQ(state.brightness, 3);
    EXPECT_EQ(state.direction, 0xFF);
    EXPECT_EQ(state.colour, (LightingColour{10, 20, 30}));
  }
}

// With effect 20 selected and the tool on the paint colour.
void PrepareUserEffect(LightingRig& rig, SlotColour paint) {
  ASSERT_EQ(rig.controller->LoadLighting(), 1);
  ASSERT_EQ(rig.controller->SelectEffect(rig.controller->State().effects.PositionOf(kUserEffect)), 1);
  ASSERT_TRUE(rig.controller->SetTool(0));
  rig.controller->SetPaintColour(paint);
  rig.keyboard.ClearExchanges();
}

// Every begin the lighting sends is matched by an end, and no end comes
// before its begin: a keyboard that counts nested brackets must never be left
// inside a transfer, whichever sequence ran and whichever keyboard it was.
TEST(LightingBrackets, EverySequenceClosesEveryBracketItOpens) {
  struct Sequence {
    const char* name;
    std::function<int(LightingController&)> run;
  };
  const std::vector<Sequence> sequences = {
      {"full load", [](LightingController& c) { return c.LoadLighting(); }},
      {"connection", [](LightingController& c) { return c.OnConnected(); }},
      {"read", [](LightingController& c) { return c.ReadLightingArea(); }},
      {"profile selected", [](LightingController& c) { return c.OnProfileSelected(); }},
      {"profile notification", [](LightingController& c) { return c.OnProfileNotification(); }},
      {"effect change", [](LightingController& c) { return c.SelectEffect(0); }},
      {"brightness", [](LightingController& c) { return c.SetBrightness(1); }},
      {"colour", [](LightingController& c) { return c.SetColour({1, 2, 3}); }},
      {"report rate", [](LightingController& c) { return c.SetReportRate(2); }},
      {"switch on", [](LightingController& c) { return c.ToggleLightingSwitch(); }},
      {"paint", [](LightingController& c) { return c.PaintKey(kEscButton); }},
      {"send colours", [](LightingController& c) { return c.SendKeyColours(); }},
      {"slot", [](LightingController& c) { return c.SelectUserSlot(3); }},
      {"base colour", [](LightingController& c) { return c.SetBaseColour({0, 0, 99}); }},
      {"reset", [](LightingController& c) { return c.ResetLighting(); }},
  };
  for (bool userEffect : {true, false}) {
    for (const Sequence& sequence : sequences) {
      SCOPED_TRACE(std::string(sequence.name) + (userEffect ? "" : " without the user effect"));
      LightingRig rig;
      if (!userEffect) {
        // Effects 1..5 only: no effect 20 in the device information's list.
        std::vector<std::uint8_t> list(32, 0);
        for (std::uint8_t e = 1; e <= 5; ++e) list[e - 1u] = e;
        rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, 12, list);
        ASSERT_EQ(rig.controller->LoadLighting(), 1);
      } else {
        PrepareUserEffect(rig, {1, 2, 3});
      }
      ASSERT_EQ(rig.controller->KeyboardOffersUserEffect(), userEffect);
      rig.keyboard.ClearExchanges();
      // Without the user effect a key click has nothing to paint.
      const bool nothingToDo = !userEffect && std::string(sequence.name) == "paint";
      EXPECT_EQ(sequence.run(*rig.controller), nothingToDo ? 0 : 1);
      int depth = 0;
      for (const std::string& line : rig.Traffic()) {
        if (line == "01") ++depth;
        if (line == "02") {
          --depth;
          EXPECT_GE(depth, 0) << "an end without its begin";
        }
      }
      EXPECT_EQ(depth, 0) << "brackets left open";
    }
  }
}

TEST(LightingLoad, ReadShowsTheStoredValuesAndTheSwitchDecidesTheVisiblePanel) {
  LightingRig rig(1);
  const std::uint8_t record[18] = {12, 2, 0, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, 9};
  rig.keyboard.SetArea(KeyboardArea::kLighting, 42, record);
  ASSERT_EQ(rig.controller->ReadLightingArea(), 1);
  rig.controller->RefreshLightingPanel();
  // Switch off: nothing of the panel shows.
  EXPECT_EQ(rig.view.visibility, PanelVisibility{});
  EXPECT_EQ(rig.view.Picture(LightingPicture::kSwitch), "dengup.bmp");
  EXPECT_EQ(rig.view.reportRate, 3);
  EXPECT_EQ(rig.view.Picture(LightingPicture::kChoiceRed), "hongok.bmp");
  EXPECT_EQ(rig.view.effects.size(), 20u);
  EXPECT_EQ(rig.view.selectedEffect, 11);

  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  EXPECT_TRUE(rig.view.visibility.controls.direction);
  EXPECT_EQ(rig.view.direction.firstArrow, "CONTROL_BLFXLStaPic3");
  EXPECT_EQ(rig.view.Picture(LightingPicture::kFirstArrow), "updown.bmp");
  EXPECT_EQ(ReadProfileString(rig.files.SettingsFilePath(), "KEYCOLOR", "DengCheck", "", 8), "1");
  // Showing the stored values wrote nothing.
  EXPECT_EQ(rig.Traffic(), (std::vector<std::string>{"03", "01", "05 @0 #56", "05 @42 #56", "05 @84 #56",
                                                     "05 @126 #56", "02"}));
}

TEST(LightingSwitch, RefusedProfileSwitchLeavesTheSwitchOffAndTheFileAlone) {
  LightingRig rig;
  ASSERT_EQ(rig.controller->ReadLightingArea(), 1);
  rig.active = 2;  // the keyboard moved on; the window still shows profile 0
  rig.switchAllowed = false;
  EXPECT_EQ(rig.controller->ToggleLightingSwitch(), 0);
  EXPECT_FALSE(rig.controller->State().lightingSwitch);
  EXPECT_EQ(rig.view.visibility, PanelVisibility{});
  EXPECT_FALSE(fs::exists(rig.files.SettingsFilePath()));

  rig.switchAllowed = true;
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  EXPECT_EQ(rig.redraws, 1);
  EXPECT_EQ(rig.view.visibility, PanelVisibility{});
  EXPECT_EQ(ReadProfileString(rig.files.SettingsFilePath(), "KEYCOLOR", "DengCheck", "", 8), "0");
  EXPECT_EQ(rig.switches, 2);
}

// The window already shows the keyboard's profile: turning the switch on
// selects nothing (no question about unapplied edits, no reload); with the
// keyboard's profile unknown the switch stays off and says why.
TEST(LightingSwitch, OnForTheShownProfileSwitchesNothingAndAnUnknownProfileIsTold) {
  LightingRig rig(1);
  ASSERT_EQ(rig.controller->ReadLightingArea(), 1);
  rig.switchAllowed = false;  // would refuse if it were asked
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  EXPECT_TRUE(rig.controller->State().lightingSwitch);
  EXPECT_EQ(rig.switches, 0);
  EXPECT_TRUE(rig.view.visibility.effectList);
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);  // off

  rig.active = -1;
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.controller->ToggleLightingSwitch(), 0);
  EXPECT_FALSE(rig.controller->State().lightingSwitch);
  EXPECT_EQ(rig.switches, 0);
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"LIGHT_SWITCH_NO_PROFILE"});
  EXPECT_EQ(rig.view.visibility, PanelVisibility{});
  EXPECT_TRUE(rig.Traffic().empty());
}

// Each key button whose click would do nothing says why: G1..G5 and Fn with
// the switch off, every key but G6..G9 while another effect than the user
// effect is on, and the keys without a light while the user colours show.
TEST(LightingSwitch, KeyNotesFollowTheSwitchAndTheEffect) {
  constexpr int kG1 = 1000;
  constexpr int kG6 = 1140;
  LightingRig rig;
  ASSERT_EQ(rig.controller->LoadLighting(), 1);
  rig.controller->RefreshLightingPanel();
  EXPECT_EQ(rig.view.notes.size(), 6u);
  EXPECT_EQ(rig.view.notes.at(kG1), KeyNote::kColourOnly);
  EXPECT_EQ(rig.view.notes.at(kFnButtonId), KeyNote::kColourOnly);
  EXPECT_FALSE(rig.view.notes.contains(kEscButton));

  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  ASSERT_EQ(rig.controller->SelectEffect(rig.controller->State().effects.PositionOf(1)), 1);
  EXPECT_EQ(rig.view.notes.at(kEscButton), KeyNote::kUserEffectOnly);
  EXPECT_EQ(rig.view.notes.at(kG1), KeyNote::kUserEffectOnly);
  EXPECT_FALSE(rig.view.notes.contains(kG6));

  ASSERT_EQ(rig.controller->SelectEffect(rig.controller->State().effects.PositionOf(kUserEffect)), 1);
  EXPECT_EQ(rig.view.notes.at(kF5Button), KeyNote::kNoLight);
  EXPECT_FALSE(rig.view.notes.contains(kEscButton));
  EXPECT_FALSE(rig.view.notes.contains(kG1));
  EXPECT_FALSE(rig.view.notes.contains(kG6));
  // Exactly the keys a click cannot paint are noted.
  for (const auto& [id, note] : rig.view.notes) {
    rig.keyboard.ClearExchanges();
    EXPECT_EQ(rig.controller->PaintKey(id), 0) << id;
  }
  EXPECT_EQ(rig.controller->PaintKey(kEscButton), 1);

  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);  // off again
  EXPECT_EQ(rig.view.notes.at(kG1), KeyNote::kColourOnly);
  EXPECT_FALSE(rig.view.notes.contains(kF5Button));
}

TEST(LightingEdits, DefaultResetWritesThe35ByteRecordAtTheProfilesOffsetOnly) {
  LightingRig rig(2);
  const std::uint8_t tail[7] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
  rig.keyboard.SetArea(KeyboardArea::kLighting, 84 + 35, tail);
  const std::uint8_t odd[] = {9, 1, 0, 0xFF, 0, 1, 2, 3};
  rig.keyboard.SetArea(KeyboardArea::kLighting, 84, odd);
  ASSERT_EQ(rig.controller->ReadLightingArea(), 1);
  const std::vector<std::uint8_t> before = rig.keyboard.Area(KeyboardArea::kLighting);
  rig.keyboard.ClearExchanges();

  ASSERT_EQ(rig.controller->ResetLighting(), 1);
  EXPECT_EQ(rig.Traffic(), Join({{"01", "06 @84 #1 01", "06 @88 #1 00", "02"},
                                 SendColoursTraffic(2),
                                 {"01", "06 @84 #35", "02"}}));
  const std::vector<std::uint8_t> after = rig.keyboard.Area(KeyboardArea::kLighting);
  const auto defaults = DefaultLightingRecordBytes();
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i >= 84 && i < 84 + 35) {
      EXPECT_EQ(after[i], defaults[i - 84]) << i;
    } else {
      EXPECT_EQ(after[i], before[i]) << i;
    }
  }
  // The panel shows what the keyboard now holds.
  EXPECT_EQ(rig.controller->State().brightness, 5);
  EXPECT_EQ(rig.view.sliders[LightingSlider::kSpeed], 1);
}

TEST(KeyColours, PaintingEscInProfile2SendsThreeBytesAt0x400AndStoresTheEntry) {
  LightingRig rig(2);
  PrepareUserEffect(rig, {1, 2, 3});
  const int slot = rig.controller->Colours().slot.currentSlot;

  EXPECT_EQ(rig.controller->PaintKey(kF5Button), 0);
  EXPECT_TRUE(rig.Traffic().empty());

  ASSERT_EQ(rig.controller->PaintKey(kEscButton), 1);
  EXPECT_EQ(rig.Traffic(), (std::vector<std::string>{"01", "11 @1024 #3 01 02 03", "02"}));
  const auto colours = rig.keyboard.Area(KeyboardArea::kKeyColours);
  EXPECT_EQ(std::vector<std::uint8_t>(colours.begin() + 0x400, colours.begin() + 0x403),
            (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(ReadProfileString(rig.SlotFile(), "Mode" + std::to_string(slot), "0", "", 32), "1,2,3,0");
  EXPECT_EQ(rig.view.frames[kEscButton], (SlotColour{1, 2, 3}));
}

TEST(KeyColours, NothingIsPaintedUnlessTheUserEffectIsSelected) {
  LightingRig rig;
  ASSERT_EQ(rig.controller->LoadLighting(), 1);
  ASSERT_EQ(rig.controller->SelectEffect(rig.controller->State().effects.PositionOf(1)), 1);
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.controller->PaintKey(kEscButton), 0);
  EXPECT_TRUE(rig.Traffic().empty());
}

TEST(KeyColours, SendKeyColoursSendsTheBlocksFirst432BytesInEightWrites) {
  LightingRig rig(1);
  PrepareUserEffect(rig, {9, 8, 7});
  ASSERT_EQ(rig.controller->SendKeyColours(), 1);
  EXPECT_EQ(rig.Traffic(), SendColoursTraffic(1));
  const auto sent = rig.keyboard.Area(KeyboardArea::kKeyColours);
  const auto& held = rig.controller->Colours().colours;
  EXPECT_TRUE(std::equal(held.begin() + 512, held.begin() + 512 + 432, sent.begin() + 512));
}

TEST(KeyColours, BaseColourRepaintsExactlyTheMarkedKeys) {
  LightingRig rig;
  PrepareUserEffect(rig, {1, 1, 1});
  ASSERT_EQ(rig.controller->PaintKey(kEscButton), 1);  // Esc now wears the paint colour
  const SlotColour base = rig.controller->Colours().slot.baseColour;
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.controller->SetBaseColour(base), 1);
  EXPECT_TRUE(rig.Traffic().empty());

  ASSERT_EQ(rig.controller->SetBaseColour({0, 0, 200}), 1);
  EXPECT_EQ(rig.Traffic(), SendColoursTraffic(0));
  EXPECT_EQ(ColourAt(rig.controller->Colours(), 0, 0), (SlotColour{1, 1, 1}));
  for (const LitButton& button : LitButtons()) {
    if (button.buttonId == kEscButton || button.kind == LitButtonKind::kSpecial) continue;
    EXPECT_EQ(ColourAt(rig.controller->Colours(), 0, button.colourIndex), (SlotColour{0, 0, 200})) << button.buttonId;
  }
}

// Another Zarvel process (a zarvelctl lighting or colours run) holds the
// store: every edit leaves the keyboard and the slot file alone, says so, and
// puts the moved control back; a panel edit gives up quickly whatever the
// usual wait, so the window is never frozen behind a long run.
TEST(LightingLock, EditsChangeNothingWhileAnotherProcessHoldsTheStore) {
  LightingRig rig;
  PrepareUserEffect(rig, {1, 2, 3});
  rig.prompter.Clear();
  const std::string slot_file = ReadFileText(rig.SlotFile());
  const auto lighting = rig.keyboard.Area(KeyboardArea::kLighting);
  const int brightness = BrightnessSliderPosition(rig.controller->State().brightness);

  FileLock other_process;  // a lock of its own open file, as another process's is
  ASSERT_EQ(other_process.Take(StoreLockFile::DefaultPath(), std::chrono::milliseconds(0)), kFileLockTaken);
  ::setenv("ZARVEL_LOCK_WAIT", "30", 1);
  const auto start = std::chrono::steady_clock::now();
  rig.view.sliders[LightingSlider::kBrightness] = (brightness + 1) % 5;  // the user moved it
  EXPECT_EQ(rig.controller->SetBrightness((brightness + 1) % 5), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(rig.view.sliders[LightingSlider::kBrightness], brightness);
  ::setenv("ZARVEL_LOCK_WAIT", "0.05", 1);
  EXPECT_EQ(rig.controller->SelectEffect(rig.controller->State().effects.PositionOf(1)), 0);
  EXPECT_EQ(rig.controller->PaintKey(kEscButton), 0);
  EXPECT_EQ(rig.controller->SetBaseColour({0, 0, 200}), 0);
  EXPECT_EQ(rig.controller->SelectUserSlot(1), 0);
  EXPECT_FALSE(rig.controller->SetTool(1));
  EXPECT_EQ(rig.controller->ResetLighting(), 0);
  EXPECT_EQ(rig.controller->OnConnected(), 0);
  EXPECT_TRUE(rig.Traffic().empty());
  EXPECT_EQ(rig.keyboard.Area(KeyboardArea::kLighting), lighting);
  EXPECT_EQ(ReadFileText(rig.SlotFile()), slot_file);
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>(8, "STORE_BUSY_PROMPT"));

  other_process.Release();
  EXPECT_EQ(rig.controller->SetBrightness((brightness + 1) % 5), 1);
  EXPECT_EQ(rig.controller->PaintKey(kEscButton), 1);
  ::unsetenv("ZARVEL_LOCK_WAIT");
}

TEST(UserSlots, OneReadOfASlotGivesWhatKeyByKeyReadsGive) {
  LightingRig rig;
  const std::string path = rig.files.LightingFilePath(0);
  ASSERT_TRUE(WriteProfileStrings(path, "Mode4", {{"0", "12,34,56,0"}, {"1", "12,34,56,7"}, {"3", "300,5"}, {"85", "x"}}));
  ASSERT_TRUE(WriteProfileString(path, "MODENAME", "2", std::string(300, 'n')));
  ASSERT_TRUE(DeleteProfileKey(path, "MODENAME", "7"));
  const std::vector<int> indexes = {0, 1, 2, 3, 85, 500, -1};
  const std::vector<KeyColourEntry> entries = rig.files.ReadKeyEntries(0, 4, indexes);
  ASSERT_EQ(entries.size(), indexes.size());
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    EXPECT_EQ(entries[i], rig.files.ReadKeyEntry(0, 4, indexes[i])) << indexes[i];
  }
  EXPECT_EQ(entries[0], (KeyColourEntry{{12, 34, 56}, false}));
  const auto names = rig.files.ReadSlotNames(0);
  for (int slot = 0; slot < kUserSlotCount; ++slot) {
    EXPECT_EQ(names[static_cast<std::size_t>(slot)], rig.files.ReadSlotName(0, slot)) << slot;
  }
  EXPECT_EQ(names[7], "0");
}

// Unplugging the keyboard at any exchange of a lighting write never reports
// success.
TEST(LightingFaults, UnpluggingAtAnyExchangeOfAWriteReportsNoSuccess) {
  struct Case {
    const char* name;
    int exchanges;
    std::function<int(LightingController&)> run;
  };
  const std::vector<Case> cases = {
      {"select effect", 4, [](LightingController& c) { return c.SelectEffect(0); }},
      {"colour", 4, [](LightingController& c) { return c.SetColour({1, 2, 3}); }},
      {"paint", 3, [](LightingController& c) { return c.PaintKey(kEscButton); }},
      {"send colours", 10, [](LightingController& c) { return c.SendKeyColours(); }},
      {"reset", 17, [](LightingController& c) { return c.ResetLighting(); }},
  };
  for (const Case& test : cases) {
    for (int k = 0; k < test.exchanges; ++k) {
      SCOPED_TRACE(std::string(test.name) + " unplugged after " + std::to_string(k));
      LightingRig rig;
      PrepareUserEffect(rig, {1, 2, 3});
      rig.keyboard.UnplugAfter(k);
      EXPECT_NE(test.run(*rig.controller), 1);
    }
  }
}

TEST(LightingFaults, ALostDeviceInformationReplyKeepsTheStateAndReportsFailure) {
  LightingRig rig(1);
  ASSERT_EQ(rig.controller->ReadLightingArea(), 1);
  const LightingState before = rig.controller->State();
  rig.keyboard.LoseNextReplies(4);
  EXPECT_EQ(rig.controller->ReadLightingArea(), -1);
  EXPECT_EQ(rig.controller->State().effect, before.effect);
  EXPECT_EQ(rig.controller->State().records, before.records);
  EXPECT_EQ(rig.controller->State().effects.size(), 0u);

  // A keyboard gone halfway through the records leaves every record as it was.
  rig.keyboard.UnplugAfter(4);
  EXPECT_EQ(rig.controller->ReadLightingArea(), -1);
  EXPECT_EQ(rig.controller->State().records, before.records);
}

// The window moved to another profile but the keyboard did not answer the
// re-read: the state still holds the previous profile's record, and no edit
// may be sent into it.
TEST(LightingFaults, AfterAFailedRereadOnAProfileChangeEditsAreRefusedUntilARead) {
  LightingRig rig(0);
  ASSERT_EQ(rig.controller->LoadLighting(), 1);
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  const std::vector<std::uint8_t> before = rig.keyboard.Area(KeyboardArea::kLighting);

  rig.current = 1;
  rig.keyboard.LoseNextReplies(4);
  EXPECT_EQ(rig.controller->OnProfileSelected(), -1);
  EXPECT_TRUE(rig.controller->LightingUnread());
  rig.keyboard.ClearExchanges();

  const std::vector<std::function<int(LightingController&)>> edits = {
      [](LightingController& c) { return c.SelectEffect(0); },
      [](LightingController& c) { return c.SetBrightness(1); },
      [](LightingController& c) { return c.SetSpeedPosition(0); },
      [](LightingController& c) { return c.SetDirection(DirectionArrow::kFirst); },
      [](LightingController& c) { return c.SetColour({9, 9, 9}); },
      [](LightingController& c) { return c.ToggleRandomColour(); },
      [](LightingController& c) { return c.SetColourChoice(2); },
      [](LightingController& c) { return c.SetReportRate(2); },
      [](LightingController& c) { return c.ResetLighting(); },
      [](LightingController& c) { return c.PaintKey(kEscButton); },
  };
  for (std::size_t i = 0; i < edits.size(); ++i) EXPECT_EQ(edits[i](*rig.controller), 0) << "edit " << i;
  EXPECT_TRUE(rig.Traffic().empty());
  EXPECT_EQ(rig.keyboard.Area(KeyboardArea::kLighting), before);

  // Turning the switch on while the keyboard still does not answer shows the
  // notice in place of the controls.
  rig.keyboard.LoseNextReplies(4);
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);
  PanelVisibility notice;
  notice.unreadNotice = true;
  EXPECT_EQ(rig.view.visibility, notice);

  // Once the keyboard answers, the switch reads the profile again and edits
  // reach the current profile's record.
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);  // off
  ASSERT_EQ(rig.controller->ToggleLightingSwitch(), 1);  // on: read again
  EXPECT_FALSE(rig.controller->LightingUnread());
  EXPECT_TRUE(rig.view.visibility.effectList);
  EXPECT_FALSE(rig.view.visibility.unreadNotice);
  rig.keyboard.ClearExchanges();
  ASSERT_EQ(rig.controller->SetReportRate(2), 1);
  EXPECT_EQ(rig.Traffic(), (std::vector<std::string>{"01", "06 @57 #1 02", "02"}));
}

// A painted key's slot file is saved beside the keyboard write; painting key
// after key must keep every key's entry (saves that overlapped would lose
// some of them).
TEST(KeyColoursConcurrent, EveryPaintedKeyKeepsItsEntryInTheSlotFile) {
  LightingRig rig;
  PrepareUserEffect(rig, {7, 8, 9});
  const int slot = rig.controller->Colours().slot.currentSlot;
  std::vector<int> indexes;
  for (const LitButton& button : LitButtons()) {
    if (button.kind != LitButtonKind::kKey) continue;
    ASSERT_EQ(rig.controller->PaintKey(button.buttonId), 1) << button.buttonId;
    indexes.push_back(button.colourIndex);
  }
  ASSERT_GT(indexes.size(), 40u);
  const std::vector<KeyColourEntry> entries = rig.files.ReadKeyEntries(0, slot, indexes);
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    EXPECT_EQ(entries[i], (KeyColourEntry{{7, 8, 9}, false})) << "colour index " << indexes[i];
  }
}

// G1 painted in one run of the program is sent with its colour when the
// program starts again and the keyboard connects (the keyboard keeps no
// colours of its own; the slot file is the only record).
TEST(KeyColours, AGButtonPaintedBeforeARestartIsSentWithItsColourAtConnection) {
  constexpr int kG1 = 1000;
  constexpr std::size_t kG1Byte = 3 * 39;
  LightingRig rig;
  PrepareUserEffect(rig, {11, 22, 33});
  ASSERT_EQ(rig.controller->PaintKey(kG1), 1);

  // The program ends; a new one starts on the same files, and the keyboard
  // has lost the colours it was sent.
  const std::vector<std::uint8_t> blank(kKeyColourAreaSize, 0);
  ASSERT_TRUE(rig.keyboard.SetArea(KeyboardArea::kKeyColours, 0, blank));
  testing::RecordingLightingView view;
  LightingHost host;
  host.currentProfile = [] { return 0; };
  host.activeProfile = [] { return 0; };
  LightingController restarted(rig.link, view, rig.prompter, host, rig.files);
  ASSERT_EQ(restarted.OnConnected(), 1);
  const auto sent = rig.keyboard.Area(KeyboardArea::kKeyColours);
  EXPECT_EQ(std::vector<std::uint8_t>(sent.begin() + kG1Byte, sent.begin() + kG1Byte + 3),
            (std::vector<std::uint8_t>{11, 22, 33}));
  EXPECT_EQ(ColourAt(restarted.Colours(), 0, 39), (SlotColour{11, 22, 33}));
}

}  // namespace
}  // namespace zarvel
