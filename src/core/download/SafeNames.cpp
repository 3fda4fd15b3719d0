#include "download/SafeNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool HasDotPiece(const QString &path)
{
    const QStringList pieces = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        if (piece == QLatin1String(".") || piece == QLatin1String(".."))
            return true;
    }
    return false;
}

bool EndsInSlash(const QString &folder)
{
    return !folder.isEmpty() && folder.endsWith(QLatin1Char('/'));
}

} // namespace

bool IsAbsoluteFilePath(const QString &path)
{
    return path.startsWith(QLatin1Char('/'));
}

bool IsPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() == 0)
            return false;
    }
    return true;
}

bool IsSafeComponent(const QString &name)
{
    return IsPlainName(name) && NameBytes(name) <= NAME_MAX_BYTES;
}

qsizetype NameBytes(const QString &text)
{
    return QFile::encodeName(text).size();
}

QString CutUnits(const QString &text, qsizetype units)
{
    if (units <= 0)
        return QString();
    if (units >= text.size())
        return text;
    if (text.at(units - 1).isHighSurrogate() && text.at(units).isLowSurrogate())
        --units;
    return text.left(units);
}

void FitNameBytes(QString &text, qsizetype reserveBytes)
{
    const qsizetype start = text.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype end = text.size();
    while (end > start && NameBytes(text.mid(start, end - start)) + reserveBytes > NAME_MAX_BYTES) {
        --end;
        if (end > start && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
            --end;
    }
    text.truncate(end);
}

QString CleanFolder(const QString &folder)
{
    if (folder.isEmpty() || folder.contains(QChar(0)))
        return QString();
    const QStringList pieces = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (pieces.contains(QLatin1String("..")))
        return QString();
    QString cleaned = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!cleaned.endsWith(QLatin1Char('/')))
        cleaned += QLatin1Char('/');
    return cleaned;
}

bool IsInsideFolder(const QString &path, const QString &folder)
{
    if (!IsAbsoluteFilePath(path) || path.contains(QChar(0)) || HasDotPiece(path))
        return false;
    const QString root = CleanFolder(folder);
    if (root.isEmpty())
        return false;
    const QString cleaned = QDir::cleanPath(path);
    if (!cleaned.startsWith(root) || cleaned.size() == root.size())
        return false;
    const QStringList below = cleaned.mid(root.size()).split(QLatin1Char('/'));
    for (const QString &piece : below) {
        if (!IsSafeComponent(piece))
            return false;
    }
    return true;
}

QString JobFilePath(const ST_DOWNJOBLIST &jobs, qsizetype index)
{
    if (index < 0 || index >= jobs.fileNames.size())
        return QString();
    const QString &entry = jobs.fileNames.at(index);
    if (IsAbsoluteFilePath(entry))
        return IsInsideFolder(entry, jobs.rootFolder) ? entry : QString();
    if (!EndsInSlash(jobs.albumFolder) || !IsSafeComponent(entry))
        return QString();
    return jobs.albumFolder + entry;
}

QString AlbumRecordPath(const QString &albumFolder, const QString &albumName,
                        const QString &extension)
{
    const QString fileName = albumName + extension;
    if (!EndsInSlash(albumFolder) || !IsSafeComponent(fileName))
        return QString();
    return albumFolder + fileName;
}
