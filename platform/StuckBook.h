// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The book of disk jobs stuck past their deadline, kept by where they stick: the device, and
// the files a stuck read holds (a file with a stuck read must not be opened again: a second
// open would wait behind the first in the kernel for good). Any thread.

#include <QByteArray>
#include <QHash>
#include <QLoggingCategory>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <QSet>

#include "platform/DiskWork.h"

Q_DECLARE_LOGGING_CATEGORY(lcDisk)

namespace tavik {

// Where a stuck job sticks: the device, and the path it was touching (a file, or a folder on
// the way to it) that must not be opened again. Asked for by another name (a link), the same
// place is found again while that name is resolved.
struct StuckPlace {
    std::uint64_t device = 0;
    QByteArray file;
};

// The jobs past their deadline that have not returned yet.
class StuckBook {
public:
    int total() const { return total_.load(); }

    void add(const StuckPlace& place)
    {
        const std::lock_guard lock(mutex_);
        if (++devices_[place.device] == kStuckPerDevice)
            qCInfo(lcDisk) << "device refused, reads there are stuck:" << place.device;
        ++files_[place.file];
        total_.fetch_add(1);
        turnOver_.notify_all(); // a job waiting for this file is refused now
    }

    void remove(const StuckPlace& place)
    {
        const std::lock_guard lock(mutex_);
        const auto drop = [](auto& hash, const auto& key) {
            if (--hash[key] <= 0)
                hash.remove(key);
        };
        drop(devices_, place.device);
        drop(files_, place.file);
        total_.fetch_sub(1);
    }

    bool deviceRefused(std::uint64_t device)
    {
        if (total() == 0)
            return false; // the usual case, without the lock
        const std::lock_guard lock(mutex_);
        return devices_.value(device) >= kStuckPerDevice;
    }

    bool fileStuck(const QByteArray& file)
    {
        if (total() == 0)
            return false;
        const std::lock_guard lock(mutex_);
        return files_.contains(file);
    }

    // One job at a time reads a file: a second open while the first read hangs would wait
    // behind it in the kernel, beyond any deadline. Waits until no other job holds `file`;
    // false, holding nothing, when the file's read is stuck meanwhile or `stillWanted` says no.
    bool takeTurn(const QByteArray& file, const std::function<bool()>& stillWanted)
    {
        std::unique_lock lock(mutex_);
        while (reading_.contains(file)) {
            if (files_.contains(file) || !stillWanted())
                return false;
            turnOver_.wait_for(lock, std::chrono::milliseconds(20));
        }
        if (files_.contains(file))
            return false;
        reading_.insert(file);
        return true;
    }
    void endTurn(const QByteArray& file)
    {
        const std::lock_guard lock(mutex_);
        reading_.remove(file);
        turnOver_.notify_all();
    }

private:
    std::atomic<int> total_{0};
    std::mutex mutex_;
    QHash<std::uint64_t, int> devices_;
    QHash<QByteArray, int> files_;
    QSet<QByteArray> reading_; // files a running job holds
    std::condition_variable turnOver_;
};

// The one book of the program.
StuckBook& stuckBook();

} // namespace tavik
