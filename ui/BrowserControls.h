#pragma once
// The size list and the drive, folder and file lists of the settings screen, realised on a
// Linux file system. Names show as PathText.h says; the lists keep the exact names.

#include <QComboBox>
#include <QListView>
#include <QListWidget>

#include "platform/FileSystem.h"
#include "platform/FolderReader.h"

namespace tavik {

// lstGroesse: a list that always has exactly one entry chosen (Ctrl+click cannot clear it).
class ChoiceListBox : public QListWidget {
public:
    explicit ChoiceListBox(QWidget* parent);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};

// Drive1: the places a user keeps pictures on ("/", the home folder, mounted volumes).
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
    QList<Volume> volumes_;
    QString shownDrive_; // the drive of the last Change event
};

// Dir1: the open folder's path from the root down, then its subfolders, each level indented
// by drawing (the texts are the bare names). A double click or Enter opens the folder under
// the cursor. Every folder is read on a worker and shown when its listing comes back.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent);
    QString path() const { return path_; }
    // The picture files of the open folder, from the same reading as the subfolders.
    const NameList& files() const { return files_; }
    // Opens `folder`: the list changes when the listing comes back, or marks the entry
    // unreadable and reports folderUnreadable().
    void openFolder(const QString& folder);
    // Shows `folder` with its listing already read; a listing still on its way is dropped.
    void showListing(const QString& folder, const FolderListing& listing);
    FolderReader& reader() { return reader_; } // the reading's seams, for tests

signals:
    void pathChanged(); // the Change event
    void folderUnreadable(const QString& folder); // a folder asked for by openFolder

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openItem(QListWidgetItem* item);
    void markUnreadable(const QString& folder);
    QString path_;
    NameList files_;
    FolderReader reader_;
};

// File1: the files of a folder that match the pattern "*.bmp;*.jpg", in any letter case.
// Its model shows the shared sorted names as they are, each row turned into text only when the
// view asks for it, so a folder of a hundred thousand files shows at once. A click,
// or a key that moves the selection, chooses an entry; the focus entering the list does not.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent);
    QString path() const { return path_; }
    // The folder's path as the player sees it (in messages).
    QString shownPath() const;
    // Lists `names` (already read and sorted) as the files of `folder`.
    void setListing(const QString& folder, const NameList& names);
    int listCount() const { return static_cast<int>(names_.size()); }
    const NameList& names() const { return names_; }
    // Entry i, or an empty name past the end.
    QString entry(int i) const { return i >= 0 && i < names_.size() ? names_.at(i) : QString(); }
    int currentRow() const { return currentIndex().row(); }
    void setCurrentRow(int row) { setCurrentIndex(model()->index(row, 0)); }

signals:
    void fileClicked(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QString path_;
    NameList names_;
    class NameModel;
    NameModel* model_;
};

} // namespace tavik
