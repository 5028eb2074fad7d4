// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the artwork of the windows and the standard pictures into a resources folder:
//   make_pictures <resources-folder>
// The output is committed; the build never runs this.
//
// The standard pictures combine ten shapes with five colours, and each colour comes with
// its own number of shapes (one to five), so two pictures differ in shape or in count as
// well as in colour and can be told apart without seeing colour.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>

namespace {

QPainterPath shapePath(int shape, const QRectF& r)
{
    QPainterPath p;
    const QPointF c = r.center();
    const qreal w = r.width(), h = r.height();
    auto polygon = [&](int corners, qreal rotate, qreal innerRatio) {
        QPolygonF poly;
        const int points = innerRatio > 0 ? corners * 2 : corners;
        for (int i = 0; i < points; ++i) {
            const qreal radius = (innerRatio > 0 && i % 2) ? w / 2 * innerRatio : w / 2;
            const qreal a = rotate + 2 * M_PI * i / points;
            poly << QPointF(c.x() + radius * std::cos(a), c.y() + radius * std::sin(a));
        }
        poly << poly.first();
        p.addPolygon(poly);
    };
    switch (shape) {
    case 0: p.addEllipse(r); break;                                      // circle
    case 1: p.addRect(r.adjusted(w * .08, h * .08, -w * .08, -h * .08)); break; // square
    case 2: polygon(3, -M_PI / 2, 0); break;                             // triangle
    case 3: polygon(4, -M_PI / 2, 0); break;                             // diamond
    case 4: polygon(5, -M_PI / 2, 0.45); break;                          // star
    case 5: {                                                            // heart
        p.moveTo(c.x(), r.bottom() - h * .05);
        p.cubicTo(r.left() - w * .1, c.y(), r.left() + w * .1, r.top() - h * .05, c.x(), r.top() + h * .28);
        p.cubicTo(r.right() - w * .1, r.top() - h * .05, r.right() + w * .1, c.y(), c.x(), r.bottom() - h * .05);
        break;
    }
    case 6: {                                                            // plus
        const qreal t = w * .17;
        p.addRect(QRectF(c.x() - t, r.top(), 2 * t, h));
        p.addRect(QRectF(r.left(), c.y() - t, w, 2 * t));
        p.setFillRule(Qt::WindingFill);
        p = p.simplified();
        break;
    }
    case 7: polygon(6, 0, 0); break;                                     // hexagon
    case 8: {                                                            // crescent moon
        QPainterPath full, bite;
        full.addEllipse(r);
        bite.addEllipse(r.translated(w * .32, -h * .12));
        p = full.subtracted(bite);
        break;
    }
    default: {                                                           // arrow up
        QPolygonF a;
        a << QPointF(c.x(), r.top()) << QPointF(r.right(), c.y()) << QPointF(c.x() + w * .18, c.y())
          << QPointF(c.x() + w * .18, r.bottom()) << QPointF(c.x() - w * .18, r.bottom())
          << QPointF(c.x() - w * .18, c.y()) << QPointF(r.left(), c.y()) << QPointF(c.x(), r.top());
        p.addPolygon(a);
    }
    }
    return p;
}

// Where the shapes of a picture stand, one to five, like the pips of a die.
QList<QRectF> places(int count, qreal size)
{
    const qreal s = count == 1 ? 124 : count == 2 ? 82 : count == 5 ? 54 : 64;
    auto at = [s](qreal x, qreal y) { return QRectF(x - s / 2, y - s / 2, s, s); };
    const qreal m = size / 2, lo = size * .29, hi = size * .71;
    switch (count) {
    case 1: return {at(m, m)};
    case 2: return {at(lo + 2, lo + 2), at(hi - 2, hi - 2)};
    case 3: return {at(m, lo - 4), at(lo, hi), at(hi, hi)};
    case 4: return {at(lo, lo), at(hi, lo), at(lo, hi), at(hi, hi)};
    default: return {at(lo - 6, lo - 6), at(hi + 6, lo - 6), at(m, m), at(lo - 6, hi + 6), at(hi + 6, hi + 6)};
    }
}

QImage standardPicture(int shape, int variant)
{
    // Colour-blind-safe hues, each also of its own lightness.
    static const QColor colours[5] = {QColor(0xD5, 0x5E, 0x00), QColor(0x00, 0x72, 0xB2), QColor(0x00, 0x9E, 0x73),
                                      QColor(0xE6, 0x9F, 0x00), QColor(0xCC, 0x79, 0xA7)};
    static const QColor backs[5] = {QColor(0xFF, 0xF1, 0xE6), QColor(0xE8, 0xF3, 0xFB), QColor(0xE6, 0xF7, 0xF1),
                                    QColor(0xFF, 0xF8, 0xE1), QColor(0xFB, 0xEE, 0xF5)};
    // Drawn on a 200-unit grid at twice that in pixels, so a picture stays sharp in the
    // 169-pixel box on a screen with two device pixels per pixel.
    const int size = 200;
    const int scale = 2;
    QImage img(size * scale, size * scale, QImage::Format_RGB32);
    img.fill(backs[variant]);
    QPainter p(&img);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colours[variant].darker(160), 6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(5, 5, size - 10, size - 10), 14, 14);
    for (const QRectF& r : places(variant + 1, size)) {
        const QPainterPath path = shapePath(shape, r);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawPath(path.translated(3, 4));
        QLinearGradient g(r.topLeft(), r.bottomRight());
        g.setColorAt(0, colours[variant].lighter(125));
        g.setColorAt(1, colours[variant]);
        p.setBrush(g);
        p.setPen(QPen(colours[variant].darker(200), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
    return img;
}

QImage titleArtwork()
{
    QImage img(360, 107, QImage::Format_RGB32);
    img.fill(QColor(0xD4, 0xD0, 0xC8));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(58);
    font.setBold(true);
    font.setItalic(true);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("Tavik V1.1"));
    const QRectF box = text.boundingRect();
    const qreal baseline = 66;
    text.translate((360 - box.width()) / 2 - box.left(), baseline);
    // The mirrored shadow below the baseline, brown and fading.
    QTransform mirror;
    mirror.translate(0, 2 * baseline + 4);
    mirror.scale(1, -1);
    const QPainterPath shadow = mirror.map(text);
    QLinearGradient fade(0, baseline, 0, 107);
    fade.setColorAt(0, QColor(0x6B, 0x3A, 0x1A, 170));
    fade.setColorAt(1, QColor(0x6B, 0x3A, 0x1A, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(fade);
    p.drawPath(shadow);
    QLinearGradient glow(0, baseline - 46, 0, baseline);
    glow.setColorAt(0, QColor(0xFF, 0xE0, 0x20));
    glow.setColorAt(1, QColor(0xFF, 0x45, 0x00));
    p.setBrush(glow);
    p.setPen(QPen(QColor(0x8B, 0x25, 0x00), 1.2));
    p.drawPath(text);
    return img;
}

// The emblem, drawn into a square of `side` pixels (147 x 148 for the settings screen).
QImage emblem(int width = 147, int height = 148)
{
    QImage img(width, height, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(width / 147.0, height / 148.0);
    QRadialGradient gold(73, 60, 80);
    gold.setColorAt(0, QColor(0xFF, 0xE8, 0x8A));
    gold.setColorAt(1, QColor(0xC8, 0x8A, 0x10));
    p.setBrush(gold);
    p.setPen(QPen(QColor(0x7A, 0x4E, 0x05), 4));
    p.drawEllipse(QRectF(4, 5, 139, 139));
    // Two cards, one face down and one face up with a star.
    auto card = [&](qreal angle, const QColor& face, bool star) {
        p.save();
        p.translate(73.5, 76);
        p.rotate(angle);
        p.setPen(QPen(QColor(0x20, 0x20, 0x30), 2.5));
        p.setBrush(face);
        p.drawRoundedRect(QRectF(-26, -36, 52, 72), 6, 6);
        if (star) {
            p.setBrush(QColor(0xD5, 0x5E, 0x00));
            p.drawPath(shapePath(4, QRectF(-20, -20, 40, 40)));
        } else {
            p.setPen(QPen(QColor(0x9D, 0xB8, 0xE8), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(-19, -29, 38, 58), 4, 4);
        }
        p.restore();
    };
    card(-16, QColor(0x2B, 0x4C, 0x8C), false);
    card(14, QColor(0xFF, 0xFD, 0xF5), true);
    return img;
}

QImage icon(int which)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case 0: { // cross on a raised grey square
        p.fillRect(2, 2, 28, 28, QColor(0xC0, 0xC0, 0xC0));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(3, 3, 28, 3);
        p.drawLine(3, 3, 3, 28);
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
        p.drawLine(4, 29, 29, 29);
        p.drawLine(29, 4, 29, 29);
        p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(9, 9, 23, 23);
        p.drawLine(23, 9, 9, 23);
        break;
    }
    case 1: { // option panel: ticked box, empty box, empty and selected radio buttons
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 3, 11, 11));
        p.drawRect(QRectF(18, 3, 11, 11));
        p.drawEllipse(QRectF(3, 18, 11, 11));
        p.drawEllipse(QRectF(18, 18, 11, 11));
        p.setPen(QPen(QColor(0x10, 0x70, 0x10), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(5, 9), QPointF(8, 12), QPointF(13, 4)});
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(21, 21, 5, 5));
        break;
    }
    case 2: { // trophy: a gold cup on a dark pedestal
        QLinearGradient g(6, 0, 26, 0);
        g.setColorAt(0, QColor(0xB8, 0x86, 0x0B));
        g.setColorAt(0.4, QColor(0xFF, 0xE0, 0x66));
        g.setColorAt(1, QColor(0xB8, 0x86, 0x0B));
        p.setPen(QPen(QColor(0x80, 0x5A, 0x00), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2, 5, 9, 10), 90 * 16, 180 * 16);
        p.drawArc(QRectF(21, 5, 9, 10), -90 * 16, 180 * 16);
        p.setBrush(g);
        QPainterPath cup;
        cup.moveTo(7, 3);
        cup.lineTo(25, 3);
        cup.cubicTo(25, 15, 20, 18, 16, 18);
        cup.cubicTo(12, 18, 7, 15, 7, 3);
        p.drawPath(cup);
        p.drawRect(QRectF(14.5, 18, 3, 5));
        p.setBrush(QColor(0x30, 0x22, 0x18));
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(QRectF(9, 23, 14, 6));
        break;
    }
    default: { // check mark: a green tick over a grey tilted square
        p.save();
        p.translate(16, 17);
        p.rotate(20);
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.2));
        p.setBrush(QColor(0xC8, 0xC8, 0xC8));
        p.drawRect(QRectF(-10, -10, 20, 20));
        p.restore();
        p.setPen(QPen(QColor(0x0A, 0x60, 0x0A), 6.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(6, 16), QPointF(13, 24), QPointF(27, 6)});
        p.setPen(QPen(QColor(0x2E, 0xC0, 0x2E), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(6, 16), QPointF(13, 24), QPointF(27, 6)});
    }
    }
    return img;
}

bool save(const QImage& image, const QString& path, int quality = -1)
{
    if (image.save(path, nullptr, quality))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <resources-folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("artwork"));
    out.mkpath(QStringLiteral("pictures"));
    bool ok = save(titleArtwork(), out.filePath(QStringLiteral("artwork/title.png")));
    ok &= save(emblem(), out.filePath(QStringLiteral("artwork/emblem.png")));
    const char* icons[4] = {"cross", "options", "trophy", "check"};
    for (int i = 0; i < 4; ++i)
        ok &= save(icon(i), out.filePath(QStringLiteral("artwork/%1.png").arg(QLatin1String(icons[i]))));
    // The application icon in the usual hicolor sizes.
    out.mkpath(QStringLiteral("icons"));
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
        ok &= save(emblem(side, side), out.filePath(QStringLiteral("icons/tavik-%1.png").arg(side)));
    for (int i = 0; i < 50; ++i)
        ok &= save(standardPicture(i % 10, i / 10),
                   out.filePath(QStringLiteral("pictures/Bild%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'))), 88);
    return ok ? 0 : 1;
}
