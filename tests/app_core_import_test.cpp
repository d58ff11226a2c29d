// Import and export through the application core, and what faults during
// the keyboard writes leave behind: the store file whole (old or new), Apply
// still available, no success claimed, and a reconnection that brings the
// store back in step with the keyboard.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/app_core.h"
#include "model/profile_file.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
namespace fs = std::filesystem;
using testing::KeyTo;
using testing::MakeMacro;

constexpr std::size_t kF1Record = 0x3B;
constexpr KeyCode kKeyB = 0x30;
constexpr std::uint8_t kWriteMatrix = 0x08, kEnd = 0x02;

// A profile file with keys changed in every profile, macros and one text;
// `variant` makes two files that differ everywhere they can.
std::vector<std::uint8_t> WriteImportFile(const std::string& path, int variant) {
  ProfileStore store;
  store.macros.push_back(MakeMacro(static_cast<std::uint16_t>(10 + variant), "Alpha"));
  store.macros.push_back(MakeMacro(static_cast<std::uint16_t>(20 + variant), "Beta"));
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    store.Record(p, 0x10 + p + static_cast<std::size_t>(variant)) = KeyTo(kKeyB);
    store.Record(p, kF1Record) = KeyFunction{kFunctionMacro, 0, static_cast<std::uint32_t>(10 + variant), 0, 0};
  }
  store.Record(2, 0x3C) = KeyFunction{kFunctionText, 0, 0, 0, 0};
  store.strings.Set(GlobalRecordNumber(2, 0x3C), variant == 0 ? u"first" : u"second text");
  EXPECT_TRUE(SaveImageToFile(store, path));
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

std::vector<int> MatrixProfilesWritten(const CoreRig& rig) {
  std::vector<int> profiles;
  for (const SimulatedExchange& e : rig.keyboard.Exchanges()) {
    if (e.request.at(3) != kWriteMatrix) continue;
    const int p = (e.request.at(5) | (e.request.at(6) << 8)) / rig.link.KeyMatrixStride();
    if (profiles.empty() || profiles.back() != p) profiles.push_back(p);
  }
  return profiles;
}

// The store must be what the store file holds, and the store file what the
// keyboard holds.
void ExpectInStepWithKeyboard(CoreRig& rig, const std::string& where) {
  const std::vector<std::uint8_t> file = rig.StoreFileBytes();
  EXPECT_EQ(file, rig.KeyboardAsFile()) << where;
  ProfileStore loaded;
  ASSERT_TRUE(LoadStoreFromBytes(loaded, file)) << where;
  EXPECT_EQ(rig.core->Store().image, loaded.image) << where;
  EXPECT_EQ(rig.core->Store().macros, loaded.macros) << where;
}

// A reconnection keeps what the keyboard did not take (Apply still lit);
// Apply then brings the keyboard, the store file and the store in step.
void ReconnectAndApplyWhatIsPending(CoreRig& rig, const std::string& where) {
  const bool pending = rig.view.apply_enabled;
  const ProfileImage before = rig.core->Store().image;
  ASSERT_TRUE(rig.Reconnect()) << where;
  if (pending) {
    EXPECT_EQ(rig.core->Store().image, before) << where;
    EXPECT_TRUE(rig.view.apply_enabled) << where;
    EXPECT_TRUE(rig.core->Apply()) << where;
    ASSERT_TRUE(rig.Reconnect()) << where;
  }
  ExpectInStepWithKeyboard(rig, where);
}

TEST(AppCoreImportTest, ImportReplacesStoreFileAndWritesAllFourProfiles) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(1);
  ASSERT_TRUE(rig.Connect());
  const std::string path = rig.folders.Path("import.zvl");
  const std::vector<std::uint8_t> bytes = WriteImportFile(path, 0);
  rig.core->AssignKey(0x20, KeyTo(kKeyB));  // pending, replaced by the import

  EXPECT_EQ(rig.core->ImportProfileFile(path), kCoreImportDone);
  EXPECT_TRUE(rig.prompter.Keys().empty());
  EXPECT_EQ(rig.StoreFileBytes(), bytes);
  EXPECT_EQ(MatrixProfilesWritten(rig), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(rig.Commands().back(), kEnd);
  EXPECT_FALSE(rig.view.apply_enabled);
  EXPECT_TRUE(rig.view.descriptions[1010].assigned);  // F1 plays a macro in the active profile
  EXPECT_EQ(rig.core->Store().strings.Entry(GlobalRecordNumber(2, 0x3C)).text, u"first");
}

