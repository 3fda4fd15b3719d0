#include "download/DownRecords.h"

#include "download/WholeFile.h"
#include "text/TextToolkit.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool IsFolder(const QString &folder)
{
    return !folder.isEmpty() && folder.endsWith(QLatin1Char('/'));
}

// Reads the whole regular file `path` into `bytes`; false when it is missing, not a regular
// file (a device or pipe is never opened), or unreadable.
bool ReadRegularFile(const QString &path, QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

bool WriteFolderMarker(const QString &firstUrl, const QString &folder)
{
    if (!IsFolder(folder))
        return false;
    return WriteFileWhole(folder + QLatin1String(FOLDER_MARKER_NAME), Utf16LeBytes(firstUrl));
}

QString ReadFolderMarker(const QString &folder)
{
    QByteArray bytes;
    if (!IsFolder(folder) || !ReadRegularFile(folder + QLatin1String(FOLDER_MARKER_NAME), bytes))
        return QString();
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == u'\n')
            break;
        text.append(QChar(unit));
    }
    return text;
}

bool WriteUrlList(const QString &path, const ST_DOWNJOBLIST &jobs)
{
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    for (const QString &url : jobs.urls) {
        bytes += ToGbk(url);
        bytes += "\r\n";
    }
    return WriteFileWhole(path, bytes);
}

bool AddNameListLine(const QString &path, const QString &name, bool firstJob)
{
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    if (firstJob)
        bytes = QByteArray("\xFF\xFE", 2);
    else if (!ReadRegularFile(path, bytes))
        return false;
    bytes += Utf16LeBytes(name + QLatin1String("\r\n"));
    return WriteFileWhole(path, bytes);
}
