#pragma once
// Building blocks for the windows: twips, fonts and the few control kinds that Qt has no
// exact match for (an image box with a stretch switch, a picture button, a plain frame).

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
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

// A plain rectangular panel without a title, like a frame of the layout.
QFrame* makeFrame(QWidget* parent, const QString& name, const QRect& geometry);

// A push button that shows a picture instead of a text.
QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& picture,
                               const QString& tooltip, const QRect& geometry);

// An image box: with stretch off it takes the natural size of its picture,
// with stretch on it draws the picture scaled to its own size.
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
