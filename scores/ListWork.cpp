#include "scores/ListWork.h"

#include <cerrno>

#include "scores/HighScorePath.h"
#include "platform/DiskWork.h"

namespace tavik {

namespace {

FileError noAnswer(const QString& path)
{
    return FileError{FileError::Step::NoAnswer, path, ETIMEDOUT};
}

// Finds the list's path on a worker (asking whether the program folder can be written may
// hang as well), then runs `work` on that path as a job of its own: its device is the one of
// the list's real place, a link into a share included.
template <class R, class Work, class Answer>
void onList(QObject* context, const QString& programFolder, Work work, Answer answer,
            std::chrono::milliseconds deadline)
{
    runOnDisk<QString>(
        context, programFolder, [programFolder] { return highScorePath(programFolder); },
        [context, programFolder, work, answer, deadline](const std::optional<QString>& path) {
            if (!path)
                return answer(std::optional<R>{}, listenPfad(programFolder));
            runOnDisk<R>(
                context, *path, [work, path = *path] { return work(path); },
                [answer, path = *path](const std::optional<R>& result) { answer(result, path); }, deadline);
        },
        deadline);
}

} // namespace

void trageEinImHintergrund(QObject* context, const QString& programFolder, const QString& name, int punkte,
                           std::function<void(const Eintragung&)> answer, std::chrono::milliseconds deadline)
{
    onList<Eintragung>(
        context, programFolder,
        [programFolder, name, punkte](const QString& path) { return trageEin(programFolder, path, name, punkte); },
        [answer](const std::optional<Eintragung>& e, const QString& path) {
            answer(e ? *e : Eintragung{0, noAnswer(path)});
        },
        deadline);
}

void leseListeImHintergrund(QObject* context, const QString& programFolder,
                            std::function<void(const Gelesen&)> answer, std::chrono::milliseconds deadline)
{
    onList<Gelesen>(
        context, programFolder, [programFolder](const QString& path) { return leseListeFuer(programFolder, path); },
        [answer](const std::optional<Gelesen>& g, const QString& path) {
            answer(g ? *g : Gelesen{{}, noAnswer(path)});
        },
        deadline);
}

} // namespace tavik
