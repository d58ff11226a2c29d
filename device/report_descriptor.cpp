#include "device/report_descriptor.h"

#include <algorithm>
#include <array>

namespace zarvel {
namespace {

// Item types and tags of the short item format.
constexpr int kTypeMain = 0;
constexpr int kTypeGlobal = 1;
constexpr int kTypeLocal = 2;

constexpr int kMainInput = 0x8;
constexpr int kMainOutput = 0x9;
constexpr int kMainCollection = 0xA;
constexpr int kMainFeature = 0xB;
constexpr int kMainEndCollection = 0xC;

constexpr int kGlobalUsagePage = 0x0;
constexpr int kGlobalLogicalMin = 0x1;
constexpr int kGlobalLogicalMax = 0x2;
constexpr int kGlobalPhysicalMin = 0x3;
constexpr int kGlobalPhysicalMax = 0x4;
constexpr int kGlobalReportSize = 0x7;
constexpr int kGlobalReportId = 0x8;
constexpr int kGlobalReportCount = 0x9;
constexpr int kGlobalPush = 0xA;
constexpr int kGlobalPop = 0xB;

constexpr int kLocalUsage = 0x0;
constexpr int kLocalUsageMin = 0x1;
constexpr int kLocalUsageMax = 0x2;

constexpr std::uint8_t kLongItemPrefix = 0xFE;

// Main item data bits.
constexpr std::uint32_t kFlagConstant = 0x01;
constexpr std::uint32_t kFlagVariable = 0x02;

// The kernel refuses reports above 16 KiB; a descriptor claiming more is damaged.
constexpr std::uint32_t kMaxReportBits = 16384u * 8u;
// Generous for any real device; keeps a hostile descriptor from exhausting memory.
constexpr std::size_t kMaxFields = 4096;
constexpr std::size_t kMaxUsagesPerItem = 1024;
constexpr int kMaxDepth = 32;
constexpr int kMaxPushDepth = 16;

enum ReportKind { kInput = 0, kOutput = 1, kFeature = 2 };

struct Globals {
  std::uint16_t usage_page = 0;
  std::int32_t logical_min = 0;
  std::int32_t logical_max = 0;
  std::uint32_t logical_max_unsigned = 0;
  std::int32_t physical_min = 0;
  std::int32_t physical_max = 0;
  std::uint32_t report_size = 0;
  std::uint32_t report_count = 0;
  std::uint8_t report_id = 0;
};

struct Usage {
  std::uint16_t page;
  std::uint16_t id;
};

struct Locals {
  std::vector<Usage> usages;
  bool has_min = false, has_max = false;
  Usage min{0, 0}, max{0, 0};
  void Clear() { *this = Locals{}; }
};

std::uint32_t Unsigned(std::span<const std::uint8_t> data) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < data.size(); ++i) v |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return v;
}

std::int32_t Signed(std::span<const std::uint8_t> data) {
  const std::uint32_t v = Unsigned(data);
  switch (data.size()) {
    case 1: return static_cast<std::int8_t>(v);
    case 2: return static_cast<std::int16_t>(v);
    case 4: return static_cast<std::int32_t>(v);
    default: return 0;
  }
}

// A usage item of 4 bytes names its page in the high half; shorter ones use
// the current global page.
Usage MakeUsage(std::span<const std::uint8_t> data, std::uint16_t page) {
  const std::uint32_t v = Unsigned(data);
  if (data.size() == 4) return {static_cast<std::uint16_t>(v >> 16), static_cast<std::uint16_t>(v)};
  return {page, static_cast<std::uint16_t>(v)};
}

// Bits `bit_offset`.. of the data bytes behind the id byte, little-endian.
bool ExtractBits(std::span<const std::uint8_t> report, std::uint32_t bit_offset, std::uint32_t bit_size,
                 std::uint32_t& out) {
  if (bit_size == 0 || bit_size > 32 || report.empty()) return false;
  const std::uint64_t end_bit = static_cast<std::uint64_t>(bit_offset) + bit_size;
  if ((end_bit + 7) / 8 > report.size() - 1) return false;
  std::uint32_t v = 0;
  for (std::uint32_t i = 0; i < bit_size; ++i) {
    const std::uint32_t bit = bit_offset + i;
    if ((report[1 + bit / 8] >> (bit % 8)) & 1u) v |= 1u << i;
  }
  out = v;
  return true;
}

