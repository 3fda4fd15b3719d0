#include "download/PicNaming.h"

#include "download/SafeNames.h"
#include "text/TextScan.h"

namespace {

QString Decimal(qint64 value)
{
    return QString::number(value);
}

QString FourDigits(qint64 value)
{
    return QString::asprintf("%04lld", static_cast<long long>(value));
}

// "?1", "?3" and "?9" (both kinds of name), and with `fileEscapes` also "?2", "?4" to "?8",
// replaced in the order "?1" to "?9".
void ReplaceEscapes(QString &text, const NamingContext &ctx, qsizetype n, bool fileEscapes)
{
    const qint64 position = static_cast<qint64>(ctx.album.listIndex) + 1;
    text.replace(QLatin1String("?1"), ctx.album.name);
    if (fileEscapes)
        text.replace(QLatin1String("?2"), Decimal(static_cast<qint64>(n) + 1));
    text.replace(QLatin1String("?3"), Decimal(position));
    if (fileEscapes) {
        text.replace(QLatin1String("?4"), Decimal(ctx.album.extraNum1));
        text.replace(QLatin1String("?5"), Decimal(ctx.album.extraNum2));
        text.replace(QLatin1String("?6"), Decimal(ctx.selectedCount));
        text.replace(QLatin1String("?7"), Decimal(ctx.albumCount));
        text.replace(QLatin1String("?8"), ctx.blogFolder);
    }
    text.replace(QLatin1String("?9"), FourDigits(position));
}

// `base` + "(k)" + `ext`, with `base`'s last piece cut so that the last piece of the result
// fits NAME_MAX_BYTES; k = 0 means no "(k)".
QString Candidate(QString base, unsigned k, const QString &ext)
{
    const QString counter = k == 0 ? QString() : QString::asprintf("(%u)", k);
    FitNameBytes(base, NameBytes(counter) + NameBytes(ext));
    return base + counter + ext;
}

} // namespace

QString MakePicFileName(const QString &address, const QString &name, const NamingContext &ctx,
                        qsizetype n)
{
    const NamingRecord &rec = ctx.naming;
    QString base;
    const qsizetype slash = address.lastIndexOf(QLatin1Char('/'));
    if (rec.fileNameMode == NAME_BY_DESCRIPTION) {
        base = name;
        base.remove(QChar(0));
        CleanName(base, false);
        if (base.isEmpty())
            base = ctx.album.name;
    } else if (rec.fileNameMode == NAME_BY_ADDRESS && slash >= 1) {
        base = address.mid(slash + 1);
    } else {
        base = Decimal(static_cast<qint64>(n) + 1);
    }
    QString stem = rec.filePrefix + base + rec.fileSuffix;
    ReplaceEscapes(stem, ctx, n, true);
    ReplacePairs(stem, rec.replaceFrom, rec.replaceTo);
    stem.remove(QChar(0));
    CleanName(stem, true);
    return stem;
}

QString MakeAlbumFolderName(const NamingContext &ctx)
{
    const NamingRecord &rec = ctx.naming;
    QString name = rec.folderPrefix;
    if (rec.folderNameMode == FOLDER_BY_ALBUM)
        name += ctx.album.name;
    name += rec.folderSuffix;
    ReplaceEscapes(name, ctx, 0, false);
    name.remove(QChar(0));
    CleanName(name, false);
    FitNameBytes(name, 0);
    if (!IsSafeComponent(name))
        return QString();
    return name + QLatin1Char('/');
}

void ReplacePairs(QString &text, const QString &from, const QString &to)
{
    const QChar bar(QLatin1Char('|'));
    if (from.count(bar) != to.count(bar)) {
        if (!from.isEmpty())
            text.replace(from, to);
        return;
    }
    const QStringList fromPieces = from.split(bar);
    const QStringList toPieces = to.split(bar);
    for (qsizetype i = 0; i < fromPieces.size(); ++i) {
        if (!fromPieces.at(i).isEmpty())
            text.replace(fromPieces.at(i), toPieces.at(i));
    }
}

bool HasPicExtension(const QString &text)
{
    const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = text.mid(dot).toLower();
    return ext == QLatin1String(".jpeg") || ext == QLatin1String(".jpg") ||
           ext == QLatin1String(".bmp") || ext == QLatin1String(".gif") ||
           ext == QLatin1String(".png") || ext == QLatin1String(".tif");
}

qsizetype FindJobFileName(const ST_DOWNJOBLIST &jobs, const QString &fileName)
{
    for (qsizetype i = 0; i < jobs.fileNames.size(); ++i) {
        const QString &entry = jobs.fileNames.at(i);
        if (entry.size() == fileName.size() && entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString MakeJobFileName(const QString &address, const QString &name, const NamingContext &ctx,
                        const ST_DOWNJOBLIST &jobs)
{
    const QString stem =
        IsAbsoluteFilePath(name) ? name : MakePicFileName(address, name, ctx, jobs.Count());
    return FinishJobFileName(stem, jobs);
}

QString FinishJobFileName(const QString &stem, const ST_DOWNJOBLIST &jobs)
{
    const bool absolute = IsAbsoluteFilePath(stem);
    if (!absolute && !IsPlainName(stem))
        return QString();
    const QString collisionBase = stem;
    QString cut = CutUnits(stem, FILE_PATH_LIMIT - jobs.albumFolder.size());
    QString ext = QStringLiteral(".jpg");
    if (HasPicExtension(cut)) {
        const qsizetype dot = cut.lastIndexOf(QLatin1Char('.'));
        ext = cut.mid(dot);
        cut.truncate(dot);
    }
    QString fileName = Candidate(cut, 0, ext);
    for (unsigned k = 1; FindJobFileName(jobs, fileName) >= 0; ++k)
        fileName = Candidate(collisionBase, k, ext);
    if (absolute)
        return IsInsideFolder(fileName, jobs.rootFolder) ? fileName : QString();
    return IsSafeComponent(fileName) ? fileName : QString();
}
