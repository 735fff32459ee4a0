#!/usr/bin/python3
"""A stand-in xdg-desktop-portal backend (found through orvanetest.portal): ScreenCast and RemoteDesktop forwarded to
mutter's own with no dialog, sharing both monitors of gnome-session.sh. A screen cast asked to persist answers with
restore data, which the frontend hands back as a restore token. Says what it was asked on standard error."""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
SC, RD, M = "org.freedesktop.impl.portal.ScreenCast", "org.freedesktop.impl.portal.RemoteDesktop", "org.gnome.Mutter."
MONITORS = {"Meta-0": ((0, 0), (1920, 1080)), "Meta-1": ((1920, 0), (1280, 720))}  # place and size
sessions = {}


def mutter(name, path=None, iface=None):
    return dbus.Interface(bus.get_object(M + name, path or "/org/gnome/Mutter/" + name), iface or M + name)


class Session(dbus.service.Object):
    def __init__(self, path, remote_desktop):
        super().__init__(bus, path)
        self.cursor_mode, self.persist_mode, self.streams, self.rd = 0, 0, {}, None
        props = {}
        if remote_desktop:
            rd_path = mutter("RemoteDesktop").CreateSession()
            self.rd = mutter("RemoteDesktop", rd_path, M + "RemoteDesktop.Session")
            props["remote-desktop-session-id"] = mutter("RemoteDesktop", rd_path, dbus.PROPERTIES_IFACE).Get(
                M + "RemoteDesktop.Session", "SessionId")
        self.sc = mutter("ScreenCast", mutter("ScreenCast").CreateSession(dbus.Dictionary(props, signature="sv")),
                         M + "ScreenCast.Session")
        sessions[path] = self

    def start(self, reply):
        results = []
        for i, (conn, (place, size)) in enumerate(MONITORS.items()):
            path = self.sc.RecordMonitor(conn, dbus.Dictionary({"cursor-mode": dbus.UInt32(self.cursor_mode)},
                                                               signature="sv"))

            def added(node, path=path, i=i, place=place, size=size):
                self.streams[int(node)] = path
                results.append((dbus.UInt32(node), dbus.Dictionary({
                    "id": str(i), "source_type": dbus.UInt32(1), "position": dbus.Struct(place, signature="ii"),
                    "size": dbus.Struct(size, signature="ii")}, signature="sv")))
                if len(results) < len(MONITORS):
                    return
                res = {"streams": dbus.Array(results, signature="(ua{sv})")}
                if self.rd:
                    res["devices"] = dbus.UInt32(7)
                if self.persist_mode:
                    res["persist_mode"] = dbus.UInt32(self.persist_mode)
                    res["restore_data"] = dbus.Struct(("orvanetest", dbus.UInt32(1),
                                                       dbus.String("all", variant_level=1)), signature="suv")
                reply(0, dbus.Dictionary(res, signature="sv"))

            bus.add_signal_receiver(added, "PipeWireStreamAdded", M + "ScreenCast.Stream", path=path)
        (self.rd or self.sc).Start()


class RemoteDesktopPart(dbus.service.Object):
    # CreateSession and Start share their names with ScreenCast's: python-dbus finds a method by name along the
    # class hierarchy, skipping a class whose method is on another interface, so these live in a base class.
    @dbus.service.method(RD, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session, app_id, options):
        Session(str(session), remote_desktop=True)
        return 0, {}

    @dbus.service.method(RD, in_signature="oossa{sv}", out_signature="ua{sv}", async_callbacks=("reply", "error"))
    def Start(self, handle, session, app_id, parent_window, options, reply, error):
        sessions[str(session)].start(reply)

    @dbus.service.method(RD, in_signature="oosa{sv}", out_signature="ua{sv}")
    def SelectDevices(self, handle, session, app_id, options):
        return 0, {}

    @dbus.service.method(RD, in_signature="oa{sv}udd")
    def NotifyPointerMotionAbsolute(self, session, options, stream, x, y):
        s = sessions[str(session)]
        s.rd.NotifyPointerMotionAbsolute(s.streams[int(stream)], x, y)

    @dbus.service.method(RD, in_signature="oa{sv}iu")
    def NotifyPointerButton(self, session, options, button, state):
        sessions[str(session)].rd.NotifyPointerButton(button, bool(state))


class Backend(RemoteDesktopPart):
    @dbus.service.method(SC, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session, app_id, options):
        Session(str(session), remote_desktop=False)
        return 0, {}

    @dbus.service.method(SC, in_signature="oosa{sv}", out_signature="ua{sv}")
    def SelectSources(self, handle, session, app_id, options):
        s = sessions[str(session)]
        s.cursor_mode = {1: 0, 2: 1, 4: 2}.get(int(options.get("cursor_mode", 1)), 0)  # the portal's to mutter's
        s.persist_mode = int(options.get("persist_mode", 0))
        print("SelectSources", {str(k): str(v) for k, v in options.items()}, file=sys.stderr, flush=True)
        return 0, {}

    @dbus.service.method(SC, in_signature="oossa{sv}", out_signature="ua{sv}", async_callbacks=("reply", "error"))
    def Start(self, handle, session, app_id, parent_window, options, reply, error):
        sessions[str(session)].start(reply)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        return {SC: {"AvailableSourceTypes": dbus.UInt32(1), "AvailableCursorModes": dbus.UInt32(7),
                     "version": dbus.UInt32(4)},
                RD: {"AvailableDeviceTypes": dbus.UInt32(7), "version": dbus.UInt32(1)}}.get(iface, {})


name = dbus.service.BusName("org.freedesktop.impl.portal.desktop.orvanetest", bus)
backend = Backend(bus, "/org/freedesktop/portal/desktop")
GLib.MainLoop().run()
