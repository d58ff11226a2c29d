#pragma once
// The signals that ask a zarvelctl run to stop: SIGTERM, SIGINT, SIGHUP,
// SIGPIPE, SIGUSR1 and SIGUSR2. A run killed by one of them in the middle of
// a write would leave the keyboard inside an open transfer and the store file
// claiming what the keyboard never took; caught instead, the signal only
// marks the stop. The keyboard link watches the mark (DeviceLink::SetStopFlag):
// it finishes or gives up the exchange under way, closes the transfer and
// sends nothing more, so the command fails the way a silent keyboard makes it
// fail, puts the store file back and says so. The run then ends with
// 128 + the signal's number, as a shell reports a process that signal ended.
#include <atomic>
#include <string>

namespace zarvel::cli {

// Installs the handlers for the whole run.
void InstallStopSignalHandlers();
// The signal's number once one arrived, else 0. The link reads it as its flag.
const std::atomic<int>& StopSignalFlag();
int StopSignalNumber();
// "SIGTERM" and so on.
std::string StopSignalName(int signal_number);

}  // namespace zarvel::cli
