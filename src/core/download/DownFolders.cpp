#include "download/DownFolders.h"

#include "window/WindowPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakeFolderPath(QString &path, WindowPort &window)
{
    path = path.trimmed();
    if (path.isEmpty())
        return false;
    path = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');

    // Level by level from the first piece below "/"; "/" itself always exists.
    for (qsizetype slash = path.indexOf(QLatin1Char('/'), 1); slash > 0;
         slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString prefix = path.left(slash);
        const QFileInfo info(prefix);
        if (info.isDir()) // a link to a folder counts as that folder, as in the shell
            continue;
        if (!info.exists() && !info.isSymLink() && QDir().mkdir(prefix))
            continue;
        window.MessageBox(prefix);
        return false;
    }
    return true;
}

void SetFolderTimes(const QString &path, qint64 unixTime)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (unixTime > 0) {
        const timespec times[2] = {{static_cast<time_t>(unixTime), 0},
                                   {static_cast<time_t>(unixTime), 0}};
        (void)::futimens(fd, times);
    }
    ::close(fd);
}
