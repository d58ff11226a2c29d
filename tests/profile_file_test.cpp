#include "model/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/atomic_file.h"
#include "model/byte_io.h"
#include "model/key_function.h"
#include "skin/program_paths.h"

namespace zarvel {
namespace {

const std::vector<std::uint8_t> kFreshHeader = {0x46, 0x44, 0x20, 0x00, 0x03, 0x00, 0x01, 0x00, 0x40, 0x80, 0x00,
                                                0x00, 0x00, 0x08, 0x00, 0x00, 0,    0,    0,    0,    0,    0,
                                                0,    0,    0,    0,    0,    0,    0,    0,    0,    0x76};
const std::vector<std::uint8_t> kDescriptor = {0x4B, 0x48, 0x20, 0x00, 0x20, 0x80, 0x00, 0x00, 0x04, 0x00, 0x00,
                                               0x02, 0x00, 0x00, 0x00, 0x00, 0x45, 0x0C, 0x04, 0x50, 0x4F, 0x1C,
                                               0x0E, 0x00, 0,    0,    0,    0,    0,    0,    0,    0};

class RecordingPrompter : public Prompter {
 public:
  void ShowMessage(const std::string& key, const std::string& text) override { shown.push_back({key, text}); }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::vector<std::pair<std::string, std::string>> shown;
};

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-profile-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    SetProgramFolder(ZARVEL_PROGRAM_DIR);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    SetProgramFolder("");
  }
  // A header for n macros and S string bytes, with the file grown to match.
  std::vector<std::uint8_t> File(std::uint16_t n, std::uint32_t s) {
    std::vector<std::uint8_t> file(kProfileImageSize + n * 32512u + s, 0);
    EXPECT_TRUE(WriteHeader(file, n, s));
    WriteDescriptor(file);
    return file;
  }
  int Validate(const std::vector<std::uint8_t>& bytes) {
    std::string path = dir_ + "/test.zvl";
    EXPECT_TRUE(WriteFileAtomically(path, bytes));
    return ValidateProfileFile(path, prompter_);
  }
  static void FixChecksum(std::vector<std::uint8_t>& file) { file[31] = ByteSum(std::span(file).first(31)); }

  std::string dir_;
  RecordingPrompter prompter_;
};

TEST_F(ProfileFileTest, FreshFileMatchesTheGoldenBytes) {
  std::string path = dir_ + "/new.zvl";
  ASSERT_TRUE(NewProfileFile(path));
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(path, file));
  ASSERT_EQ(file.size(), kProfileImageSize);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 32), kFreshHeader);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 32, file.begin() + 64), kDescriptor);
  KeyArea area;
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    ReadProfileBlock(std::span(file).subspan(64 + p * kProfileBlockSize, kProfileBlockSize), area[p]);
  }
  KeyArea fresh;
  InitKeyArea(fresh);
  EXPECT_EQ(area, fresh);
  EXPECT_EQ(ValidateProfileFile(path, prompter_), 1);
  EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(ProfileFileTest, HeaderSizesAndRefusals) {
  std::vector<std::uint8_t> header(32);
  ASSERT_TRUE(WriteHeader(header, 2, 6));
  ProfileHeader read = ReadProfileHeader(header);
  EXPECT_EQ(read.macroCount, 2);
  EXPECT_EQ(read.stringAreaSize, 6u);
  EXPECT_EQ(read.totalSize, 32832u + 2 * 32512u + 6u);
  EXPECT_FALSE(WriteHeader(header, 101, 0));
  EXPECT_FALSE(WriteHeader(header, 100, 0xFFFFFFF0u));  // total would wrap past 4 GiB
  EXPECT_FALSE(WriteHeader(std::span(header).first(31), 0, 0));
}

TEST_F(ProfileFileTest, ValidFilesPass) {
  EXPECT_EQ(Validate(File(0, 0)), 1);
  EXPECT_EQ(Validate(File(1, 10)), 1);
  std::vector<std::uint8_t> flagged = File(0, 0);
  flagged[30] = 1;
  FixChecksum(flagged);
  EXPECT_EQ(Validate(flagged), 1);
  // The length is not compared with the header: a short file still passes here.
  std::vector<std::uint8_t> promising = File(0, 0);
  ASSERT_TRUE(WriteHeader(promising, 0, 100));
  EXPECT_EQ(Validate(promising), 1);
  EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(ProfileFileTest, EveryChangedHeaderByteWithoutItsChecksumIsRefused) {
  for (std::size_t i = 0; i < 31; ++i) {
    std::vector<std::uint8_t> file = File(0, 0);
    file[i] ^= 0x01;
    EXPECT_EQ(Validate(file), 0) << "byte " << i;
  }
  EXPECT_EQ(prompter_.shown.size(), 31u);
  std::vector<std::uint8_t> file = File(0, 0);
  file[31] ^= 0x80;
  EXPECT_EQ(Validate(file), 0);
}

TEST_F(ProfileFileTest, BadFieldsWithAFixedChecksumAreRefused) {
  struct Case {
    const char* what;
    std::size_t offset;
    std::uint16_t value;
  };
  const Case cases[] = {
      {"magic", 0, 0x4447}, {"header size", 2, 33}, {"format", 4, 2}, {"version", 6, 2},
      {"record count", 12, 2047}, {"flag byte 2", 30, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> file = File(0, 0);
    if (c.offset == 30) {
      file[30] = static_cast<std::uint8_t>(c.value);
    } else {
      ByteWriter(file).U16(c.offset, c.value);
    }
    FixChecksum(file);
    EXPECT_EQ(Validate(file), 0) << c.what;
  }

  // 101 macros with a matching total size.
  std::vector<std::uint8_t> file = File(0, 0);
  ByteWriter out(file);
  out.U16(14, 101);
  out.U32(8, 32832 + 101 * 32512);
  FixChecksum(file);
  EXPECT_EQ(Validate(file), 0) << "101 macros";

  // A total that only matches when the sum wraps round 32 bits.
  file = File(0, 0);
  ByteWriter wrap(file);
  wrap.U16(14, 1);
  wrap.U32(16, 0xFFFFFFFFu - 32512 + 1);  // 32832 + 32512 + S == 32832 modulo 2^32
  FixChecksum(file);
  EXPECT_EQ(Validate(file), 0) << "wrapped total";

  ASSERT_FALSE(prompter_.shown.empty());
  const std::string path = dir_ + "/test.zvl";
  EXPECT_EQ(prompter_.shown.back().first, "PROFILE_FORMAT_ERROR");
  EXPECT_NE(prompter_.shown.back().second.find(path), std::string::npos);
}

TEST_F(ProfileFileTest, MissingSmallAndUnreadableFilesShowNothing) {
  EXPECT_EQ(ValidateProfileFile(dir_ + "/absent.zvl", prompter_), 0);
  std::vector<std::uint8_t> small = File(0, 0);
  small.pop_back();
  EXPECT_EQ(Validate(small), 0);
  EXPECT_EQ(ValidateProfileFile(dir_, prompter_), -2);  // a folder is no file
  if (::geteuid() != 0) {
    std::string locked = dir_ + "/locked.zvl";
    ASSERT_TRUE(WriteFileAtomically(locked, File(0, 0)));
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(ValidateProfileFile(locked, prompter_), -2);
  }
  EXPECT_TRUE(prompter_.shown.empty());
}

}  // namespace
}  // namespace zarvel
