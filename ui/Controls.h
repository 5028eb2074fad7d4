// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Building blocks for the forms' layout: twips, fonts, and the plain controls made from Qt's
// own (a label, a plain frame, a picture button).

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRect>

namespace tavik {

constexpr int kTwipsPerPixel = 15;

// Twips to pixels at 96 dots per inch, to the nearest pixel.
constexpr int px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }
inline QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The layout's "MS Sans Serif" at a point size, mapped to the system's sans-serif.
// Sized in pixels (points at 96 dpi) so the text fits the pixel layout on any screen.
QFont layoutFont(double points, bool bold = false, bool italic = false);
// The default dialogue font of the windows.
QFont dialogFont();

void setTextColour(QWidget* w, const QColor& colour);

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);

// A plain rectangular panel without a title, like a frame of the layout; a screen reader
// hears it as a group of controls.
QFrame* makeFrame(QWidget* parent, const QString& name, const QRect& geometry);

// A push button that shows a picture instead of a text.
QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& picture,
                               const QString& tooltip, const QRect& geometry);

} // namespace tavik
