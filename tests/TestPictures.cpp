// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/TestPictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathText.h"

namespace tavik::test {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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

bool writePicture(const QString& path, QSize size, const char* format, qint64 bytes, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        return false;
    if (bytes >= 0) {
        if (data.size() > bytes)
            return false;
        data.append(QByteArray(bytes - data.size(), '\0'));
    }
    return writeBytes(path, data);
}

QByteArray bmpHeaderOnly(QSize size)
{
    QByteArray h(54, '\0');
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(54 + 3u * size.width() * size.height(), h.data() + 2);
    qToLittleEndian<quint32>(54, h.data() + 10);
    qToLittleEndian<quint32>(40, h.data() + 14);
    qToLittleEndian<qint32>(size.width(), h.data() + 18);
    qToLittleEndian<qint32>(size.height(), h.data() + 22);
    qToLittleEndian<quint16>(1, h.data() + 26);
    qToLittleEndian<quint16>(24, h.data() + 28);
    return h;
}

QByteArray jpegClaiming(QSize size)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    // The baseline frame header: FF C0, length, precision, height, width.
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof >= 0) {
        qToBigEndian<quint16>(static_cast<quint16>(size.height()), data.data() + sof + 5);
        qToBigEndian<quint16>(static_cast<quint16>(size.width()), data.data() + sof + 7);
    }
    return data;
}

bool makeBadPicture(const QString& kind, const QString& path)
{
    if (kind == "empty")
        return writeBytes(path, {});
    if (kind == "garbage") {
        QByteArray noise(5000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((i * 7919 + 13) % 251);
        return writeBytes(path, noise);
    }
    if (kind == "png")
        return writePicture(path, QSize(40, 30), "PNG");
    if (kind == "truncated")
        return writeBytes(path, bmpHeaderOnly(QSize(300, 300)));
    if (kind == "hugebmp")
        return writeBytes(path, bmpHeaderOnly(QSize(60000, 60000)));
    if (kind == "hugejpg")
        return writeBytes(path, jpegClaiming(QSize(60000, 60000)));
    if (kind == "folder")
        return QDir().mkdir(path);
    if (kind == "fifo")
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    if (kind == "dangling")
        return QFile::link(path + ".nowhere", path);
    return kind == "deleted";
}

qint64 bytesReadByThisProcess()
{
    static qint64 ownReads = 0; // this function's own reads of the counter are left out
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = io.readAll();
    const qint64 before = ownReads;
    ownReads += text.size();
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong() - before;
    return -1;
}

} // namespace tavik::test
