#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <mutex>

#include <curl/curl.h>

// One cookie as a browser reports it. `domain` with a leading dot also matches the domain's
// sub-domains; without one it matches that host only. `expiry` is in seconds since 1970 (UTC);
// 0 marks a session cookie, which lives only as long as the process.
struct CookieRecord {
    QByteArray name;
    QByteArray value;
    QByteArray domain;
    QByteArray path = "/";
    std::int64_t expiry = 0;
    bool secure = false;
    bool httpOnly = false;
};

// The process's shared network state: the cookie jar that every request reads and fills, the
// DNS cache and the TLS session cache, held in one libcurl share whose locks are a mutex per
// kind of data; plus the transport policy that tests may tighten (a CA file).
//
// Owned by the application object and handed by pointer to every CUrlSource; it must outlive
// them. Every member function may be called from any thread at any time, also while requests
// run on other threads. Persistent cookies (those with an expiry) can be kept in a cookie file
// so that a login survives a restart; session cookies are never written.
class CookieStore {
public:
    // With a `cookieFile`, its cookies are loaded now and Save() writes back to it; the
    // destructor saves once more. Without one, nothing touches the disk.
    explicit CookieStore(const QString &cookieFile = QString());
    ~CookieStore();
    CookieStore(const CookieStore &) = delete;
    CookieStore &operator=(const CookieStore &) = delete;

    // Adds cookies given as lines of a Netscape cookie file (domain, include-sub-domains flag,
    // path, secure flag, expiry, name, value, separated by tabs; "#HttpOnly_" before the domain
    // marks an HTTP-only cookie). Lines are separated by LF or CR LF; blank lines and comment
    // lines are skipped. Returns the number of lines taken.
    int ImportNetscapeLines(const QByteArray &lines);
    // Adds one cookie. False when a field cannot be expressed (empty name or domain, or a tab,
    // CR or LF in any field).
    bool ImportCookie(const CookieRecord &cookie);
    // Every cookie currently held, expired ones excluded, session cookies included.
    QList<CookieRecord> Cookies() const;
    // Drops every cookie.
    void Clear();

    // Loads the persistent cookies of `path` in addition to those held. False when the file
    // cannot be read (a missing file is not an error for the constructor).
    bool Load(const QString &path);
    // Writes the persistent cookies to `path` (or the constructor's file when `path` is empty)
    // whole: a temporary file in the same folder, then a rename. False when nothing could be
    // written or there is no file to write to.
    bool Save(const QString &path = QString()) const;

    // PEM file of trusted certificate authorities for https; empty means the system's store.
    void SetCaFile(const QString &path);
    QString CaFile() const;

    // The libcurl share for CURLOPT_SHARE. For CUrlSource only.
    CURLSH *Share() const { return share_; }

private:
    // Runs `fn(easy)` on the private easy handle that reads and writes the jar; serialised.
    template <typename Fn> auto WithCookieHandle(Fn fn) const;

    CURLSH *share_ = nullptr;
    // One lock per kind of shared data (curl_lock_data has fewer than 16 values).
    std::array<std::mutex, 16> locks_;
    mutable std::mutex handleLock_;
    CURL *cookieHandle_ = nullptr;
    QString cookieFile_;
    mutable std::mutex policyLock_;
    QString caFile_;
};
