#pragma once

// Readable QString, QByteArray and QStringList output in GoogleTest failure messages.
// Printable text shows as UTF-8; control characters and lone surrogates as \uXXXX.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"';
    static const char hex[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        const bool pair =
            QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pair) {
            *os << text.mid(i, 2).toStdString();
            ++i;
        } else if (u < 0x20 || u == 0x7F || QChar::isSurrogate(u)) {
            *os << "\\u" << hex[(u >> 12) & 0xF] << hex[(u >> 8) & 0xF] << hex[(u >> 4) & 0xF]
                << hex[u & 0xF];
        } else {
            *os << QString(QChar(u)).toStdString();
        }
    }
    *os << '"';
}

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"' << bytes.toHex(' ').toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(list.at(i), os);
    }
    *os << '}';
}
