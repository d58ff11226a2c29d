#pragma once
// The keyboard's active profile and the copy of its key configuration into a
// profile file.
//
// The active profile lives in byte 10 of the keyboard's device information
// record. The program caches it (ConnectionContext::ActiveProfileCache): -1
// while unknown, which is how it starts and what every disconnection and every
// failed write leaves behind. Profiles are counted 0..3 here, as the keyboard
// counts them.
//
// Runs on the thread that owns the window's keyboard work; every command goes
// through the device lock of the command layer.
#include <cstdint>
#include <string>
#include <vector>

#include "device/connection_context.h"
#include "device/device_link.h"

namespace zarvel {

class ProfileSync {
 public:
  ProfileSync(DeviceLink& link, ConnectionContext& connection);

  DeviceLink& Link() { return link_; }
  ConnectionContext& Connection() { return connection_; }

  // The cached active profile; while it is unknown the device information is
  // read and its byte 10 cached. 0..3, or -1 when the read failed (a value
  // above 3 from the keyboard counts as a failed read).
  int GetActiveProfile();

  // Makes `profile` the keyboard's active profile: the device information is
  // read, byte 10 changed and all 44 bytes written back. A profile outside
  // 0..3 does nothing; a failed read changes nothing; afterwards the cache
  // holds `profile` when the write succeeded and -1 when it failed.
  // True when the keyboard took the new profile.
  bool SetActiveProfile(int profile);

  // Reads the four key matrices and the macro memory and writes them to
  // `path` as a profile file (no texts: the keyboard holds none). The file is
  // replaced atomically and only after every read succeeded, so a failure
  // leaves an existing file as it was. False on any failure. When every
  // read succeeded, `read_bytes` (when given) receives the file's bytes even
  // if the file could not be written, so the caller can still show them.
  // With `keep_texts` (the store file), launch and text-block keys of the
  // file at `path` are kept, text and all, where the keyboard still holds
  // exactly what they were written as; otherwise the keyboard's entry wins.
  bool ReadKeyboardToFile(const std::string& path, int* save_error = nullptr,
                          std::vector<std::uint8_t>* read_bytes = nullptr,
                          bool keep_texts = false);

 private:
  DeviceLink& link_;
  ConnectionContext& connection_;
};

}  // namespace zarvel
