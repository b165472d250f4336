#include "X11DesktopWindow.h"

#include <QGuiApplication>
#include <QWindow>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace orbiclock {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

QString desktopLayerUnavailableReason()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb"))
        return QString();
    return QStringLiteral("this desktop session (Qt platform \"%1\") gives programs no layer behind the "
                          "desktop icons; only X11 sessions do")
        .arg(platform);
}

bool markAsX11DesktopWindow(QWindow* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || window == nullptr)
        return false;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());

    const xcb_atom_t windowType = internAtom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopType = internAtom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, windowType, XCB_ATOM_ATOM, 32, 1, &desktopType);

    // Qt merges its own states into this list when it maps the window, so these stay.
    const std::array<xcb_atom_t, 4> states {
        internAtom(connection, "_NET_WM_STATE_BELOW"),
        internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
        internAtom(connection, "_NET_WM_STATE_SKIP_PAGER"),
        internAtom(connection, "_NET_WM_STATE_STICKY"),
    };
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, internAtom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(states.size()), states.data());

    const std::uint32_t allWorkspaces = 0xFFFFFFFFu;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, internAtom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allWorkspaces);
    xcb_flush(connection);
    return true;
}

} // namespace orbiclock
