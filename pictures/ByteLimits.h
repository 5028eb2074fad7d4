#pragma once
// The size limits of picture files, by the extension of their name (the extensions are
// platform/FileSystem.h's: the file list shows the same ones).

#include <QString>

#include <optional>

namespace tavik {

constexpr qint64 kJpgLimit = 75000;
constexpr qint64 kBmpLimit = 800000;

// The last three characters of a path in lower case: "jpg" and "bmp" are pictures.
QString extensionOf(const QString& path);

// The byte limit for an extension, or 0 when it is not a picture extension.
qint64 limitFor(const QString& extension);

// The preview refuses a picture above its limit; one exactly at the limit is shown. A file
// that could not be measured is not refused here: the read that follows decides.
bool tooLargeForPreview(const QString& extension, std::optional<qint64> bytes);

} // namespace tavik
