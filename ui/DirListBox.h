// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dir1: the open folder's path from the root down, then its subfolders, each level indented
// by drawing (the texts are the bare names, shown as PathText.h says; the entries keep the
// exact paths). A double click or Enter opens the folder under the cursor. Every folder is
// read on a worker and shown when its listing comes back.

#include "ui/ListBox.h"

#include "platform/FileSystem.h"
#include "platform/FolderReader.h"

namespace tavik {

class DirListBox : public ListBox {
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
    // A folder still on its way is not shown, nor reported unreadable.
    void stop() { reader_.cancel(); }
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

} // namespace tavik
