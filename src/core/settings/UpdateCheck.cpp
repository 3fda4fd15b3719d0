#include "settings/UpdateCheck.h"

#include "settings/CSrvInfo.h"

QString UpdateCheck::VersionText(const QString &version)
{
    QString text = QStringLiteral("版本号：") + version;
    const qsizetype hash = text.indexOf(u'#');
    if (hash >= 0)
        text.truncate(hash);
    return text;
}

bool UpdateCheck::IsNewer(const QString &newestVersion, const QString &ownVersion)
{
    const QString newest = VersionText(newestVersion);
    const QString own = VersionText(ownVersion);
    // Unit by unit; a proper prefix is the smaller. QString's operator< is exactly this.
    return own < newest;
}

UpdateVerdict UpdateCheck::Decide(const CSrvInfo &srvInfo, const QString &ownVersion)
{
    if (srvInfo.EntryCount() <= CSrvInfo::ENTRY_UPDATE_PAGE)
        return {};
    return Decide(srvInfo.GetEntry(CSrvInfo::ENTRY_VERSION),
                  srvInfo.GetEntry(CSrvInfo::ENTRY_UPDATE_PAGE), ownVersion);
}

UpdateVerdict UpdateCheck::Decide(const QString &newestVersion, const QString &updatePage,
                                  const QString &ownVersion)
{
    if (!IsNewer(newestVersion, ownVersion) || !CSrvInfo::IsFetchableAddress(updatePage))
        return {};
    UpdateVerdict verdict;
    verdict.kind = UpdateVerdict::Newer;
    verdict.version = newestVersion.left(newestVersion.indexOf(u'#'));
    verdict.updatePage = updatePage;
    return verdict;
}

QString UpdateCheck::NewerMessage(const UpdateVerdict &verdict)
{
    return QStringLiteral("发现新版本 %1，即将打开更新页面下载。\n本程序将随后退出。")
        .arg(verdict.version);
}

QString UpdateCheck::StatusLine(bool accepted, const QString &srvStatus)
{
    return (accepted ? QStringLiteral("已是最新版本") : QStringLiteral("未取得配置信息")) +
           srvStatus;
}
