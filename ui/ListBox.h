#pragma once
// SPDX-License-Identifier: GPL-3.0-or-later
// A list box as a screen reader should hear it. Its description is its current entry: Orca
// does not say which entry is current when a list gets the focus, but it reads the
// description. And it tells that an entry has the focus only while the list has it: Qt 6.4's
// list view tells it at every change of the current entry, and a list filled while the player
// is on another control (the folder list when its listing comes in, the size list at the
// load) drew Orca away from that control.

#include <QListWidget>

namespace tavik {

class ListBox : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

} // namespace tavik
