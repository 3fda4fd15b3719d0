#include "net/CookieStore.h"

#include "net/CurlGlobal.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace {

using LockArray = std::array<std::mutex, 16>;

void LockShared(CURL *, curl_lock_data data, curl_lock_access, void *locks)
{
    (*static_cast<LockArray *>(locks))[static_cast<std::size_t>(data) % 16].lock();
}

void UnlockShared(CURL *, curl_lock_data data, void *locks)
{
    (*static_cast<LockArray *>(locks))[static_cast<std::size_t>(data) % 16].unlock();
}

bool HasLineBreakOrTab(const QByteArray &field)
{
    return field.contains('\t') || field.contains('\n') || field.contains('\r');
}

QByteArray NetscapeLine(const CookieRecord &c)
{
    QByteArray line;
    if (c.httpOnly)
        line += "#HttpOnly_";
    line += c.domain;
    line += c.domain.startsWith('.') ? "\tTRUE\t" : "\tFALSE\t";
    line += c.path.isEmpty() ? QByteArray("/") : c.path;
    line += c.secure ? "\tTRUE\t" : "\tFALSE\t";
    line += QByteArray::number(static_cast<qlonglong>(c.expiry));
    line += '\t' + c.name + '\t' + c.value;
    return line;
}

// Parses one Netscape cookie-file line; false for comments, blank and malformed lines.
bool ParseNetscapeLine(QByteArray line, CookieRecord &c)
{
    c = CookieRecord();
    if (line.startsWith("#HttpOnly_")) {
        c.httpOnly = true;
        line.remove(0, 10);
    } else if (line.startsWith('#')) {
        return false;
    }
    const QList<QByteArray> f = line.split('\t');
    if (f.size() != 7 || f[0].isEmpty() || f[5].isEmpty())
        return false;
    bool ok = false;
    c.expiry = f[4].toLongLong(&ok);
    if (!ok)
        return false;
    c.domain = f[0];
    // A cookie that matches sub-domains is reported with its leading dot; keep it that way.
    if (f[1] == "TRUE" && !c.domain.startsWith('.'))
        c.domain.prepend('.');
    c.path = f[2];
    c.secure = f[3] == "TRUE";
    c.name = f[5];
    c.value = f[6];
    return true;
}

} // namespace

CookieStore::CookieStore(const QString &cookieFile) : cookieFile_(cookieFile)
{
    EnsureCurlGlobalInit();
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, LockShared);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, UnlockShared);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, &locks_);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    // Connections stay with each CUrlSource: libcurl 7.x documents its shared connection
    // cache as unsafe for concurrent threads.

    cookieHandle_ = curl_easy_init();
    curl_easy_setopt(cookieHandle_, CURLOPT_SHARE, share_);
    curl_easy_setopt(cookieHandle_, CURLOPT_COOKIEFILE, "");

    if (!cookieFile_.isEmpty() && QFile::exists(cookieFile_))
        Load(cookieFile_);
}

CookieStore::~CookieStore()
{
    if (!cookieFile_.isEmpty())
        Save();
    curl_easy_cleanup(cookieHandle_);
    curl_share_cleanup(share_);
}

template <typename Fn> auto CookieStore::WithCookieHandle(Fn fn) const
{
    std::lock_guard<std::mutex> guard(handleLock_);
    return fn(cookieHandle_);
}

int CookieStore::ImportNetscapeLines(const QByteArray &lines)
{
    int taken = 0;
    for (QByteArray line : lines.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        CookieRecord cookie;
        if (!ParseNetscapeLine(line, cookie))
            continue;
        if (ImportCookie(cookie))
            ++taken;
    }
    return taken;
}

bool CookieStore::ImportCookie(const CookieRecord &cookie)
{
    if (cookie.name.isEmpty() || cookie.domain.isEmpty() || HasLineBreakOrTab(cookie.name) ||
        HasLineBreakOrTab(cookie.value) || HasLineBreakOrTab(cookie.domain) ||
        HasLineBreakOrTab(cookie.path))
        return false;
    const QByteArray line = NetscapeLine(cookie);
    return WithCookieHandle([&line](CURL *easy) {
        return curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.constData()) == CURLE_OK;
    });
}

QList<CookieRecord> CookieStore::Cookies() const
{
    QList<CookieRecord> result;
    curl_slist *list = WithCookieHandle([](CURL *easy) {
        curl_slist *l = nullptr;
        curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &l);
        return l;
    });
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    for (curl_slist *item = list; item; item = item->next) {
        CookieRecord cookie;
        if (ParseNetscapeLine(QByteArray(item->data), cookie) &&
            (cookie.expiry == 0 || cookie.expiry > now))
            result.append(cookie);
    }
    curl_slist_free_all(list);
    return result;
}

void CookieStore::Clear()
{
    WithCookieHandle([](CURL *easy) { return curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL"); });
}

bool CookieStore::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ImportNetscapeLines(file.readAll());
    return true;
}

bool CookieStore::Save(const QString &path) const
{
    const QString target = path.isEmpty() ? cookieFile_ : path;
    if (target.isEmpty())
        return false;
    QByteArray text = "# Netscape HTTP Cookie File\n";
    for (const CookieRecord &cookie : Cookies()) {
        if (cookie.expiry != 0)
            text += NetscapeLine(cookie) + '\n';
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text);
    return file.commit();
}

void CookieStore::SetCaFile(const QString &path)
{
    std::lock_guard<std::mutex> guard(policyLock_);
    caFile_ = path;
}

QString CookieStore::CaFile() const
{
    std::lock_guard<std::mutex> guard(policyLock_);
    return caFile_;
}
