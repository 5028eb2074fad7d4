// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Controls.h"

#include <QIcon>
#include <cmath>

#include "ui/ScreenReader.h"

namespace tavik {

QFont layoutFont(double points, bool bold, bool italic)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont dialogFont()
{
    return layoutFont(7.5); // 10 pixels: the layout's narrow dialogue font in Liberation Sans metrics
}

void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    w->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame* makeFrame(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* frame = new Panel(parent); // a group to a screen reader, not a window
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& picture,
                               const QString& tooltip, const QRect& geometry)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(32, 32));
    button->setToolTip(tooltip);
    button->setAccessibleName(tooltip);
    return button;
}

} // namespace tavik
