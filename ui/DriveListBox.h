// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drive1: the places a user keeps pictures on ("/", the home folder, mounted volumes). Names
// show as PathText.h says; the list keeps the exact root paths. Its description is the drive
// shown: a screen reader names a Qt combo box by its label and does not say its text.

#include <QComboBox>

#include "platform/FileSystem.h"

namespace tavik {

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent);
    QString drive() const;        // root path of the selected entry
    QString driveText() const;    // the entry's text as the list shows it
    // Selects the entry for `root`, adding one if the list lacks it. Emits driveChanged
    // when that is another drive than before.
    void setDrive(const QString& root);
    // Shows entry `index` as the current drive without a Change event.
    void showDrive(int index);
    void setVolumes(const QList<Volume>& volumes);

signals:
    void driveChanged(); // the Change event: the drive is another one, by the player or the program

private:
    void noteChange();
    void describe() { setAccessibleDescription(currentText()); }
    QList<Volume> volumes_;
    QString shownDrive_; // the drive of the last Change event
};

} // namespace tavik
