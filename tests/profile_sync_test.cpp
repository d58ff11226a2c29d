#include "core/profile_sync.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/keyboard_writer.h"
#include "core/profile_import.h"
#include "device/connection_monitor.h"
#include "device/simulated_backend.h"
#include "model/atomic_file.h"
#include "model/default_matrix.h"
#include "model/macro_area.h"
#include "model/profile_file.h"
#include "skin/program_paths.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

class RecordingPrompter : public Prompter {
 public:
  void ShowMessage(const std::string& key, const std::string&) override { keys.push_back(key); }
  bool AskYesNo(const std::string& key, const std::string&) override {
    keys.push_back(key);
    return false;
  }
  std::vector<std::string> keys;
};

constexpr KeyCode kKeyA = 0x1E;
constexpr KeyCode kKeyB = 0x30;
constexpr KeyCode kKeyS = 0x1F;

// A connected simulated keyboard, the store and the writer on top of it.
struct SyncRig {
  explicit SyncRig(const DeviceVariant& variant = kDeviceVariants[0]) : keyboard(variant) {
    SetProgramFolder(ZARVEL_PROGRAM_DIR);
    EXPECT_TRUE(command.BuildPathList());
    EXPECT_NE(OpenCommandInterface(link, context), nullptr);
    ReadConnectionData(link, context);
    keyboard.ClearExchanges();
    folder = fs::temp_directory_path() / ("zarvel-sync-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    fs::create_directories(folder);
  }
  ~SyncRig() { fs::remove_all(folder); }

  std::string File(const char* name) const { return (folder / name).string(); }
  std::vector<std::uint8_t> Commands() const {
    std::vector<std::uint8_t> codes;
    for (const SimulatedExchange& e : keyboard.Exchanges()) codes.push_back(e.request.at(3));
    return codes;
  }

  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  DeviceLink link{command};
  ConnectionContext context{BuiltInDefaultMatrix()};
  ProfileSync sync{link, context};
  RecordingPrompter prompter;
  KeyboardWriter writer{sync, prompter};
  std::unique_ptr<ProfileStore> store = std::make_unique<ProfileStore>();
  std::recursive_mutex store_lock;
  fs::path folder;
  static inline int serial = 0;
};

MacroRecord MakeMacro(std::uint16_t id, const char* name) {
  MacroRecord macro;
  macro.id = id;
  macro.repeat = 2;
  SetMacroNameUtf8(macro, name);
  macro.actionCount = 2;
  macro.actions[0] = MacroAction{50, kKeyS, kPress};
  macro.actions[1] = MacroAction{0, kKeyS, kRelease};
  return macro;
}

// A store whose profiles differ from the defaults in a few keys, one playing a macro.
void FillStore(ProfileStore& store) {
  store.macros.push_back(MakeMacro(1, "Save"));
  store.Record(0, KeyCodeToRecordIndex(kKeyA)) = KeyFunction{kFunctionKey, 0, kKeyB, 0, 0};
  store.Record(1, KeyCodeToRecordIndex(kKeyB)) = KeyFunction{kFunctionDisabled, 0, 0, 0, 0};
  store.Record(3, KeyCodeToRecordIndex(kKeyA)) = KeyFunction{kFunctionMacro, 0, 1, 0, 0};
}

TEST(ActiveProfileTest, ReadOnceThenCachedAndForgottenOnFailure) {
  SyncRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(2);
  EXPECT_EQ(rig.sync.GetActiveProfile(), 2);
  EXPECT_EQ(rig.sync.GetActiveProfile(), 2);
  EXPECT_EQ(rig.Commands(), std::vector<std::uint8_t>{0x03});  // one read, then the cache

  SyncRig silent;
  silent.link.SetDeviceOpen(false);
  EXPECT_EQ(silent.sync.GetActiveProfile(), -1);
  EXPECT_EQ(silent.context.ActiveProfileCache(), -1);
}

TEST(ActiveProfileTest, SetIsReadModifyWriteOfTheWholeRecord) {
  SyncRig rig;
  const std::uint8_t head[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, 0, head));
  const std::vector<std::uint8_t> before = rig.keyboard.Area(KeyboardArea::kDeviceInfo);

