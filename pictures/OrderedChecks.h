// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks candidate files in parallel through the disk work and takes the acceptable ones
// strictly in list order, however the checks finish: the first `needed` acceptable entries
// win, and no later one is taken while an earlier one is still undecided.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/DiskWork.h"
#include "platform/FileSystem.h"

namespace tavik {

class OrderedChecks : public QObject {
    Q_OBJECT
public:
    using Check = std::function<bool(const QString& path)>; // runs on a worker thread

    explicit OrderedChecks(Check check, std::chrono::milliseconds deadline = kDiskDeadline,
                           QObject* parent = nullptr);
    ~OrderedChecks() override;

    // Walks entries 0 .. count - 1 of the files `names` of `folder` (an entry past the end
    // of `names` is empty and skipped) until `needed` are taken. A file whose check does not
    // answer (past its deadline, or refused) counts as not acceptable. Only a few checks run
    // ahead of the walk, so a long list costs nothing up front.
    void start(const QString& folder, const NameList& names, int count, int needed);
    void cancel(); // no further signal; checks not yet begun do no work

signals:
    void taken(const QString& path); // the full path, in list order
    void progress(int decided, int total);
    void finished(int decided);      // entries 0 .. decided - 1 were examined

private:
    enum Result : signed char { Open = -1, No = 0, Yes = 1 };
    void launch();
    void advance();

    Check check_;
    std::chrono::milliseconds deadline_;
    QTimer nextTurn_; // the walk goes on in the next turn of the event loop
    QString folder_;
    NameList names_;
    std::vector<Result> results_;
    std::vector<std::shared_ptr<DiskJob>> jobs_;
    int needed_ = 0;
    int next_ = 0;     // the first entry not yet decided by the walk
    int launched_ = 0; // entries whose check was started (or that need none)
    int inFlight_ = 0;
    int taken_ = 0;
    quint64 generation_ = 0;
    bool running_ = false;
};

} // namespace tavik
