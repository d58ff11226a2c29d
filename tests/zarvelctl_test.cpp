// zarvelctl as people and scripts use it: the built binary, run in a scratch
// folder against the simulated keyboard.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "device/keyboard_choice.h"
#include "model/atomic_file.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "skin/program_paths.h"
#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

class ZarvelctlTest : public ZarvelctlFixture {};

// A profile file with a remapped key, a disabled key and a key playing a macro.
void WriteSampleProfiles(const std::string& path) {
  ProfileStore store;
  MacroRecord macro;
  macro.id = 1;
  macro.repeat = 1;
  SetMacroNameUtf8(macro, "Greeting");
  macro.actionCount = 2;
  macro.actions[0] = MacroAction{30, 0x23, kPress};  // H
  macro.actions[1] = MacroAction{0, 0x23, kRelease};
  store.macros.push_back(macro);
  store.Record(0, KeyCodeToRecordIndex(0x1E)) = KeyFunction{kFunctionKey, 0, 0x30, 0, 0};
  store.Record(2, KeyCodeToRecordIndex(0x3A)) = KeyFunction{kFunctionDisabled, 0, 0, 0, 0};
  store.Record(3, KeyCodeToRecordIndex(0x1E)) = KeyFunction{kFunctionMacro, 0, 1, 0, 0};
  ASSERT_TRUE(SaveImageToFile(store, path));
}

TEST_F(ZarvelctlTest, BadCommandLinesExitTwoWithAMessage) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"--simulate", "profile", "5"},
      {"--simulate", "profile", "0"},
      {"--simulate", "--variant=1234:5678", "info"},
      {"--variant=320f:5000", "info"},  // a variant without the simulated keyboard
      {"read"},
      {"validate", "a.zvl", "b.zvl"},
      {"--colour", "info"},
      {"--trace", "info"},
  };
  for (const std::vector<std::string>& args : bad) {
    const RunResult r = Run(args);
    std::string joined;
    for (const std::string& a : args) joined += a + " ";
    EXPECT_EQ(r.status, 2) << joined;
    EXPECT_NE(r.err.find("zarvelctl: "), std::string::npos) << joined;
    EXPECT_TRUE(r.out.empty()) << joined;
  }
  const RunResult help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Profiles are numbered 1 to 4"), std::string::npos);
}

// Wherever an option the tool does not have is given, it is called unknown by
// name, not blamed on the command's usage or its other operands.
TEST_F(ZarvelctlTest, AnOptionTheToolDoesNotHaveIsCalledUnknown) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--foo", "info"}, "zarvelctl: unknown option '--foo'"},
      {{"--simulate", "profile", "--foo"}, "zarvelctl: unknown option '--foo'"},
      {{"--simulate", "lighting", "--foo", "1"}, "zarvelctl: lighting: unknown option '--foo'"},
      {{"--simulate", "colours", "--foo"}, "zarvelctl: colours: unknown option '--foo'"},
      {{"--simulate", "colours", "base", "-x"}, "zarvelctl: colours: unknown option '-x'"},
      {{"--simulate", "defaults", "--foo"}, "zarvelctl: defaults: unknown option '--foo'"},
  };
  for (const auto& c : cases) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
    EXPECT_TRUE(r.out.empty()) << c.message;
  }
}

