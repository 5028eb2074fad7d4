// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An image box: with stretch off it takes the natural size of its picture, with stretch on it
// draws the picture scaled to its own size.

#include <QLabel>
#include <QPixmap>

namespace tavik {

class ImageBox : public QLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent, const QString& name, const QRect& geometry,
                      bool bordered);
    void setStretch(bool on);
    bool stretch() const { return hasScaledContents(); }
    // Gives the box its picture; without stretch the box takes the picture's natural size.
    void setPicture(const QPixmap& picture);
    void clearPicture();
    bool hasPicture() const;
};

} // namespace tavik
