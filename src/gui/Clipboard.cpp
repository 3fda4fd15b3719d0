#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QString GetClipboardText()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return {};
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return {};
    const QMimeData *data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return {};
    QString text = data->text();
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}
