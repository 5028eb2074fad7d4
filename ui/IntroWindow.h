// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// INTRO: the splash window with the title artwork. Its only event is the tick of Timer1.

#include <QTimer>
#include <QWidget>

namespace tavik {

class ImageBox;

class IntroWindow : public QWidget {
    Q_OBJECT
public:
    explicit IntroWindow(QWidget* parent = nullptr);

    ImageBox* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

    // Closes the splash window, which stops Timer1, then asks for the settings screen.
    void Timer1_Timer();
    // The splash ends without a tick.
    void stop() { Timer1->stop(); }

signals:
    void splashEnded();
};

} // namespace tavik
