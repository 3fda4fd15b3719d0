#include "settings/CSrvInfo.h"

#include "net/CUrlRequest.h"
#include "net/CUrlSource.h"
#include "text/TextToolkit.h"

#include <QUrl>

#include <optional>
#include <utility>

namespace {

const QLatin1StringView kServersMarker("<!--gleaner-servers:");
const QLatin1StringView kConfigMarker("<!--gleaner-config:");
const QLatin1StringView kEndMarker("-->");
const QLatin1StringView kHeaders("Accept-Encoding: gzip, deflate\r\nReferer: .");

// The text between `startMarker` and the first end marker after it; nullopt when either is
// missing or the block is too long.
std::optional<QString> MarkedBlock(const QString &reply, QLatin1StringView startMarker)
{
    const qsizetype at = reply.indexOf(startMarker);
    if (at < 0)
        return std::nullopt;
    const qsizetype begin = at + startMarker.size();
    const qsizetype end = reply.indexOf(kEndMarker, begin);
    if (end < 0 || end - begin > CSrvInfo::kMaxBlockChars)
        return std::nullopt;
    return reply.mid(begin, end - begin);
}

// The trimmed, non-empty lines of `block`, at most `limit` of them.
QStringList BlockLines(const QString &block, int limit)
{
    QStringList lines;
    for (const QStringView line : QStringView(block).split(u'\n')) {
        if (lines.size() >= limit)
            break;
        const QStringView trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines.append(trimmed.toString());
    }
    return lines;
}

// The "|"-separated items of `line`, each trimmed, empty ones kept.
QStringList Items(const QString &line)
{
    QStringList items = line.split(u'|');
    for (QString &item : items)
        item = item.trimmed();
    return items;
}

QString Encoded(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

CSrvInfo::CSrvInfo(QStringList baseAddresses, CookieStore *cookies)
    : baseAddresses_(baseAddresses.mid(0, kMaxBaseAddresses)), cookies_(cookies)
{
}

QStringList CSrvInfo::ParseBaseAddresses(const QString &value)
{
    QStringList addresses;
    for (const QString &part : Items(value)) {
        if (addresses.size() >= kMaxBaseAddresses)
            break;
        if (!part.isEmpty())
            addresses.append(part);
    }
    return addresses;
}

QStringList CSrvInfo::BaseAddressesFromEnvironment()
{
    return ParseBaseAddresses(qEnvironmentVariable(kEnvironmentName));
}

void CSrvInfo::SetTimeoutMs(std::uint32_t timeoutMs)
{
    timeoutMs_.store(timeoutMs);
}

void CSrvInfo::SetAbortCheck(std::function<bool()> shouldAbort)
{
    abortCheck_ = std::move(shouldAbort);
}

bool CSrvInfo::Fetch(QStringList &siteNames)
{
    QStringList acceptedEntries;
    QStringList acceptedSites;
    int serverNo = 0;
    int addressNo = 0;

    for (int b = 0; b < baseAddresses_.size() && serverNo == 0 && !Aborted(); ++b) {
        const QString &base = baseAddresses_.at(b);
        QString text;
        if (!IsFetchableAddress(base) || !Get(QueryAddress(base, RandomFraction(), -1), text))
            continue;
        const QStringList secondStage = ParseServerList(text);
        for (int a = 0; a < secondStage.size() && !Aborted(); ++a) {
            QString address = secondStage.at(a);
            address.replace(QLatin1StringView(".htm?"), QLatin1StringView(".php?"));
            if (!IsFetchableAddress(address) ||
                !Get(QueryAddress(address, RandomFraction(), kSiteKind), text))
                continue;
            QStringList entries;
            QStringList sites;
            if (Aborted() || !ParseConfig(text, entries, sites) || entries.size() != kEntryCount)
                continue;
            acceptedEntries = std::move(entries);
            acceptedSites = std::move(sites);
            serverNo = b + 1;
            addressNo = a + 1;
            break;
        }
    }

    {
        const std::lock_guard lock(mutex_);
        entries_ = acceptedEntries;
        serverNo_ = serverNo;
        addressNo_ = addressNo;
    }
    if (serverNo == 0)
        return false;
    if (!acceptedSites.isEmpty())
        siteNames = acceptedSites;
    return true;
}

QString CSrvInfo::GetEntry(int index) const
{
    const std::lock_guard lock(mutex_);
    if (index < 0 || index >= entries_.size())
        return QString();
    return entries_.at(index);
}

int CSrvInfo::EntryCount() const
{
    const std::lock_guard lock(mutex_);
    return int(entries_.size());
}

QString CSrvInfo::StatusText() const
{
    const std::lock_guard lock(mutex_);
    return QStringLiteral("\tSrv Info:%1_%2").arg(serverNo_).arg(addressNo_);
}

int CSrvInfo::ServerNo() const
{
    const std::lock_guard lock(mutex_);
    return serverNo_;
}

int CSrvInfo::AddressNo() const
{
    const std::lock_guard lock(mutex_);
    return addressNo_;
}

QString CSrvInfo::QueryAddress(const QString &address, const QString &fraction, int siteKind)
{
    QString result = address;
    result += address.indexOf(u'?', 1) > 0 ? u'&' : u'?';
    result += QLatin1StringView("f=") + Encoded(QStringLiteral("T"));
    result += QLatin1StringView("&t=") + Encoded(fraction);
    if (siteKind >= 0)
        result += QLatin1StringView("&s=") + Encoded(QString::number(siteKind));
    return result;
}

bool CSrvInfo::IsFetchableAddress(const QString &address)
{
    if (address.isEmpty() || address.size() > kMaxAddressChars)
        return false;
    for (const QChar c : address) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c == u'#')
            return false;
    }
    if (!address.startsWith(QLatin1StringView("http://"), Qt::CaseInsensitive) &&
        !address.startsWith(QLatin1StringView("https://"), Qt::CaseInsensitive))
        return false;
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty();
}

QStringList CSrvInfo::ParseServerList(const QString &reply)
{
    const std::optional<QString> block = MarkedBlock(reply, kServersMarker);
    if (!block)
        return {};
    return BlockLines(*block, kMaxSecondStage);
}

bool CSrvInfo::ParseConfig(const QString &reply, QStringList &entries, QStringList &siteNames)
{
    const std::optional<QString> block = MarkedBlock(reply, kConfigMarker);
    if (!block)
        return false;
    const QStringList lines = BlockLines(*block, 2);
    if (lines.isEmpty())
        return false;
    entries = Items(lines.at(0));
    siteNames = lines.size() > 1 ? Items(lines.at(1)).mid(0, kMaxSiteNames) : QStringList();
    return true;
}

bool CSrvInfo::Get(const QString &address, QString &text) const
{
    CUrlRequest request(QString(), QString(), timeoutMs_.load());
    request.url = address;
    request.headers = kHeaders;
    request.tries = 1;
    request.retryWaitSeconds = 0;
    CUrlSource source(cookies_);
    if (abortCheck_)
        source.SetAbortCheck(abortCheck_);
    if (!source.Request(request, 0))
        return false;
    text = source.GetText(TEXT_INFLATE | TEXT_UTF8);
    return true;
}
