#pragma once
// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader needs beyond Qt's own accessibility: a role for the frames that only
// group controls, and a voice for what changes without a focus move.

#include <QFrame>

namespace tavik {

// A frame that groups controls. Qt reports a plain QFrame with the role of a window
// ("frame"); Orca then takes the outermost such frame above the focus for the window, finds
// it inactive and drops every focus move inside it. This one reports a group.
class Panel : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
};

// Says a line through the screen reader: a hidden widget whose role is a notification,
// shown anew for each line. With Qt 6.4 Orca reads no change of a name or a description,
// but it reads a notification that appears. Two lines said in one turn of the event loop
// reach it as one, the last; so each key press says one line.
class Announcer : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);
    void say(const QString& text);
};

} // namespace tavik
