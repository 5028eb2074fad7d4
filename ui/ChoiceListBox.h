// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// lstGroesse: a list that always has exactly one entry chosen (Ctrl+click cannot clear it).

#include "ui/ListBox.h"

namespace tavik {

class ChoiceListBox : public ListBox {
public:
    explicit ChoiceListBox(QWidget* parent);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};

} // namespace tavik
