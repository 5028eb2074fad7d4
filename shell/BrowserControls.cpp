#include "shell/BrowserControls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>

namespace tavik {

namespace {
const QStringList kPictureExtensions{QStringLiteral("bmp"), QStringLiteral("jpg")};
constexpr int kFolderRole = Qt::UserRole + 1;
} // namespace

DriveListBox::DriveListBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this] { emit driveChanged(); });
}

void DriveListBox::setVolumes(const QList<Volume>& volumes)
{
    const QSignalBlocker block(this);
    volumes_ = volumes;
    clear();
    for (const Volume& v : volumes)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), v.text);
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

void DriveListBox::setDrive(const QString& root)
{
    int found = -1;
    for (int i = 0; i < volumes_.size(); ++i)
        if (volumes_[i].rootPath == root)
            found = i;
    if (found < 0) {
        volumes_.append({root, root});
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root);
        found = volumes_.size() - 1;
    }
    {
        const QSignalBlocker block(this);
        setCurrentIndex(found);
    }
    emit driveChanged();
}

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openItem);
}

bool DirListBox::setPath(const QString& folder)
{
    const QString target = normalFolder(folder);
    const std::optional<QStringList> subfolders = listSubfolders(target);
    if (!subfolders)
        return false;

    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    clear();
    // The path from the root down, each step indented one more.
    const QStringList parts = target.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString walked = QStringLiteral("/");
    int depth = 0;
    auto addFolder = [&](const QString& text, const QString& full, int indent, const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, QString(indent * 2, QLatin1Char(' ')) + text, this);
        item->setData(kFolderRole, full);
        return item;
    };
    QListWidgetItem* current = addFolder(QStringLiteral("/"), walked, depth, open);
    for (const QString& part : parts) {
        walked = joinPath(walked, part);
        current = addFolder(part, walked, ++depth, open);
    }
    QFont bold = font();
    bold.setBold(true);
    current->setFont(bold);
    for (const QString& name : *subfolders)
        addFolder(name, joinPath(target, name), depth + 1, closed);
    setCurrentItem(current);

    const bool changed = target != path_;
    path_ = target;
    if (changed)
        emit pathChanged();
    return true;
}

void DirListBox::openItem(QListWidgetItem* item)
{
    if (item)
        setPath(item->data(kFolderRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

FileListBox::FileListBox(QWidget* parent)
    : QListView(parent)
{
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(&model_);
    // A click or a step with the arrow keys both choose an entry.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    emit fileClicked(current.row());
            });
}

bool FileListBox::setPath(const QString& folder)
{
    const QString target = normalFolder(folder);
    std::optional<QStringList> names = listFiles(target, kPictureExtensions);
    if (!names)
        return false;
    path_ = target;
    names_ = std::move(*names);
    const QSignalBlocker block(selectionModel());
    model_.setStringList(names_);
    return true;
}

} // namespace tavik
