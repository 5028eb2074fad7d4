#pragma once
// SPDX-License-Identifier: GPL-3.0-or-later
// A list box that tells a screen reader an entry has the focus only while the list has it.
// Qt 6.4's list view tells it at every change of the current entry; a list filled while the
// player is on another control (the folder list when its listing comes in, the size list at
// the load) then draws Orca away from that control.

#include <QListWidget>

namespace tavik {

class ListBox : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

} // namespace tavik
