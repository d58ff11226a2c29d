// Key matrices come from the keyboard, and so does the default matrix: any
// bytes must decode to records that encode again without failing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/default_matrix.h"
#include "model/key_matrix.h"
#include "seed_writer.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  using namespace zarvel;
  // Input: a 512-byte default matrix followed by the matrix read for a profile.
  DefaultMatrix defaults = BuiltInDefaultMatrix();
  std::vector<std::uint8_t> unchanged(defaults.begin(), defaults.end());
  unchanged.insert(unchanged.end(), defaults.begin(), defaults.begin() + kMatrixBytes);

  ProfileBlock block;
  InitProfileBlock(block);
  block[0x01] = {kFunctionMacro, 0, 1, 0, 0};
  block[0x1E] = {kFunctionMedia, 0, 7, 0, 0};
  block[0x30] = {kFunctionKey, 0, 0x172, 0, 0};
  block[0x2A] = {kFunctionKeyboard, 0, 3, 0, 0};
  std::vector<std::uint8_t> changed(defaults.begin(), defaults.end());
  std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, defaults, {}, kLargeMatrixBytes);
  changed.insert(changed.end(), sent.begin(), sent.end());
  return {unchanged, changed};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarvel;
  DefaultMatrix defaults{};
  std::size_t head = std::min(size, defaults.size());
  std::copy(data, data + head, defaults.begin());
  std::span<const std::uint8_t> matrix(data + head, size - head);

  ProfileBlock block;
  DecodeKeyMatrix(matrix, defaults, block);
  for (std::size_t r = 274; r < kRecordsPerProfile; ++r) {
    if (!(block[r] == KeyFunction{})) std::abort();  // records past the special ones stay zero
  }
  std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, defaults, {}, kLargeMatrixBytes);
  if (sent.size() != kLargeMatrixBytes) std::abort();
  // Re-reading what was written settles after one more round: a key the
  // keyboard cannot be sent (a system key given as a keyboard usage) becomes
  // "no function" once, and from then on nothing moves.
  ProfileBlock again;
  DecodeKeyMatrix(sent, defaults, again);
  std::vector<std::uint8_t> second = EncodeKeyMatrix(again, defaults, {}, kLargeMatrixBytes);
  DecodeKeyMatrix(second, defaults, again);
  std::vector<std::uint8_t> third = EncodeKeyMatrix(again, defaults, {}, kLargeMatrixBytes);
  if (third != second) std::abort();
  return 0;
}
