// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChoiceListBox.h"

namespace tavik {

ChoiceListBox::ChoiceListBox(QWidget* parent)
    : ListBox(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags ChoiceListBox::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = ListBox::selectionCommand(index, event);
    // A click beside the entries or Ctrl on the chosen one would leave nothing chosen.
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect)
        || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

} // namespace tavik
