#include "scores/HighScoreFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tavik {

QString listenPfad(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("HSTavik"));
}

QString temporaerPfad(const QString& programFolder)
{
    return listenPfad(programFolder) + QLatin1Char('t');
}

Liste leseListeDatei(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        return leseListe(file);
    QByteArray nothing;
    QBuffer empty(&nothing);
    empty.open(QIODevice::ReadOnly);
    return leseListe(empty);
}

namespace {

// The reason for the player, in the language of the program where it is a common one.
QString systemError()
{
    switch (errno) {
    case EACCES:
    case EPERM: return QStringLiteral("Keine Berechtigung zum Schreiben.");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("Kein Platz mehr auf dem Datenträger.");
    case EFBIG: return QStringLiteral("Die Datei wäre zu gross.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("Der Ordner existiert nicht.");
    case EISDIR: return QStringLiteral("Es ist ein Ordner, keine Datei.");
    default: return QString::fromLocal8Bit(std::strerror(errno));
    }
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

QString schreibeSicher(const QString& path, const QString& tmpPath, const QByteArray& bytes)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("Es ist ein Ordner, keine Datei.");
    const QByteArray tmp = QFile::encodeName(tmpPath);
    const QByteArray target = QFile::encodeName(path);

    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return systemError();
    QString failure;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        failure = systemError();
    if (::close(fd) != 0 && failure.isEmpty())
        failure = systemError();
    if (failure.isEmpty() && ::rename(tmp.constData(), target.constData()) != 0)
        failure = systemError();
    if (!failure.isEmpty()) {
        ::unlink(tmp.constData());
        return failure;
    }
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

Eintragung trageEin(const QString& programFolder, const QString& name, int punkte)
{
    const QString path = listenPfad(programFolder);
    const Liste alt = leseListeDatei(path);
    Eintragung result;
    result.platz = platzFuer(alt, punkte);
    const QString error = schreibeSicher(path, temporaerPfad(programFolder),
                                         listeAlsText(alt, name, punkte, result.platz));
    if (!error.isEmpty()) {
        result.ok = false;
        result.platz = 0;
        result.fehler = error;
    }
    return result;
}

} // namespace tavik
