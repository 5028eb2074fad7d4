// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture files made on the spot for tests.

#include <QColor>
#include <QFile>
#include <QSize>
#include <QString>

namespace tavik::test {

// Writes a picture of `size` in `format` ("JPG" or "BMP") to `path`, padded with trailing
// zero bytes to `bytes` when given (decoders ignore data after the picture).
bool writePicture(const QString& path, QSize size, const char* format, qint64 bytes = -1,
                  QColor colour = QColor(200, 60, 40));

// Writes raw bytes to a file.
bool writeBytes(const QString& path, const QByteArray& bytes);

// Opens `path` for reading by its exact bytes (PathText.h), also below a folder whose name is
// not UTF-8: whether a listed name opens again.
bool openForReading(QFile& file, const QString& path);

// A BMP header that claims `size` but carries no pixel data.
QByteArray bmpHeaderOnly(QSize size);

// A JPEG whose header claims `size` (a real small JPEG with its frame size patched).
QByteArray jpegClaiming(QSize size);

// Puts something at `path` that is named like a picture but is none, or a broken one:
// "empty", "garbage" (random bytes), "png" (PNG data), "truncated" (a BMP header without
// rows), "hugebmp" / "hugejpg" (headers claiming 60000 x 60000), "folder", "fifo",
// "dangling" (a link to nothing), "deleted" (nothing at all). False for an unknown kind or
// when the file cannot be made.
bool makeBadPicture(const QString& kind, const QString& path);

// The bytes this process has read so far (rchar in /proc/self/io): what a reader that
// must stop early really read, counted the same on an idle and a loaded machine.
qint64 bytesReadByThisProcess();

} // namespace tavik::test
