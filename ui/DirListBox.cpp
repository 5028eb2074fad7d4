// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DirListBox.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/PathText.h"

namespace tavik {

namespace {
constexpr int kFolderRole = Qt::UserRole + 1; // the full path, exact bytes kept
constexpr int kDepthRole = Qt::UserRole + 2;  // levels below the root
constexpr int kNameRole = Qt::UserRole + 3;   // the name as the list shows it

// Indents each entry by its depth; the text itself stays the bare name.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(option, index), 0);
    }

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        return index.data(kDepthRole).toInt() * option.fontMetrics.averageCharWidth() * 3 / 2;
    }
};

} // namespace

DirListBox::DirListBox(QWidget* parent)
    : ListBox(parent)
    , reader_(this)
{
    setUniformItemSizes(true);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openItem);
    connect(&reader_, &FolderReader::listed, this, [this](const QString& folder, const FolderListing& listing) {
        showListing(folder, listing);
    });
    connect(&reader_, &FolderReader::unreadable, this, &DirListBox::markUnreadable);
}

void DirListBox::openFolder(const QString& folder)
{
    reader_.request(normalFolder(folder));
}

void DirListBox::showListing(const QString& target, const FolderListing& listing)
{
    reader_.cancel(); // this listing wins over one still on its way
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    clear();
    auto addFolder = [&](const QString& name, const QString& full, int depth, const QIcon& icon) {
        const QString text = shownText(name);
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kFolderRole, full);
        item->setData(kDepthRole, depth);
        item->setData(kNameRole, text);
        return item;
    };
    // The path from the root down, each step one level deeper.
    const QStringList parts = target.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString walked = QStringLiteral("/");
    int depth = 0;
    QListWidgetItem* current = addFolder(QStringLiteral("/"), walked, depth, open);
    for (const QString& part : parts) {
        walked = joinPath(walked, part);
        current = addFolder(part, walked, ++depth, open);
    }
    QFont bold = font();
    bold.setBold(true);
    current->setFont(bold);
    for (qsizetype i = 0; i < listing.subfolders.size(); ++i) {
        const QString name = listing.subfolders.at(i);
        addFolder(name, joinPath(target, name), depth + 1, closed);
    }
    setCurrentItem(current);

    files_ = listing.files;
    const bool changed = target != path_;
    path_ = target;
    if (changed)
        emit pathChanged();
}

void DirListBox::markUnreadable(const QString& folder)
{
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* entry = item(i);
        if (entry->data(kFolderRole).toString() == folder)
            entry->setText(entry->data(kNameRole).toString() + QStringLiteral(" (nicht lesbar)"));
    }
    emit folderUnreadable(folder);
}

void DirListBox::openItem(QListWidgetItem* item)
{
    if (item)
        openFolder(item->data(kFolderRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace tavik
