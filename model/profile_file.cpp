#include "model/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <set>
#include <vector>

#include "model/atomic_file.h"
#include "model/byte_io.h"
#include "model/key_function.h"
#include "model/macro.h"
#include "skin/language.h"
#include "skin/message_format.h"

namespace zarvel {

namespace hl = profile_header_layout;

namespace {

constexpr std::uint16_t kFormatValue = 3;
constexpr std::uint16_t kVersionValue = 1;
constexpr std::uint8_t kMaxFlag = 1;

// The descriptor words carry no meaning for this program; every writer puts
// the same constants there: a tag, the size of descriptor and key area (32800),
// 4 profiles of 0x200 records, the first keyboard's USB vendor and product.
constexpr std::uint32_t kDescriptor[8] = {0x0020484B, 0x00008020, 0x02000004, 0,
                                          0x50040C45, 0x000E1C4F, 0,          0};

std::uint64_t ExpectedSize(std::uint64_t macroCount, std::uint64_t stringAreaSize) {
  return kProfileImageSize + macroCount * kMacroRecordSize + stringAreaSize;
}

}  // namespace

bool WriteHeader(std::span<std::uint8_t> file, std::uint16_t macroCount, std::uint32_t stringAreaSize) {
  if (file.size() < kProfileHeaderSize || macroCount > kMaxMacros || stringAreaSize > kMaxStringAreaSize) return false;
  const std::uint64_t total = ExpectedSize(macroCount, stringAreaSize);
  ByteWriter out(file);
  for (std::size_t i = 0; i < kProfileHeaderSize; ++i) out.U8(i, 0);
  out.U16(hl::kMagic, kProfileMagic);
  out.U16(hl::kHeaderSize, static_cast<std::uint16_t>(kProfileHeaderSize));
  out.U16(hl::kFormat, kFormatValue);
  out.U16(hl::kVersion, kVersionValue);
  out.U32(hl::kTotalSize, static_cast<std::uint32_t>(total));
  out.U16(hl::kRecordCount, static_cast<std::uint16_t>(kKeyAreaRecords));
  out.U16(hl::kMacroCount, macroCount);
  out.U32(hl::kStringAreaSize, stringAreaSize);
  out.U8(hl::kFlag, 0);
  out.U8(hl::kChecksum, ByteSum(file.first(hl::kChecksum)));
  return true;
}

void WriteDescriptor(std::span<std::uint8_t> file) {
  ByteWriter out(file);
  for (std::size_t i = 0; i < 8; ++i) out.U32(kProfileHeaderSize + 4 * i, kDescriptor[i]);
}

ProfileHeader ReadProfileHeader(std::span<const std::uint8_t> file) {
  ProfileHeader header;
  if (file.size() < kProfileHeaderSize) return header;
  ByteReader in(file);
  header.totalSize = in.U32(hl::kTotalSize);
  header.macroCount = in.U16(hl::kMacroCount);
  header.stringAreaSize = in.U32(hl::kStringAreaSize);
  return header;
}

bool ProfileHeaderIsValid(std::span<const std::uint8_t> file) {
  if (file.size() < kProfileHeaderSize) return false;
  ByteReader in(file);
  ProfileHeader header = ReadProfileHeader(file);
  return in.U16(hl::kMagic) == kProfileMagic && in.U16(hl::kHeaderSize) == kProfileHeaderSize &&
         in.U16(hl::kFormat) == kFormatValue && in.U16(hl::kVersion) == kVersionValue &&
         header.totalSize >= kProfileImageSize && in.U16(hl::kRecordCount) == kKeyAreaRecords &&
         header.macroCount <= kMaxMacros && header.stringAreaSize <= kMaxStringAreaSize &&
         in.U8(hl::kFlag) <= kMaxFlag &&
         header.totalSize == ExpectedSize(header.macroCount, header.stringAreaSize) &&
         in.U8(hl::kChecksum) == ByteSum(file.first(hl::kChecksum));
}

bool NewProfileFile(const std::string& path) {
  std::vector<std::uint8_t> file(kProfileImageSize, 0);
  WriteHeader(file, 0, 0);
  WriteDescriptor(file);
  KeyArea area;
  InitKeyArea(area);
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    WriteProfileBlock(area[p], std::span(file).subspan(kKeyAreaOffset + p * kProfileBlockSize, kProfileBlockSize));
  }
  return WriteFileAtomically(path, file);
}

int ReadProfileFileBytes(const std::string& path, std::vector<std::uint8_t>& out) {
  out.clear();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR ? 0 : -2;
  // Without blocking: a FIFO in place of the file must not stop the program.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -2;
  // Size and content come from the same open file, so a file replaced in
  // between cannot pass the size check with one content and be read with another.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -2;
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  // Larger than any file the header check can pass: refused unread, so a
  // huge (or sparse) file costs neither time nor memory.
  if (size > kLargestProfileFile) {
    ::close(fd);
    return 0;
  }
  try {
    out.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return -3;
  }
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      out.clear();
      return -2;
    }
    if (n == 0) break;  // the file shrank since fstat: judged by what is there
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  out.resize(done);
  return 1;
}

int ValidateProfileFile(const std::string& path, Prompter& prompter) {
  std::vector<std::uint8_t> bytes;
  const int read = ReadProfileFileBytes(path, bytes);
  if (read != 1) return read;
  if (bytes.size() < kProfileImageSize) return 0;
  if (ProfileHeaderIsValid(bytes)) return 1;
  prompter.ShowMessage("PROFILE_FORMAT_ERROR", FormatMessage(LookupText("PROFILE_FORMAT_ERROR"), {path}));
  return 0;
}

bool HasDuplicateMacroIds(const MacroSet& macros) {
  std::set<std::uint16_t> seen;
  for (const MacroRecord& m : macros)
    if (!seen.insert(m.id).second) return true;
  return false;
}

}  // namespace zarvel
