// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows-1252, the code page of the high-score file, encoded and decoded by table so that
// it works the same whatever codecs the Qt build has.

#include <QByteArray>
#include <QString>

namespace tavik {

QString fromCp1252(const QByteArray& bytes);

// Control characters (CR and LF among them) become blanks, so a name always stays on its
// line; characters the code page cannot hold become '?'.
QByteArray toCp1252(const QString& text);

} // namespace tavik
