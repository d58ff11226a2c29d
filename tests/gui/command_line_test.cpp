// The window program's command line, the names of its semaphores and the
// session's suspended flag: small rules a slip in would go unnoticed until a
// user's autostart or a companion tool breaks.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/named_semaphores.h"
#include "app/session_watcher.h"

namespace zarvel {
namespace {

struct SwitchCase {
  std::vector<std::string> args;
  std::vector<StartSwitch> expected;
};

TEST(WindowCommandLineTest, SwitchesAreWholeCaseInsensitiveAndKeepTheirOrder) {
  const SwitchCase cases[] = {
      {{"/Kill"}, {StartSwitch::kKill}},
      {{"/kill"}, {StartSwitch::kKill}},
      {{"/KILL"}, {StartSwitch::kKill}},
      {{"/sTaRt"}, {StartSwitch::kStart}},
      {{"/Start", "/Kill"}, {StartSwitch::kStart, StartSwitch::kKill}},
      {{"/Kill", "/Start"}, {StartSwitch::kKill, StartSwitch::kStart}},
      // Look-alikes are not switches.
      {{"-Kill", "--Kill", "/Killer", "/Kil", "Kill", "/Start=1", " /Start", "/Start "}, {}},
      {{"/Kill", "/Kill"}, {StartSwitch::kKill, StartSwitch::kKill}},
  };
  for (const SwitchCase& c : cases) {
    WindowOptions options;
    std::string error;
    ASSERT_TRUE(ParseWindowCommandLine(c.args, options, error)) << error;
    EXPECT_EQ(options.switches, c.expected) << c.args.front();
  }
}

TEST(WindowCommandLineTest, KeyboardOptionsMeanWhatTheyMeanForZarvelctl) {
  WindowOptions options;
  std::string error;
  ASSERT_TRUE(ParseWindowCommandLine({"/Start", "--simulate=/tmp/k.state", "--variant=320F:5000", "--trace=/tmp/t"},
                                     options, error))
      << error;
  EXPECT_TRUE(options.keyboard.simulate);
  EXPECT_EQ(options.keyboard.state_file, "/tmp/k.state");
  ASSERT_NE(options.keyboard.variant, nullptr);
  EXPECT_EQ(options.keyboard.variant->product_id, 0x5000);
  EXPECT_EQ(options.keyboard.trace_file, "/tmp/t");
  EXPECT_EQ(options.switches, std::vector<StartSwitch>{StartSwitch::kStart});

  WindowOptions real;
  ASSERT_TRUE(ParseWindowCommandLine({}, real, error));
  EXPECT_FALSE(real.keyboard.simulate) << "the real keyboard is the default";
}

TEST(WindowCommandLineTest, UnusableValuesOfOurOptionsAreRefusedOthersIgnored) {
  const std::vector<std::vector<std::string>> refused = {
      {"--simulate="}, {"--variant=0c45:5000", "--simulate"}, {"--variant=0c45:5004"},  // variant without simulate
      {"--trace="},    {"--trace"},                           {"--tour="},
  };
  for (const auto& args : refused) {
    WindowOptions options;
    std::string error;
    EXPECT_FALSE(ParseWindowCommandLine(args, options, error)) << args.front();
    EXPECT_FALSE(error.empty());
  }
  WindowOptions options;
  std::string error;
  EXPECT_TRUE(ParseWindowCommandLine({"--unknown", "stray", "-x", "/Other"}, options, error)) << error;
}

TEST(WindowCommandLineTest, ToolOptions) {
  WindowOptions options;
  std::string error;
  ASSERT_TRUE(ParseWindowCommandLine({"--help", "--report-first-paint", "--tour=shots"}, options, error));
  EXPECT_TRUE(options.help);
  EXPECT_TRUE(options.report_first_paint);
  EXPECT_EQ(options.tour_folder, "shots");
  EXPECT_NE(WindowUsageText().find("/Start"), std::string::npos);
  EXPECT_NE(WindowUsageText().find("--simulate"), std::string::npos);
}

TEST(NamedSemaphoresTest, NamesUseTwoDigitsAtLeast) {
  EXPECT_EQ(NamedEventName(1), "/Zarvel_Event_Main_01");
  EXPECT_EQ(NamedEventName(9), "/Zarvel_Event_Main_09");
  EXPECT_EQ(NamedEventName(10), "/Zarvel_Event_Main_10");
  EXPECT_EQ(NamedEventName(208), "/Zarvel_Event_Main_208");
}

TEST(SessionStateTest, OnlyTheCauseThatSuspendedEndsTheSuspension) {
  using C = SessionChange;
  struct Case {
    std::vector<C> changes;
    bool suspended;
  };
  const Case cases[] = {
      {{C::kSessionLock}, true},
      {{C::kSessionLock, C::kSessionUnlock}, false},
      {{C::kConsoleDisconnect, C::kConsoleConnect}, false},
      // The first cause is kept: a lock while disconnected does not replace it.
      {{C::kConsoleDisconnect, C::kSessionLock, C::kSessionUnlock}, true},
      {{C::kConsoleDisconnect, C::kSessionLock, C::kConsoleConnect}, false},
      {{C::kSessionLock, C::kConsoleConnect}, true},
      {{C::kSessionUnlock}, false},
      {{C::kConsoleConnect}, false},
  };
  for (const Case& c : cases) {
    SessionState state;
    for (C change : c.changes) state.Apply(change);
    EXPECT_EQ(state.Suspended(), c.suspended) << "after " << c.changes.size() << " changes";
  }
}

}  // namespace
}  // namespace zarvel
