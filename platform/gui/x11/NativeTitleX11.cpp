#include "platform/gui/TopLevelWindows.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

void SetProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                 xcb_atom_t type, const QByteArray& bytes) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                        static_cast<uint32_t>(bytes.size()), bytes.constData());
}

} // namespace

void SetNativeWindowTitle(QWindow* window, const QString& title) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || window == nullptr || window->handle() == nullptr ||
        QGuiApplication::platformName() != QStringLiteral("xcb")) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    if (connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    SetProperty(connection, id, Atom(connection, "_NET_WM_NAME"), utf8, title.toUtf8());
    // WM_NAME in Latin-1 as ICCCM's STRING type, which holds every German letter; a title
    // beyond Latin-1 goes as UTF-8, which window managers read as well.
    bool latin1 = true;
    for (const QChar c : title) {
        latin1 = latin1 && c.unicode() < 256;
    }
    SetProperty(connection, id, XCB_ATOM_WM_NAME, latin1 ? xcb_atom_t(XCB_ATOM_STRING) : utf8,
                latin1 ? title.toLatin1() : title.toUtf8());
    xcb_flush(connection);
}