std::int32_t SignExtend(std::uint32_t v, std::uint32_t bits) {
  if (bits == 0 || bits >= 32) return static_cast<std::int32_t>(v);
  const std::uint32_t sign = 1u << (bits - 1);
  return static_cast<std::int32_t>((v ^ sign) - sign);
}

class Parser {
 public:
  bool Run(std::span<const std::uint8_t> bytes, ReportDescriptorInfo& out) {
    out = ReportDescriptorInfo{};
    std::size_t pos = 0;
    while (pos < bytes.size()) {
      const std::uint8_t prefix = bytes[pos];
      if (prefix == kLongItemPrefix) {
        // Long items carry vendor data we never need; skip them whole.
        if (pos + 2 >= bytes.size()) return false;
        const std::size_t size = bytes[pos + 1];
        if (size > bytes.size() - pos - 3) return false;
        pos += 3 + size;
        continue;
      }
      const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
      if (size > bytes.size() - pos - 1) return false;
      const auto data = bytes.subspan(pos + 1, size);
      const int type = (prefix >> 2) & 3;
      const int tag = prefix >> 4;
      pos += 1 + size;
      bool ok = true;
      if (type == kTypeMain) ok = Main(tag, data, out);
      else if (type == kTypeGlobal) ok = Global(tag, data);
      else if (type == kTypeLocal) Local(tag, data);
      if (!ok) return false;
    }
    if (depth_ != 0 || out.collections.empty()) return false;
    out.numbered_reports = numbered_;
    FinishLengths(out);
    return true;
  }

 private:
  bool Global(int tag, std::span<const std::uint8_t> data) {
    switch (tag) {
      case kGlobalUsagePage: g_.usage_page = static_cast<std::uint16_t>(Unsigned(data)); break;
      case kGlobalLogicalMin: g_.logical_min = Signed(data); break;
      case kGlobalLogicalMax:
        g_.logical_max = Signed(data);
        g_.logical_max_unsigned = Unsigned(data);
        break;
      case kGlobalPhysicalMin: g_.physical_min = Signed(data); break;
      case kGlobalPhysicalMax: g_.physical_max = Signed(data); break;
      case kGlobalReportSize: g_.report_size = Unsigned(data); break;
      case kGlobalReportCount: g_.report_count = Unsigned(data); break;
      case kGlobalReportId: {
        const std::uint32_t id = Unsigned(data);
        if (id == 0 || id > 255) return false;
        g_.report_id = static_cast<std::uint8_t>(id);
        numbered_ = true;
        break;
      }
      case kGlobalPush:
        if (stack_.size() >= kMaxPushDepth) return false;
        stack_.push_back(g_);
        break;
      case kGlobalPop:
        if (stack_.empty()) return false;
        g_ = stack_.back();
        stack_.pop_back();
        break;
      default: break;
    }
    return true;
  }

  void Local(int tag, std::span<const std::uint8_t> data) {
    switch (tag) {
      case kLocalUsage:
        if (l_.usages.size() < kMaxUsagesPerItem) l_.usages.push_back(MakeUsage(data, g_.usage_page));
        break;
      case kLocalUsageMin: l_.has_min = true; l_.min = MakeUsage(data, g_.usage_page); break;
      case kLocalUsageMax: l_.has_max = true; l_.max = MakeUsage(data, g_.usage_page); break;
      default: break;
    }
  }

  bool Main(int tag, std::span<const std::uint8_t> data, ReportDescriptorInfo& out) {
    bool ok = true;
    switch (tag) {
      case kMainCollection:
        if (depth_ >= kMaxDepth) return false;
        if (depth_ == 0) {
          HidCollectionInfo c;
          const Usage u = l_.usages.empty() ? (l_.has_min ? l_.min : Usage{g_.usage_page, 0}) : l_.usages.front();
          c.usage_page = u.page;
          c.usage = u.id;
          out.collections.push_back(std::move(c));
          current_ = out.collections.size() - 1;
        }
        ++depth_;
        break;
      case kMainEndCollection:
        if (depth_ == 0) return false;
        --depth_;
        break;
      case kMainInput: ok = DataItem(kInput, Unsigned(data), out); break;
      case kMainOutput: ok = DataItem(kOutput, Unsigned(data), out); break;
      case kMainFeature: ok = DataItem(kFeature, Unsigned(data), out); break;
      default: break;
    }
    l_.Clear();
    return ok;
  }

