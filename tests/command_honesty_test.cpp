// zarvelctl never reports success for what did not happen: every argument is
// checked before the keyboard is written, a store that could not be saved is
// a failure, names from files cannot play tricks on the terminal, and a
// corpus of damaged profile files gets the same verdict from validate, dump
// and import, with the store file untouched whenever an import fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "model/atomic_file.h"
#include "model/macro.h"
#include "model/profile_store.h"
#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

class CommandHonestyTest : public ZarvelctlFixture {
 protected:
  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--simulate=" + File("keyboard.txt")};
    all.insert(all.end(), args.begin(), args.end());
    return ZarvelctlFixture::Run(all);
  }
  std::vector<std::uint8_t> Bytes(const std::string& path) const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
  }
  std::string StoreFile() const { return (UserData() / "$Profile0").string(); }
};

// A valid file with two macros and keys that use them.
std::vector<std::uint8_t> SampleFile(const std::string& path, const std::string& first_name = "Greeting") {
  ProfileStore store;
  for (std::uint16_t id : {1, 2}) {
    MacroRecord macro;
    macro.id = id;
    macro.repeat = 1;
    SetMacroNameUtf8(macro, id == 1 ? first_name.c_str() : "Second");
    macro.actionCount = 2;
    macro.actions[0] = MacroAction{30, 0x23, kPress};
    macro.actions[1] = MacroAction{0, 0x23, kRelease};
    store.macros.push_back(macro);
  }
  store.Record(0, 0x1E) = KeyFunction{kFunctionMacro, 0, 2, 0, 0};
  store.Record(1, 0x3B) = KeyFunction{kFunctionKey, 0, 0x30, 0, 0};
  EXPECT_TRUE(SaveImageToFile(store, path));
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

TEST_F(CommandHonestyTest, LightingChecksEveryArgumentBeforeWritingAny) {
  const RunResult before = Run({"--json", "lighting"});
  ASSERT_EQ(before.status, 0) << before.err;
  RunResult r = Run({"lighting", "--brightness", "1", "--colour", "zz"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("'zz'"), std::string::npos) << r.err;  // the bad colour is named
  EXPECT_EQ(Run({"--json", "lighting"}).out, before.out);      // and nothing was written
  // JSON and text show the direction the same way.
  const std::string text = Run({"lighting"}).out;
  const std::size_t at = text.find("Direction:");
  ASSERT_NE(at, std::string::npos) << text;
  const std::string word = text.substr(text.find_first_not_of(' ', at + 10), 6);  // "first\n" or "second"
  const std::string shown = word.substr(0, word.find('\n'));
  EXPECT_NE(before.out.find("\"direction\":\"" + shown + "\""), std::string::npos) << before.out << text;
  r = Run({"--json", "colours"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"slots\":["), std::string::npos) << r.out;
}

TEST_F(CommandHonestyTest, StoreThatCannotBeSavedFailsSyncAndAssign) {
  ASSERT_EQ(Run({"sync"}).status, 0);
  // A folder where the store file belongs: the keyboard is read, the store
  // cannot be saved, and the run says so with the system's reason.
  fs::remove(StoreFile());
  fs::create_directory(StoreFile());
  RunResult r = Run({"sync"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot save the profile store"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Is a directory"), std::string::npos) << r.err;
  r = Run({"--json", "export", File("out.zvl")});
  EXPECT_EQ(r.status, 0) << r.err;  // the keyboard is there: export takes its profiles
  EXPECT_NE(r.out.find("\"file\""), std::string::npos);
}

TEST_F(CommandHonestyTest, ExportWithoutKeyboardOrStoreIsAnError) {
  const RunResult r = ZarvelctlFixture::Run({"export", File("out.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nothing to export"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(File("out.zvl")));
}

// Profile files named up to the file system's limit are written, read back
// and replaced like any other; one byte more is refused with the system's
// reason and leaves nothing behind.
TEST_F(CommandHonestyTest, FileNamesUpToTheLimitWork) {
  const long name_max = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  ASSERT_GT(name_max, 20);
  const std::string longest = File(std::string(static_cast<std::size_t>(name_max - 4), 'p').append(".zvl").c_str());
  RunResult r = Run({"new-file", longest});
  ASSERT_EQ(r.status, 0) << r.err;
  r = Run({"read", longest});
  ASSERT_EQ(r.status, 0) << r.err;
  r = Run({"export", longest});
  ASSERT_EQ(r.status, 0) << r.err;
  r = Run({"validate", longest});
  EXPECT_EQ(r.status, 0) << r.err;
  r = Run({"import", longest});
  EXPECT_EQ(r.status, 0) << r.err;

  const std::string over = File(std::string(static_cast<std::size_t>(name_max - 3), 'q').append(".zvl").c_str());
  r = Run({"export", over});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("File name too long"), std::string::npos) << r.err;
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(dir_))
    entries += entry.path().filename().string().find(".tmp-") != std::string::npos;
  EXPECT_EQ(entries, 0u);
}

TEST_F(CommandHonestyTest, ControlCharactersInNamesAreEscaped) {
  SampleFile(File("tricky.zvl"), "ab\x1b[2Jcd");
  const RunResult r = ZarvelctlFixture::Run({"dump", File("tricky.zvl")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  EXPECT_NE(r.out.find("ab\\x1b[2Jcd"), std::string::npos) << r.out;
}

TEST_F(CommandHonestyTest, DamagedFilesGetOneVerdictAndNeverTouchTheStore) {
  const std::vector<std::uint8_t> good = SampleFile(File("good.zvl"));
  ASSERT_EQ(Run({"import", File("good.zvl")}).status, 0);
  const std::vector<std::uint8_t> store = Bytes(StoreFile());

  // Cut short at every interesting length, single bytes changed in the
  // header and the macro area, counts and sizes made absurd.
  std::vector<std::vector<std::uint8_t>> corpus;
  for (std::size_t cut : {0ul, 1ul, 31ul, 32ul, 33ul, 100ul, 32831ul, 32832ul, 32833ul})
    if (cut < good.size()) corpus.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
  for (std::size_t k = 1; k <= 40; ++k) corpus.emplace_back(good.begin(), good.end() - static_cast<std::ptrdiff_t>(k * 97));
  std::mt19937 random(20261209);
  for (int n = 0; n < 110; ++n) {
    std::vector<std::uint8_t> file = good;
    const std::size_t at = n < 60 ? random() % 64 : 32832 + random() % (file.size() - 32832);
    file[at] = static_cast<std::uint8_t>(random());
    corpus.push_back(std::move(file));
  }
  std::size_t imports = 0;
  for (std::size_t i = 0; i < corpus.size(); ++i) {
    const std::string path = File("damaged.zvl");
    ASSERT_TRUE(WriteFileAtomically(path, corpus[i]));
    const RunResult validate = ZarvelctlFixture::Run({"validate", path});
    const RunResult dump = ZarvelctlFixture::Run({"dump", path});
    EXPECT_TRUE(validate.status == 0 || validate.status == 1) << i << ": " << validate.err;
    EXPECT_TRUE(dump.status == 0 || dump.status == 1) << i << ": " << dump.err;
    EXPECT_EQ(validate.status == 0, dump.status == 0) << "file " << i << ": validate and dump disagree";
    // Importing every one would take long; every sixth, and every valid one.
    if (validate.status != 0 && i % 6 != 0) continue;
    ++imports;
    const RunResult import = Run({"import", path});
    EXPECT_TRUE(import.status == 0 || import.status == 1) << i << ": " << import.err;
    if (validate.status != 0) {
      EXPECT_NE(import.status, 0) << "file " << i << " was invalid but imported";
    }
    if (import.status != 0) {
      EXPECT_EQ(Bytes(StoreFile()), store) << "file " << i << ": a refused import changed the store";
    } else {
      ASSERT_EQ(Run({"import", File("good.zvl")}).status, 0);  // back to the known store
    }
  }
  EXPECT_GT(imports, 25u);
}

}  // namespace
}  // namespace zarvel
