#pragma once
// What a start decides before any window exists, so it needs no display:
// whether this copy is the first (it takes the instance lock), or a second
// one that brings the first to the front (OPEN) or ends it (/Kill: KILL) and
// then ends itself.
//
// The lock first, then the probe, then (in the first copy, later) listening:
// two starts a moment apart cannot both become the first, and the second's
// message reaches the first even while it is still starting (the message is
// retried until its socket listens, for a few seconds).
#include <chrono>
#include <vector>

#include "app/command_line.h"

namespace zarvel {

class InstanceLock;
class SingleInstance;

struct StartGateResult {
  bool run = false;        // this copy is the first: go on
  int exit_status = 0;     // else end with this
  bool listen = false;     // run: make the socket (no live one is there)
};

// How long a second copy keeps trying to reach a first that is starting.
inline constexpr std::chrono::milliseconds kReachFirstCopyFor{5000};

StartGateResult PassStartGate(const std::vector<StartSwitch>& switches, InstanceLock& lock,
                              const SingleInstance& instance);

// True when a window can be shown: a display, a Wayland compositor's socket,
// or a Qt platform chosen.
bool HaveDisplay();

}  // namespace zarvel
