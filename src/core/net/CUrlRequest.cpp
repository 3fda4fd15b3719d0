#include "net/CUrlRequest.h"

CUrlRequest::CUrlRequest(const QString &url, const QString &targetFile, std::uint32_t timeoutMs)
    : url(url), targetFile(targetFile), readTimeoutMs(timeoutMs), connectTimeoutMs(timeoutMs)
{
}

void CUrlRequest::SetPostData(const QByteArray &text)
{
    const qsizetype nul = text.indexOf('\0');
    postData = nul < 0 ? text : text.left(nul);
}
