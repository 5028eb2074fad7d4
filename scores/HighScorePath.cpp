#include "scores/HighScorePath.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "scores/HighScoreFile.h"
#include "platform/ThreadGuard.h"

namespace tavik {

QString playerDataFolder()
{
    // A relative XDG_DATA_HOME is invalid by the XDG base directory rules and is ignored.
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/tavik"));
}

namespace {

// In a sticky folder (mode 1777, a folder shared by several accounts) only the owner of a
// file or of the folder may rename over it: another account's list there can never be
// replaced by this player, so the folder cannot take this player's list (root may).
bool stickyFolderHoldsAnothersList(const QString& programFolder)
{
    struct stat folder {};
    struct stat list {};
    const uid_t me = ::geteuid();
    return me != 0 && ::stat(QFile::encodeName(programFolder).constData(), &folder) == 0
           && (folder.st_mode & S_ISVTX) != 0
           && ::lstat(QFile::encodeName(listFileIn(programFolder)).constData(), &list) == 0
           && list.st_uid != me && folder.st_uid != me;
}

} // namespace

QString highScorePath(const QString& programFolder)
{
    TAVIK_DISK_CALL();
    // Writing the list means creating the temporary file and renaming it in this folder.
    if (::access(QFile::encodeName(programFolder).constData(), W_OK | X_OK) == 0
        && !stickyFolderHoldsAnothersList(programFolder))
        return listFileIn(programFolder);
    return listFileIn(playerDataFolder());
}

} // namespace tavik