  EXPECT_TRUE(rig.sync.SetActiveProfile(3));
  EXPECT_EQ(rig.context.ActiveProfileCache(), 3);
  std::vector<std::uint8_t> expected = before;
  expected[device_info_offset::kActiveProfile] = 3;
  EXPECT_EQ(rig.keyboard.Area(KeyboardArea::kDeviceInfo), expected);
  ASSERT_EQ(rig.Commands(), (std::vector<std::uint8_t>{0x03, 0x04}));
  // The record goes back whole, as read, with only the profile changed.
  const std::vector<std::uint8_t> write = rig.keyboard.Exchanges()[1].request;
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), write.begin() + 8));
}

TEST(ActiveProfileTest, FailuresLeaveTheCacheAsTheKeyboardIs) {
  SyncRig rig;
  rig.context.SetActiveProfileCache(1);
  // Read refused: nothing is written and the cache stays.
  rig.keyboard.RefuseNextCommands(1);
  EXPECT_FALSE(rig.sync.SetActiveProfile(2));
  EXPECT_EQ(rig.context.ActiveProfileCache(), 1);
  // Write lost: the keyboard's profile is unknown now.
  rig.keyboard.UnplugAfter(1);
  EXPECT_FALSE(rig.sync.SetActiveProfile(2));
  EXPECT_EQ(rig.context.ActiveProfileCache(), -1);

  // Profiles the keyboard does not have are never sent.
  SyncRig other;
  other.context.SetActiveProfileCache(0);
  EXPECT_FALSE(other.sync.SetActiveProfile(4));
  EXPECT_FALSE(other.sync.SetActiveProfile(-1));
  EXPECT_TRUE(other.keyboard.Exchanges().empty());
  EXPECT_EQ(other.context.ActiveProfileCache(), 0);
}

TEST(KeyboardWriterTest, WritesMacrosAndOnlyTheActiveProfileInOneBracket) {
  SyncRig rig(kDeviceVariants[1]);
  FillStore(*rig.store);
  rig.keyboard.ChangeProfileOnKeyboard(3);
  rig.keyboard.ClearExchanges();
  std::lock_guard lock(rig.store_lock);
  ASSERT_TRUE(rig.writer.WriteToKeyboard(*rig.store, false));
  EXPECT_TRUE(rig.prompter.keys.empty());

  const std::vector<SimulatedExchange> exchanges = rig.keyboard.Exchanges();
  ASSERT_GE(exchanges.size(), 4u);
  EXPECT_EQ(exchanges.front().request[3], 0x03);  // the active profile is read first
  EXPECT_EQ(exchanges[1].request[3], 0x01);
  EXPECT_EQ(exchanges.back().request[3], 0x02);
  int matrix_pieces = 0;
  for (const SimulatedExchange& e : exchanges) {
    if (e.request[3] != 0x08) continue;
    ++matrix_pieces;
    const int offset = e.request[5] | (e.request[6] << 8);
    EXPECT_GE(offset, 3 * 512);  // profile 3's slot at stride 512
  }
  EXPECT_EQ(matrix_pieces, 7);  // 384 bytes in 56-byte pieces

  const std::vector<std::uint8_t> memory = rig.keyboard.Area(KeyboardArea::kMacroMemory);
  EXPECT_EQ(memory[0], 0xAA);
  EXPECT_EQ(memory[1], 0x55);
  EXPECT_EQ(memory[macro_area_layout::kNamesFlag], 1);
}

