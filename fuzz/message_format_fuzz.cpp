// Language texts used as message formats: whatever the text holds, the
// formatter reads only the arguments it was given and its output stays
// bounded by the format, the arguments and the 255-character field limit.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "seed_writer.h"
#include "skin/message_format.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  // Byte 0 picks the arguments (see below), the rest is the format.
  for (const char* format : {"\x07The file %s is not a profile.", "\x01Key 0x%03X", "\x02%-5d|%+d|% 05i|%%",
                             "\x03%n%s%s%s%999999d%", "\x05%.2s %x %X %u"}) {
    std::string text = format;
    seeds.emplace_back(text.begin(), text.end());
  }
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::uint8_t pick = data[0];
  std::string format(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<zarvel::FormatArg> args;
  const std::string text = "/home/user/profile \xC3\xA4.zvl";
  for (int i = 0; i < (pick & 3); ++i) {
    switch ((pick >> (2 + 2 * i)) & 3) {
      case 0:
        args.emplace_back(std::int64_t{-1234567890123});
        break;
      case 1:
        args.emplace_back(std::uint64_t{0xFFFFFFFFFFFFFFFFull});
        break;
      case 2:
        args.emplace_back(text);
        break;
      default:
        args.emplace_back(std::int64_t{INT64_MIN});
        break;
    }
  }
  std::string out = zarvel::FormatMessageSpan(format, args);
  std::size_t bound = format.size() + args.size() * (text.size() + 256 + 21);
  if (out.size() > bound) __builtin_trap();
  return 0;
}
