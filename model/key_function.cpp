#include "model/key_function.h"

#include "model/byte_io.h"

namespace zarvel {

namespace kl = key_function_layout;

KeyFunction ReadKeyFunction(std::span<const std::uint8_t> bytes) {
  KeyFunction record;
  if (bytes.size() < kKeyFunctionSize) return record;
  ByteReader in(bytes);
  record.type = in.U16(kl::kType);
  record.extra = in.U16(kl::kExtra);
  record.value = in.U32(kl::kValue);
  record.mark = in.U32(kl::kMark);
  record.reserved = in.U32(kl::kReserved);
  return record;
}

void WriteKeyFunction(const KeyFunction& record, std::span<std::uint8_t> bytes) {
  if (bytes.size() < kKeyFunctionSize) return;
  ByteWriter out(bytes);
  out.U16(kl::kType, record.type);
  out.U16(kl::kExtra, record.extra);
  out.U32(kl::kValue, record.value);
  out.U32(kl::kMark, record.mark);
  out.U32(kl::kReserved, record.reserved);
}

void ReadProfileBlock(std::span<const std::uint8_t> bytes, ProfileBlock& block) {
  for (std::size_t i = 0; i < kRecordsPerProfile; ++i) {
    std::size_t offset = i * kKeyFunctionSize;
    block[i] = offset + kKeyFunctionSize <= bytes.size()
                   ? ReadKeyFunction(bytes.subspan(offset, kKeyFunctionSize))
                   : KeyFunction{};
  }
}

void WriteProfileBlock(const ProfileBlock& block, std::span<std::uint8_t> bytes) {
  for (std::size_t i = 0; i < kRecordsPerProfile; ++i) {
    std::size_t offset = i * kKeyFunctionSize;
    if (offset + kKeyFunctionSize > bytes.size()) return;
    WriteKeyFunction(block[i], bytes.subspan(offset, kKeyFunctionSize));
  }
}

void InitProfileBlock(ProfileBlock& block) {
  block.fill(KeyFunction{});
  for (std::size_t k = 0; k < static_cast<std::size_t>(kGKeyCount); ++k) {
    block[kFirstSpecialRecord + k].extra = static_cast<std::uint16_t>(kFirstSpecialId + k);
    block[kFirstSecondSpecialRecord + k].extra = static_cast<std::uint16_t>(kFirstSecondSpecialId + k);
  }
}

void InitKeyArea(KeyArea& area) {
  for (ProfileBlock& block : area) InitProfileBlock(block);
}

void ResetKeyFunction(KeyFunction& record) { record = KeyFunction{}; }

}  // namespace zarvel
