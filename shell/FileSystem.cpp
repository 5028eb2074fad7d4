#include "shell/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <strings.h>
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

// A name with the key it sorts by: the name without regard to case.
struct Named {
    std::string key;
    QString name;
};

// The name as text with its sort key, or nothing when the bytes do not survive the trip to
// text and back (such a file could never be opened again by its name).
std::optional<Named> decodedName(const char* raw)
{
    const size_t length = std::strlen(raw);
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(raw[i]) < 0x80;
    if (ascii) {
        std::string key(raw, length);
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return Named{std::move(key), QString::fromLatin1(raw, static_cast<qsizetype>(length))};
    }
    const QByteArray bytes(raw, static_cast<qsizetype>(length));
    QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return std::nullopt;
    return Named{name.toCaseFolded().toStdString(), std::move(name)};
}

// The first eight bytes of a key as a number that orders like the bytes themselves.
std::uint64_t keyPrefix(const std::string& key)
{
    std::uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

QStringList sortedByName(std::vector<Named>& named)
{
    // Sorting small (prefix, position) pairs keeps a folder of many thousand files quick:
    // most comparisons end at the prefix and no string is moved until the end.
    struct Slot {
        std::uint64_t prefix;
        unsigned index;
    };
    std::vector<Slot> order(named.size());
    for (unsigned i = 0; i < order.size(); ++i)
        order[i] = {keyPrefix(named[i].key), i};
    std::sort(order.begin(), order.end(), [&named](const Slot& a, const Slot& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int byKey = named[a.index].key.compare(named[b.index].key);
        return byKey != 0 ? byKey < 0 : named[a.index].name < named[b.index].name;
    });
    QStringList names;
    names.reserve(static_cast<qsizetype>(named.size()));
    for (const Slot& slot : order)
        names.append(std::move(named[slot.index].name));
    return names;
}

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

// The names of the visible entries that `wanted(raw, isDir, isFile)` accepts, sorted.
template <typename Wanted>
std::optional<QStringList> listNames(const QString& folder, Wanted wanted)
{
    std::vector<Named> named;
    const bool ok = walkFolder(folder, [&](const char* raw, bool isDir, bool isFile) {
        if (!wanted(raw, isDir, isFile))
            return;
        if (auto n = decodedName(raw))
            named.push_back(std::move(*n));
    });
    if (!ok)
        return std::nullopt;
    return sortedByName(named);
}

} // namespace

std::optional<QStringList> listFiles(const QString& folder, const QStringList& extensions)
{
    std::vector<QByteArray> wanted;
    for (const QString& e : extensions)
        wanted.push_back(e.toLatin1());
    return listNames(folder, [&wanted](const char* raw, bool, bool isFile) {
        return isFile && hasExtension(raw, wanted);
    });
}

std::optional<QStringList> listSubfolders(const QString& folder)
{
    return listNames(folder, [](const char*, bool isDir, bool) { return isDir; });
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
