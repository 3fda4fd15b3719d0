#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// What one HTTP exchange should do: address, method, extra header lines, body, time-outs,
// size limits, retries and an optional file that receives the body. A plain value record that
// the caller owns (usually on its stack) and fills field by field before handing it to
// CUrlSource::Request; it may be reused for the next address by assigning new values. Not
// shared between threads while a request runs.
class CUrlRequest {
public:
    // Both time-outs get `timeoutMs`. Callers usually pass an empty address, no file and
    // 20,000 ms and assign the fields they need afterwards.
    CUrlRequest(const QString &url = QString(), const QString &targetFile = QString(),
                std::uint32_t timeoutMs = 20000);

    // Replaces the body with a copy of `text` up to its first NUL byte. An empty text leaves
    // the record without a body.
    void SetPostData(const QByteArray &text);
    bool HasPostData() const { return !postData.isEmpty(); }

    // "http://" or "https://", host, optional port, path and query.
    QString url;
    // Request method; "POST" when a body is sent.
    QString verb = QStringLiteral("GET");
    // Extra request header lines separated by CR LF, sent unchanged.
    QString headers;
    // When not empty, the body of a successful reply is written to this file, whole or not at
    // all.
    QString targetFile;
    // Request body without its terminating NUL; empty means no body. Set through SetPostData.
    QByteArray postData;
    // Longest wait for reply body data.
    std::uint32_t readTimeoutMs;
    // Longest wait for any step before the reply body (name lookup, connect, TLS, sending,
    // waiting for the reply header).
    std::uint32_t connectTimeoutMs;
    // Smallest acceptable body in KiB (1,024 bytes); 0 or less means no lower bound.
    std::int32_t minSizeK = 0;
    // Largest acceptable body in KiB; 0 or less means no upper bound.
    std::int32_t maxSizeK = 0;
    // Attempts that CUrlSource::Request makes; 0 makes none.
    std::uint8_t tries = 1;
    // Pause after each failed attempt, the last one included.
    std::uint8_t retryWaitSeconds = 1;
};
