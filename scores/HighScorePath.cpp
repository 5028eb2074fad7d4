#include "scores/HighScorePath.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include "scores/HighScoreFile.h"

namespace tavik {

QString playerDataFolder()
{
    // A relative XDG_DATA_HOME is invalid by the XDG base directory rules and is ignored.
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/tavik"));
}

QString highScorePath(const QString& programFolder)
{
    // Writing the list means creating the temporary file and renaming it in this folder.
    if (::access(QFile::encodeName(programFolder).constData(), W_OK | X_OK) == 0)
        return listenPfad(programFolder);
    return listenPfad(playerDataFolder());
}

} // namespace tavik
