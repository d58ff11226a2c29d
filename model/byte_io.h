#pragma once
// Bounds-checked little-endian access to record bytes.
//
// Records of the keyboard and of profile files are never overlaid with structs:
// every field is read and written through these helpers, which take the offset
// from the record's offset table. A read past the end yields 0 and marks the
// reader as failed; a write past the end is dropped and marks the writer failed,
// so a damaged length can never move memory it does not own.
#include <cstddef>
#include <cstdint>
#include <span>

namespace zarvel {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t U8(std::size_t offset) {
    if (!Fits(offset, 1)) return 0;
    return bytes_[offset];
  }
  std::uint16_t U16(std::size_t offset) {
    if (!Fits(offset, 2)) return 0;
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
  }
  std::uint32_t U32(std::size_t offset) {
    if (!Fits(offset, 4)) return 0;
    return static_cast<std::uint32_t>(bytes_[offset]) |
           (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
  }
  // The bytes [offset, offset + length), or an empty span when they do not fit.
  std::span<const std::uint8_t> Bytes(std::size_t offset, std::size_t length) {
    if (!Fits(offset, length)) return {};
    return bytes_.subspan(offset, length);
  }

  bool ok() const { return ok_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  bool Fits(std::size_t offset, std::size_t length) {
    if (offset <= bytes_.size() && length <= bytes_.size() - offset) return true;
    ok_ = false;
    return false;
  }
  std::span<const std::uint8_t> bytes_;
  bool ok_ = true;
};

class ByteWriter {
 public:
  explicit ByteWriter(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

  void U8(std::size_t offset, std::uint8_t value) {
    if (Fits(offset, 1)) bytes_[offset] = value;
  }
  void U16(std::size_t offset, std::uint16_t value) {
    if (!Fits(offset, 2)) return;
    bytes_[offset] = static_cast<std::uint8_t>(value);
    bytes_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  void U32(std::size_t offset, std::uint32_t value) {
    if (!Fits(offset, 4)) return;
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  void Bytes(std::size_t offset, std::span<const std::uint8_t> data) {
    if (!Fits(offset, data.size())) return;
    for (std::size_t i = 0; i < data.size(); ++i) bytes_[offset + i] = data[i];
  }

  bool ok() const { return ok_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  bool Fits(std::size_t offset, std::size_t length) {
    if (offset <= bytes_.size() && length <= bytes_.size() - offset) return true;
    ok_ = false;
    return false;
  }
  std::span<std::uint8_t> bytes_;
  bool ok_ = true;
};

// Sum of the bytes modulo 256: the checksum of file headers and of reports.
inline std::uint8_t ByteSum(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>(sum);
}

}  // namespace zarvel
