#include "skin/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/atomic_file.h"

namespace zarvel {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-ini-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    path_ = dir_ + "/file.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteRaw(const std::string& text) { ASSERT_TRUE(WriteFileAtomically(path_, text)); }
  std::string ReadRaw() const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path_, bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  std::string Read(std::string_view section, std::string_view key, std::size_t maxChars = 259) const {
    return ReadProfileString(path_, section, key, "DEF", maxChars);
  }

  std::string dir_;
  std::string path_;
};

TEST_F(IniFileTest, ReadsNamesCaseInsensitivelyAndFallsBackForAnythingMissing) {
  WriteRaw(
      "; leading comment\n"
      "[Text]\n"
      "  Greeting =  Hello there  \n"
      "Empty=\n"
      "Quoted=\"  padded  \"\n"
      "Single='x'\n"
      "Lone=\"\n"
      "Equation=a=b\n"
      "#Hidden=no\n"
      "NoEquals\n"
      "Greeting=second copy\n"
      "[text]\n"
      "Other=from duplicate section\n"
      "[ Spaced ]\n"
      "k=v\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"TEXT", "GREETING", "Hello there"},   // names fold case, spaces trimmed
      {"text", "greeting", "Hello there"},   // the first duplicate key wins
      {"TEXT", "Empty", ""},                 // present but empty: not the default
      {"TEXT", "Quoted", "  padded  "},      // quotes keep inner spaces
      {"TEXT", "Single", "x"},
      {"TEXT", "Lone", "\""},
      {"TEXT", "Equation", "a=b"},
      {"TEXT", "#Hidden", "DEF"},            // comment lines hold no keys
      {"TEXT", "NoEquals", "DEF"},
      {"TEXT", "Other", "DEF"},              // only the first section of a name is read
      {"Spaced", "k", "v"},
      {"TEXT", "Missing", "DEF"},
      {"NOSECTION", "Greeting", "DEF"},
      {"TEXT", "", "DEF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ReadProfileString(dir_ + "/absent.ini", "TEXT", "Greeting", "DEF", 259), "DEF");
  EXPECT_TRUE(ProfileKeyExists(path_, "text", "empty"));
  EXPECT_FALSE(ProfileKeyExists(path_, "text", "missing"));
}

TEST_F(IniFileTest, CutsResultsAndDefaultsToCapacityInCharacters) {
  WriteRaw("[S]\nk=\xC3\xA4\xC3\xB6\xC3\xBC" "abc\n");  // "äöüabc"
  EXPECT_EQ(Read("S", "k", 2), "\xC3\xA4\xC3\xB6");
  EXPECT_EQ(Read("S", "k", 6), "\xC3\xA4\xC3\xB6\xC3\xBC" "abc");
  EXPECT_EQ(Read("S", "k", 0), "");
  EXPECT_EQ(ReadProfileString(path_, "S", "missing", "default", 3), "def");
}

TEST_F(IniFileTest, WriteChangesOneLineAndKeepsEverythingElse) {
  const std::string original =
      "; keep this comment\r\n"
      "[KEYCOLOR]\r\n"
      "DengCheck = 0\r\n"
      "Unknown=keep me\r\n"
      "\r\n"
      "[OTHER]\r\n"
      "x=1\r\n";
  WriteRaw(original);
  ASSERT_TRUE(WriteProfileString(path_, "keycolor", "dengcheck", "1"));
  std::string expected = original;
  expected.replace(expected.find("DengCheck = 0"), 13, "DengCheck =1");
  EXPECT_EQ(ReadRaw(), expected);

  // A new key goes to the end of its section, before the blank separator line,
  // with the file's own line ending.
  ASSERT_TRUE(WriteProfileString(path_, "KEYCOLOR", "Added", "yes"));
  EXPECT_EQ(ReadRaw(),
            "; keep this comment\r\n[KEYCOLOR]\r\nDengCheck =1\r\nUnknown=keep me\r\nAdded=yes\r\n\r\n"
            "[OTHER]\r\nx=1\r\n");
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKey) {
  ASSERT_TRUE(WriteProfileString(path_, "A", "one", "1"));
  EXPECT_EQ(ReadRaw(), "[A]\none=1\n");
  ASSERT_TRUE(WriteProfileString(path_, "B", "two", "2"));
  ASSERT_TRUE(WriteProfileString(path_, "A", "three", "3"));
  EXPECT_EQ(ReadRaw(), "[A]\none=1\nthree=3\n[B]\ntwo=2\n");

  // A last line without its line break gets one before anything is added.
  WriteRaw("[A]\nlast=1");
  ASSERT_TRUE(WriteProfileString(path_, "A", "next", "2"));
  EXPECT_EQ(ReadRaw(), "[A]\nlast=1\nnext=2\n");

  ASSERT_TRUE(WriteProfileStrings(path_, "C", {{"p", "1"}, {"q", "2"}, {"p", "3"}}));
  EXPECT_EQ(Read("C", "p"), "3");
  EXPECT_EQ(Read("C", "q"), "2");
}

TEST_F(IniFileTest, RefusesWritesThatWouldBreakTheFile) {
  WriteRaw("[S]\nk=v\n");
  EXPECT_FALSE(WriteProfileString(path_, "S", "k", "two\nlines"));
  EXPECT_FALSE(WriteProfileString(path_, "S", "k", std::string("nul\0inside", 10)));
  EXPECT_FALSE(WriteProfileString(path_, "S", "a=b", "v"));
  EXPECT_FALSE(WriteProfileString(path_, "S", "[x", "v"));
  EXPECT_FALSE(WriteProfileString(path_, "S", ";x", "v"));
  EXPECT_FALSE(WriteProfileString(path_, "S", "", "v"));
  EXPECT_FALSE(WriteProfileString(path_, "S]x", "k", "v"));
  EXPECT_FALSE(WriteProfileStrings(path_, "S", {{"ok", "1"}, {"bad", "a\rb"}}));
  EXPECT_EQ(ReadRaw(), "[S]\nk=v\n");

  // A path that exists but cannot be read as a file is never replaced.
  std::string folder = dir_ + "/folder.ini";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  EXPECT_FALSE(WriteProfileString(folder, "S", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(IniFileTest, ReadsUtf16LeWithBomAndWritesItBackInUtf16) {
  // "[S]\r\nname=Grüße €\r\n" in UTF-16LE with its byte-order mark.
  std::u16string text = u"[S]\r\nname=Gr\u00FC\u00DFe \u20AC \U0001F600\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  WriteRaw(bytes);
  EXPECT_EQ(Read("s", "NAME"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");

  ASSERT_TRUE(WriteProfileString(path_, "S", "added", "\xC3\xA9"));
  std::string after = ReadRaw();
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(after.substr(0, bytes.size()), bytes);  // existing lines unchanged
  EXPECT_EQ(Read("S", "added"), "\xC3\xA9");
  EXPECT_EQ(Read("S", "name"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
}

TEST_F(IniFileTest, SkipsUtf8ByteOrderMarkAndKeepsIt) {
  WriteRaw("\xEF\xBB\xBF[S]\nk=v\n");
  EXPECT_EQ(Read("S", "k"), "v");
  ASSERT_TRUE(WriteProfileString(path_, "S", "k", "w"));
  EXPECT_EQ(ReadRaw(), "\xEF\xBB\xBF[S]\nk=w\n");
}

TEST_F(IniFileTest, IntegerReadingFollowsThePrivateProfileRules) {
  WriteRaw("[N]\na=42\nb=-7\nc=12abc\nd=abc\ne=\nf=0x1F\ng=99999999999\nh=+5\ni=-99999999999\n");
  struct Case {
    const char* key;
    int expected;
  };
  const Case cases[] = {{"a", 42}, {"b", -7}, {"c", 12}, {"d", 0}, {"e", 0}, {"f", 31},
                        {"g", 2147483647}, {"h", 5}, {"i", -2147483647 - 1}, {"missing", 77}};
  for (const Case& c : cases) EXPECT_EQ(ReadProfileInt(path_, "N", c.key, 77), c.expected) << c.key;
}

TEST_F(IniFileTest, SectionListingAndKeyDeletion) {
  WriteRaw("[S]\nb=2\n;c=3\na=1\n[T]\nz=9\n");
  auto entries = ReadProfileSection(path_, "s");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (std::pair<std::string, std::string>("b", "2")));
  EXPECT_EQ(entries[1], (std::pair<std::string, std::string>("a", "1")));
  EXPECT_TRUE(ReadProfileSection(path_, "none").empty());

  EXPECT_TRUE(DeleteProfileKey(path_, "S", "B"));
  EXPECT_EQ(ReadRaw(), "[S]\n;c=3\na=1\n[T]\nz=9\n");
  EXPECT_TRUE(DeleteProfileKey(path_, "S", "absent"));
}

TEST_F(IniFileTest, SkinReaderReturnsNoneForEmptyAndCutsLongValues) {
  WriteRaw("[SCREEN]\nMain=bg.jpg\nEmpty=\nLong=" + std::string(3000, 'x') + "\n");
  CIniFile skin(path_);
  EXPECT_EQ(skin.ReadString("SCREEN", "Main").value_or("?"), "bg.jpg");
  EXPECT_FALSE(skin.ReadString("SCREEN", "Empty", "fallback").has_value());
  EXPECT_FALSE(skin.ReadString("SCREEN", "Missing").has_value());
  EXPECT_EQ(skin.ReadString("SCREEN", "Missing", "fallback").value_or("?"), "fallback");
  EXPECT_EQ(skin.ReadString("SCREEN", "Long")->size(), CIniFile::kMaxValueChars);
  EXPECT_TRUE(skin.WriteString("SCREEN", "Mask", "mask.png"));
  EXPECT_EQ(skin.ReadString("screen", "mask").value_or("?"), "mask.png");
}

}  // namespace
}  // namespace zarvel
