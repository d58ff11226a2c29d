#include "model/profile_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <new>

#include "model/atomic_file.h"
#include "model/byte_io.h"
#include "model/profile_file.h"
#include "skin/program_paths.h"

namespace zarvel {

namespace {

bool OwnsText(const KeyFunction& record) {
  return record.type == kFunctionLaunch || record.type == kFunctionText;
}

// The NUL-terminated text at `offset` (rounded down to even) inside the area;
// false when the offset lies outside it or no terminator follows inside it.
bool TextAt(std::span<const std::uint8_t> area, std::uint32_t offset, std::u16string& text) {
  std::size_t at = offset & ~std::size_t{1};
  text.clear();
  for (; at + 1 < area.size(); at += 2) {
    auto unit = static_cast<char16_t>(area[at] | (area[at + 1] << 8));
    if (unit == 0) return true;
    text.push_back(unit);
  }
  text.clear();
  return false;
}

}  // namespace

const StringEntry& StringTable::Entry(std::size_t global) const {
  static const StringEntry kNone;
  return global < entries_.size() ? entries_[global] : kNone;
}

void StringTable::Set(std::size_t global, std::u16string_view text) {
  if (global >= entries_.size()) return;
  text = text.substr(0, text.find(u'\0'));
  StringEntry& entry = entries_[global];
  total_ -= entry.size;
  entry.text.assign(text);
  entry.size = static_cast<std::uint32_t>((text.size() + 1) * 2);
  total_ += entry.size;
}

void StringTable::Clear(std::size_t global) {
  if (global >= entries_.size()) return;
  StringEntry& entry = entries_[global];
  total_ -= entry.size;
  entry = StringEntry{};
}

void StringTable::ReleaseAll() {
  for (StringEntry& entry : entries_) entry = StringEntry{};
  total_ = 0;
}

ProfileStore::ProfileStore() { CreateStore(*this); }

ProfileImage NewImage() {
  ProfileImage image;
  InitKeyArea(image);
  return image;
}

KeyFunction WithoutLostMacro(const MacroSet& macros, KeyFunction function) {
  if (function.type == kFunctionMacro && FindMacroById(macros, function.value) == nullptr) {
    function.type = kFunctionDefault;
    function.value = 0;
  }
  return function;
}

void CreateStore(ProfileStore& store) {
  InitKeyArea(store.image);
  store.macros.clear();
  store.strings.ReleaseAll();
}

std::vector<std::uint8_t> PackStrings(ProfileStore& store) {
  std::vector<std::uint8_t> area(static_cast<std::size_t>(store.strings.total()), 0);
  std::size_t s = 0;
  for (std::size_t i = 0; i < kKeyAreaRecords; ++i) {
    KeyFunction& record = store.image[i / kRecordsPerProfile][i % kRecordsPerProfile];
    const StringEntry& entry = store.strings.Entry(i);
    if (!OwnsText(record)) continue;
    if (entry.size == 0 || s + entry.size > area.size()) {
      record.value = static_cast<std::uint32_t>(area.size());
      continue;
    }
    for (std::size_t c = 0; c < entry.text.size(); ++c) {
      area[s + 2 * c] = static_cast<std::uint8_t>(entry.text[c]);
      area[s + 2 * c + 1] = static_cast<std::uint8_t>(entry.text[c] >> 8);
    }
    record.value = static_cast<std::uint32_t>(s);
    s += entry.size;
  }
  return area;
}

std::vector<std::uint8_t> ProfileFileBytes(const ProfileImage& image, const MacroSet& macros,
                                           std::span<const std::uint8_t> stringArea) {
  if (macros.size() > kMaxMacros || stringArea.size() > 0xFFFFFFFFull) return {};
  const std::size_t macrosEnd = kProfileMacrosOffset + macros.size() * kMacroRecordSize;
  std::vector<std::uint8_t> file(macrosEnd + stringArea.size(), 0);
  if (!WriteHeader(file, static_cast<std::uint16_t>(macros.size()), static_cast<std::uint32_t>(stringArea.size()))) {
    return {};
  }
  std::span<std::uint8_t> bytes(file);
  WriteDescriptor(bytes);
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    WriteProfileBlock(image[p], bytes.subspan(kKeyAreaOffset + p * kProfileBlockSize, kProfileBlockSize));
  }
  for (std::size_t m = 0; m < macros.size(); ++m) {
    WriteMacroRecord(macros[m], bytes.subspan(kProfileMacrosOffset + m * kMacroRecordSize, kMacroRecordSize));
  }
  std::copy(stringArea.begin(), stringArea.end(), file.begin() + static_cast<std::ptrdiff_t>(macrosEnd));
  return file;
}

bool LoadStoreFromBytes(ProfileStore& store, std::span<const std::uint8_t> file) {
  if (file.size() < kProfileImageSize) return false;
  const ProfileHeader header = ReadProfileHeader(file);
  if (header.macroCount > kMaxMacros) return false;
  const std::uint64_t macrosEnd =
      kProfileMacrosOffset + static_cast<std::uint64_t>(header.macroCount) * kMacroRecordSize;
  // Refused whole: a file cut short would otherwise install a partial image.
  if (macrosEnd + header.stringAreaSize > file.size()) return false;

  // Everything that allocates happens before the store is touched, so a
  // failure leaves it as it was; the macro set is then filled in place and
  // keeps its buffer from one load to the next.
  auto area = std::make_unique<ProfileImage>();
  auto strings = std::make_unique<StringTable>();
  try {
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      ReadProfileBlock(file.subspan(kKeyAreaOffset + p * kProfileBlockSize, kProfileBlockSize), (*area)[p]);
    }
    const auto stringArea = file.subspan(static_cast<std::size_t>(macrosEnd), header.stringAreaSize);
    std::u16string text;
    for (std::size_t i = 0; i < kKeyAreaRecords; ++i) {
      const KeyFunction& record = (*area)[i / kRecordsPerProfile][i % kRecordsPerProfile];
      if (OwnsText(record) && TextAt(stringArea, record.value, text)) strings->Set(i, text);
    }
    store.macros.resize(header.macroCount);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::size_t m = 0; m < header.macroCount; ++m) {
    ReadMacroRecord(file.subspan(kProfileMacrosOffset + m * kMacroRecordSize, kMacroRecordSize), store.macros[m]);
  }
  store.image = *area;
  store.strings = std::move(*strings);
  return true;
}

bool LoadStoreFile(ProfileStore& store, const std::string& path) {
  std::vector<std::uint8_t> file;
  if (ReadProfileFileBytes(path, file) != 1) return false;
  return LoadStoreFromBytes(store, file);
}

bool SaveImageToFile(ProfileStore& store, const std::string& path) {
  try {
    std::vector<std::uint8_t> strings = PackStrings(store);
    std::vector<std::uint8_t> file = ProfileFileBytes(store.image, store.macros, strings);
    if (file.empty()) return false;
    return WriteFileAtomically(path, file);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool SaveStoreFile(ProfileStore& store, const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return SaveImageToFile(store, path);
}

std::string StoreFilePath() { return UserDataFolder() + "$Profile0"; }

}  // namespace zarvel