// A number outside what the keyboard has is a usage error like any other bad
// value, and the message names the allowed range; the keyboard is not touched.
TEST_F(ZarvelctlTest, OutOfRangeNumbersNameTheRangeAndExitTwo) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"lighting", "--brightness", "9"}, "zarvelctl: --brightness: 9 is out of range 0 to 4"},
      {{"lighting", "--speed", "7"}, "zarvelctl: --speed: 7 is out of range 0 to 3"},
      {{"lighting", "--rate=4"}, "zarvelctl: --rate: 4 is out of range 0 to 3"},
      {{"lighting", "--choice", "4"}, "zarvelctl: --choice: 4 is out of range 0 to 3"},
      {{"lighting", "--effect", "0"}, "zarvelctl: --effect: 0 is out of range 1 to 255"},
      {{"lighting", "--effect", "99999"}, "zarvelctl: --effect: 99999 is out of range 1 to 255"},
      // A valid edit before the bad one is not sent either.
      {{"lighting", "--brightness", "1", "--speed", "12"}, "zarvelctl: --speed: 12 is out of range 0 to 3"},
      {{"profile", "5"}, "zarvelctl: profile 5 is out of range 1 to 4"},
      {{"profile", "0"}, "zarvelctl: profile 0 is out of range 1 to 4"},
      // Words are still told what was expected.
      {{"lighting", "--brightness", "-1"}, "zarvelctl: --brightness: '-1' is not a brightness 0-4"},
      {{"profile", "two"}, "zarvelctl: profile must be 1, 2, 3 or 4, not 'two'"},
  };
  const std::string state = File("keyboard.state");
  ASSERT_EQ(Run({"--simulate=" + state, "profile", "1"}).status, 0);
  const std::string before = Slurp(state);
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--simulate=" + state};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.err, std::string(c.message) + "\n");
    EXPECT_TRUE(r.out.empty()) << c.message;
  }
  EXPECT_EQ(Slurp(state), before);
}

// Every place that takes a colour names the text it could not read, so a typo
// in a script is found without guessing which operand was wrong.
TEST_F(ZarvelctlTest, ABadColourIsNamedInTheMessage) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"lighting", "--colour", "zz"}, "zarvelctl: --colour: 'zz' is not a colour RRGGBB"},
      {{"lighting", "--color=#12345g"}, "zarvelctl: --colour: '#12345g' is not a colour RRGGBB"},
      {{"lighting", "--colour", "1234567"}, "zarvelctl: --colour: '1234567' is not a colour RRGGBB"},
      {{"colours", "base", "zz"}, "zarvelctl: colours base: 'zz' is not a colour RRGGBB"},
      {{"colours", "paint", "Esc", "zz"}, "zarvelctl: colours paint: 'zz' is not a colour RRGGBB"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--simulate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.err, std::string(c.message) + "\n");
  }
  const RunResult key = Run({"--simulate", "colours", "paint", "Nokey", "ff0000"});
  EXPECT_EQ(key.status, 2);
  EXPECT_NE(key.err.find("unknown key 'Nokey'"), std::string::npos) << key.err;
}

// The lines of one [section] of a simulated keyboard's state file.
std::string StateSection(const std::string& state, const std::string& name) {
  const std::size_t start = state.find("[" + name + "]");
  if (start == std::string::npos) return {};
  return state.substr(start, state.find("\n[", start) - start);
}

// A keyboard that reports no macro memory cannot take any key write (even an
// empty macro list has a header); every command that writes keys says so in
// one plain message and leaves the keyboard's keys and macros as they were.
TEST_F(ZarvelctlTest, AKeyboardWithoutMacroMemorySaysSoWhereKeysAreWritten) {
  const std::string state = File("keyboard.state");
  ASSERT_EQ(Run({"--simulate=" + state, "info"}).status, 0);
  std::string text = Slurp(state);
  // Device information byte 11, the capacity in 128-byte units: 0x40 -> 0.
  const std::size_t line = text.find("0000: 00 00 00 00 00 00 00 00 08 01 00 40");
  ASSERT_NE(line, std::string::npos) << text;
  text.replace(line + 6 + 11 * 3, 2, "00");
  ASSERT_TRUE(WriteFileAtomically(state, text));
  const RunResult info = Run({"--simulate=" + state, "--json", "info"});
  ASSERT_NE(info.out.find("\"macro_capacity\":0"), std::string::npos) << info.out;

  const std::string sample = File("sample.zvl");
  WriteSampleProfiles(sample);
  const std::string keys = StateSection(Slurp(state), "key_matrices");
  const std::string macros = StateSection(Slurp(state), "macro_memory");
  const std::vector<std::vector<std::string>> writes = {
      {"write", sample}, {"import", sample}, {"assign", "A", "key:B"}, {"defaults", "--yes"}};
  for (const std::vector<std::string>& w : writes) {
    std::vector<std::string> args = {"--simulate=" + state};
    args.insert(args.end(), w.begin(), w.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 1) << w[0];
    EXPECT_EQ(r.err,
              "zarvelctl: the keyboard reports a macro capacity of 0 bytes: it has no memory for macros, so it "
              "cannot take macros or key functions; nothing was written\n")
        << w[0];
    EXPECT_EQ(StateSection(Slurp(state), "key_matrices"), keys) << w[0];
    EXPECT_EQ(StateSection(Slurp(state), "macro_memory"), macros) << w[0];
  }
}

