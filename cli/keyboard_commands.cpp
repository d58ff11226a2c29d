// Commands that talk to the keyboard: list, info, profile, read, write.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/keyboard_session.h"
#include "cli/store_file_guard.h"
#include "core/keyboard_writer.h"
#include "core/profile_import.h"
#include "device/device_discovery.h"
#include "device/device_info_record.h"
#include "model/atomic_file.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "skin/language.h"

namespace zarvel::cli {
namespace {

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
  return text;
}

std::string VariantName(const DeviceVariant* variant) {
  return variant == nullptr ? "unknown" : Hex4(variant->vendor_id) + ":" + Hex4(variant->product_id);
}

// Opens the session and the keyboard; kExitOk or the status to end with.
int OpenKeyboard(CommandContext& c, KeyboardSession& session) {
  if (!session.StartTrace(c.err)) return kExitUsage;
  return session.Connect(c.err, c.prompter);
}

enum class Role { kCommand, kNotification, kOther, kNoAccess };

const char* RoleName(Role role) {
  switch (role) {
    case Role::kCommand: return "command";
    case Role::kNotification: return "notification";
    case Role::kOther: return "other";
    case Role::kNoAccess: return "no-access";
  }
  return "other";
}

}  // namespace

int RunList(CommandContext& c) {
  KeyboardSession session(c);
  HidDevice device(session.Backend());
  if (!device.BuildPathList()) {
    c.err << "zarvelctl: the system's HID devices cannot be listed\n";
    return kExitNoKeyboard;
  }
  struct Found {
    std::string path;
    const DeviceVariant* variant;
    Role role;
  };
  std::vector<Found> found;
  while (std::optional<std::string> path = device.NextPath()) {
    const DeviceVariant* variant = IdentifyDevicePath(*path);
    if (variant == nullptr) continue;
    Role role = Role::kNoAccess;
    // Read access is enough to tell the interfaces apart; nothing is sent.
    if (device.Open(*path, /*want_read=*/true, /*want_write=*/false, /*overlapped=*/true, /*exclusive=*/false)) {
      if (VerifyOpenedInterface(device, KeyboardInterface::kCommand) != nullptr)
        role = Role::kCommand;
      else if (VerifyOpenedInterface(device, KeyboardInterface::kNotification) != nullptr)
        role = Role::kNotification;
      else
        role = Role::kOther;
      device.Close();
    }
    found.push_back({path->substr(0, path->find('#')), variant, role});
  }
  bool any_command = false;
  for (const Found& f : found) any_command = any_command || f.role == Role::kCommand;

  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Key("interfaces").BeginArray();
    for (const Found& f : found)
      json.BeginObject()
          .Member("path", f.path)
          .Member("vendor_id", Hex4(f.variant->vendor_id))
          .Member("product_id", Hex4(f.variant->product_id))
          .Member("role", RoleName(f.role))
          .EndObject();
    json.EndArray().EndObject();
    c.out << json.Text() << '\n';
  } else {
    for (const Found& f : found)
      c.out << f.path << "  " << VariantName(f.variant) << "  " << RoleName(f.role) << " interface\n";
  }
  if (!any_command) {
    bool denied = false;
    for (const Found& f : found) denied = denied || f.role == Role::kNoAccess;
    if (denied)
      c.err << "zarvelctl: a keyboard was found but may not be opened by this user (permission denied).\n"
               "Install the udev rule assets/udev/70-zarvel.rules as described in the README.\n";
    else
      c.err << "zarvelctl: no Varnok Z7Q3RGB keyboard found\n";
    return kExitNoKeyboard;
  }
  return kExitOk;
}

int RunInfo(CommandContext& c) {
  KeyboardSession session(c);
  if (const int status = OpenKeyboard(c, session); status != kExitOk) return status;
  DeviceInfoRecord record{};
  DeviceInfo info;
  if (session.Link().ReadDeviceInfo(record) != kResultDone || !ParseDeviceInfo(record, info)) {
    c.err << "zarvelctl: the keyboard did not answer the device information request\n";
    return kExitFailed;
  }
  const DeviceVariant* variant = session.Context().LastOpenedVariant();
  const bool update = FirmwareNeedsUpdate(variant, info.firmware_version);
  std::vector<int> effects;
  for (std::uint8_t e : info.effects)
    if (e != 0) effects.push_back(e);
  // A byte past the four profiles (0xFF from a keyboard that lost track) is
  // no profile: shown as unknown, and as null in JSON.
  const bool profile_known = info.active_profile < kProfileCount;
  auto effect_name = [](int e) {
    const std::string name = LookupEffectName(e);
    return name == kMissingText ? std::string() : name;
  };

  if (c.options.json) {
    JsonWriter json;
    json.BeginObject()
        .Member("vendor_id", Hex4(variant->vendor_id))
        .Member("product_id", Hex4(variant->product_id))
        .Member("firmware", static_cast<int>(info.firmware_version))
        .Member("firmware_update_needed", update)
        .Key("active_profile");
    if (profile_known) {
      json.Number(info.active_profile + 1);
    } else {
      json.Null();
    }
    json.Member("macro_capacity", static_cast<std::int64_t>(info.MacroCapacityBytes()))
        .Key("effects")
        .BeginArray();
    for (int e : effects) json.BeginObject().Member("number", e).Member("name", effect_name(e)).EndObject();
    json.EndArray().EndObject();
    c.out << json.Text() << '\n';
    return kExitOk;
  }
  c.out << "Keyboard:        Varnok Z7Q3RGB (" << VariantName(variant) << ")"
        << (session.IsSimulated() ? ", simulated" : "") << '\n';
  c.out << "Firmware:        0x" << Hex4(info.firmware_version)
        << (update ? " (too old: please update the keyboard's firmware)" : "") << '\n';
  c.out << "Active profile:  " << (profile_known ? std::to_string(info.active_profile + 1) : std::string("unknown"))
        << '\n';
  c.out << "Macro capacity:  " << info.MacroCapacityBytes() << " bytes\n";
  c.out << "Effects:\n";
  for (int e : effects) {
    const std::string name = effect_name(e);
    c.out << "  " << e << (name.empty() ? "" : "  " + name) << '\n';
  }
  return kExitOk;
}

