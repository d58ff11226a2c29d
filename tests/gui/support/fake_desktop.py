#!/usr/bin/python3
"""Stand-ins for the desktop services the program talks to, on a private bus.

  fake_desktop.py watcher ADDRESS
      A StatusNotifierWatcher with a host registered: Qt then shows its tray
      icon as a StatusNotifierItem. Prints "registered SERVICE" for each item.
  fake_desktop.py logind ADDRESS
      A logind with one session, /org/freedesktop/login1/session/c1, for every
      process. Prints "ready"; reads lines "lock", "unlock", "inactive",
      "active" from standard input and sends the session's signals.
  fake_desktop.py item ADDRESS SERVICE COMMAND [ARG]
      Talks to a StatusNotifierItem as a tray host would:
        icon          prints a digest of the item's picture
        tooltip       prints the tooltip's title
        menu          prints the menu's item labels, one a line
        click LABEL   clicks the menu item with that label
"""
import hashlib
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
PROPS = "org.freedesktop.DBus.Properties"
LOGIND = "org.freedesktop.login1"
SESSION_PATH = "/org/freedesktop/login1/session/c1"


def say(*words):
    print(*words, flush=True)


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        name = service if service.startswith(":") or "." in service else sender
        self.items.append(name)
        say("registered", name)
        self.StatusNotifierItemRegistered(name)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    def _props(self):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(True),
                "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self._props()[name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self._props()

    # Qt reads the properties through an introspected interface, so they
    # must be announced.
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
</interface></node>"""


class Manager(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/login1")

    @dbus.service.method(LOGIND + ".Manager", in_signature="u", out_signature="o")
    def GetSessionByPID(self, pid):
        return dbus.ObjectPath(SESSION_PATH)

    @dbus.service.method(LOGIND + ".Manager", in_signature="s", out_signature="o")
    def GetSession(self, session_id):
        return dbus.ObjectPath(SESSION_PATH)


class Session(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, SESSION_PATH)

    @dbus.service.signal(LOGIND + ".Session")
    def Lock(self):
        pass

    @dbus.service.signal(LOGIND + ".Session")
    def Unlock(self):
        pass

    @dbus.service.signal(PROPS, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass


def connect(address):
    DBusGMainLoop(set_as_default=True)
    return dbus.bus.BusConnection(address)


def run_watcher(address):
    bus = connect(address)
    watcher = Watcher(bus)
    bus.request_name(WATCHER)
    say("ready")
    GLib.MainLoop().run()


def run_logind(address):
    bus = connect(address)
    Manager(bus)
    session = Session(bus)
    bus.request_name(LOGIND)
    loop = GLib.MainLoop()

    def on_line(channel, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        word = line.strip()
        if word == "lock":
            session.Lock()
        elif word == "unlock":
            session.Unlock()
        elif word in ("active", "inactive"):
            session.PropertiesChanged(LOGIND + ".Session", {"Active": dbus.Boolean(word == "active")},
                                      dbus.Array([], signature="s"))
        say("sent", word)
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_line)
    say("ready")
    loop.run()


def menu_items(bus, service):
    item = bus.get_object(service, "/StatusNotifierItem")
    path = item.Get(ITEM, "Menu", dbus_interface=PROPS)
    menu = bus.get_object(service, path)
    menu.AboutToShow(0, dbus_interface="com.canonical.dbusmenu")
    _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface="com.canonical.dbusmenu")
    entries = []
    for child in layout[2]:
        entry_id, props = child[0], child[1]
        if props.get("type") == "separator":
            continue
        entries.append((int(entry_id), str(props.get("label", "")).replace("_", "")))
    return menu, entries


def run_item(address, service, command, argument):
    bus = dbus.bus.BusConnection(address)
    item = bus.get_object(service, "/StatusNotifierItem")
    if command == "icon":
        pixmaps = item.Get(ITEM, "IconPixmap", dbus_interface=PROPS)
        digest = hashlib.sha1()
        for width, height, data in pixmaps:
            digest.update(b"%d:%d:" % (width, height) + bytes(data))
        name = item.Get(ITEM, "IconName", dbus_interface=PROPS)
        say(digest.hexdigest() if len(pixmaps) else "name:" + str(name))
    elif command == "tooltip":
        tooltip = item.Get(ITEM, "ToolTip", dbus_interface=PROPS)
        say(str(tooltip[2]))
    elif command == "menu":
        for _, label in menu_items(bus, service)[1]:
            say(label)
    elif command == "click":
        menu, entries = menu_items(bus, service)
        for entry_id, label in entries:
            if label == argument:
                menu.Event(entry_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                           dbus_interface="com.canonical.dbusmenu")
                say("clicked", label)
                return
        say("no item", argument)
        sys.exit(1)


if __name__ == "__main__":
    mode = sys.argv[1]
    if mode == "watcher":
        run_watcher(sys.argv[2])
    elif mode == "logind":
        run_logind(sys.argv[2])
    elif mode == "item":
        run_item(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5] if len(sys.argv) > 5 else "")
