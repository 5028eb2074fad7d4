// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileSystem.h"

#include <QDir>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <string_view>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/NameOrder.h"
#include "platform/PathText.h"
#include "platform/ThreadGuard.h"

namespace tavik {

const QStringList& pictureExtensions()
{
    static const QStringList extensions{kBmpExtension, kJpgExtension};
    return extensions;
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString normalFolder(const QString& path)
{
    QString clean = QDir::cleanPath(QDir(path).absolutePath());
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

namespace {

// Whether the name ends in "." and one of `extensions` (lower case, any letter case in the name).
// Compares the last bytes in place: this runs for every file of the folder.
bool hasExtension(std::string_view name, const std::vector<QByteArray>& extensions)
{
    for (const QByteArray& e : extensions) {
        const size_t n = static_cast<size_t>(e.size());
        if (name.size() <= n || name[name.size() - n - 1] != '.')
            continue;
        const char* tail = name.data() + name.size() - n;
        size_t i = 0;
        while (i < n && (tail[i] >= 'A' && tail[i] <= 'Z' ? char(tail[i] + 32) : tail[i]) == e[qsizetype(i)])
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

// The names in order. Names of ASCII and the German letters take the quick key, and are valid
// UTF-8; any other name sends the whole set to the collation, and then a file name that is
// not UTF-8 is left out (folder names stay: they can be opened).
NameList sortedNames(RawNames& raw, bool keepUndecodable)
{
    if (auto order = quickGermanOrder(raw))
        return NameList(std::exchange(raw, RawNames{}), std::move(*order));
    std::vector<QString> names;
    names.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const std::string_view bytes = raw.at(i);
        QString name = decodePath(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (keepUndecodable || !hasUndecodableBytes(name))
            names.push_back(std::move(name));
    }
    return NameList(sortedGermanly(std::move(names)));
}

// getdents64 fills this much at a time: few calls into the kernel, and below the size that
// malloc maps afresh (with a page fault per page) on every call.
constexpr size_t kDirentBuffer = 64 * 1024;

} // namespace

std::optional<FolderListing> readFolder(const QString& folder, const QStringList& extensions)
{
    TAVIK_DISK_CALL();
    std::vector<QByteArray> wanted;
    for (const QString& e : extensions)
        wanted.push_back(e.toLatin1().toLower());
    const FileDescriptor dir(::open(encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return std::nullopt;
    // The names stay bytes until they are sorted; only the listed ones become text.
    // Kept by the reading thread from one folder to the next: fresh memory for a hundred
    // thousand names costs a page fault per page.
    thread_local RawNames folders, files;
    folders.bytes.clear();
    folders.starts.assign(1, 0);
    files.bytes.clear();
    files.starts.assign(1, 0);
    std::unique_ptr<char[]> buffer(new char[kDirentBuffer]);
    for (;;) {
        const ssize_t got = ::getdents64(dir.get(), buffer.get(), kDirentBuffer);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.get() + at);
            at += entry->d_reclen;
            const char* raw = entry->d_name;
            if (raw[0] == '.')
                continue; // hidden, "." and ".."
            const std::string_view name(raw);
            unsigned char type = entry->d_type;
            if (type == DT_REG && !hasExtension(name, wanted))
                continue; // the common case decided without a system call
            if (type == DT_UNKNOWN || type == DT_LNK) {
                struct stat st {};
                if (::fstatat(dir.get(), raw, &st, 0) != 0)
                    continue; // dangling link or vanished
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_DIR)
                folders.append(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
            else if (type == DT_REG && hasExtension(name, wanted))
                files.append(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
        }
    }
    return FolderListing{sortedNames(folders, true), sortedNames(files, false)};
}

struct NameList::Data {
    QStringList texts; // names as text, or
    RawNames raw;      // UTF-8 names
    std::vector<unsigned> order; // ... in this order
};

NameList::NameList(QStringList texts)
    : d_(std::make_shared<const Data>(Data{std::move(texts), {}, {}}))
{
}

NameList::NameList(RawNames&& raw, std::vector<unsigned>&& order)
    : d_(std::make_shared<const Data>(Data{{}, std::move(raw), std::move(order)}))
{
}

qsizetype NameList::size() const
{
    if (!d_)
        return 0;
    return d_->order.empty() ? d_->texts.size() : static_cast<qsizetype>(d_->order.size());
}

QString NameList::at(qsizetype i) const
{
    if (d_->order.empty())
        return d_->texts.at(i);
    const std::string_view name = d_->raw.at(d_->order[static_cast<size_t>(i)]);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool fileAnswers(const QString& path)
{
    TAVIK_DISK_CALL();
    constexpr qint64 kEnough = 1024 * 1024;
    // Non-blocking open: a named pipe would otherwise wait for a writer.
    const FileDescriptor fd(::open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    char buffer[64 * 1024];
    for (qint64 total = 0; total < kEnough;) {
        const std::optional<qint64> n = fd.readFully(buffer, sizeof buffer);
        if (!n)
            return false;
        if (*n < qint64(sizeof buffer))
            break; // the end of the file
        total += *n;
    }
    return true;
}

std::optional<qint64> fileLength(const QString& path)
{
    TAVIK_DISK_CALL();
    struct stat st {};
    if (::stat(encodePath(path).constData(), &st) != 0)
        return std::nullopt;
    return static_cast<qint64>(st.st_size);
}

QList<Volume> alwaysListedVolumes()
{
    QList<Volume> volumes{{QStringLiteral("/"), QStringLiteral("/")}};
    const QString home = normalFolder(QDir::homePath());
    if (home != QLatin1String("/"))
        volumes.append({home, home});
    return volumes;
}

QList<Volume> listVolumes()
{
    TAVIK_DISK_CALL();
    QList<Volume> volumes = alwaysListedVolumes();
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        // Real volumes come from a device; pseudo file systems (proc, sysfs, tmpfs, ...) do not.
        if (!storage.device().startsWith("/dev/") || root == QLatin1String("/"))
            continue;
        if (root.startsWith(QLatin1String("/boot")) || root.startsWith(QLatin1String("/snap")))
            continue;
        const QString label = storage.name();
        volumes.append({root, label.isEmpty() ? root : root + QStringLiteral(" [") + label + QLatin1Char(']')});
    }
    return volumes;
}

} // namespace tavik