  // The usages a data item's slots are assigned, at most `count` of them.
  std::vector<Usage> SlotUsages(std::uint32_t count) const {
    std::vector<Usage> usages;
    if (!l_.usages.empty()) {
      for (const Usage& u : l_.usages) {
        if (usages.size() >= count) break;
        usages.push_back(u);
      }
    } else if (l_.has_min && l_.has_max && l_.max.id >= l_.min.id) {
      for (std::uint32_t id = l_.min.id; id <= l_.max.id && usages.size() < count; ++id)
        usages.push_back({l_.min.page, static_cast<std::uint16_t>(id)});
    }
    return usages;
  }

  bool DataItem(ReportKind kind, std::uint32_t flags, ReportDescriptorInfo& out) {
    const std::uint64_t item_bits = static_cast<std::uint64_t>(g_.report_size) * g_.report_count;
    std::uint32_t& bits = bits_[kind][g_.report_id];
    if (item_bits > kMaxReportBits || bits + item_bits > kMaxReportBits) return false;
    const std::uint32_t offset = bits;
    bits += static_cast<std::uint32_t>(item_bits);
    used_[kind][g_.report_id] = true;
    if (depth_ > 0) collection_ids_[kind][g_.report_id] = static_cast<int>(current_);
    if (depth_ == 0 || kind != kInput || (flags & kFlagConstant) || item_bits == 0) return true;
    if (g_.report_size > 32) return true;  // opaque blob: nothing we can decode as a usage
    HidCollectionInfo& c = out.collections[current_];
    if (c.input_buttons.size() + c.input_values.size() >= kMaxFields) return false;

    std::int32_t logical_max = g_.logical_max;
    // Descriptors often write 255 as the one byte FF; read the maximum as
    // unsigned whenever the minimum is not negative.
    if (g_.logical_min >= 0 && logical_max < 0) logical_max = static_cast<std::int32_t>(std::min<std::uint32_t>(g_.logical_max_unsigned, INT32_MAX));

    const bool is_array = !(flags & kFlagVariable);
    if (is_array || g_.report_size == 1) {
      HidButtonField f;
      f.report_id = g_.report_id;
      f.is_array = is_array;
      f.bit_offset = offset;
      f.bit_size = g_.report_size;
      f.count = g_.report_count;
      f.logical_min = g_.logical_min;
      f.logical_max = logical_max;
      if (l_.usages.empty()) {
        f.usage_page = l_.has_min ? l_.min.page : g_.usage_page;
        f.usage_min = l_.has_min ? l_.min.id : 0;
        f.usage_max = l_.has_max ? l_.max.id : f.usage_min;
        if (f.usage_max < f.usage_min) f.usage_max = f.usage_min;
      } else {
        f.is_range = false;
        f.usage_page = l_.usages.front().page;
        f.usage_min = 0xFFFF;
        for (const Usage& u : l_.usages) {
          f.usages.push_back(u.id);
          f.usage_min = std::min<std::uint32_t>(f.usage_min, u.id);
          f.usage_max = std::max<std::uint32_t>(f.usage_max, u.id);
        }
      }
      c.input_buttons.push_back(std::move(f));
      return true;
    }

    // Value item: one field per usage; the last usage takes the remaining slots.
    std::vector<Usage> usages = SlotUsages(g_.report_count);
    if (usages.empty()) usages.push_back({g_.usage_page, 0});
    if (c.input_values.size() + usages.size() + c.input_buttons.size() > kMaxFields) return false;
    for (std::size_t i = 0; i < usages.size(); ++i) {
      HidValueField v;
      v.usage_page = usages[i].page;
      v.usage = usages[i].id;
      v.report_id = g_.report_id;
      v.bit_offset = offset + static_cast<std::uint32_t>(i) * g_.report_size;
      v.bit_size = g_.report_size;
      v.count = i + 1 == usages.size() ? g_.report_count - static_cast<std::uint32_t>(i) : 1;
      v.logical_min = g_.logical_min;
      v.logical_max = logical_max;
      v.physical_min = g_.physical_min;
      v.physical_max = g_.physical_max;
      c.input_values.push_back(v);
    }
    return true;
  }

