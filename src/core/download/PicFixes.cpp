#include "download/PicFixes.h"

#include "download/SafeNames.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 ORDER_STEP_SECONDS = 60;

} // namespace

QString ExtensionByMagic(const QByteArray &head)
{
    unsigned char b[8] = {};
    for (qsizetype i = 0; i < head.size() && i < 7; ++i)
        b[i] = static_cast<unsigned char>(head[i]);
    if (b[0] == 0xFF && b[1] == 0xD8)
        return QStringLiteral(".jpg");
    if (b[0] == 0x89 && b[1] == 0x50)
        return QStringLiteral(".png");
    if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46)
        return QStringLiteral(".gif");
    if (b[0] == 0x42 && b[1] == 0x4D)
        return QStringLiteral(".bmp");
    if (b[0] == 0x00 && b[1] == 0x00 && (b[2] == 0x02 || b[2] == 0x10) && b[3] == 0x00 &&
        b[4] == 0x00)
        return QStringLiteral(".tga");
    if (b[0] == 0x00 && b[1] == 0x00 && b[2] == 0x01 && b[3] == 0x00 && b[4] == 0x01)
        return QStringLiteral(".ico");
    if (b[0] == 0x00 && b[1] == 0x00 && b[2] == 0x02 && b[3] == 0x00 && b[4] == 0x01)
        return QStringLiteral(".cur");
    if ((b[0] == 0x4D && b[1] == 0x4D) || (b[0] == 0x49 && b[1] == 0x49))
        return QStringLiteral(".tiff");
    return QString();
}

void FixPicFormats(ST_DOWNJOBLIST &jobs)
{
    for (qsizetype i = 0; i < jobs.fileNames.size(); ++i) {
        QString path = JobFilePath(jobs, i);
        if (path.isEmpty() || !FixExtByMagic(path))
            continue;
        if (IsAbsoluteFilePath(jobs.fileNames.at(i)))
            jobs.fileNames[i] = path;
        else
            jobs.fileNames[i] = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    }
}

bool FixExtByMagic(QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > slash ? path.left(dot) : path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(7);
    file.close();
    const QString ext = ExtensionByMagic(head);
    if (ext.isEmpty())
        return false;
    const QString newPath = base + ext;
    if (newPath == path || !RenameNoReplace(path, newPath))
        return false;
    path = newPath;
    return true;
}

void FixPicOrder(const ST_DOWNJOBLIST &jobs)
{
    qint64 t = QDateTime::currentSecsSinceEpoch();
    for (qsizetype i = 0; i < jobs.fileNames.size(); ++i) {
        const QString path = JobFilePath(jobs, i);
        if (!path.isEmpty())
            SetFileTimes(path, t);
        t -= ORDER_STEP_SECONDS;
    }
}

bool SetFileTimes(const QString &path, qint64 unixTime)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && unixTime > 0) {
        struct timespec times[2] = {};
        times[0].tv_sec = static_cast<time_t>(unixTime);
        times[1].tv_sec = static_cast<time_t>(unixTime);
        ok = ::futimens(fd, times) == 0;
    }
    ::close(fd);
    return ok;
}

bool RenameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // The file system cannot rename without replacing: a hard link cannot replace either.
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    if (::unlink(source.constData()) != 0) {
        ::unlink(target.constData());
        return false;
    }
    return true;
}