TEST(AppCoreImportTest, RefusedFilesChangeNeitherTheStoreFileNorTheKeyboard) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::vector<std::uint8_t> store_file = rig.StoreFileBytes();
  const std::string path = rig.folders.Path("import.zvl");
  std::vector<std::uint8_t> bytes = WriteImportFile(path, 0);

  // A bad header is never loaded: the pending edit stays.
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  std::vector<std::uint8_t> bad = bytes;
  bad[profile_header_layout::kMacroCount] ^= 1;
  ASSERT_TRUE(WriteFileAtomically(path, bad));
  EXPECT_EQ(rig.core->ImportProfileFile(path), kCoreImportRefused);
  // Told once: the header check's own message, not a second "could not be loaded".
  EXPECT_EQ(rig.prompter.Keys(), (std::vector<std::string>{"PROFILE_FORMAT_ERROR"}));
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(kKeyB));
  EXPECT_TRUE(rig.view.apply_enabled);

  rig.prompter.Clear();
  EXPECT_EQ(rig.core->ImportProfileFile(rig.folders.Path("missing.zvl")), kCoreImportRefused);
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MAIN_PROMPT_INPORT"});

  // A good header over a file cut short: refused, and the pending edit
  // still stays.
  rig.prompter.Clear();
  bytes.resize(bytes.size() - 40);
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
  EXPECT_EQ(rig.core->ImportProfileFile(path), kCoreImportRefused);
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MAIN_PROMPT_INPORT"});
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(kKeyB));
  EXPECT_TRUE(rig.view.apply_enabled);

  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_EQ(rig.StoreFileBytes(), store_file);
  // Apply writes the edit the refusals left alone.
  ASSERT_TRUE(rig.core->Apply());
  ExpectInStepWithKeyboard(rig, "after refusals");
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(kKeyB));
}

TEST(AppCoreImportTest, ExportedFileImportsAsTheSameProfiles) {
  CoreRig first;
  ASSERT_TRUE(first.Connect());
  const std::string source = first.folders.Path("source.zvl");
  WriteImportFile(source, 1);
  ASSERT_EQ(first.core->ImportProfileFile(source), kCoreImportDone);
  // A text-block key that lost its function keeps its text in the area.
  first.core->AssignKey(0x3C, KeyTo(kKeyB));
  const std::string exported = first.folders.Path("exported.zvl");
  ASSERT_TRUE(first.core->ExportProfileFile(exported));

  CoreRig second;
  ASSERT_TRUE(second.Connect());
  ASSERT_EQ(second.core->ImportProfileFile(exported), kCoreImportDone);
  EXPECT_EQ(second.core->Store().macros, first.core->Store().macros);
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
      const KeyFunction& a = first.core->Store().Record(p, r);
      const KeyFunction& b = second.core->Store().Record(p, r);
      EXPECT_EQ(a.type, b.type) << p << "/" << r;
      if (a.type != kFunctionLaunch && a.type != kFunctionText) {
        EXPECT_EQ(a.value, b.value) << p << "/" << r;
      }
    }
  }
  EXPECT_EQ(second.core->Store().strings.total(), first.core->Store().strings.total());
}

