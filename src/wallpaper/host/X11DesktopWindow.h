#pragma once

#include <QString>

class QWindow;

namespace orbiclock {

/// Why this session cannot place a window behind the desktop icons, or an empty text when it can.
/// Only X11 lets a program mark its window as the desktop; Wayland desktops (GNOME's among them)
/// keep that layer to themselves.
QString desktopLayerUnavailableReason();

/// Marks the created but not yet shown `window` as the desktop window of an X11 session: window type
/// _NET_WM_WINDOW_TYPE_DESKTOP, below every other window, on every workspace, in no task bar or
/// pager. Returns false when the window is not an X11 window.
bool markAsX11DesktopWindow(QWindow* window);

} // namespace orbiclock
