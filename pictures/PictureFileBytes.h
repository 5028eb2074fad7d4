// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a picture file into memory once, so that the bytes whose header was checked are
// the very bytes that get decoded, however the file changes on disk meanwhile.

#include <QByteArray>
#include <QString>
#include <optional>

namespace tavik {

// The whole content of `path` when it is a regular, readable file of at most `maxBytes`
// bytes that begins like a JPEG or a BMP. Anything else costs one open and one short read
// (never blocks on a pipe or a device). Nothing otherwise, also when the file grew past
// `maxBytes` while it was read; why is logged (PictureLog.h).
std::optional<QByteArray> readPictureBytes(const QString& path, qint64 maxBytes);

} // namespace tavik
