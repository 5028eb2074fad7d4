#pragma once
// The drive, folder and file lists of the settings screen, realised on a Linux file system.

#include <QComboBox>
#include <QListView>
#include <QListWidget>
#include <QStringListModel>

#include "shell/FileSystem.h"

namespace tavik {

// Drive1: the places a user keeps pictures on ("/", the home folder, mounted volumes).
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent);
    QString drive() const;        // root path of the selected entry
    QString driveText() const;    // the entry's text as the list shows it
    // Selects the entry for `root`, adding one if the list lacks it. Emits driveChanged.
    void setDrive(const QString& root);
    void setVolumes(const QList<Volume>& volumes);

signals:
    void driveChanged(); // the Change event, by the player or by the program

private:
    QList<Volume> volumes_;
};

// Dir1: the open folder's path from the root down, then its subfolders.
// A double click or Enter opens the folder under the cursor.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent);
    QString path() const { return path_; }
    // Opens `folder`. False, with the list left as it was, when it cannot be read.
    bool setPath(const QString& folder);

signals:
    void pathChanged(); // the Change event

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openItem(QListWidgetItem* item);
    QString path_;
};

// File1: the files of a folder that match the pattern "*.bmp;*.jpg", in any letter case.
// A plain string model keeps a folder of tens of thousands of files quick to show.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent);
    QString path() const { return path_; }
    bool setPath(const QString& folder);
    int listCount() const { return names_.size(); }
    // Entry i, or an empty name past the end.
    QString entry(int i) const { return i >= 0 && i < names_.size() ? names_[i] : QString(); }
    int currentRow() const { return currentIndex().row(); }
    void setCurrentRow(int row) { setCurrentIndex(model_.index(row)); }

signals:
    void fileClicked(int index);

private:
    QString path_;
    QStringList names_;
    QStringListModel model_;
};

} // namespace tavik
