#include "ui/BrowserControls.h"

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

ChoiceListBox::ChoiceListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags ChoiceListBox::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // A click beside the entries or Ctrl on the chosen one would leave nothing chosen.
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect)
        || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

DriveListBox::DriveListBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, &DriveListBox::noteChange);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::noteChange);
}

void DriveListBox::setVolumes(const QList<Volume>& volumes)
{
    const QSignalBlocker block(this);
    volumes_ = volumes;
    clear();
    for (const Volume& v : volumes)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), shownText(v.text));
    shownDrive_ = drive();
}

QString DriveListBox::drive() const
{
    const int i = currentIndex();
    return i >= 0 && i < volumes_.size() ? volumes_[i].rootPath : QStringLiteral("/");
}

QString DriveListBox::driveText() const
{
    return currentText();
}

void DriveListBox::noteChange()
{
    if (drive() == shownDrive_)
        return; // the drive already chosen: no change
    shownDrive_ = drive();
    emit driveChanged();
}

void DriveListBox::showDrive(int index)
{
    const QSignalBlocker block(this);
    setCurrentIndex(index);
    shownDrive_ = drive();
}

void DriveListBox::setDrive(const QString& root)
{
    int found = -1;
    for (int i = 0; i < volumes_.size(); ++i)
        if (volumes_[i].rootPath == root)
            found = i;
    if (found < 0) {
        volumes_.append({root, root});
        const QSignalBlocker block(this);
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), shownText(root));
        found = volumes_.size() - 1;
    }
    {
        const QSignalBlocker block(this);
        setCurrentIndex(found);
    }
    noteChange();
}

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent)
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