TEST_F(ZarvelctlTest, JsonOutputHasTheDocumentedMembers) {
  const RunResult info = Run({"--simulate", "--variant=320F:5000", "--json", "info"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out.front(), '{');
  EXPECT_EQ(info.out.substr(info.out.size() - 2), "}\n");
  for (const char* member : {"\"vendor_id\":\"320f\"", "\"product_id\":\"5000\"", "\"firmware\":264",
                             "\"firmware_update_needed\":false", "\"active_profile\":1", "\"macro_capacity\":8192",
                             "\"effects\":[{\"number\":1,\"name\":"})
    EXPECT_NE(info.out.find(member), std::string::npos) << member << " in " << info.out;

  const RunResult list = Run({"--simulate", "--json", "list"});
  ASSERT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("\"role\":\"command\""), std::string::npos);
  EXPECT_NE(list.out.find("\"role\":\"notification\""), std::string::npos);
}

TEST_F(ZarvelctlTest, TraceFileHoldsEveryReportByteExactAndIsAppended) {
  const std::string trace = File("trace.txt");
  ASSERT_EQ(Run({"--simulate", "--trace=" + trace, "info"}).status, 0);
  const std::size_t first_run = Slurp(trace).size();
  ASSERT_EQ(Run({"--simulate", "--trace=" + trace, "profile"}).status, 0);

  std::ifstream in(trace);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_GT(Slurp(trace).size(), first_run);
  const std::regex report("^[<>] ([0-9a-f]{2} ){63}[0-9a-f]{2}$");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(std::regex_match(lines[i], report) || lines[i] == "< timeout") << lines[i];
    EXPECT_EQ(lines[i][0], i % 2 == 0 ? '>' : '<') << "line " << i;
  }
  // The connection starts with the factory matrix; its checksum is 0x0f + 0x38.
  std::string zeros;
  for (int i = 0; i < 59; ++i) zeros += " 00";
  EXPECT_EQ(lines[0], "> 04 47 00 0f 38" + zeros);
  // The device information request, as the keyboard's documentation spells it.
  bool device_info = false;
  for (const std::string& line : lines) device_info = device_info || line == "> 04 2f 00 03 2c" + zeros;
  EXPECT_TRUE(device_info);
}

TEST_F(ZarvelctlTest, ValidateExitsZeroOneOrTwo) {
  const std::string good = File("good.zvl");
  ASSERT_EQ(Run({"new-file", good}).status, 0);
  EXPECT_EQ(Run({"validate", good}).status, 0);

  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(good, bytes));
  bytes[profile_header_layout::kVersion] = 2;  // checksum no longer matches
  const std::string bad = File("bad.zvl");
  ASSERT_TRUE(WriteFileAtomically(bad, bytes));
  const RunResult invalid = Run({"--json", "validate", bad});
  EXPECT_EQ(invalid.status, 1);
  EXPECT_NE(invalid.out.find("\"valid\":false"), std::string::npos);
  EXPECT_NE(invalid.err.find("is not a valid profile file"), std::string::npos);

  bytes.resize(100);
  const std::string small = File("small.zvl");
  ASSERT_TRUE(WriteFileAtomically(small, bytes));
  EXPECT_EQ(Run({"validate", small}).status, 1);

  EXPECT_EQ(Run({"validate", File("missing.zvl")}).status, 2);
  EXPECT_EQ(Run({"dump", File("missing.zvl")}).status, 2);
}

