#include "shell/Window.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef TAVIK_HAVE_XCB
#include <xcb/xcb.h>
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

void askForThinFrame([[maybe_unused]] QWidget* window)
{
#ifdef TAVIK_HAVE_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
    if (!atom)
        return;
    // flags, functions, decorations, input mode, status (the Motif layout of the property).
    enum : uint32_t { FunctionsGiven = 1, DecorationsGiven = 2 };
    enum : uint32_t { Resize = 2, Move = 4 };
    enum : uint32_t { Border = 2 };
    // Border alone: window managers such as openbox keep their full frame, title included, as
    // soon as the resize handles are asked for; the resize function still lets the border resize.
    const uint32_t hints[5] = {FunctionsGiven | DecorationsGiven, Resize | Move, Border, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), atom->atom,
                        atom->atom, 32, 5, hints);
    xcb_flush(connection);
    free(atom);
#endif
}

} // namespace tavik
