#pragma once
// Checks a list of candidate files in parallel on the picture pool and takes the acceptable
// ones strictly in list order, however the checks finish: the first `needed` acceptable
// entries win, and no later one is taken while an earlier one is still undecided.

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

#include "pictures/PicturePool.h"

namespace tavik {

class OrderedChecks : public QObject {
    Q_OBJECT
public:
    using Check = std::function<bool(const QString& path)>; // runs on a worker thread

    explicit OrderedChecks(Check check, std::chrono::milliseconds deadline = kPictureDeadline,
                           QObject* parent = nullptr);
    ~OrderedChecks() override;

    // Walks the files `names` of `folder` (an empty name is skipped) until `needed` are
    // taken. A file whose check does not end within the deadline counts as not acceptable.
    // Cheap on the GUI thread however long the list: paths are formed on the workers.
    void start(const QString& folder, const QStringList& names, int needed);
    void cancel(); // no further signal
    bool running() const { return running_; }

signals:
    void taken(const QString& path);         // the full path, in list order
    void progress(int decided, int total);
    void finished(int decided);              // entries 0 .. decided - 1 were examined

private:
    struct Shared;
    void advance();
    bool headTimedOut();
    void finish();

    Check check_;
    std::chrono::milliseconds deadline_;
    std::shared_ptr<Shared> shared_;
    QFutureWatcher<bool>* watcher_ = nullptr;
    QTimer* heartbeat_ = nullptr;
    QString folder_;
    QStringList names_;
    int needed_ = 0;
    int next_ = 0;
    int taken_ = 0;
    std::int64_t headSince_ = 0;
    bool running_ = false;
};

} // namespace tavik
