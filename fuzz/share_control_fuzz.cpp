// Messages of another process's control connection to a shared simulated
// keyboard: any sequence of packets is answered (never with an empty packet,
// which would read as the connection's end) and leaves a keyboard that still
// answers, whatever the counts, areas, offsets and times they carry.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "device/simulated_keyboard.h"
#include "device/simulated_sharing.h"
#include "seed_writer.h"

namespace {

using zarvel::ShareOp;

std::vector<std::uint8_t> Message(std::initializer_list<std::uint8_t> bytes) {
  std::vector<std::uint8_t> message{static_cast<std::uint8_t>(bytes.size())};
  message.insert(message.end(), bytes.begin(), bytes.end());
  return message;
}

std::uint8_t Op(ShareOp op) { return static_cast<std::uint8_t>(op); }

}  // namespace

// Input: messages, each a length byte and that many bytes.
std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  auto join = [](std::initializer_list<std::vector<std::uint8_t>> messages) {
    std::vector<std::uint8_t> all;
    for (const auto& m : messages) all.insert(all.end(), m.begin(), m.end());
    return all;
  };
  seeds.push_back(join({Message({Op(ShareOp::kHello), 0x34, 0x12, 0x78, 0x56}), Message({Op(ShareOp::kIsPlugged)})}));
  seeds.push_back(join({Message({Op(ShareOp::kArea), 2}), Message({Op(ShareOp::kSetArea), 3, 0xFF, 0x01, 0, 0, 9, 9})}));
  seeds.push_back(join({Message({Op(ShareOp::kDelay), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
                        Message({Op(ShareOp::kLatency), 0, 0, 0, 0, 0, 0, 0, 0x80}),
                        Message({Op(ShareOp::kVirtualPassed)})}));
  seeds.push_back(join({Message({Op(ShareOp::kChangeProfile), 0xFF, 0xFF, 0xFF, 0x7F}),
                        Message({Op(ShareOp::kNotify), 0x01, 0x00}), Message({Op(ShareOp::kUnplugAfter), 0xFF, 0xFF,
                                                                             0xFF, 0xFF}),
                        Message({Op(ShareOp::kUnplug)}), Message({Op(ShareOp::kPlugIn)}),
                        Message({Op(ShareOp::kExchangeCount)}), Message({Op(ShareOp::kStateError)})}));
  seeds.push_back(join({Message({Op(ShareOp::kRefuse), 5, 0, 0, 0, 0x42}), Message({Op(ShareOp::kLose), 3, 0, 0, 0}),
                        Message({Op(ShareOp::kEchoes), 0}), Message({Op(ShareOp::kInBracket)}), Message({0xEE})}));
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // In memory (no state file, so kSave writes nothing) and on the virtual
  // clock, so no delay a message sets is ever slept.
  zarvel::SimulatedKeyboard keyboard;
  keyboard.UseVirtualClock(true);
  std::size_t at = 0;
  while (at < size) {
    const std::size_t length = data[at++];
    std::vector<std::uint8_t> request(data + at, data + std::min(size, at + length));
    at += length;
    // The virtual clock stays: a real one would sleep the delays set.
    if (!request.empty() && request[0] == static_cast<std::uint8_t>(ShareOp::kVirtualClock)) continue;
    if (zarvel::AnswerControlRequest(keyboard, request).empty()) __builtin_trap();
  }
  // Still a keyboard: its areas read whole.
  for (int area = 0; area <= static_cast<int>(zarvel::KeyboardArea::kKeyColours); ++area)
    (void)keyboard.Area(static_cast<zarvel::KeyboardArea>(area));
  return 0;
}