// Unplugging the keyboard after k exchanges, for every k of a full import.
TEST(AppCoreFaultTest, ImportUnpluggedAtEveryExchangeLosesNothing) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::string paths[2] = {rig.folders.Path("a.zvl"), rig.folders.Path("b.zvl")};
  const std::vector<std::uint8_t> files[2] = {WriteImportFile(paths[0], 0), WriteImportFile(paths[1], 1)};

  ASSERT_EQ(rig.core->ImportProfileFile(paths[0]), kCoreImportDone);
  const int exchanges = static_cast<int>(rig.keyboard.Exchanges().size());
  ASSERT_GT(exchanges, 30);

  for (int k = 0; k <= exchanges; ++k) {
    const std::string where = "unplugged after " + std::to_string(k) + " exchanges";
    const int which = (k + 1) % 2;  // never the file the store already holds
    const std::vector<std::uint8_t> before = rig.StoreFileBytes();
    rig.keyboard.ClearExchanges();
    rig.keyboard.UnplugAfter(k);
    const int result = rig.core->ImportProfileFile(paths[which]);
    const std::vector<std::uint8_t> after = rig.StoreFileBytes();
    EXPECT_TRUE(after == before || after == files[which]) << where;
    if (k < exchanges) {
      EXPECT_EQ(result, kCoreImportWriteFailed) << where;
      EXPECT_TRUE(rig.view.apply_enabled) << where;
    } else {
      EXPECT_EQ(result, kCoreImportDone) << where;
      EXPECT_FALSE(rig.view.apply_enabled) << where;
    }
    rig.keyboard.UnplugAfter(-1);
    ReconnectAndApplyWhatIsPending(rig, where);
    // Every profile of the file reached the keyboard, not only the active one
    // (macro keys name the keyboard's macro positions, texts stay behind).
    ProfileStore imported;
    ASSERT_TRUE(LoadStoreFromBytes(imported, files[which])) << where;
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
        const KeyFunction& want = imported.Record(p, r);
        if (want.type == kFunctionLaunch || want.type == kFunctionText || want.type == kFunctionMacro) continue;
        ASSERT_EQ(rig.core->Store().Record(p, r), want) << where << ": profile " << p << " record " << r;
      }
    }
  }
}

TEST(AppCoreFaultTest, ApplyUnpluggedAtEveryExchangeLosesNothing) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::string path = rig.folders.Path("a.zvl");
  WriteImportFile(path, 0);
  ASSERT_EQ(rig.core->ImportProfileFile(path), kCoreImportDone);
  rig.keyboard.ClearExchanges();
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  ASSERT_TRUE(rig.core->Apply());
  const int exchanges = static_cast<int>(rig.keyboard.Exchanges().size());

  for (int k = 0; k < exchanges; ++k) {
    const std::string where = "unplugged after " + std::to_string(k) + " exchanges";
    const std::vector<std::uint8_t> before = rig.StoreFileBytes();
    rig.core->AssignKey(kF1Record, KeyTo(static_cast<KeyCode>(0x10 + k % 20)));
    rig.keyboard.UnplugAfter(k);
    EXPECT_FALSE(rig.core->Apply()) << where;
    EXPECT_TRUE(rig.view.apply_enabled) << where;
    // The store file is written before the keyboard: whole and new.
    ProfileStore saved;
    EXPECT_TRUE(LoadStoreFile(saved, rig.core->StoreFile())) << where;
    EXPECT_EQ(saved.Record(0, kF1Record), KeyTo(static_cast<KeyCode>(0x10 + k % 20))) << where;
    rig.keyboard.UnplugAfter(-1);
    ReconnectAndApplyWhatIsPending(rig, where);
    EXPECT_EQ(rig.core->Store().Record(0, kF1Record), KeyTo(static_cast<KeyCode>(0x10 + k % 20))) << where;
  }
}

// Four lost replies make a command fail: the link gives up after four tries.
// The replies are lost from the request after the n-th one with a given
// command: the macro write after begin, the second piece of the matrix, and
// the end after the matrix's seventh and last piece.
TEST(AppCoreFaultTest, LostRepliesDuringApplyAreNoSuccessAndApplyCanBeRetried) {
  struct Case {
    const char* what;
    std::uint8_t after_command;
    int nth;
  };
  for (const Case& c : {Case{"macro write", 0x01, 1}, Case{"matrix write", kWriteMatrix, 1},
                        Case{"end", kWriteMatrix, 7}}) {
    CoreRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
    int seen = 0;
    rig.link.SetTraceHook([&](std::string_view line) {
      if (line.substr(0, 2) != "> ") return;
      if (rig.keyboard.Exchanges().back().request.at(3) == c.after_command && ++seen == c.nth)
        rig.keyboard.LoseNextReplies(kCommandAttempts);
    });
    EXPECT_FALSE(rig.core->Apply()) << c.what;
    EXPECT_TRUE(rig.view.apply_enabled) << c.what;
    rig.link.SetTraceHook(nullptr);

    EXPECT_TRUE(rig.core->Apply()) << c.what;
    EXPECT_FALSE(rig.view.apply_enabled) << c.what;
    ExpectInStepWithKeyboard(rig, c.what);
  }
}

}  // namespace
}  // namespace zarvel
