#include "model/SavePathRule.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString WithSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

bool IsTemporaryProgramFolder(const QString &programFolder)
{
    const QString lower = WithSlash(programFolder).toLower();
    return lower.contains(QLatin1String("/temp/")) || lower.contains(QLatin1String("/tmp/")) ||
           lower.contains(QLatin1String("/locals"));
}

QString ProposeSavePath(const QString &programFolder, const QString &documentsFolder,
                        const QString &rememberedPath)
{
    const QString remembered = rememberedPath.trimmed();
    if (!remembered.isEmpty())
        return WithSlash(remembered);
    if (IsTemporaryProgramFolder(programFolder))
        return WithSlash(documentsFolder) + QString::fromUtf16(kDocumentsSubFolder) +
               QLatin1Char('/');
    return WithSlash(programFolder);
}

QString ProposeSavePath(const QString &programFolder, const QString &rememberedPath)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposal = ProposeSavePath(programFolder, documents, rememberedPath);
    if (rememberedPath.trimmed().isEmpty() && IsTemporaryProgramFolder(programFolder))
        QDir().mkdir(proposal);
    return proposal;
}
