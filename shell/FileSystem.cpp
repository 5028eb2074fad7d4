#include "shell/FileSystem.h"

#include <QDir>
#include <QStorageInfo>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "shell/NameOrder.h"
#include "shell/PathText.h"

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

bool hasExtension(const char* raw, const std::vector<QByteArray>& extensions)
{
    const char* dot = std::strrchr(raw, '.');
    if (!dot)
        return false;
    for (const QByteArray& e : extensions)
        if (::strcasecmp(dot + 1, e.constData()) == 0)
            return true;
    return false;
}

} // namespace

std::optional<FolderListing> readFolder(const QString& folder, const QStringList& extensions)
{
    std::vector<QByteArray> wanted;
    for (const QString& e : extensions)
        wanted.push_back(e.toLatin1());
    DIR* dir = ::opendir(encodePath(folder).constData());
    if (!dir)
        return std::nullopt;
    const int dirFd = ::dirfd(dir);
    std::vector<QString> folders, files;
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.')
            continue; // hidden, "." and ".."
        unsigned char type = entry->d_type;
        const bool maybePicture = hasExtension(raw, wanted);
        if (type == DT_UNKNOWN || (type == DT_LNK)) {
            struct stat st {};
            if (::fstatat(dirFd, raw, &st, 0) != 0)
                continue; // dangling link or vanished
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            folders.push_back(decodePath(raw));
        } else if (type == DT_REG && maybePicture) {
            QString name = decodePath(raw);
            if (!hasUndecodableBytes(name))
                files.push_back(std::move(name));
        }
    }
    ::closedir(dir);
    return FolderListing{sortedGermanly(std::move(folders)), sortedGermanly(std::move(files))};
}

std::optional<QStringList> listFiles(const QString& folder, const QStringList& extensions)
{
    auto listing = readFolder(folder, extensions);
    return listing ? std::optional<QStringList>(std::move(listing->files)) : std::nullopt;
}

std::optional<QStringList> listSubfolders(const QString& folder)
{
    auto listing = readFolder(folder, {});
    return listing ? std::optional<QStringList>(std::move(listing->subfolders)) : std::nullopt;
}

qint64 fileLength(const QString& path)
{
    struct stat st;
    return ::stat(encodePath(path).constData(), &st) == 0 ? static_cast<qint64>(st.st_size) : 0;
}

bool openForReading(QFile& file, const QString& path)
{
    const int fd = ::open(encodePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
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
