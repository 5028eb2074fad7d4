#include "scores/HighScoreFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <cerrno>

#include "platform/ThreadGuard.h"

namespace tavik {

QString listenPfad(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("HSTavik"));
}

QString temporaerPfad(const QString& folder)
{
    return listenPfad(folder) + QLatin1Char('t');
}

namespace {

Liste parse(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return leseListe(buffer);
}

FileError fileError(FileError::Step step, const FileFailure& failure)
{
    return FileError{step, failure.path, failure.number};
}

} // namespace

Liste leseListeDatei(const QString& path)
{
    AtomicFile file(path);
    if (file.read(kMaxListBytes))
        return parse({});
    return parse(file.bytes());
}

Gelesen leseListeFuer(const QString& programFolder, const QString& path)
{
    AtomicFile file(path);
    const std::optional<FileFailure> failed = file.read(kMaxListBytes);
    if (!failed)
        return {parse(file.bytes()), std::nullopt};
    if (failed->number != ENOENT)
        return {parse({}), fileError(FileError::Step::Read, *failed)};
    // Not written yet: the list it will start from.
    if (path != listenPfad(programFolder))
        return {leseListeDatei(listenPfad(programFolder)), std::nullopt};
    return {parse({}), std::nullopt};
}

Eintragung trageEinInDatei(const QString& listPath, const QString& seedPath, const QString& name, int punkte,
                           std::chrono::milliseconds patience)
{
    TAVIK_DISK_CALL();
    AtomicFile file(listPath);
    if (const std::optional<FileFailure> failed = file.lock(patience)) {
        const bool locked = failed->number == EWOULDBLOCK; // by another game, for too long
        return {0, fileError(locked ? FileError::Step::Lock : FileError::Step::Write, *failed)};
    }
    Liste alt;
    if (const std::optional<FileFailure> failed = file.read(kMaxListBytes)) {
        // Never overwrite what could not be read: it may be someone's ten entries.
        if (failed->number != ENOENT)
            return {0, fileError(FileError::Step::Read, *failed)};
        alt = seedPath.isEmpty() ? parse({}) : leseListeDatei(seedPath);
    } else if ((file.mode() & 0222) == 0) {
        return {0, FileError{FileError::Step::ReadOnly, listPath, 0}};
    } else {
        alt = parse(file.bytes());
    }

    const int platz = platzFuer(alt, punkte);
    if (const std::optional<FileFailure> failed = file.replace(listeAlsText(alt, name, punkte, platz))) {
        if (failed->number == ECANCELED)
            return {0, FileError{FileError::Step::NoAnswer, listPath, ETIMEDOUT}};
        return {0, fileError(FileError::Step::Write, *failed)};
    }
    return {platz, std::nullopt}; // the folder's lock goes with `file`
}

Eintragung trageEin(const QString& programFolder, const QString& path, const QString& name, int punkte)
{
    TAVIK_DISK_CALL();
    const QString beside = listenPfad(programFolder);
    if (path == beside)
        return trageEinInDatei(path, {}, name, punkte);
    if (const std::optional<FileFailure> failed = makeFolders(QFileInfo(path).absolutePath()))
        return {0, FileError{FileError::Step::Write, path, failed->number}};
    return trageEinInDatei(path, beside, name, punkte);
}

} // namespace tavik