TEST_F(ZarvelctlTest, WriteThenReadBackGivesTheSameProfilesAndDumpShowsThem) {
  const std::string state = File("keyboard.state");
  const std::string sample = File("sample.zvl");
  WriteSampleProfiles(sample);
  const RunResult write = Run({"--simulate=" + state, "write", sample});
  ASSERT_EQ(write.status, 0) << write.err;

  // A separate run: the keyboard's memory came through the state file.
  const std::string back = File("back.zvl");
  const RunResult read = Run({"--simulate=" + state, "read", back});
  ASSERT_EQ(read.status, 0) << read.err;
  ProfileStore original, copy;
  ASSERT_TRUE(LoadStoreFile(original, sample));
  ASSERT_TRUE(LoadStoreFile(copy, back));
  EXPECT_EQ(copy.image, original.image);
  ASSERT_EQ(copy.macros.size(), 1u);
  EXPECT_EQ(MacroNameUtf8(copy.macros[0]), "Greeting");

  const RunResult dump = Run({"dump", back});
  ASSERT_EQ(dump.status, 0) << dump.err;
  std::istringstream lines(dump.out);
  std::vector<std::string> text;
  for (std::string line; std::getline(lines, line);) text.push_back(line);
  auto has = [&](const std::string& needle) {
    return std::any_of(text.begin(), text.end(), [&](const std::string& l) { return l.find(needle) != std::string::npos; });
  };
  EXPECT_TRUE(has("Profile 1"));
  EXPECT_TRUE(has("disabled"));
  EXPECT_TRUE(has("Greeting"));
  EXPECT_TRUE(has("press"));
  // Only keys that differ from the default are listed: three in all.
  int key_lines = 0;
  for (const std::string& l : text)
    if (l.rfind("  ", 0) == 0 && l.find(" - ") != std::string::npos) ++key_lines;
  EXPECT_EQ(key_lines, 3);

  const RunResult json = Run({"--json", "dump", back});
  ASSERT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"type\":\"macro\""), std::string::npos);
  EXPECT_NE(json.out.find("\"name\":\"Greeting\""), std::string::npos);
}