  void FinishLengths(ReportDescriptorInfo& out) const {
    for (int kind = 0; kind < 3; ++kind) {
      for (int id = 0; id < 256; ++id) {
        if (!used_[kind][id]) continue;
        const int owner = collection_ids_[kind][id];
        if (owner < 0) continue;
        const std::uint32_t bytes = (bits_[kind][id] + 7) / 8 + 1;  // + the id byte
        const auto len = static_cast<std::uint16_t>(std::min<std::uint32_t>(bytes, 0xFFFF));
        HidCollectionInfo& c = out.collections[static_cast<std::size_t>(owner)];
        std::uint16_t& target = kind == kInput ? c.input_report_length
                                : kind == kOutput ? c.output_report_length
                                                  : c.feature_report_length;
        target = std::max(target, len);
      }
    }
  }

  Globals g_;
  Locals l_;
  std::vector<Globals> stack_;
  int depth_ = 0;
  std::size_t current_ = 0;
  bool numbered_ = false;
  std::array<std::array<std::uint32_t, 256>, 3> bits_{};
  std::array<std::array<bool, 256>, 3> used_{};
  std::array<std::array<int, 256>, 3> collection_ids_ = [] {
    std::array<std::array<int, 256>, 3> a{};
    for (auto& row : a) row.fill(-1);
    return a;
  }();
};

}  // namespace

bool ParseReportDescriptor(std::span<const std::uint8_t> bytes, ReportDescriptorInfo& out) {
  Parser parser;
  return parser.Run(bytes, out);
}

std::vector<std::uint16_t> PressedUsages(const HidCollectionInfo& collection, std::span<const std::uint8_t> report,
                                         std::uint16_t usage_page) {
  std::vector<std::uint16_t> pressed;
  if (report.empty()) return pressed;
  for (const HidButtonField& f : collection.input_buttons) {
    if (f.report_id != report[0] || f.usage_page != usage_page) continue;
    for (std::uint32_t slot = 0; slot < f.count; ++slot) {
      std::uint32_t raw = 0;
      if (!ExtractBits(report, f.bit_offset + slot * f.bit_size, f.bit_size, raw)) break;
      std::uint32_t usage = 0;
      if (f.is_array) {
        const std::int64_t v = f.logical_min < 0 ? SignExtend(raw, f.bit_size) : static_cast<std::int64_t>(raw);
        if (v < f.logical_min || v > f.logical_max) continue;
        const std::uint64_t index = static_cast<std::uint64_t>(v - f.logical_min);
        if (f.is_range) {
          if (index > f.usage_max - f.usage_min) continue;
          usage = f.usage_min + static_cast<std::uint32_t>(index);
        } else {
          if (index >= f.usages.size()) continue;
          usage = f.usages[index];
        }
      } else {
        if (raw == 0) continue;
        if (f.is_range) {
          if (slot > f.usage_max - f.usage_min) continue;
          usage = f.usage_min + slot;
        } else {
          if (f.usages.empty()) continue;
          usage = f.usages[std::min<std::size_t>(slot, f.usages.size() - 1)];
        }
      }
      if (usage != 0) pressed.push_back(static_cast<std::uint16_t>(usage));
    }
  }
  return pressed;
}

bool ReadFieldValue(const HidValueField& field, std::span<const std::uint8_t> report, std::uint32_t& raw,
                    std::int32_t& scaled) {
  if (report.empty() || report[0] != field.report_id) return false;
  std::uint32_t bits = 0;
  if (!ExtractBits(report, field.bit_offset, field.bit_size, bits)) return false;
  raw = bits;
  const std::int64_t logical = field.logical_min < 0 ? SignExtend(bits, field.bit_size) : static_cast<std::int64_t>(bits);
  const std::int64_t lrange = static_cast<std::int64_t>(field.logical_max) - field.logical_min;
  const std::int64_t prange = static_cast<std::int64_t>(field.physical_max) - field.physical_min;
  if (prange != 0 && lrange > 0) {
    const std::int64_t v = field.physical_min + (logical - field.logical_min) * prange / lrange;
    scaled = static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  } else {
    scaled = static_cast<std::int32_t>(std::clamp<std::int64_t>(logical, INT32_MIN, INT32_MAX));
  }
  return true;
}

}  // namespace zarvel
