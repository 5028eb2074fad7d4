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
                return answer(std::optional<R>{}, listFileIn(programFolder));
            runOnDisk<R>(
                context, *path, [work, path = *path] { return work(path); },
                [answer, path = *path](const std::optional<R>& result) { answer(result, path); }, deadline);
        },
        deadline);
}

} // namespace

void enterScoreInBackground(QObject* context, const QString& programFolder, const QString& name, int score,
                           std::function<void(const Entering&)> answer, std::chrono::milliseconds deadline)
{
    onList<Entering>(
        context, programFolder,
        [programFolder, name, score](const QString& path) { return enterScore(programFolder, path, name, score); },
        [answer](const std::optional<Entering>& e, const QString& path) {
            answer(e ? *e : Entering{0, noAnswer(path)});
        },
        deadline);
}

void readListInBackground(QObject* context, const QString& programFolder,
                            std::function<void(const ListReading&)> answer, std::chrono::milliseconds deadline)
{
    onList<ListReading>(
        context, programFolder, [programFolder](const QString& path) { return readListFor(programFolder, path); },
        [answer](const std::optional<ListReading>& g, const QString& path) {
            answer(g ? *g : ListReading{{}, noAnswer(path)});
        },
        deadline);
}

} // namespace tavik
