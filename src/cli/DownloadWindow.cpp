#include "DownloadWindow.h"

#include "CliOutput.h"
#include "window/ControlIds.h"

#include <QRegularExpression>

#include <cstdio>

namespace {

QString Bar(int done, int total, int width)
{
    const int filled = total > 0 ? qBound(0, done * width / total, width) : 0;
    return QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
}

} // namespace

DownloadWindow::DownloadWindow(bool terminal) : terminal_(terminal) {}

void DownloadWindow::OpenFolder(const QString &path)
{
    CliWindow::OpenFolder(path);
    WriteUtf8(stdout, path);
}

void DownloadWindow::EndProgress()
{
    std::lock_guard lock(barMutex_);
    if (barShown_)
        std::fputs("\n", stderr);
    barShown_ = false;
}

void DownloadWindow::OnCall(const QString &line)
{
    static const QString kAlbumPrefix = QStringLiteral("text %1 ").arg(IDC_ALBUM_STATUS);
    static const QString kPicPrefix = QStringLiteral("text %1 ").arg(IDC_PIC_STATUS);
    static const QRegularExpression kAlbumProgress(
        QStringLiteral("^正在下载第(\\d+)/(\\d+)个图集$"));
    static const QRegularExpression kPicProgress(QStringLiteral("^已下载(\\d+)/(\\d+)"));

    std::lock_guard lock(barMutex_);
    if (line.startsWith(kAlbumPrefix)) {
        const QString text = line.mid(kAlbumPrefix.size());
        if (const auto m = kAlbumProgress.match(text); m.hasMatch()) {
            album_ = m.captured(1).toInt();
            albums_ = m.captured(2).toInt();
            pictures_ = 0;
            picturesTotal_ = 0;
        }
        ClearBar();
        CliWindow::OnCall(line);
        DrawBar();
        return;
    }
    if (!line.startsWith(kPicPrefix))
        return CliWindow::OnCall(line);

    const QString text = line.mid(kPicPrefix.size());
    if (const auto m = kPicProgress.match(text); m.hasMatch()) {
        pictures_ = m.captured(1).toInt();
        picturesTotal_ = m.captured(2).toInt();
        if (terminal_) {
            DrawBar();
            return;
        }
    }
    if (text.isEmpty() || text == lastPicStatus_)
        return;
    lastPicStatus_ = text;
    ClearBar();
    WriteUtf8(stderr, text);
    DrawBar();
}

void DownloadWindow::DrawBar()
{
    if (!terminal_ || albums_ <= 0)
        return;
    const QString bar = QStringLiteral("\r\x1b[K图集 %1/%2 [%3]  图片 %4/%5 [%6]")
                            .arg(album_)
                            .arg(albums_)
                            .arg(Bar(album_, albums_, 20))
                            .arg(pictures_)
                            .arg(picturesTotal_)
                            .arg(Bar(pictures_, picturesTotal_, 20));
    WriteUtf8(stderr, bar, false);
    barShown_ = true;
}

void DownloadWindow::ClearBar()
{
    if (!barShown_)
        return;
    std::fputs("\r\x1b[K", stderr);
    barShown_ = false;
}