TEST(KeyboardWriterTest, MacroCapacityDecidesBetweenRefusingAndDroppingNames) {
  SyncRig rig;
  FillStore(*rig.store);
  const MacroAreaSize sizes = MacroAreaSizes(rig.store->macros);
  ASSERT_LT(sizes.withoutNames, sizes.withNames);
  rig.writer.MarkWriteAllProfiles();
  std::lock_guard lock(rig.store_lock);

  rig.context.SetMacroCapacity(sizes.withoutNames - 1);
  EXPECT_FALSE(rig.writer.WriteToKeyboard(*rig.store, true));
  EXPECT_EQ(rig.prompter.keys, std::vector<std::string>{"EXTRA_MACRO_TOO_LONG"});
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_TRUE(rig.writer.WriteAllProfilesMarked());

  rig.prompter.keys.clear();
  rig.context.SetMacroCapacity(sizes.withoutNames);
  EXPECT_TRUE(rig.writer.WriteToKeyboard(*rig.store, false));
  EXPECT_EQ(rig.prompter.keys, std::vector<std::string>{"EXTRA_PROFILE_SPACE_TIGHT"});
  EXPECT_EQ(rig.keyboard.Area(KeyboardArea::kMacroMemory)[macro_area_layout::kNamesFlag], 0);
  // The mark made it write all four profiles, and is gone now.
  int matrix_profiles = 0;
  for (const SimulatedExchange& e : rig.keyboard.Exchanges())
    if (e.request[3] == 0x08 && (e.request[5] | (e.request[6] << 8)) % 378 == 0) ++matrix_profiles;
  EXPECT_EQ(matrix_profiles, 4);
  EXPECT_FALSE(rig.writer.WriteAllProfilesMarked());
}

TEST(KeyboardWriterTest, NothingIsSentWithoutAnActiveProfile) {
  SyncRig rig;
  FillStore(*rig.store);
  std::lock_guard lock(rig.store_lock);
  rig.link.SetDeviceOpen(false);
  EXPECT_FALSE(rig.writer.WriteToKeyboard(*rig.store, false));
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
}

TEST(KeyboardWriterTest, AFailedMatrixWriteFailsTheWholeWrite) {
  SyncRig rig;
  FillStore(*rig.store);
  std::lock_guard lock(rig.store_lock);
  // The keyboard refuses the first piece of profile 0's matrix; the macro
  // image and the other three profiles go through.
  rig.link.SetTraceHook([&](std::string_view line) {
    if (line.substr(0, 2) == "> " && line.substr(11, 2) == "0a") rig.keyboard.RefuseNextCommands(1);
  });
  EXPECT_FALSE(rig.writer.WriteToKeyboard(*rig.store, true));
  rig.link.SetTraceHook({});
  std::vector<std::uint8_t> statuses;
  for (const SimulatedExchange& e : rig.keyboard.Exchanges())
    if (e.request[3] == 0x08) statuses.push_back(e.reply.at(7));
  ASSERT_FALSE(statuses.empty());
  EXPECT_GE(statuses.front(), 0xFE);
  EXPECT_LT(statuses.back(), 0xFE);
}

TEST(ReadKeyboardToFileTest, WriteThenReadBackGivesTheSameRecordsAndMacros) {
  for (const DeviceVariant& variant : kDeviceVariants) {
    SyncRig rig(variant);
    FillStore(*rig.store);
    {
      std::lock_guard lock(rig.store_lock);
      ASSERT_TRUE(rig.writer.WriteToKeyboard(*rig.store, true));
    }
    const std::string path = rig.File("read.zvl");
    ASSERT_TRUE(rig.sync.ReadKeyboardToFile(path));
    EXPECT_EQ(ValidateProfileFile(path, rig.prompter), 1);
    ProfileStore back;
    ASSERT_TRUE(LoadStoreFile(back, path));
    EXPECT_EQ(back.image, rig.store->image);
    ASSERT_EQ(back.macros.size(), 1u);
    EXPECT_EQ(MacroNameUtf8(back.macros[0]), "Save");
    EXPECT_EQ(back.macros[0].actionCount, 2);
    EXPECT_EQ(back.macros[0].actions[0], rig.store->macros[0].actions[0]);
  }
}

