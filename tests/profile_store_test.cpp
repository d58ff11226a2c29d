#include "model/profile_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/atomic_file.h"
#include "model/byte_io.h"
#include "model/profile_file.h"
#include "model/prompter.h"

namespace zarvel {
namespace {

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-store-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    path_ = dir_ + "/$Profile0";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A store with a text on each profile, a key that lost its text function,
  // a program launch with no text and two macros.
  static void Fill(ProfileStore& store) {
    store.Record(0, 0x1E) = {kFunctionLaunch, 0, 0, 1, 0};
    store.strings.Set(GlobalRecordNumber(0, 0x1E), u"/usr/bin/editor");
    store.Record(3, 0x30) = {kFunctionText, 0, 0, 0, 0xDEAD};
    store.strings.Set(GlobalRecordNumber(3, 0x30), u"Hello \u00e9\U0001F600");
    store.Record(1, 0x10) = {kFunctionKey, 0, 0x01E, 0, 0};
    store.strings.Set(GlobalRecordNumber(1, 0x10), u"orphan");  // kept, counted, not written
    store.Record(2, 0x11) = {kFunctionMacro, 4, 2, 0, 0};
    MacroRecord first;
    first.id = 2;
    SetMacroName(first, u"first");
    first.actionCount = 4000;
    first.actions[3999] = {40000, 0x01E, kRelease};
    MacroRecord second;
    second.id = 1;
    second.repeat = 9;
    store.macros = {first, second};
  }

  std::string dir_;
  std::string path_;
};

TEST_F(ProfileStoreTest, FreshStoreHoldsDefaultsOnly) {
  ProfileStore store;
  Fill(store);
  CreateStore(store);
  EXPECT_EQ(store.image, NewImage());
  EXPECT_EQ(store.image[3][264].extra, 0x0309);
  EXPECT_TRUE(store.macros.empty());
  EXPECT_EQ(store.strings.total(), 0u);
  EXPECT_EQ(store.strings.Entry(GlobalRecordNumber(0, 0x1E)).size, 0u);
}

TEST_F(ProfileStoreTest, PackingPlacesTextsInRecordOrder) {
  ProfileStore store;
  Fill(store);
  std::vector<std::uint8_t> area = PackStrings(store);
  EXPECT_EQ(area.size(), store.strings.total());
  EXPECT_EQ(store.Record(0, 0x1E).value, 0u);
  EXPECT_EQ(store.Record(3, 0x30).value, 32u);  // after "/usr/bin/editor" and its NUL
  EXPECT_EQ(area[0], '/');
  EXPECT_EQ(area[30], 0);
  EXPECT_EQ(area[32], 'H');
  EXPECT_EQ(store.Record(1, 0x10).value, 0x01Eu) << "no longer a text record: untouched";

  // A text record without a text points past the area, never at another text.
  store.Record(2, 0x20) = {kFunctionLaunch, 0, 0, 0, 0};
  area = PackStrings(store);
  EXPECT_EQ(store.Record(2, 0x20).value, area.size());
}

TEST_F(ProfileStoreTest, SaveAndLoadRoundTrip) {
  ProfileStore store;
  Fill(store);
  ASSERT_TRUE(SaveImageToFile(store, path_));
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(path_, file));
  const std::uint64_t s = store.strings.total();
  EXPECT_EQ(file.size(), 32832u + 2 * 32512u + s);
  SilentPrompter prompter;
  EXPECT_EQ(ValidateProfileFile(path_, prompter), 1);
  EXPECT_EQ(ReadProfileHeader(file).stringAreaSize, s) << "the orphaned text is counted";

  // Loaded over a store with more macros and other texts: nothing of them stays.
  ProfileStore loaded;
  loaded.macros.resize(5);
  loaded.strings.Set(7, u"stale");
  ASSERT_TRUE(LoadStoreFile(loaded, path_));
  EXPECT_EQ(loaded.strings.Entry(7).size, 0u);
  EXPECT_EQ(loaded.image, store.image);
  EXPECT_EQ(loaded.macros, store.macros);
  EXPECT_EQ(loaded.strings.Entry(GlobalRecordNumber(0, 0x1E)).text, u"/usr/bin/editor");
  EXPECT_EQ(loaded.strings.Entry(GlobalRecordNumber(3, 0x30)).text, u"Hello \u00e9\U0001F600");
  EXPECT_EQ(loaded.strings.Entry(GlobalRecordNumber(1, 0x10)).size, 0u) << "orphans are dropped on load";
  EXPECT_EQ(loaded.strings.total(), s - 14);

