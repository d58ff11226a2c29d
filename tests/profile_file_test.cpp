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

TEST_F(ProfileFileTest, WhatPassesValidation) {
  EXPECT_EQ(Validate(File(1, 10)), 1);
  std::vector<std::uint8_t> flagged = File(0, 0);
  flagged[30] = 1;
  FixChecksum(flagged);
  EXPECT_EQ(Validate(flagged), 1);
  // The length is not compared with the header here; the loader refuses it.
  std::vector<std::uint8_t> promising = File(0, 0);
  ASSERT_TRUE(WriteHeader(promising, 0, 100));
  EXPECT_EQ(Validate(promising), 1);
  EXPECT_TRUE(prompter_.shown.empty());
  // Sizes a header cannot carry are not written at all.
  std::vector<std::uint8_t> header(32);
  EXPECT_FALSE(WriteHeader(header, 101, 0));
  EXPECT_FALSE(WriteHeader(header, 100, 0xFFFFFFF0u));  // total would wrap past 4 GiB
  EXPECT_EQ(header, std::vector<std::uint8_t>(32, 0));
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
    std::uint32_t value;
    int width;
  };
  const Case cases[] = {
      {"magic", 0, 0x4447, 2},       {"header size", 2, 33, 2}, {"format", 4, 2, 2},
      {"version", 6, 2, 2},          {"record count", 12, 2047, 2}, {"flag byte", 30, 2, 1},
      {"101 macros", 14, 101, 2},    // with the total below matching them
      {"wrapped total", 16, 0xFFFFFFFFu - 32512u * 100 + 1, 4},  // 100 macros + S == 0 mod 2^32
      {"string area past the limit", 16, 32u * 1024u * 1024u + 2, 4},  // total below made to match
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> file = File(0, 0);
    ByteWriter out(file);
    if (c.width == 1) out.U8(c.offset, static_cast<std::uint8_t>(c.value));
    if (c.width == 2) out.U16(c.offset, static_cast<std::uint16_t>(c.value));
    if (c.width == 4) out.U32(c.offset, c.value);
    if (c.offset == 14) out.U32(8, 32832 + 101 * 32512);
    if (c.offset == 16 && c.value > kMaxStringAreaSize && c.value < 0x80000000u) out.U32(8, 32832 + c.value);
    else if (c.offset == 16) out.U16(14, 100);
    FixChecksum(file);
    EXPECT_EQ(Validate(file), 0) << c.what;
  }
  ASSERT_EQ(prompter_.shown.size(), std::size(cases));
  EXPECT_EQ(prompter_.shown.back().first, "PROFILE_FORMAT_ERROR");
  EXPECT_NE(prompter_.shown.back().second.find(dir_ + "/test.zvl"), std::string::npos);
}

// A sparse 4 GB file whose header promises exactly its size: refused from its
// size alone, before a byte past the header is read (it once took seconds and
// gigabytes of memory), and nothing is written with a string area that large.
TEST_F(ProfileFileTest, AHugeFileIsRefusedUnread) {
  const std::string path = dir_ + "/huge.zvl";
  std::vector<std::uint8_t> file = File(0, 0);
  const std::uint64_t huge = 0xFFFF0000ull;
  ByteWriter out(file);
  out.U32(8, static_cast<std::uint32_t>(huge));
  out.U32(16, static_cast<std::uint32_t>(huge - 32832));
  FixChecksum(file);
  ASSERT_TRUE(WriteFileAtomically(path, file));
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(huge)), 0);

  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadProfileFileBytes(path, bytes), 0);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(bytes.capacity(), 0u);
  EXPECT_EQ(ValidateProfileFile(path, prompter_), 0);

  std::vector<std::uint8_t> header(kProfileHeaderSize);
  EXPECT_FALSE(WriteHeader(header, 0, kMaxStringAreaSize + 2));
  EXPECT_TRUE(WriteHeader(header, 100, kMaxStringAreaSize));
  EXPECT_EQ(ReadProfileHeader(header).totalSize, kLargestProfileFile);
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
