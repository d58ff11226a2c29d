#!/usr/bin/python3
"""Dumps a program's main window as a screen reader sees it, through AT-SPI.

Usage: atspi_dump.py APPLICATION_NAME SECONDS

Finds the application on the accessibility bus of the session bus in
DBUS_SESSION_BUS_ADDRESS (a private one in the tests), takes its largest
showing window and prints one line per control under it:

    control ROLE<TAB>NAME<TAB>STATES<TAB>DESCRIPTION

then a summary line:

    summary controls=N named=N fillers=N checkboxes=N radios=N toggles=N

Text is not a control; fillers are counted to be caught. Exits 2 when the
application or its window does not appear within SECONDS.
"""
import sys
import time

import pyatspi

TEXT_ROLES = {pyatspi.ROLE_LABEL, pyatspi.ROLE_STATIC}


def find_window(name):
    desktop = pyatspi.Registry.getDesktop(0)
    best = None
    for app in desktop:
        if app is None or app.name != name:
            continue
        for window in app:
            if window is None:
                continue
            states = window.getState()
            if not states.contains(pyatspi.STATE_SHOWING):
                continue
            if best is None or window.childCount > best.childCount:
                best = window
    return best


def main():
    name = sys.argv[1]
    deadline = time.monotonic() + float(sys.argv[2])
    window = None
    while time.monotonic() < deadline:
        try:
            window = find_window(name)
        except Exception:  # the registry may not answer yet
            window = None
        if window is not None and window.childCount > 10:
            break
        time.sleep(0.2)
    if window is None:
        print("no window of %s" % name)
        return 2
    counts = dict(controls=0, named=0, fillers=0, checkboxes=0, radios=0, toggles=0)
    for child in window:
        if child is None:
            continue
        states = child.getState()
        if not (states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)):
            continue
        role = child.getRole()
        if role in TEXT_ROLES:
            continue
        counts["controls"] += 1
        if child.name.strip():
            counts["named"] += 1
        if role in (pyatspi.ROLE_FILLER, pyatspi.ROLE_PANEL, pyatspi.ROLE_UNKNOWN):
            counts["fillers"] += 1
        if role == pyatspi.ROLE_CHECK_BOX:
            counts["checkboxes"] += 1
        if role == pyatspi.ROLE_RADIO_BUTTON:
            counts["radios"] += 1
        if role == pyatspi.ROLE_TOGGLE_BUTTON:
            counts["toggles"] += 1
        flags = [s for s, v in (("checked", pyatspi.STATE_CHECKED), ("focusable", pyatspi.STATE_FOCUSABLE))
                 if states.contains(v)]
        print("control %s\t%s\t%s\t%s" % (child.getRoleName(), child.name, ",".join(flags), child.description))
    print("summary " + " ".join("%s=%d" % item for item in counts.items()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
