#include "skin/message_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarvel {
namespace {

struct Case {
  const char* format;
  std::vector<FormatArg> args;
  std::string expected;
};

std::int64_t I(std::int64_t v) { return v; }
std::uint64_t U(std::uint64_t v) { return v; }

TEST(MessageFormatTest, SupportedConversionsMatchPrintf) {
  const Case cases[] = {
      {"The file %s is not a profile.", {std::string("/tmp/a b.zvl")}, "The file /tmp/a b.zvl is not a profile."},
      {"At most %d macros", {I(100)}, "At most 100 macros"},
      {"%i|%d", {I(-5), U(7)}, "-5|7"},
      {"Key 0x%03X", {U(0x64)}, "Key 0x064"},
      {"%x %X", {U(0xBEEF), U(0xBEEF)}, "beef BEEF"},
      {"%u", {U(18446744073709551615ull)}, "18446744073709551615"},
      {"%d", {I(INT64_MIN)}, "-9223372036854775808"},
      {"[%5d][%-5d][%05d][%+d][% d]", {I(42), I(42), I(-42), I(42), I(42)}, "[   42][42   ][-0042][+42][ 42]"},
      {"[%6s][%-6s][%.2s]", {std::string("abc"), std::string("abc"), std::string("abc")}, "[   abc][abc   ][ab]"},
      {"[%.3d][%.0d]", {I(7), I(0)}, "[007][]"},
      {"100%% sure", {}, "100% sure"},
      {"%.1s", {std::string("\xC3\xA4x")}, ""},  // never half a UTF-8 sequence
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatMessageSpan(c.format, c.args), c.expected) << c.format;
  }
  EXPECT_EQ(FormatMessage("%s: %u", {std::string("Delay"), U(40000)}), "Delay: 40000");
}

// Language files are not ours: whatever a translator writes, nothing reads
// past the arguments given, writes memory, or pads without bound.
TEST(MessageFormatTest, HostileFormatsAreCopiedLiterally) {
  const Case cases[] = {
      {"%n%p%f%c%ls%lld", {I(1), I(2)}, "%n%p%f%c%ls%lld"},
      {"%s%s%s", {std::string("one")}, "one%s%s"},
      {"%d %d", {}, "%d %d"},
      {"%999999d", {I(1)}, "%999999d"},
      {"%99999999999999999999d", {I(1)}, "%99999999999999999999d"},
      {"%.999999s", {std::string("x")}, "%.999999s"},
      {"%*d", {I(5), I(1)}, "%*d"},
      {"ends with %", {I(1)}, "ends with %"},
      {"%-", {I(1)}, "%-"},
      {"%s", {I(12)}, "%s"},           // a number where text belongs
      {"%d", {std::string("x")}, "%d"},
      {"%u %s", {I(-1), std::string("next")}, "%u next"},  // mismatch still uses its argument
      {"%1$s", {std::string("x")}, "%1$s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatMessageSpan(c.format, c.args), c.expected) << c.format;
  }
  EXPECT_EQ(FormatMessageSpan("%255d", std::vector<FormatArg>{I(1)}).size(), 255u);
}

}  // namespace
}  // namespace zarvel
