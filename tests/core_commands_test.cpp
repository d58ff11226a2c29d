// zarvelctl's sync, assign, defaults, import and export: the built binary,
// run in a scratch folder against a simulated keyboard whose memory is kept
// in a state file between runs, with its own per-user store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/atomic_file.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

// Every command runs against the same simulated keyboard, kept in a state file.
class CoreCommandsTest : public ZarvelctlFixture {
 protected:
  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--simulate=" + File("keyboard.txt")};
    all.insert(all.end(), args.begin(), args.end());
    return ZarvelctlFixture::Run(all);
  }
};

TEST_F(CoreCommandsTest, AssignedKeysReachTheKeyboardAndComeBackOnSync) {
  RunResult r = Run({"assign", "f1", "key:b"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "F1 - key (B)\n");
  ASSERT_EQ(Run({"assign", "Caps Lock", "mouse:wheel-up"}).status, 0);
  ASSERT_EQ(Run({"assign", "Esc", "media:mute"}).status, 0);
  ASSERT_EQ(Run({"assign", "Tab", "function:1"}).status, 0);

  r = Run({"sync"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("F1 - key (B)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Caps Lock - key (Wheel Up)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Esc - multimedia (Mute)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Tab - keyboard function"), std::string::npos) << r.out;

  r = Run({"assign", "F1", "default"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Run({"sync"}).out.find("F1 - "), std::string::npos);
}

TEST_F(CoreCommandsTest, UnknownKeysFunctionsAndMacrosAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {"assign", "Nokey", "default"},     {"assign", "F1", "key:nokey"},   {"assign", "F1", "mouse:side"},
      {"assign", "F1", "media:nothing"},  {"assign", "F1", "function:0"},  {"assign", "F1", "function:12"},
      {"assign", "F1", "macro:x"},        {"assign", "F1", "macro:7"},     {"assign", "F1", "teleport"},
      {"assign", "F1", "key:G1"},         {"defaults", "--no"},
  };
  for (const auto& args : bad) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args[0] << " " << args.back();
    EXPECT_FALSE(r.err.empty()) << args.back();
  }
}

TEST_F(CoreCommandsTest, DefaultsOnlyWithYes) {
  ASSERT_EQ(Run({"assign", "F1", "disabled"}).status, 0);
  RunResult r = Run({"defaults"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("answered No"), std::string::npos) << r.err;
  EXPECT_NE(Run({"sync"}).out.find("F1 - "), std::string::npos);

  r = Run({"defaults", "--yes"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Run({"sync"}).out.find("F1 - "), std::string::npos);
}

TEST_F(CoreCommandsTest, ExportThenImportRoundTripsAndShortFilesAreRefused) {
  ASSERT_EQ(Run({"assign", "F2", "key:c"}).status, 0);
  ASSERT_EQ(Run({"export", File("backup.zvl")}).status, 0);
  ProfileStore exported;
  ASSERT_TRUE(LoadStoreFile(exported, File("backup.zvl")));
  EXPECT_EQ(exported.Record(0, 0x3C), (KeyFunction{kFunctionKey, 0, 0x2E, 0, 0}));

  ASSERT_EQ(Run({"assign", "F2", "default"}).status, 0);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(File("backup.zvl"), bytes));
  bytes.resize(bytes.size() - 10);
  ASSERT_TRUE(WriteFileAtomically(File("short.zvl"), bytes));
  RunResult r = Run({"import", File("short.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(Run({"sync"}).out.find("F2 - "), std::string::npos);

  r = Run({"import", File("backup.zvl")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(Run({"sync"}).out.find("F2 - key (C)"), std::string::npos);
}

// The window's tooltip leaves disabled, stop-macro and default keys without a
// word after the key's name; every listing of zarvelctl names the kind, for
// keys that came from a file, from the keyboard or from assign.
TEST_F(CoreCommandsTest, KeysWithoutATargetAreDescribedByTheirKind) {
  ProfileStore store;
  store.Record(0, KeyCodeToRecordIndex(0x3B)) = KeyFunction{kFunctionDisabled, 0, 0, 0, 0};   // F1
  store.Record(0, KeyCodeToRecordIndex(0x3C)) = KeyFunction{kFunctionStopMacro, 0, 0, 0, 0};  // F2
  const std::string file = File("kinds.zvl");
  ASSERT_TRUE(SaveImageToFile(store, file));

  const RunResult dump = ZarvelctlFixture::Run({"dump", file});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.out.find("  F1 - disabled\n"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("  F2 - stop macro\n"), std::string::npos) << dump.out;

  ASSERT_EQ(Run({"import", file}).status, 0);
  // Read back from the keyboard, as a new connection reads it.
  const RunResult sync = Run({"sync"});
  ASSERT_EQ(sync.status, 0) << sync.err;
  EXPECT_NE(sync.out.find("  F1 - disabled\n"), std::string::npos) << sync.out;
  EXPECT_NE(sync.out.find("  F2 - stop macro\n"), std::string::npos) << sync.out;
  const RunResult json = Run({"--json", "sync"});
  EXPECT_NE(json.out.find("\"assigned\":[\"F1 - disabled\",\"F2 - stop macro\"]"), std::string::npos) << json.out;

  const struct {
    const char* key;
    const char* function;
    const char* printed;
  } assigns[] = {{"F3", "disabled", "F3 - disabled\n"},
                 {"F3", "default", "F3 - default\n"},
                 {"F4", "default", "F4 - default\n"}};
  for (const auto& a : assigns) {
    const RunResult r = Run({"assign", a.key, a.function});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, a.printed);
  }
}

}  // namespace
}  // namespace zarvel
