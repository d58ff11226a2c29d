// zarvelctl colours paint/base with key lists and groups, and copy-profile,
// against the simulated keyboard kept in a state file between runs.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

class PaintCommandsTest : public ZarvelctlFixture {
 protected:
  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--simulate=" + File("keyboard.txt"), "--trace=" + File("trace.txt")};
    all.insert(all.end(), args.begin(), args.end());
    return ZarvelctlFixture::Run(all);
  }
  // The command codes of the last run's requests ("01", "11", ...).
  std::vector<std::string> Commands() {
    std::ifstream in(File("trace.txt"));
    std::vector<std::string> codes;
    for (std::string line; std::getline(in, line);)
      if (line.rfind("> ", 0) == 0 && line.size() >= 13) codes.push_back(line.substr(11, 2));
    std::remove(File("trace.txt").c_str());
    return codes;
  }
  // The colour writes with the begin and end around them.
  std::vector<std::string> ColourBracket() {
    std::vector<std::string> codes = Commands();
    std::vector<std::string> bracket;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      if (codes[i] != "11") continue;
      if (bracket.empty() && i > 0) bracket.push_back(codes[i - 1]);
      bracket.push_back(codes[i]);
      if (i + 1 < codes.size() && codes[i + 1] != "11") bracket.push_back(codes[i + 1]);
    }
    return bracket;
  }
  void UserEffect() {
    ASSERT_EQ(Run({"lighting", "--effect", "20"}).status, 0);
    Commands();
  }
};

const std::vector<std::string> kEightWrites = {"01", "11", "11", "11", "11", "11", "11", "11", "11", "02"};

TEST_F(PaintCommandsTest, AKeyListAndAGroupArePaintedInOneBracket) {
  UserEffect();
  RunResult r = Run({"colours", "paint", "W,A,S,D", "00ff00"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ColourBracket(), kEightWrites);
  r = Run({"colours", "paint", "letters", "112233"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ColourBracket(), kEightWrites);
  // One key stays the key's own three bytes.
  r = Run({"colours", "paint", "Esc", "445566"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ColourBracket(), (std::vector<std::string>{"01", "11", "02"}));
  // The slot file took every key: the next run shows the paint colour kept.
  r = Run({"--json", "colours"});
  EXPECT_NE(r.out.find("\"paint_colour\":\"445566\""), std::string::npos) << r.out;
}

TEST_F(PaintCommandsTest, BaseWithKeysMakesTheColourTheBaseColourAndPaintsThem) {
  UserEffect();
  RunResult r = Run({"colours", "base", "g-keys", "0000ff"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ColourBracket(), kEightWrites);
  r = Run({"--json", "colours"});
  EXPECT_NE(r.out.find("\"base_colour\":\"0000ff\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"tool\":\"base\""), std::string::npos) << r.out;
  // The old form without keys still sets just the base colour.
  ASSERT_EQ(Run({"colours", "base", "00ffff"}).status, 0);
}

TEST_F(PaintCommandsTest, UnknownOrUnlitKeysAndGroupsWithoutLightsSendNothing) {
  UserEffect();
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const std::vector<Case> cases = {
      {{"colours", "paint", "W,Nope", "ff0000"}, 2, "unknown key 'Nope'"},
      {{"colours", "paint", "W,,A", "ff0000"}, 2, "unknown key ''"},
      {{"colours", "paint", "W,F5", "ff0000"}, 1, "'F5' has no light"},
      {{"colours", "paint", "arrows", "ff0000"}, 1, "group 'arrows'"},
      {{"colours", "base", "wasd", "nocolour"}, 2, "not a colour"},
      {{"colours", "base", "wasd", "ff0000", "x"}, 2, "usage"},
  };
  for (const Case& c : cases) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[2];
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_TRUE(ColourBracket().empty()) << c.args[2];
  }
}

TEST_F(PaintCommandsTest, CopyProfileWritesTheKeysIntoTheOtherProfile) {
  ASSERT_EQ(Run({"assign", "F1", "key:B"}).status, 0);
  RunResult r = Run({"copy-profile", "1", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Run({"read", File("read.zvl")}).status, 0);
  r = Run({"dump", File("read.zvl")});
  const std::size_t third = r.out.find("Profile 3");
  ASSERT_NE(third, std::string::npos) << r.out;
  EXPECT_NE(r.out.find("F1 - key (B)", third), std::string::npos) << r.out;
  // With --lighting the lighting record goes along.
  ASSERT_EQ(Run({"lighting", "--effect", "5", "--brightness", "2"}).status, 0);
  ASSERT_EQ(Run({"copy-profile", "1", "2", "--lighting"}).status, 0);
  ASSERT_EQ(Run({"profile", "2"}).status, 0);
  r = Run({"--json", "lighting"});
  EXPECT_NE(r.out.find("\"effect\":5"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"brightness\":2"), std::string::npos) << r.out;
}

TEST_F(PaintCommandsTest, CopyProfileRefusesBadProfilesAndOptions) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"copy-profile", "1", "1"}, {"copy-profile", "0", "2"}, {"copy-profile", "1", "5"},
           {"copy-profile", "1", "2", "--colours"}, {"copy-profile", "1"}}) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
    EXPECT_TRUE(Commands().empty()) << args.back();
  }
}

}  // namespace
}  // namespace zarvel
