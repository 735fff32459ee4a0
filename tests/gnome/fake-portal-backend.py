#!/usr/bin/python3
"""A stand-in xdg-desktop-portal backend for tests: implements
org.freedesktop.impl.portal.ScreenCast and .RemoteDesktop with no dialog, by
forwarding to mutter's org.gnome.Mutter.ScreenCast / RemoteDesktop (what
xdg-desktop-portal-gnome does after its dialog).  Every monitor is shared
(or those named in ORVANE_TEST_MONITORS, comma separated connectors).  A
screen cast asked to persist answers with restore data, which the frontend
keeps in the permission store and hands back as a restore token.

Use with the real frontend:
  XDG_DESKTOP_PORTAL_DIR=<the folder of orvanetest.portal> XDG_CURRENT_DESKTOP=orvanetest \
    /usr/libexec/xdg-desktop-portal -r &
  fake-portal-backend.py &          (owns org.freedesktop.impl.portal.desktop.orvanetest)
"""
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
NAME = "org.freedesktop.impl.portal.desktop.orvanetest"
PATH = "/org/freedesktop/portal/desktop"
SC_IFACE = "org.freedesktop.impl.portal.ScreenCast"
RD_IFACE = "org.freedesktop.impl.portal.RemoteDesktop"
CURSOR = {1: 0, 2: 1, 4: 2}  # portal cursor_mode -> mutter cursor-mode


def log(*a):
    print("[fake-portal]", *a, file=sys.stderr, flush=True)


def mutter(service, path, iface):
    return dbus.Interface(bus.get_object(service, path), iface)


