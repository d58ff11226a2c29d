// zarvelctl against a keyboard that answers late, a run stopped by a signal
// in the middle of a write, a trace file that is not a file, and validation
// that refuses what import refuses.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "model/atomic_file.h"
#include "model/profile_store.h"
#include "support/core_rig.h"
#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBeginRequest = "> 04 01 00 01 00";
constexpr const char* kEndRequest = "> 04 02 00 02 00";

class LateKeyboardCliTest : public ZarvelctlFixture {
 protected:
  void SetUp() override {
    ZarvelctlFixture::SetUp();
    env_.push_back("ZARVEL_LOCK_WAIT=0.3");
  }
  std::string State() const { return File("keyboard.txt"); }
  std::vector<std::string> With(std::vector<std::string> args, const std::string& faults = {}) const {
    args.insert(args.begin(), "--simulate=" + State());
    if (!faults.empty()) args.insert(args.begin() + 1, "--simulate-faults=" + faults);
    return args;
  }
  std::string StoreFile() const { return (UserData() / "$Profile0").string(); }
  std::vector<std::uint8_t> Bytes(const std::string& path) const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
  }
  static std::vector<std::string> RequestLines(const std::string& trace) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < trace.size()) {
      const std::size_t end = std::min(trace.find('\n', start), trace.size());
      if (trace.compare(start, 2, "> ") == 0) lines.push_back(trace.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }
};

TEST_F(LateKeyboardCliTest, AssignmentsOnASlowKeyboardLandOnTheirKeyOrFailPlainly) {
  ASSERT_EQ(Run(With({"sync"})).status, 0);
  // 900 ms per reply: the factory matrix used to be read shifted by a piece,
  // and F2 then had "no place" in it.
  RunResult r = Run(With({"assign", "F2", "key:B"}, "delay=900,virtual-clock=1"));
  EXPECT_EQ(r.status, 0) << r.err;
  r = Run(With({"sync"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("F2 - key (B)"), std::string::npos) << r.out;

  // 1500 ms: no reply in time; a plain failure, the store file untouched.
  const std::vector<std::uint8_t> before = Bytes(StoreFile());
  r = Run(With({"assign", "F1", "key:B"}, "delay=1500,virtual-clock=1"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("did not answer"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("capacity of 0"), std::string::npos) << r.err;
  EXPECT_EQ(Bytes(StoreFile()), before);
  r = Run(With({"sync"}));
  EXPECT_EQ(r.out.find("F1 - key"), std::string::npos) << r.out;
}

TEST_F(LateKeyboardCliTest, EveryStopSignalEndsAWriteWithTheTransferClosedAndTheStoreKept) {
  ASSERT_EQ(Run(With({"sync"})).status, 0);
  const std::vector<std::uint8_t> store = Bytes(StoreFile());
  const std::string trace = File("trace.txt");
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGUSR1, SIGUSR2}) {
    SCOPED_TRACE(signal_number);
    fs::remove(trace);
    const pid_t pid = Start(With({"--trace=" + trace, "assign", "F1", "key:B"}, "delay=40"));
    ASSERT_GT(pid, 0);
    // Stopped once the keyboard is inside the write's transfer.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Slurp(trace).find(kBeginRequest) == std::string::npos && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, signal_number);
    const RunResult r = Wait(pid);
    EXPECT_EQ(r.status, 128 + signal_number) << r.err;
    EXPECT_NE(r.err.find("did not take the change"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("stopped by SIG"), std::string::npos) << r.err;
    EXPECT_EQ(Bytes(StoreFile()), store);
    const std::vector<std::string> requests = RequestLines(Slurp(trace));
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().rfind(kEndRequest, 0), 0u) << requests.back();
  }
  // Whatever part of a write the keyboard took, the next run reads it back.
  EXPECT_EQ(Run(With({"sync"})).status, 0);
}

TEST_F(LateKeyboardCliTest, AWriteTheKeyboardDidNotTakeLeavesTheSavedStoreFileAsItWas) {
  ASSERT_EQ(Run(With({"sync"})).status, 0);
  const std::vector<std::uint8_t> before = Bytes(StoreFile());
  ProfileStore store;
  store.Record(0, 0x3C) = testing::KeyTo(0x30);
  const std::string path = File("keys.zvl");
  ASSERT_TRUE(SaveImageToFile(store, path));
  // Gone in the middle of the key matrices, after the store file was saved.
  const RunResult r = Run(With({"--save-store", "write", path}, "unplug-after=14"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("did not take every part"), std::string::npos) << r.err;
  EXPECT_EQ(Bytes(StoreFile()), before);
}

TEST_F(LateKeyboardCliTest, TraceFilesThatAreNotFilesAreRefusedAtOnce) {
  const std::string fifo = File("trace.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  RunResult r = Run(With({"--trace=" + fifo, "info"}));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot open the trace file " + fifo + ": it is a named pipe"), std::string::npos) << r.err;
  r = Run(With({"--trace=/dev/null", "info"}));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("not a regular file or a terminal"), std::string::npos) << r.err;
  fs::create_directory(File("folder"));
  r = Run(With({"--trace=" + File("folder"), "info"}));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(File("folder")), std::string::npos) << r.err;
  // A regular file is traced as ever, a late reply included.
  r = Run(With({"--trace=" + File("trace.txt"), "info"}, "delay=350,virtual-clock=1"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(Slurp(File("trace.txt")).find("< late "), std::string::npos);
}

TEST_F(LateKeyboardCliTest, ValidateRefusesTwoMacrosWithOneNumberAsImportDoes) {
  ProfileStore store;
  store.macros.push_back(testing::MakeMacro(5, "One"));
  store.macros.push_back(testing::MakeMacro(5, "Two"));
  const std::string path = File("twice.zvl");
  ASSERT_TRUE(SaveImageToFile(store, path));
  RunResult r = Run({"validate", path});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("two macros with the same number"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("not a valid profile file"), std::string::npos) << r.out;
  r = Run(With({"import", path}));
  EXPECT_EQ(r.status, 1);
  store.macros.pop_back();
  ASSERT_TRUE(SaveImageToFile(store, path));
  EXPECT_EQ(Run({"validate", path}).status, 0);
}

}  // namespace
}  // namespace zarvel