int RunProfile(CommandContext& c) {
  int wanted = -1;
  if (!c.options.operands.empty()) {
    wanted = ParseProfileNumber(c.options.operands[0]);
    if (wanted < 0) {
      const std::string& text = c.options.operands[0];
      const bool number = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
      if (number)
        c.err << "zarvelctl: profile " << text << " is out of range 1 to 4\n";
      else
        c.err << "zarvelctl: profile must be 1, 2, 3 or 4, not '" << text << "'\n";
      return kExitUsage;
    }
  }
  KeyboardSession session(c);
  if (const int status = OpenKeyboard(c, session); status != kExitOk) return status;
  ProfileSync& sync = session.Sync();
  int active;
  if (wanted >= 0) {
    if (!sync.SetActiveProfile(wanted)) {
      c.err << "zarvelctl: the keyboard did not take profile " << wanted + 1 << '\n';
      return kExitFailed;
    }
    active = wanted;
  } else {
    active = sync.GetActiveProfile();
    if (active < 0) {
      c.err << "zarvelctl: the keyboard did not tell its active profile\n";
      return kExitFailed;
    }
  }
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("active_profile", active + 1).EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Active profile: " << active + 1 << '\n';
  }
  return kExitOk;
}

int RunRead(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  KeyboardSession session(c);
  if (const int status = OpenKeyboard(c, session); status != kExitOk) return status;
  int save_error = 0;
  std::vector<std::uint8_t> read;
  if (!session.Sync().ReadKeyboardToFile(path, &save_error, &read)) {
    // Read whole but not saved: the file is at fault (a full disk, a folder
    // that may not be written), not the keyboard.
    if (!read.empty())
      c.err << "zarvelctl: cannot write " << path << ": " << std::strerror(save_error != 0 ? save_error : EIO) << '\n';
    else
      c.err << "zarvelctl: the keyboard's profiles could not be read into " << path << '\n';
    return kExitFailed;
  }
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  const ProfileHeader header = ReadProfileHeader(bytes);
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("file", path).Member("profiles", 4).Member("macros", int{header.macroCount}).EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Read the keyboard's 4 profiles and " << header.macroCount << " macros into " << path << '\n';
  }
  return kExitOk;
}

int RunWrite(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  if (!ReadableProfileFileOrSay(c, path)) return kExitUsage;
  KeyboardSession session(c);
  if (const int status = OpenKeyboard(c, session); status != kExitOk) return status;
  if (session.LacksMacroMemory(c.err)) return kExitFailed;

  auto store = std::make_unique<ProfileStore>();
  std::recursive_mutex store_lock;
  KeyboardWriter writer(session.Sync(), c.prompter);
  ImportOptions import;
  bool store_saved = false;
  if (c.options.save_store) {
    import.store_file = StoreFilePath();
    import.store_file_saved = &store_saved;
    struct stat st{};
    if (::stat(import.store_file.c_str(), &st) != 0)
      c.err << "zarvelctl: the store file " << import.store_file
            << " does not exist yet (the program creates it when it first reads the keyboard); not saved\n";
  }
  std::optional<StoreFileGuard> guard;
  if (c.options.save_store) guard.emplace(import.store_file);
  const int result = ImportProfileSequence(path, *store, store_lock, writer, c.prompter, import);
  if (result == kImportRefused) return kExitFailed;
  if (result != kImportDone) {
    // The store file must not claim what the keyboard did not take.
    if (guard) guard->Restore();
    c.err << "zarvelctl: the keyboard did not take every part of " << path
          << (store_saved ? "; the store file was left as it was" : "") << '\n';
    return kExitFailed;
  }
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject()
        .Member("file", path)
        .Member("profiles", 4)
        .Member("macros", static_cast<int>(store->macros.size()))
        .Member("store_saved", store_saved)
        .EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Wrote 4 profiles and " << store->macros.size() << " macros from " << path << " into the keyboard\n";
    if (store_saved) c.out << "Saved them into the store file " << import.store_file << '\n';
  }
  return kExitOk;
}

}  // namespace zarvel::cli
