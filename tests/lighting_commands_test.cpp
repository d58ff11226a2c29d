// zarvelctl's lighting and colours commands: what they write into the
// simulated keyboard, kept in a state file between runs, and how they refuse
// values the keyboard cannot take.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

class LightingCommandsTest : public ZarvelctlFixture {
 protected:
  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--simulate=" + File("keyboard.txt"), "--trace=" + File("trace.txt")};
    all.insert(all.end(), args.begin(), args.end());
    return ZarvelctlFixture::Run(all);
  }
  // The requests of the last run only.
  std::vector<std::string> Requests() {
    std::ifstream in(File("trace.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      if (line.rfind("> ", 0) == 0) lines.push_back(line.substr(2));
    std::remove(File("trace.txt").c_str());
    return lines;
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& line : lines)
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }
};

TEST_F(LightingCommandsTest, SettingsAreWrittenAtOnceAndReadBackInTheNextRun) {
  RunResult r = Run({"lighting", "--effect", "5", "--brightness", "3", "--colour", "12ab34", "--random", "off"});
  ASSERT_EQ(r.status, 0) << r.err;
  Requests();
  r = Run({"--json", "lighting"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"effect\":5"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"brightness\":3"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"colour\":\"12ab34\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"random\":false"), std::string::npos) << r.out;
}

TEST_F(LightingCommandsTest, PaintingEscInTheUserEffectSendsItsThreeColourBytes) {
  ASSERT_EQ(Run({"lighting", "--effect", "20"}).status, 0);
  Requests();
  const RunResult r = Run({"colours", "paint", "Esc", "112233"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Command 0x11, three bytes at colour index 0 of profile 1, inside begin/end.
  const std::vector<std::string> requests = Requests();
  EXPECT_TRUE(Has(requests, "04 7a 00 11 03 00 00 00 11 22 33 00")) << requests.size();
  EXPECT_TRUE(Has(requests, "04 01 00 01 00"));
  EXPECT_TRUE(Has(requests, "04 02 00 02 00"));
}

TEST_F(LightingCommandsTest, ValuesTheKeyboardCannotTakeAreUsageErrorsAndSendNoWrite) {
  const std::vector<std::vector<std::string>> bad = {
      {"lighting", "--brightness", "9"}, {"lighting", "--speed", "4"},     {"lighting", "--colour", "12345"},
      {"lighting", "--random", "maybe"}, {"colours", "paint", "Esc", "zz0000"},
      {"colours", "slot", "11"},         {"colours", "tool", "brush"},    {"colours", "paint", "NoSuchKey", "ff0000"},
  };
  for (const auto& args : bad) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args[0] << " " << args[1] << " " << args.back();
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(Has(Requests(), "04 2c 00 06")) << "lighting write for " << args.back();
  }
}

// The keyboard keeps no copy of the per-key colours: an edit the slot file
// did not take is lost at the next load, so it must not look like success.
TEST_F(LightingCommandsTest, AnUnsavableSlotFileFailsEveryColourEditWithItsPathAndReason) {
  ASSERT_EQ(Run({"lighting", "--effect", "20"}).status, 0);
  const std::filesystem::path file = UserData() / "UserDengColor_0.userd";
  struct Case {
    const char* name;
    void (*make)(const std::filesystem::path&);
    const char* reason;
  };
  std::vector<Case> cases = {
      {"a folder", [](const std::filesystem::path& p) { std::filesystem::create_directory(p); }, "not a regular file"},
      {"oversized",
       [](const std::filesystem::path& p) {
         std::ofstream(p).put('[');
         std::filesystem::resize_file(p, 17u * 1024u * 1024u);
       },
       "larger than"},
  };
  // Root writes read-only files regardless.
  if (::geteuid() != 0) {
    cases.push_back({"read-only",
                     [](const std::filesystem::path& p) {
                       std::ofstream(p) << "[PRESENTMODE]\nmode=0\n";
                       std::filesystem::permissions(p, std::filesystem::perms::owner_read);
                     },
                     "Permission denied"});
  }
  const std::vector<std::vector<std::string>> edits = {
      {"colours", "slot", "3"}, {"colours", "base", "00ff00"}, {"colours", "tool", "base"},
      {"colours", "paint", "Esc", "112233"}};
  for (const Case& c : cases) {
    for (const auto& args : edits) {
      std::filesystem::remove_all(file);
      c.make(file);
      const RunResult r = Run(args);
      EXPECT_EQ(r.status, 1) << c.name << ": " << args[1] << "\n" << r.err;
      EXPECT_NE(r.err.find(file.string() + ": " + c.reason), std::string::npos) << c.name << ": " << r.err;
      Requests();
    }
  }
  std::filesystem::remove_all(file);
  // The keyboard write stands and says so.
  std::filesystem::create_directory(file);
  const RunResult r = Run({"colours", "slot", "3"});
  EXPECT_NE(r.err.find("the keyboard shows slot 3, but its settings could not be saved"), std::string::npos) << r.err;
  std::filesystem::remove_all(file);
  EXPECT_EQ(Run({"colours", "slot", "3"}).status, 0);
}

}  // namespace
}  // namespace zarvel
