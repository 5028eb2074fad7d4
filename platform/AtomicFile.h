// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small file replaced whole, so that it always holds either its old content or the new one:
// the new content goes to a temporary file of this writer's own (created fresh, never through
// a link), is flushed to disk, given the old file's permissions and renamed over the file.
// One writer at a time: the folder that holds the file is locked for the whole rewrite. What
// to do with a missing, unreadable or read-only file is the caller's to decide.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>
#include <sys/types.h>

#include "platform/FileDescriptor.h"

namespace tavik {

// The path names something that is neither a file nor a folder (a pipe, a device).
constexpr int kNotARegularFile = -1;

// Why a step on a file failed.
struct FileFailure {
    QString path;   // the file it is about: the file itself, or its temporary file
    int number = 0; // errno, or kNotARegularFile
};

class AtomicFile {
public:
    // The file at `path`. Its temporary file is `path` followed by "t", or that name followed
    // by ".<pid>.<n>" when a leftover by that name cannot be removed.
    explicit AtomicFile(const QString& path);

    // Opens the folder and waits for its lock, `patience` at most: an advisory lock on the
    // folder itself, so no lock file with the wrong owner or mode lies in a folder shared by
    // several accounts, and the kernel drops it when a writer dies. EWOULDBLOCK: another
    // writer kept it that long. Where the file system offers no such lock the rewrite goes on
    // without it: the private temporary file still keeps the file whole. The lock is held
    // until this object is gone.
    std::optional<FileFailure> lock(std::chrono::milliseconds patience);

    // Reads at most `maxBytes` of the file as it is now: in the locked folder, or by its path
    // before lock(). ENOENT: there is none; EISDIR or kNotARegularFile: it is no file. A pipe
    // or a device by that name never blocks the read.
    std::optional<FileFailure> read(qint64 maxBytes);
    const QByteArray& bytes() const { return bytes_; }
    // The permission bits of the file read; 0644 for a file not there (yet).
    mode_t mode() const { return mode_; }

    // After lock(): writes `bytes` to the temporary file, flushes it, gives it the mode and,
    // where this account may, the group of the file read (so a list shared through its group
    // stays readable to the group), and renames it over the file; then flushes the folder.
    // On failure the file is as it was and no temporary file of this writer's stays behind.
    // ECANCELED: the disk job was given up at its deadline before the rename; nothing changed.
    std::optional<FileFailure> replace(const QByteArray& bytes);

private:
    QString path_;
    FileDescriptor folder_;
    QByteArray bytes_;
    mode_t mode_ = 0644;
    gid_t group_ = static_cast<gid_t>(-1); // -1 leaves a new file's group as created
};

// Creates `folder` and the folders above it that are missing. The errno of the step that
// failed, so the player learns the real reason (no permission, a file in the way).
std::optional<FileFailure> makeFolders(const QString& folder);

// The call that flushes a file or a folder to disk (fsync). Replaceable so that tests can
// watch a rewrite make itself durable; returns the call it replaces.
using SyncCall = int (*)(int fd);
SyncCall setSyncCall(SyncCall call);

} // namespace tavik