  // Saved again, the file shrinks by the orphan and the records keep their texts.
  ASSERT_TRUE(SaveStoreFile(loaded, path_));
  ProfileStore again;
  ASSERT_TRUE(LoadStoreFile(again, path_));
  EXPECT_EQ(again.image, loaded.image);
  EXPECT_EQ(again.strings.Entry(GlobalRecordNumber(3, 0x30)).text, u"Hello \u00e9\U0001F600");
}

TEST_F(ProfileStoreTest, StoreFileIsOnlyWrittenOnceItExists) {
  ProfileStore store;
  EXPECT_FALSE(SaveStoreFile(store, path_));
  EXPECT_FALSE(std::filesystem::exists(path_));
  ASSERT_TRUE(NewProfileFile(path_));
  Fill(store);
  EXPECT_TRUE(SaveStoreFile(store, path_));
  EXPECT_GT(std::filesystem::file_size(path_), kProfileImageSize);
}

TEST_F(ProfileStoreTest, FailedSaveKeepsTheOldFile) {
  ProfileStore store;
  ASSERT_TRUE(SaveImageToFile(store, path_));
  // A disk that fills up half-way through the larger file (a file-size limit
  // stands in for it, and binds root too).
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = before;
  tight.rlim_cur = kProfileImageSize + 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  Fill(store);
  const bool saved = SaveImageToFile(store, path_);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(std::filesystem::file_size(path_), kProfileImageSize);
  ProfileStore reloaded;
  EXPECT_TRUE(LoadStoreFile(reloaded, path_));
  EXPECT_TRUE(reloaded.macros.empty());
}

TEST_F(ProfileStoreTest, ShortFileIsRefusedWholeAndTheStoreStaysAsItWas) {
  ProfileStore saved;
  Fill(saved);
  ASSERT_TRUE(SaveImageToFile(saved, path_));
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(path_, file));

  ProfileStore store;
  store.Record(0, 1) = {kFunctionDisabled, 0, 0, 0, 0};
  const ProfileImage before = store.image;
  // Cut inside the string area, inside the macros and inside the image.
  for (std::size_t size : {file.size() - 1, kProfileImageSize + 100, kProfileImageSize - 1, std::size_t{0}}) {
    EXPECT_FALSE(LoadStoreFromBytes(store, std::span(file).first(size))) << size;
    EXPECT_EQ(store.image, before) << size;
    EXPECT_TRUE(store.macros.empty()) << size;
  }
  EXPECT_FALSE(LoadStoreFile(store, dir_ + "/absent"));
  EXPECT_EQ(store.image, before);

  // More than 100 macros is refused even when the bytes are there.
  std::vector<std::uint8_t> many(file);
  ByteWriter(many).U16(14, 101);
  EXPECT_FALSE(LoadStoreFromBytes(store, many));
}

TEST_F(ProfileStoreTest, DamagedStringOffsetsGiveNoText) {
  ProfileStore store;
  store.Record(0, 1) = {kFunctionText, 0, 0, 0, 0};
  store.strings.Set(GlobalRecordNumber(0, 1), u"abc");
  std::vector<std::uint8_t> area = PackStrings(store);  // 8 bytes: "abc\0"
  std::vector<std::uint8_t> file = ProfileFileBytes(store.image, {}, area);
  ASSERT_FALSE(file.empty());

  struct Case {
    std::uint32_t offset;
    std::u16string text;
    std::uint32_t size;
  };
  const Case cases[] = {
      {0, u"abc", 8}, {3, u"bc", 6},  // odd offsets round down
      {6, u"", 2},    {8, u"", 0},   {0xFFFFFFFF, u"", 0},
  };
  for (const Case& c : cases) {
    ByteWriter(file).U32(64 + 16 + 4, c.offset);  // value of record 1, profile 0
    ProfileStore loaded;
    ASSERT_TRUE(LoadStoreFromBytes(loaded, file)) << c.offset;
    EXPECT_EQ(loaded.strings.Entry(1).text, c.text) << c.offset;
    EXPECT_EQ(loaded.strings.Entry(1).size, c.size) << c.offset;
    EXPECT_EQ(loaded.strings.total(), c.size) << c.offset;
  }

  // No terminator inside the area: no text.
  ByteWriter(file).U32(64 + 16 + 4, 0);
  file.back() = 'x';
  file[file.size() - 2] = 'x';
  ProfileStore loaded;
  ASSERT_TRUE(LoadStoreFromBytes(loaded, file));
  EXPECT_EQ(loaded.strings.Entry(1).size, 0u);
}

}  // namespace
}  // namespace zarvel