// Launch and text-block keys exist only in the store: the keyboard is told
// "no function" for them. Reading the keyboard back into the store keeps such
// a key, text and all, while the keyboard still holds exactly that; once the
// keyboard was given something else for the key, the keyboard wins.
TEST(ReadKeyboardToFileTest, TextKeysSurviveAReadOnlyWhileTheKeyboardStillHoldsThem) {
  constexpr KeyCode kKeyF2 = 0x3C;
  const std::size_t f2 = KeyCodeToRecordIndex(kKeyF2);
  const std::size_t a = KeyCodeToRecordIndex(kKeyA);
  for (const bool keyboard_changed : {false, true}) {
    SyncRig rig;
    rig.context.SetActiveProfileCache(0);
    FillStore(*rig.store);
    rig.store->Record(0, f2) = KeyFunction{kFunctionText, 0, 0, 0, 0};
    rig.store->strings.Set(f2, u"hello");
    rig.store->Record(2, a) = KeyFunction{kFunctionLaunch, 0, 0, 0, 0};
    rig.store->strings.Set(2 * kRecordsPerProfile + a, u"/usr/bin/true");
    {
      std::lock_guard lock(rig.store_lock);
      ASSERT_TRUE(rig.writer.WriteToKeyboard(*rig.store, true));
    }
    const std::string path = rig.File("store.zvl");
    const std::vector<std::uint8_t> strings = PackStrings(*rig.store);
    ASSERT_TRUE(WriteFileAtomically(path, ProfileFileBytes(rig.store->image, rig.store->macros, strings)));
    if (keyboard_changed) {
      // Another program gave F2 of profile 1 the B key; nothing else changed.
      auto other = std::make_unique<ProfileStore>(*rig.store);
      other->Record(0, f2) = KeyFunction{kFunctionKey, 0, kKeyB, 0, 0};
      other->strings.Clear(f2);
      std::lock_guard lock(rig.store_lock);
      ASSERT_TRUE(rig.writer.WriteToKeyboard(*other, true));
    }

    ASSERT_TRUE(rig.sync.ReadKeyboardToFile(path, nullptr, nullptr, /*keep_texts=*/true));
    ProfileStore back;
    ASSERT_TRUE(LoadStoreFile(back, path));
    if (keyboard_changed) {
      EXPECT_EQ(back.Record(0, f2), (KeyFunction{kFunctionKey, 0, kKeyB, 0, 0}));
      EXPECT_EQ(back.strings.Entry(f2).size, 0u);
    } else {
      EXPECT_EQ(back.Record(0, f2).type, kFunctionText);
      EXPECT_EQ(back.strings.Entry(f2).text, u"hello");
      EXPECT_EQ(back.Record(0, a), rig.store->Record(0, a));
    }
    // Profile 3's launch key is untouched either way.
    EXPECT_EQ(back.Record(2, a).type, kFunctionLaunch);
    EXPECT_EQ(back.strings.Entry(2 * kRecordsPerProfile + a).text, u"/usr/bin/true");

    // Without keep_texts (zarvelctl read FILE) the file is the keyboard alone.
    ASSERT_TRUE(rig.sync.ReadKeyboardToFile(path));
    ASSERT_TRUE(LoadStoreFile(back, path));
    EXPECT_NE(back.Record(0, f2).type, kFunctionText);
  }
}

