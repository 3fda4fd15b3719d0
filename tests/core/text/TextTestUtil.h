#pragma once

// Helpers shared by the text tests: readable QString/QByteArray output in failure messages.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) {
            *os << static_cast<char>(u);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            *os << "\\u" << hex[(u >> 12) & 0xF] << hex[(u >> 8) & 0xF] << hex[(u >> 4) & 0xF]
                << hex[u & 0xF];
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

// A QString from UTF-16 units, NUL and lone surrogates allowed.
inline QString Units(std::u16string_view units)
{
    return QString(reinterpret_cast<const QChar *>(units.data()),
                   static_cast<qsizetype>(units.size()));
}
