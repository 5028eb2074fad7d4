// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File1: the files of a folder that match the pattern "*.bmp;*.jpg", in any letter case.
// Its model shows the shared sorted names as they are, each row turned into text (as
// PathText.h says) only when the view asks for it, so a folder of a hundred thousand files
// shows at once. A click, or a key that moves the selection, chooses an entry; the focus
// entering the list does not.

#include <QListView>

#include "platform/FileSystem.h"

namespace tavik {

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
    // The entry reached is the list's description, read when the focus comes back (ListBox.h).
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    QString path_;
    NameList names_;
    class NameModel;
    NameModel* model_;
};

} // namespace tavik
