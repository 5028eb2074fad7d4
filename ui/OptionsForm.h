// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings screen's window and controls as laid out; its behaviour is in OptionsWindow.h
// (OPTIONS) and StartAction.h.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "ui/ChoiceListBox.h"
#include "ui/Controls.h"
#include "ui/DirListBox.h"
#include "ui/DriveListBox.h"
#include "ui/FileListBox.h"
#include "ui/ImageBox.h"
#include "ui/ScreenReader.h"

namespace tavik {

class OptionsForm : public QWidget {
    Q_OBJECT
public:
    explicit OptionsForm(QWidget* parent = nullptr);

    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* lstGroesse = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtSpielername = nullptr;
    QFrame* Frame2 = nullptr;
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    ImageBox* imgVorschau = nullptr;
    QPushButton* cmdExit = nullptr;
    ImageBox* Image1 = nullptr;
    QPushButton* cmdNimmOptions = nullptr;

    // Says what changes without a focus move (another drive chosen with the arrows).
    Announcer* voice = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void nameForScreenReaders();
};

} // namespace tavik
