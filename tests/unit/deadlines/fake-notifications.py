# A desktop notification service for tests: appends each Notify's summary and body to a file.
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

IFACE = 'org.freedesktop.Notifications'


class Notifications(dbus.service.Object):
    @dbus.service.method(IFACE, in_signature='susssasa{sv}i', out_signature='u')
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        with open(sys.argv[1], 'a', encoding='utf-8') as out:
            out.write('%s\n%s\n' % (summary, body))
        return 1


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName(IFACE, bus)
Notifications(bus, '/org/freedesktop/Notifications')
GLib.MainLoop().run()
