// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImageBox.h"

namespace tavik {

ImageBox::ImageBox(QWidget* parent, const QString& name, const QRect& geometry, bool bordered)
    : QLabel(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (bordered)
        setFrameStyle(QFrame::Box | QFrame::Plain);
}

void ImageBox::setStretch(bool on)
{
    setScaledContents(on);
}

void ImageBox::setPicture(const QPixmap& picture)
{
    setPixmap(picture);
    if (!stretch() && !picture.isNull()) {
        const int border = 2 * frameWidth();
        resize(picture.width() + border, picture.height() + border);
    }
}

void ImageBox::clearPicture()
{
    clear();
}

bool ImageBox::hasPicture() const
{
    return !pixmap().isNull();
}

} // namespace tavik
