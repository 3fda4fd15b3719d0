#include "download/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes all of `bytes` to `fd`, retrying after interrupts and short writes.
bool WriteAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

bool WriteFileWhole(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return false;
    const QString folder = QFileInfo(path).path();
    const QByteArray target = QFile::encodeName(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString tempName =
            QStringLiteral("%1/.gleaner-%2.tmp")
                .arg(folder)
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const QByteArray temp = QFile::encodeName(tempName);
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = WriteAll(fd, bytes) && ::fdatasync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed || ::rename(temp.constData(), target.constData()) != 0) {
            ::unlink(temp.constData());
            return false;
        }
        return true;
    }
    return false;
}

QByteArray Utf16LeBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}
