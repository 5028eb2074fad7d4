// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/IntroWindow.h"

#include "ui/Controls.h"
#include "ui/ImageBox.h"
#include "ui/Window.h"

namespace tavik {

IntroWindow::IntroWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint)
{
    setObjectName(QStringLiteral("INTRO"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(4200), px(1620));
    setFont(dialogFont());
    setStyleSheet(QStringLiteral("#INTRO { background: #c0c0c0; border: 1px solid #404040; }"));
    setAttribute(Qt::WA_StyledBackground);

    Image1 = new ImageBox(this, QStringLiteral("Image1"), pxRect(0, 0, 4200, 1605), false);
    Image1->setStretch(true);
    Image1->setPicture(QPixmap(QStringLiteral(":/artwork/title.png")));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &IntroWindow::Timer1_Timer);
    Timer1->start();

    centreOnScreen(this);
}

void IntroWindow::Timer1_Timer()
{
    Timer1->stop();
    close();
    emit splashEnded();
}

} // namespace tavik
