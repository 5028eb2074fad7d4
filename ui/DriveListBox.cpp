// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DriveListBox.h"

#include <QStyle>

#include "platform/PathText.h"

namespace tavik {

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
    describe();
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
    describe();
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

} // namespace tavik
