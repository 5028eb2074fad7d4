#include "shell/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace tavik {

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

// Calls `take(name, isDir, isFile)` for each visible entry. False if the folder can't be read.
template <typename Take>
bool walkFolder(const QString& folder, Take take)
{
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return false;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.')
            continue; // hidden, "." and ".."
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st {};
            if (::fstatat(dirFd, raw, &st, 0) != 0)
                continue; // dangling link or vanished
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        take(raw, type == DT_DIR, type == DT_REG);
    }
    ::closedir(dir);
    return true;
}

// The name as text, or nothing when the bytes do not survive the trip to text and back.
std::optional<QString> decodedName(const char* raw)
{
    const QByteArray bytes(raw);
    QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return std::nullopt;
    return name;
}

void sortByName(QStringList& names)
{
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(static_cast<size_t>(names.size()));
    for (QString& n : names)
        keyed.emplace_back(n.toCaseFolded(), std::move(n));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& k : keyed)
        names.append(std::move(k.second));
}

bool hasExtension(const char* raw, const QStringList& extensions)
{
    const char* dot = std::strrchr(raw, '.');
    if (!dot)
        return false;
    const QLatin1StringView ext(dot + 1);
    for (const QString& e : extensions)
        if (ext.compare(e, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

std::optional<QStringList> listFiles(const QString& folder, const QStringList& extensions)
{
    QStringList names;
    const bool ok = walkFolder(folder, [&](const char* raw, bool, bool isFile) {
        if (!isFile || !hasExtension(raw, extensions))
            return;
        if (auto name = decodedName(raw))
            names.append(*name);
    });
    if (!ok)
        return std::nullopt;
    sortByName(names);
    return names;
}

std::optional<QStringList> listSubfolders(const QString& folder)
{
    QStringList names;
    const bool ok = walkFolder(folder, [&](const char* raw, bool isDir, bool) {
        if (!isDir)
            return;
        if (auto name = decodedName(raw))
            names.append(*name);
    });
    if (!ok)
        return std::nullopt;
    sortByName(names);
    return names;
}

QList<Volume> listVolumes()
{
    QList<Volume> volumes{{QStringLiteral("/"), QStringLiteral("/")}};
    const QString home = normalFolder(QDir::homePath());
    if (home != QLatin1String("/"))
        volumes.append({home, home});
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
