// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

namespace tavik {

// Moves a top-level window to the centre of the screen it will appear on.
void centreOnScreen(QWidget* window);

// Asks the window manager for a thin resizable border without a title bar (X11 Motif hints:
// border and resize handles, functions move and resize). Where the window system is not X11
// the window keeps what its flags give it. Call before the window is mapped.
void askForThinFrame(QWidget* window);

} // namespace tavik
