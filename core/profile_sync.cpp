#include "core/profile_sync.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <type_traits>
#include <vector>

#include "core/keyboard_change_mark.h"
#include "model/atomic_file.h"
#include "model/byte_io.h"
#include "model/default_matrix.h"
#include "model/key_matrix.h"
#include "model/macro_area.h"
#include "model/profile_store.h"

namespace zarvel {

static_assert(std::is_same_v<KeyMatrixSlot, DefaultMatrix>,
              "the factory matrix the monitor reads is the one the key records are translated against");

ProfileSync::ProfileSync(DeviceLink& link, ConnectionContext& connection) : link_(link), connection_(connection) {}

int ProfileSync::GetActiveProfile() {
  const int cached = connection_.ActiveProfileCache();
  if (cached >= 0) return cached;
  DeviceInfoRecord record{};
  if (link_.ReadDeviceInfo(record) != kResultDone) return -1;
  const int profile = record[device_info_offset::kActiveProfile];
  // A profile number the program cannot address is no better than none.
  if (profile >= static_cast<int>(kProfileCount)) return -1;
  connection_.SetActiveProfileCache(profile);
  return profile;
}

bool ProfileSync::SetActiveProfile(int profile) {
  // The keyboard has four slots; writing any other number into its record
  // would leave it on a profile that does not exist.
  if (profile < 0 || profile >= static_cast<int>(kProfileCount)) return false;
  DeviceInfoRecord record{};
  if (link_.ReadDeviceInfo(record) != kResultDone) return false;
  record[device_info_offset::kActiveProfile] = static_cast<std::uint8_t>(profile);
  const bool written = link_.WriteDeviceInfo(record) == kResultDone;
  connection_.SetActiveProfileCache(written ? profile : -1);
  // A window of another process follows the keyboard to that profile (the
  // keyboard announces only the switches made on itself).
  if (written) MarkKeyboardChanged();
  return written;
}

bool ProfileSync::ReadKeyboardToFile(const std::string& path, int* save_error, std::vector<std::uint8_t>* read_bytes,
                                     bool keep_texts) {
  if (GetActiveProfile() < 0) return false;

  std::vector<DefaultMatrix> matrices(kProfileCount);
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    matrices[p].fill(0);
    if (link_.ReadKeyMatrix(matrices[p], static_cast<int>(p)) != kResultDone) return false;
  }

  // The macro memory starts with a header telling whether it holds macros and
  // how long the image is. A header that cannot be read fails the copy: taking
  // it as "no macros" would write a file whose keys play macros it lacks.
  std::vector<std::uint8_t> image(kMacroAreaHeaderSize, 0);
  if (link_.ReadMacroArea(image) != kResultDone) return false;
  ByteReader header(image);
  if (header.U16(macro_area_layout::kMagic) == kMacroAreaMagic) {
    const std::size_t size = std::max<std::size_t>(header.U16(macro_area_layout::kImageSize), kMacroAreaHeaderSize);
    image.assign(size, 0);
    if (link_.ReadMacroArea(image) != kResultDone) return false;
  } else {
    image.clear();
  }

  const DefaultMatrix defaults = connection_.DefaultMatrix();
  ProfileImage area = NewImage();
  for (std::size_t p = 0; p < kProfileCount; ++p) DecodeKeyMatrix(matrices[p], defaults, area[p]);
  MacroSet macros;
  DecodeMacroArea(image, macros);

  // Launch and text-block keys live only in the store: the keyboard holds them
  // as no function. Such a key of the store file is kept, text and all, while
  // the keyboard still holds exactly what it was written as; if the keyboard
  // was given something else meanwhile, the keyboard wins.
  auto result = std::make_unique<ProfileStore>();
  result->image = area;
  result->macros = macros;
  auto previous = std::make_unique<ProfileStore>();
  if (keep_texts && LoadStoreFile(*previous, path)) {
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
        const KeyFunction& kept = previous->image[p][r];
        if (kept.type != kFunctionLaunch && kept.type != kFunctionText) continue;
        if (!KeyboardHoldsRecord(matrices[p], defaults, r, kept, macros)) continue;
        const std::size_t global = p * kRecordsPerProfile + r;
        result->image[p][r] = kept;
        result->strings.Set(global, previous->strings.Entry(global).text);
      }
    }
  }
  const std::vector<std::uint8_t> strings = PackStrings(*result);
  const std::vector<std::uint8_t> file = ProfileFileBytes(result->image, result->macros, strings);
  if (file.empty()) return false;
  if (read_bytes != nullptr) *read_bytes = file;
  // A reconnection usually finds the keyboard holding what the store file
  // already says; rewriting it would only cost a flush to disk per connection.
  std::vector<std::uint8_t> existing;
  if (ReadWholeFile(path, existing, file.size()) && existing == file) return true;
  if (WriteFileAtomically(path, file)) return true;
  if (save_error != nullptr) *save_error = errno;
  return false;
}

}  // namespace zarvel