TEST_F(ZarvelctlTest, WriteRefusesAnInvalidFileAndLeavesTheStoreFileAlone) {
  const std::string bad = File("bad.zvl");
  ASSERT_TRUE(WriteFileAtomically(bad, std::string("not a profile file")));
  const RunResult r = Run({"--simulate", "write", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("could not be loaded"), std::string::npos);

  const std::string sample = File("sample.zvl");
  WriteSampleProfiles(sample);
  ASSERT_EQ(Run({"--simulate", "write", sample}).status, 0);
  // No --save-store: no store file (the folder holds only the lock file and
  // the lighting files every run starts from).
  EXPECT_FALSE(fs::exists(dir_ / "data" / "Varnok Z7Q3RGB" / "$Profile0"));
}

TEST_F(ZarvelctlTest, SimulatedStateFileKeepsTheActiveProfileBetweenRuns) {
  const std::string state = File("keyboard.state");
  ASSERT_EQ(Run({"--simulate=" + state, "profile", "3"}).status, 0);
  EXPECT_TRUE(fs::exists(state));
  const RunResult again = Run({"--simulate=" + state, "--json", "profile"});
  ASSERT_EQ(again.status, 0);
  EXPECT_EQ(again.out, "{\"active_profile\":3}\n");
  // Without a state file the keyboard starts from its factory memory.
  EXPECT_EQ(Run({"--simulate", "--json", "profile"}).out, "{\"active_profile\":1}\n");
}

// Each failure says in one line what went wrong and with which file, instead
// of blaming the keyboard or saying nothing.
TEST_F(ZarvelctlTest, MessagesNameTheFileAndTheRealReason) {
  const std::string state = File("keyboard.state");
  // A file that cannot be written is the file's fault, not the keyboard's.
  RunResult r = Run({"--simulate=" + state, "read", File("no-such-folder/back.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write " + File("no-such-folder/back.zvl") + ": No such file or directory"),
            std::string::npos)
      << r.err;
  r = Run({"new-file", File("no-such-folder/new.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(": No such file or directory"), std::string::npos) << r.err;

  // Too small (an empty /proc file reads as 0 bytes) to be a profile file.
  const std::string empty = File("empty.zvl");
  ASSERT_TRUE(WriteFileAtomically(empty, std::string()));
  for (const char* command : {"dump", "validate"}) {
    r = Run({command, empty});
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_NE(r.err.find(empty + " is not a profile file: 0 bytes is smaller than any profile file"),
              std::string::npos)
        << command << ": " << r.err;
  }

  // A state file that cannot be used fails export as it fails every command.
  const std::string folder_state = File("state-folder");
  std::filesystem::create_directory(folder_state);
  for (const std::vector<std::string>& command : {std::vector<std::string>{"info"}, {"export", File("out.zvl")}}) {
    std::vector<std::string> args{"--simulate=" + folder_state};
    args.insert(args.end(), command.begin(), command.end());
    r = Run(args);
    EXPECT_EQ(r.status, 1) << command[0];
    EXPECT_NE(r.err.find(folder_state), std::string::npos) << command[0] << ": " << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(File("out.zvl")));

  // A keyboard whose active-profile byte is 0xFF names no profile.
  ASSERT_EQ(Run({"--simulate=" + state, "profile", "2"}).status, 0);
  std::string text = Slurp(state);
  const std::size_t section = text.find("[device_info]");
  ASSERT_NE(section, std::string::npos);
  const std::size_t row = text.find("0000:", section);
  ASSERT_NE(row, std::string::npos);
  // Byte 10 of the first row: "0000:" then " xx" per byte.
  const std::size_t byte10 = row + 5 + 10 * 3 + 1;
  ASSERT_EQ(text.substr(byte10, 2), "01");
  text.replace(byte10, 2, "ff");
  ASSERT_TRUE(WriteFileAtomically(state, text));
  r = Run({"--simulate=" + state, "info"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Active profile:  unknown\n"), std::string::npos) << r.out;
  r = Run({"--simulate=" + state, "--json", "info"});
  EXPECT_NE(r.out.find("\"active_profile\":null"), std::string::npos) << r.out;
}

TEST_F(ZarvelctlTest, WithoutAKeyboardTheRealBackendSaysSo) {
  if (fs::exists("/dev/hidraw0")) GTEST_SKIP() << "this machine has HID devices";
  const RunResult r = Run({"info"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("no Varnok Z7Q3RGB keyboard found"), std::string::npos);
}

}  // namespace
}  // namespace zarvel

namespace zarvel {
namespace {

// A keyboard whose device node this user may not open (no udev rule yet):
// every way in names the node and the udev rule to install, instead of
// "no keyboard found".
TEST_F(ZarvelctlTest, AKeyboardThisUserMayNotOpenNamesTheUdevRule) {
  const fs::path root = dir_ / "root";
  const fs::path device = root / "sys/class/hidraw/hidraw3/device";
  fs::create_directories(device);
  std::ofstream(device / "uevent") << "DRIVER=hid-generic\nHID_ID=0003:00000C45:00005004\nHID_NAME=Keyboard\n";
  fs::create_directories(root / "dev");
  const fs::path node = root / "dev/hidraw3";
  std::ofstream(node) << "";
  fs::permissions(node, fs::perms::none);  // as a node without the rule is for a desktop user
  env_.push_back(std::string(kDeviceRootVariable) + "=" + root.string());
  as_unprivileged_user_ = true;

  for (const char* command : {"info", "profile", "sync"}) {
    const RunResult r = Run({command});
    EXPECT_EQ(r.status, 3) << command;
    EXPECT_NE(r.err.find(node.string() + " may not be opened by this user (permission denied)"), std::string::npos)
        << command << ": " << r.err;
    EXPECT_NE(r.err.find("udev rule assets/udev/70-zarvel.rules"), std::string::npos) << r.err;
  }
  const RunResult list = Run({"--json", "list"});
  EXPECT_EQ(list.status, 3);
  EXPECT_NE(list.out.find("\"role\":\"no-access\""), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("udev rule"), std::string::npos) << list.err;

  // With the node open to the user, it is simply not a keyboard that answers.
  fs::remove_all(root / "sys/class/hidraw/hidraw3");
  const RunResult gone = Run({"info"});
  EXPECT_EQ(gone.status, 3);
  EXPECT_NE(gone.err.find("no Varnok Z7Q3RGB keyboard found"), std::string::npos) << gone.err;
}

}  // namespace
}  // namespace zarvel
