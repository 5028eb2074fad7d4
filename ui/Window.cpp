// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Window.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef TAVIK_HAVE_XCB
#include <xcb/xcb.h>

#include <cstring>
#endif

namespace tavik {

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

#ifdef TAVIK_HAVE_XCB
namespace {

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

// One window property as bytes; empty when it is missing.
QByteArray property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 256), nullptr);
    if (!reply)
        return {};
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    free(reply);
    return value;
}

// The running window manager's name (_NET_WM_NAME of its check window), empty when unknown.
QByteArray windowManagerName(xcb_connection_t* connection, xcb_window_t root)
{
    const QByteArray check =
        property(connection, root, atomNamed(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (check.size() != sizeof(xcb_window_t))
        return {};
    xcb_window_t wm;
    memcpy(&wm, check.constData(), sizeof wm);
    return property(connection, wm, atomNamed(connection, "_NET_WM_NAME"), atomNamed(connection, "UTF8_STRING"));
}

} // namespace
#endif

void askForThinFrame([[maybe_unused]] QWidget* window)
{
#ifdef TAVIK_HAVE_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    // Weston's X window manager (a Wayland desktop's XWayland) draws its whole title bar for any
    // decoration asked for: there the window keeps no edge rather than get a title.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen && windowManagerName(connection, screen->root).startsWith("Weston"))
        return;
    const xcb_atom_t hintsAtom = atomNamed(connection, "_MOTIF_WM_HINTS");
    if (hintsAtom == XCB_ATOM_NONE)
        return;
    // flags, functions, decorations, input mode, status (the Motif layout of the property).
    enum : uint32_t { FunctionsGiven = 1, DecorationsGiven = 2 };
    enum : uint32_t { Resize = 2, Move = 4 };
    enum : uint32_t { Border = 2 };
    // Border alone: window managers such as openbox keep their full frame, title included, as
    // soon as the resize handles are asked for; the resize function still lets the border resize.
    const uint32_t hints[5] = {FunctionsGiven | DecorationsGiven, Resize | Move, Border, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), hintsAtom,
                        hintsAtom, 32, 5, hints);
    xcb_flush(connection);
#endif
}

} // namespace tavik
