// zarvelctl's lighting and colours commands: what they write into the
// simulated keyboard, kept in a state file between runs, and how they refuse
// values the keyboard cannot take.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zarvel
