#pragma once
// A keyboard in software: the fixture of every layer above the transport and
// the keyboard behind `--simulate`.
//
// It shows three HID interfaces with real report descriptors, as the keyboard
// does: an ordinary boot keyboard (which discovery must skip), the command
// interface (usage page 0xFF1C, usage 0x92; 64-byte reports with id 4) and the
// notification interface (consumer page 0x000C, usage 0x0001; 3-byte reports
// with id 3 carrying one 16-bit usage). Requests on the command interface are
// answered by SimulatedFirmware (see simulated_firmware.h for its memory and
// refusals); like hidraw, every open handle of an interface gets its own copy
// of each input report, queued (at most 64) until read.
//
// State file. When constructed with a path, the keyboard loads its memory from
// that file and writes it back (atomically) after each completed bracket, after
// each device-information write and when destroyed, so settings survive between
// runs as they do in the real keyboard's flash. The file is plain text:
//
//   # comment
//   [keyboard]
//   vendor = 0c45          the variant the memory belongs to (hex); a file of
//   product = 5004         another variant is ignored and never overwritten
//   [device_info]          44 bytes
//   0000: 00 00 00 00 00 00 00 00 08 01 00 40 01 02 03 04
//   [lighting]             4 x 42 bytes
//   [key_matrices]         4 x stride bytes
//   [macro_memory]         macro capacity bytes
//   [key_colours]          4 x 512 bytes
//
// Several processes share one keyboard through its state file, as several
// programs share one hidraw device. The first keyboard object on a state file
// locks it (STATE_FILE.lock beside it), keeps the memory and serves the
// keyboard on a socket beside it (STATE_FILE.sock, reachable by the same user
// only; see simulated_sharing.h). A keyboard object made on a state file that
// another process serves connects to that socket instead: each of its
// requests is one exchange with the serving keyboard, carried out whole before
// another process's request, every open handle in every process gets its own
// copy of each input report (replies and notification reports alike), and
// unplugging, faults and notifications are the shared keyboard's. When the
// serving process ends, the keyboard is unplugged for the others for a
// moment: the first of them to look again takes over the state file and
// serves it from then on, the rest connect to it.
//
// A missing file is created at once; one that exists but cannot be read or
// belongs to the other variant is an error (StateFileError) and is never
// overwritten.
//
// A byte line is a hex offset, a colon and up to 16 hex bytes. An area that
// appears in the file starts all zero (all-zero lines are left out when
// saving); an area that does not appear keeps its factory content. Lines that
// make no sense are skipped; bytes beyond an area are ignored.
//
// Faults for tests: lost, delayed and refused replies, unplugging (now or after
// a number of exchanges), plugging back in, and notification reports as the
// keyboard sends them when the user acts on it.
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/device_variant.h"
#include "device/hid_backend.h"
#include "device/simulated_firmware.h"

namespace zarvel {

enum class SimulatedInterface { kBootKeyboard, kCommand, kNotification };

inline constexpr std::uint8_t kNotificationReportId = 3;
// A state file holds at most a few hundred kilobytes of hex lines.
inline constexpr std::size_t kMaxStateFileBytes = 4u * 1024u * 1024u;

// One request on the command interface and the reply the keyboard produced;
// the reply is empty when it was lost.
struct SimulatedExchange {
  std::vector<std::uint8_t> request;
  std::vector<std::uint8_t> reply;
};

class SimulatedKeyboard {
 public:
  explicit SimulatedKeyboard(const DeviceVariant& variant = kDeviceVariants[0], std::string state_file = {});
  ~SimulatedKeyboard();
  SimulatedKeyboard(const SimulatedKeyboard&) = delete;
  SimulatedKeyboard& operator=(const SimulatedKeyboard&) = delete;

  const DeviceVariant& Variant() const;
  static std::span<const std::uint8_t> ReportDescriptor(SimulatedInterface which);

  // Memory, as if read or set with a programmer.
  std::vector<std::uint8_t> Area(KeyboardArea area) const;
  bool SetArea(KeyboardArea area, std::size_t offset, std::span<const std::uint8_t> bytes);
  bool InBracket() const;
  // Writes the state file now; false without one or when writing failed.
  bool SaveState();
  // Writes the state file when the memory changed since it was last saved.
  // True when nothing needed saving or the save succeeded.
  bool SaveStateIfChanged();
  // Why the state file is not kept, empty while all is well: it exists but
  // cannot be read (not a regular file, larger than kMaxStateFileBytes, no
  // permission), it belongs to the other variant, another process uses it,
  // or a save failed. A file that could not be read is never written.
  std::string StateFileError() const;

  // Plugging.
  bool IsPluggedIn() const;
  void Unplug();
  void PlugIn();
  // The next `exchanges` requests are answered; the one after finds the
  // keyboard gone. Negative: never.
  void UnplugAfter(int exchanges);

  // Reply faults.
  void LoseNextReplies(int count);  // the request is carried out, the reply never arrives
  void SetReplyDelay(std::chrono::milliseconds delay);
  void RefuseNextCommands(int count, std::uint8_t status = kStatusRefused);  // not carried out
  // Time each report takes on the wire (0 by default; 1 ms models a
  // full-speed keyboard), applied to every request and every reply.
  void SetTransferLatency(std::chrono::microseconds per_report);
  // Replies repeat the request's bytes 1..6 (checksum, command, length,
  // offset) by default; a keyboard that echoes nothing leaves bytes 1..6 zero.
  void SetEchoesRequests(bool echoes);
  // The command interface's delays and time on the wire pass on a clock of
  // the keyboard's own: a read of the command interface that would wait moves
  // that clock on to the reply (or to the read's limit) instead of sleeping,
  // so a run with replies seconds late takes no wall time, and every wait
  // lasts exactly what it asked for. For tests; the notification interface
  // keeps the wall clock.
  void UseVirtualClock(bool on);
  // How far the keyboard's own clock has moved on since it was turned on.
  std::chrono::milliseconds VirtualTimePassed() const;

  // What the user does on the keyboard: a notification report with `usage`
  // followed by its release (usage 0) on the notification interface.
  void SendNotification(std::uint16_t usage);
  // Changes the active profile with the keyboard's own keys and announces it.
  void ChangeProfileOnKeyboard(int profile);

  // Whether this object serves the keyboard (it holds the memory, or no
  // state file is shared) rather than reaching another process's.
  bool Serves() const;

  // Every request on the command interface so far, with its reply; kept by
  // the serving process only (empty in a connected one).
  std::vector<SimulatedExchange> Exchanges() const;
  void ClearExchanges();
  // How many requests arrived since the last ClearExchanges(), recorded or not.
  std::size_t ExchangeCount() const;
  // Benchmarks running millions of exchanges turn the recording off.
  void SetRecordingExchanges(bool on);

  // Opens one interface for the backend; null while unplugged.
  std::unique_ptr<HidHandle> OpenInterface(SimulatedInterface which);

  struct Core;
  struct Sharing;

 private:
  // Takes the state file over and serves it, or connects to the process
  // that serves it, trying for at most `wait`. Called with the sharing
  // mutex held; false when neither worked.
  bool Attach(std::chrono::milliseconds wait) const;
  // Sends one request to the serving process when this object is connected to
  // one: true with its reply (empty when the serving process is gone), false
  // when this object serves the keyboard itself and must answer.
  bool Forward(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& reply) const;

  std::shared_ptr<Core> core_;
  std::unique_ptr<Sharing> sharing_;
  friend class SimulatedKeyboardServer;
};

}  // namespace zarvel
