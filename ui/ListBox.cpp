// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListBox.h"

namespace tavik {

void ListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    setAccessibleDescription(current.data().toString());
    if (hasFocus())
        QListWidget::currentChanged(current, previous); // with the focus event for the entry
    else
        QAbstractItemView::currentChanged(current, previous); // all the list view adds is that event
}

} // namespace tavik