class Session(dbus.service.Object):
    def __init__(self, path, remote_desktop):
        super().__init__(bus, path)
        self.path = path
        self.cursor_mode = 0
        self.persist_mode = 0
        self.streams = {}  # node id -> mutter stream path
        self.rd = None
        props = {}
        if remote_desktop:
            rd_path = mutter("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                             "org.gnome.Mutter.RemoteDesktop").CreateSession()
            self.rd = mutter("org.gnome.Mutter.RemoteDesktop", rd_path, "org.gnome.Mutter.RemoteDesktop.Session")
            props["remote-desktop-session-id"] = mutter("org.gnome.Mutter.RemoteDesktop", rd_path,
                                                        "org.freedesktop.DBus.Properties").Get(
                "org.gnome.Mutter.RemoteDesktop.Session", "SessionId")
        sc_path = mutter("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast",
                         "org.gnome.Mutter.ScreenCast").CreateSession(dbus.Dictionary(props, signature="sv"))
        self.sc = mutter("org.gnome.Mutter.ScreenCast", sc_path, "org.gnome.Mutter.ScreenCast.Session")

    @dbus.service.method("org.freedesktop.impl.portal.Session", in_signature="", out_signature="")
    def Close(self):
        try:
            (self.rd or self.sc).Stop()
        except dbus.DBusException:
            pass
        self.Closed()
        self.remove_from_connection()
        sessions.pop(self.path, None)

    @dbus.service.signal("org.freedesktop.impl.portal.Session", signature="")
    def Closed(self):
        pass

    def start(self, reply):
        dc = mutter("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig")
        serial, monitors, logical, props = dc.GetCurrentState()
        wanted = os.environ.get("ORVANE_TEST_MONITORS")
        geometry = {}
        for x, y, scale, transform, primary, mons, lprops in logical:
            for m in mons:
                geometry[str(m[0])] = (int(x), int(y))
        sizes = {}
        for (conn, *_), modes, mprops in monitors:
            for mode in modes:
                if mode[6].get("is-current"):
                    sizes[str(conn)] = (int(mode[1]), int(mode[2]))
        connectors = wanted.split(",") if wanted else sorted(geometry)
        pending = {}
        results = []

        for i, conn in enumerate(connectors):
            stream_path = self.sc.RecordMonitor(conn, dbus.Dictionary({"cursor-mode": dbus.UInt32(self.cursor_mode)}, signature="sv"))
            pending[stream_path] = (i, conn)

            def added(node, stream_path=stream_path):
                i, conn = pending.pop(stream_path)
                self.streams[int(node)] = stream_path
                results.append(dbus.Struct((dbus.UInt32(node), dbus.Dictionary({
                    "id": dbus.String(str(i)), "source_type": dbus.UInt32(1),
                    "position": dbus.Struct(geometry[conn], signature="ii"),
                    "size": dbus.Struct(sizes[conn], signature="ii")}, signature="sv")), signature="ua{sv}"))
                log("stream", conn, "node", int(node))
                if not pending:
                    res = {"streams": dbus.Array(results, signature="(ua{sv})")}
                    if self.rd is not None:
                        res["devices"] = dbus.UInt32(7)
                    if self.persist_mode:
                        res["persist_mode"] = dbus.UInt32(self.persist_mode)
                        res["restore_data"] = dbus.Struct(("orvanetest", dbus.UInt32(1), dbus.String("all", variant_level=1)),
                                                          signature="suv")
                    reply(dbus.UInt32(0), dbus.Dictionary(res, signature="sv"))

            bus.add_signal_receiver(added, signal_name="PipeWireStreamAdded",
                                    dbus_interface="org.gnome.Mutter.ScreenCast.Stream", path=stream_path)
        (self.rd or self.sc).Start()


sessions = {}
EMPTY = dbus.Dictionary({}, signature="sv")


class RemoteDesktopPart(dbus.service.Object):
    """RemoteDesktop's CreateSession/Start share their names with ScreenCast's;
    python-dbus finds a method by name along the class hierarchy, skipping a
    class whose method is on another interface, so they live in a base class."""

    @dbus.service.method(RD_IFACE, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        sessions[str(session_handle)] = Session(str(session_handle), remote_desktop=True)
        log("RemoteDesktop.CreateSession", session_handle, "app", repr(app_id))
        return dbus.UInt32(0), EMPTY

    @dbus.service.method(RD_IFACE, in_signature="oossa{sv}", out_signature="ua{sv}",
                         async_callbacks=("reply", "error"))
    def Start(self, handle, session_handle, app_id, parent_window, options, reply, error):
        sessions[str(session_handle)].start(reply)

    @dbus.service.method(RD_IFACE, in_signature="oosa{sv}", out_signature="ua{sv}")
    def SelectDevices(self, handle, session_handle, app_id, options):
        log("SelectDevices", dict(options))
        return dbus.UInt32(0), EMPTY

    @dbus.service.method(RD_IFACE, in_signature="oa{sv}udd", out_signature="")
    def NotifyPointerMotionAbsolute(self, session_handle, options, stream, x, y):
        s = sessions[str(session_handle)]
        s.rd.NotifyPointerMotionAbsolute(s.streams[int(stream)], x, y)

    @dbus.service.method(RD_IFACE, in_signature="oa{sv}dd", out_signature="")
    def NotifyPointerMotion(self, session_handle, options, dx, dy):
        sessions[str(session_handle)].rd.NotifyPointerMotionRelative(dx, dy)

    @dbus.service.method(RD_IFACE, in_signature="oa{sv}iu", out_signature="")
    def NotifyPointerButton(self, session_handle, options, button, state):
        sessions[str(session_handle)].rd.NotifyPointerButton(button, bool(state))


class Backend(RemoteDesktopPart):
    @dbus.service.method(SC_IFACE, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        sessions[str(session_handle)] = Session(str(session_handle), remote_desktop=False)
        log("ScreenCast.CreateSession", session_handle, "app", repr(app_id))
        return dbus.UInt32(0), EMPTY

    @dbus.service.method(SC_IFACE, in_signature="oosa{sv}", out_signature="ua{sv}")
    def SelectSources(self, handle, session_handle, app_id, options):
        s = sessions[str(session_handle)]
        s.cursor_mode = CURSOR.get(int(options.get("cursor_mode", 1)), 0)
        s.persist_mode = int(options.get("persist_mode", 0))
        log("SelectSources", {str(k): str(v) for k, v in options.items()})
        return dbus.UInt32(0), EMPTY

    @dbus.service.method(SC_IFACE, in_signature="oossa{sv}", out_signature="ua{sv}",
                         async_callbacks=("reply", "error"))
    def Start(self, handle, session_handle, app_id, parent_window, options, reply, error):
        sessions[str(session_handle)].start(reply)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, iface, prop):
        return self.GetAll(iface)[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        if iface == SC_IFACE:
            return {"AvailableSourceTypes": dbus.UInt32(1), "AvailableCursorModes": dbus.UInt32(7), "version": dbus.UInt32(4)}
        if iface == RD_IFACE:
            return {"AvailableDeviceTypes": dbus.UInt32(7), "version": dbus.UInt32(1)}
        return {}


name = dbus.service.BusName(NAME, bus)
backend = Backend(bus, PATH)
log("ready as", NAME)
GLib.MainLoop().run()
