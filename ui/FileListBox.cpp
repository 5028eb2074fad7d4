// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileListBox.h"

#include <QKeyEvent>

#include "platform/PathText.h"

namespace tavik {

// The rows of File1: each name as the list shows it, made when the view asks for the row.
class FileListBox::NameModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(const NameList& names)
    {
        beginResetModel();
        names_ = names;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(names_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= names_.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return shownText(names_.at(index.row()));
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
    }

private:
    NameList names_;
};

FileListBox::FileListBox(QWidget* parent)
    : QListView(parent)
    , model_(new NameModel(this))
{
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(model_);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit fileClicked(index.row());
    });
}

QString FileListBox::shownPath() const
{
    return shownText(path_);
}

void FileListBox::setListing(const QString& folder, const NameList& names)
{
    path_ = folder;
    names_ = names;
    const QSignalBlocker block(selectionModel());
    model_->setNames(names_);
    setAccessibleDescription(QString()); // no entry is current in a new listing
}

void FileListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    setAccessibleDescription(current.data().toString());
    QListView::currentChanged(current, previous);
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    // Arrow keys, paging and typing letters all move the selection; each move chooses.
    const int before = currentRow();
    QListView::keyPressEvent(event);
    if (currentRow() >= 0 && currentRow() != before)
        emit fileClicked(currentRow());
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    // The item view makes the first entry current when the focus arrives; an entry becomes
    // current only when the player chooses one.
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid())
        selectionModel()->clearCurrentIndex();
}

} // namespace tavik
