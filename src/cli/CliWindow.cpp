#include "CliWindow.h"

#include "CliOutput.h"
#include "window/ControlIds.h"

void CliWindow::OnCall(const QString &line)
{
    static const QString kStatusPrefix = QStringLiteral("text %1 ").arg(IDC_ALBUM_STATUS);
    if (!line.startsWith(kStatusPrefix))
        return;
    const QString status = line.mid(kStatusPrefix.size());
    if (status == lastStatus_)
        return;
    lastStatus_ = status;
    WriteUtf8(stderr, status);
}

void CliWindow::OnMessage(const QString &text)
{
    WriteUtf8(stderr, text);
}
