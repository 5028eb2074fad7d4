// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which device a path lies on, told from the mount table without touching the path (asking
// the path itself could hang on a share that stopped answering), and a path resolved one
// component at a time, so that the caller knows before each step which device it touches.

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tavik {

// The mount points of a mount table, each with its device (major and minor, as st_dev).
class MountTable {
public:
    // Parses the text of /proc/self/mountinfo.
    static MountTable parse(const QByteArray& mountinfo);
    // The mount table as it is now; read again at most once a second. Worker threads only.
    static MountTable current();
    // Tests: current() gives the table of this mountinfo text from now on (empty: the real one).
    static void replaceForTests(const QByteArray& mountinfo);

    // The device of the mount that holds the absolute, resolved `path`: the longest mount
    // point that is `path` or one of its parent folders; 0 when the table is empty.
    std::uint64_t deviceOf(const QByteArray& path) const;

private:
    std::vector<std::pair<QByteArray, std::uint64_t>> mounts_;
};

// Resolves the absolute `path` as realpath does: "." and ".." and every symbolic link on the
// way, at most 40 links. Before each step that asks the disk, `before(device, soFar)` is told
// the device and the path that step touches; when it returns false the resolution stops and
// gives nothing. A component that does not exist ends the resolution with the rest appended
// as it is (the caller's own open will fail). Worker threads only.
std::optional<QByteArray> resolveStepwise(const QByteArray& path, const MountTable& mounts,
                                          const std::function<bool(std::uint64_t, const QByteArray&)>& before);

} // namespace tavik
