#include "scores/HighScoreFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <cerrno>

#include "platform/ThreadGuard.h"

namespace tavik {

QString listFileIn(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("HSTavik"));
}

QString temporaryFileIn(const QString& folder)
{
    return listFileIn(folder) + QLatin1Char('t');
}

namespace {

ScoreList parse(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readList(buffer);
}

FileError fileError(FileError::Step step, const FileFailure& failure)
{
    return FileError{step, failure.path, failure.number};
}

} // namespace

ScoreList readListFile(const QString& path)
{
    AtomicFile file(path);
    if (file.read(kMaxListBytes))
        return parse({});
    return parse(file.bytes());
}

ListReading readListFor(const QString& programFolder, const QString& path)
{
    AtomicFile file(path);
    const std::optional<FileFailure> failed = file.read(kMaxListBytes);
    if (!failed)
        return {parse(file.bytes()), std::nullopt};
    if (failed->number != ENOENT)
        return {parse({}), fileError(FileError::Step::Read, *failed)};
    // Not written yet: the list it will start from.
    if (path != listFileIn(programFolder))
        return {readListFile(listFileIn(programFolder)), std::nullopt};
    return {parse({}), std::nullopt};
}

Entering enterScoreInFile(const QString& listPath, const QString& seedPath, const QString& name, int score,
                           std::chrono::milliseconds patience)
{
    TAVIK_DISK_CALL();
    AtomicFile file(listPath);
    if (const std::optional<FileFailure> failed = file.lock(patience)) {
        const bool locked = failed->number == EWOULDBLOCK; // by another game, for too long
        return {0, fileError(locked ? FileError::Step::Lock : FileError::Step::Write, *failed)};
    }
    ScoreList old;
    if (const std::optional<FileFailure> failed = file.read(kMaxListBytes)) {
        // Never overwrite what could not be read: it may be someone's ten entries.
        if (failed->number != ENOENT)
            return {0, fileError(FileError::Step::Read, *failed)};
        old = seedPath.isEmpty() ? parse({}) : readListFile(seedPath);
    } else if ((file.mode() & 0222) == 0) {
        return {0, FileError{FileError::Step::ReadOnly, listPath, 0}};
    } else {
        old = parse(file.bytes());
    }

    const int place = placeFor(old, score);
    if (const std::optional<FileFailure> failed = file.replace(listAsText(old, name, score, place))) {
        if (failed->number == ECANCELED)
            return {0, FileError{FileError::Step::NoAnswer, listPath, ETIMEDOUT}};
        return {0, fileError(FileError::Step::Write, *failed)};
    }
    return {place, std::nullopt}; // the folder's lock goes with `file`
}

Entering enterScore(const QString& programFolder, const QString& path, const QString& name, int score)
{
    TAVIK_DISK_CALL();
    const QString beside = listFileIn(programFolder);
    if (path == beside)
        return enterScoreInFile(path, {}, name, score);
    if (const std::optional<FileFailure> failed = makeFolders(QFileInfo(path).absolutePath()))
        return {0, FileError{FileError::Step::Write, path, failed->number}};
    return enterScoreInFile(path, beside, name, score);
}

} // namespace tavik
