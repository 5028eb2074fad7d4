#pragma once
// What the folder browser asks of the file system: the picture files of a folder, its
// subfolders and the mounted volumes. Plain Core code, fast on large folders.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavik {

// Joins a folder and a name with one separator, also at the root "/".
QString joinPath(const QString& folder, const QString& name);

// A folder path in the form the lists report: absolute, cleaned, no trailing separator
// except for the root "/".
QString normalFolder(const QString& path);

// Bare names of the regular, visible files of `folder` whose names end in one of
// `extensions` (lower case, without the dot) in any letter case, sorted by name without
// regard to case. Names that cannot be represented as text are left out, since they could
// never be opened again by name. Nothing when the folder cannot be read.
std::optional<QStringList> listFiles(const QString& folder, const QStringList& extensions);

// Names of the visible subfolders of `folder`, sorted by name. Nothing when it cannot be read.
std::optional<QStringList> listSubfolders(const QString& folder);

struct Volume {
    QString rootPath; // where it is mounted
    QString text;     // what the drive list shows
};

// "/" first, then the home folder, then the mount points of mounted real volumes.
QList<Volume> listVolumes();

} // namespace tavik
