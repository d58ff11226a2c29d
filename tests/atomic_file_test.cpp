#include "model/atomic_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace zarvel {
namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-atomic-XXXXXX";
    dir_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::size_t EntriesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                  std::filesystem::directory_iterator()));
  }
  std::string dir_;
};

TEST_F(AtomicFileTest, ReplacesContentAndLeavesNoTemporaryFile) {
  std::string path = dir_ + "/store";
  ASSERT_TRUE(WriteFileAtomically(path, std::string("old content that is longer")));
  ASSERT_TRUE(WriteFileAtomically(path, std::string("new")));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(AtomicFileTest, AbandonedWriteKeepsTheOldFile) {
  std::string path = dir_ + "/store";
  ASSERT_TRUE(WriteFileAtomically(path, std::string("kept")));
  {
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Write(std::string("half of a new fi")));
    // Dies here without Commit(): as if the program ended mid-write.
  }
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "kept");
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(AtomicFileTest, FailsCleanlyWhereTheFolderIsMissing) {
  EXPECT_FALSE(WriteFileAtomically(dir_ + "/no/such/folder/file", std::string("x")));
  std::vector<std::uint8_t> bytes{1, 2, 3};
  EXPECT_FALSE(ReadWholeFile(dir_ + "/missing", bytes));
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace zarvel