TEST(ReadKeyboardToFileTest, AFailedReadLeavesTheFileAlone) {
  SyncRig rig;
  const std::string path = rig.File("keep.zvl");
  ASSERT_TRUE(WriteFileAtomically(path, std::string("previous content")));
  std::vector<std::uint8_t> before;
  ASSERT_TRUE(ReadWholeFile(path, before));

  // Refused at the third matrix piece of profile 0.
  rig.context.SetActiveProfileCache(0);
  rig.keyboard.UnplugAfter(2);
  EXPECT_FALSE(rig.sync.ReadKeyboardToFile(path));
  // The macro header read refused: no file saying "no macros".
  rig.keyboard.PlugIn();
  SyncRig again;
  again.context.SetActiveProfileCache(0);
  again.keyboard.UnplugAfter(4 * 7);
  EXPECT_FALSE(again.sync.ReadKeyboardToFile(path));
  // No answer about the active profile: nothing read at all.
  SyncRig silent;
  silent.link.SetDeviceOpen(false);
  EXPECT_FALSE(silent.sync.ReadKeyboardToFile(path));

  std::vector<std::uint8_t> after;
  ASSERT_TRUE(ReadWholeFile(path, after));
  EXPECT_EQ(after, before);
}

TEST(ProfileImportTest, ImportWritesAllFourProfilesAndSavesOnlyANamedStoreFile) {
  SyncRig rig;
  ProfileStore source;
  FillStore(source);
  const std::string file = rig.File("import.zvl");
  ASSERT_TRUE(SaveImageToFile(source, file));
  const std::string store_file = rig.File("$Profile0");
  ASSERT_TRUE(NewProfileFile(store_file));

  bool saved = false;
  ImportOptions options{store_file, &saved};
  EXPECT_EQ(ImportProfileSequence(file, *rig.store, rig.store_lock, rig.writer, rig.prompter, options), kImportDone);
  EXPECT_TRUE(saved);
  EXPECT_EQ(rig.store->image, source.image);
  int profiles_written = 0;
  for (const SimulatedExchange& e : rig.keyboard.Exchanges())
    if (e.request[3] == 0x08 && (e.request[5] | (e.request[6] << 8)) % 378 == 0) ++profiles_written;
  EXPECT_EQ(profiles_written, 4);
  ProfileStore stored;
  ASSERT_TRUE(LoadStoreFile(stored, store_file));
  EXPECT_EQ(stored.image, source.image);
}

TEST(ProfileImportTest, RefusedFilesChangeNeitherStoreNorKeyboard) {
  SyncRig rig;
  FillStore(*rig.store);
  const ProfileImage before = rig.store->image;

  const std::string bad = rig.File("bad.zvl");
  ASSERT_TRUE(NewProfileFile(bad));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(bad, bytes));
  bytes[profile_header_layout::kFlag] = 2;
  ASSERT_TRUE(WriteFileAtomically(bad, bytes));
  EXPECT_EQ(ImportProfileSequence(bad, *rig.store, rig.store_lock, rig.writer, rig.prompter), kImportRefused);
  EXPECT_EQ(rig.prompter.keys, (std::vector<std::string>{"PROFILE_FORMAT_ERROR"}));

  // A header promising a macro the file does not hold passes the header check
  // but must not be loaded or written.
  rig.prompter.keys.clear();
  const std::string short_file = rig.File("short.zvl");
  ASSERT_TRUE(NewProfileFile(short_file));
  ASSERT_TRUE(ReadWholeFile(short_file, bytes));
  ASSERT_TRUE(WriteHeader(bytes, 1, 0));
  ASSERT_TRUE(WriteFileAtomically(short_file, bytes));
  EXPECT_EQ(ImportProfileSequence(short_file, *rig.store, rig.store_lock, rig.writer, rig.prompter), kImportRefused);
  EXPECT_EQ(rig.prompter.keys, std::vector<std::string>{"MAIN_PROMPT_INPORT"});

  EXPECT_EQ(ImportProfileSequence(rig.File("missing.zvl"), *rig.store, rig.store_lock, rig.writer, rig.prompter),
            kImportRefused);
  EXPECT_EQ(rig.store->image, before);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
}

}  // namespace
}  // namespace zarvel
