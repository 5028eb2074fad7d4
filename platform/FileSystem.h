// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the folder browser asks of the file system: the subfolders and picture files of a
// folder (read once for both), and the mounted volumes. Plain Core code, fast on large
// folders. Paths are text as PathText.h describes: every listed name opens again.

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "platform/NameOrder.h"

namespace tavik {

// The picture files, by the end of their names: ".bmp" and ".jpg" in any letter case. The one
// list of them: the file list shows these, and the byte limits are kept for these.
inline constexpr QLatin1String kBmpExtension("bmp");
inline constexpr QLatin1String kJpgExtension("jpg");
const QStringList& pictureExtensions(); // both, lower case

// Joins a folder and a name with one separator, also at the root "/".
QString joinPath(const QString& folder, const QString& name);

// A folder path in the form the lists report: absolute, cleaned, no trailing separator
// except for the root "/".
QString normalFolder(const QString& path);

// Sorted names, shared and read-only. A folder of a hundred thousand names stays bytes in one
// buffer; a name becomes text when it is asked for (the list shows only the rows in sight).
class NameList {
public:
    NameList() = default;
    // Names as text, already sorted.
    explicit NameList(QStringList texts);
    // The UTF-8 names `raw` (valid UTF-8 each) in the order `order`.
    NameList(RawNames&& raw, std::vector<unsigned>&& order);

    qsizetype size() const;
    QString at(qsizetype i) const;

private:
    struct Data;
    std::shared_ptr<const Data> d_;
};

// One reading of a folder: its visible subfolders, and its visible regular files whose names
// end in one of the extensions asked for (any letter case), each sorted in German order.
struct FolderListing {
    NameList subfolders;
    NameList files;
};

// Reads `folder` once. Folder names that are not valid UTF-8 are kept (they can be opened);
// file names that are not are left out, since the picture readers open files by their text.
// Nothing when the folder cannot be read.
std::optional<FolderListing> readFolder(const QString& folder, const QStringList& extensions);

// Reads the start of a regular file (up to about a megabyte, more than any picture the game
// takes) with plain system calls, false when it cannot. Qt's image reader holds a
// process-wide lock while it probes a file, so a read that hangs inside it would stop every
// picture of the program; a read that hangs here holds no lock. After it the file's data
// lies in the page cache for the decoder.
bool fileAnswers(const QString& path);

// The length of the file at `path` in bytes, found by its exact bytes; nothing when it
// cannot be measured.
std::optional<qint64> fileLength(const QString& path);

struct Volume {
    QString rootPath; // where it is mounted
    QString text;     // what the drive list shows
};

// "/" first, then the home folder, then the mount points of mounted real volumes.
QList<Volume> listVolumes();
// "/" and the home folder, found without the disk: the drive list when the volumes do not answer.
QList<Volume> alwaysListedVolumes();

} // namespace tavik
