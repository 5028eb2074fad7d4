// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SpokenText.h"

namespace tavik {

QString cardPlace(int card, int n)
{
    return QStringLiteral("Karte %1, Reihe %2, Spalte %3").arg(card + 1).arg(card / n + 1).arg(card % n + 1);
}

QString pictureName(const QString& path)
{
    const QString file = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    QString name = file.left(file.lastIndexOf(QLatin1Char('.'))); // all of it without a dot
    name.replace(QLatin1Char('_'), QLatin1Char(' ')).replace(QLatin1Char('-'), QLatin1Char(' '));
    name = name.simplified();
    return name.isEmpty() ? file : name;
}

} // namespace tavik
