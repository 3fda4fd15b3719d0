#include "TextScan.h"

#include <QStringView>

#include <cstdint>
#include <ctime>

namespace {

// Position of the first `marker` at or after `from`, or -1. An empty marker is found at once.
qsizetype Find(const QString &text, const QString &marker, qsizetype from)
{
    if (from < 0 || from > text.size())
        return -1;
    if (marker.isEmpty())
        return from;
    return text.indexOf(marker, from, Qt::CaseSensitive);
}

// Drops the first `count` units of `text` in place. On an unshared QString, Qt 6 erases at the
// front by moving the start of the string within its buffer: nothing is copied, so a page can be
// walked in linear time. A shared text is detached (copied) once here.
void CutFront(QString &text, qsizetype count)
{
    if (count <= 0)
        return;
    text.remove(0, count);
}

// Replaces every occurrence of `before` (not empty) by `after` in one front-to-back pass, in
// linear time whatever the number of occurrences.
void ReplaceAll(QString &text, QStringView before, QStringView after)
{
    qsizetype hit = text.indexOf(before, 0, Qt::CaseSensitive);
    if (hit < 0)
        return;
    QString out;
    out.reserve(after.size() <= before.size() ? text.size() : text.size() + text.size() / 2);
    qsizetype from = 0;
    const QStringView whole(text);
    while (hit >= 0) {
        out.append(whole.mid(from, hit - from));
        out.append(after);
        from = hit + before.size();
        hit = text.indexOf(before, from, Qt::CaseSensitive);
    }
    out.append(whole.mid(from));
    text = std::move(out);
}

void Trim(QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const QChar *units = text.constData();
    while (begin < end && IsNameWhiteSpace(units[begin].unicode()))
        ++begin;
    while (end > begin && IsNameWhiteSpace(units[end - 1].unicode()))
        --end;
    if (begin == 0 && end == text.size())
        return;
    text.truncate(end);
    CutFront(text, begin);
}

// Step 2 of CleanName: "replace every pair of spaces by one space until no pair is left"
// leaves exactly one space of every run of spaces.
void CollapseSpaces(QString &text)
{
    if (!text.contains(QStringView(u"  ")))
        return;
    QString out;
    out.reserve(text.size());
    bool lastWasSpace = false;
    for (const QChar c : std::as_const(text)) {
        const bool isSpace = c.unicode() == u' ';
        if (!(isSpace && lastWasSpace))
            out.append(c);
        lastWasSpace = isSpace;
    }
    text = std::move(out);
}

// Step 5 of CleanName.
void DropForbidden(QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : std::as_const(text)) {
        switch (c.unicode()) {
        case u'\r':
        case u'\n':
        case u'\\':
        case u'/':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
        case u'\a':
            break;
        case u'\t':
            out.append(QLatin1Char('_'));
            break;
        default:
            out.append(c);
        }
    }
    text = std::move(out);
}

QString LocalTimeStamp()
{
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1))
        return {};
    std::tm local{};
    if (!localtime_r(&now, &local))
        return {};
    char buffer[64];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &local);
    if (length == 0)
        return {};
    return QString::fromLatin1(buffer, static_cast<qsizetype>(length));
}

} // namespace

bool IsNameWhiteSpace(char16_t unit)
{
    switch (unit) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return (unit >= 0x2000 && unit <= 0x2006) || (unit >= 0x2008 && unit <= 0x200A);
    }
}

QString GetBetween(QString &text, const QString &start, const QString &end, int mode)
{
    const qsizetype startAt = Find(text, start, 0);
    if (startAt < 0)
        return {};
    const qsizetype from = startAt + start.size();
    const qsizetype endAt = Find(text, end, from);
    QString result;
    if (endAt > from)
        result = QString(text.constData() + from, endAt - from); // a copy of the piece only
    if (mode == BETWEEN_ADVANCE)
        CutFront(text, from);
    return result;
}

qsizetype SkipTo(QString &text, const QString &marker, bool pastMarker)
{
    const qsizetype at = Find(text, marker, 0);
    if (at < 0)
        return -1;
    CutFront(text, pastMarker ? at + marker.size() : at);
    return at;
}

qsizetype KeepBefore(QString &text, const QString &marker)
{
    const qsizetype at = Find(text, marker, 0);
    if (at < 0)
        return -1;
    text.truncate(at);
    return at;
}

qsizetype Split(const QString &text, const QString &separator, QStringList &parts)
{
    parts.clear();
    if (separator.isEmpty())
        return 0;
    const qsizetype step = separator.size();
    qsizetype count = 0;
    for (qsizetype at = text.indexOf(separator, 0, Qt::CaseSensitive); at >= 0;
         at = text.indexOf(separator, at + step, Qt::CaseSensitive))
        ++count;
    if (count == 0)
        return 0;
    parts.reserve(count + 1);
    const QStringView whole(text);
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(separator, 0, Qt::CaseSensitive); at >= 0;
         at = text.indexOf(separator, from, Qt::CaseSensitive)) {
        parts.append(whole.mid(from, at - from).toString());
        from = at + step;
    }
    parts.append(whole.mid(from).toString());
    return count;
}

void DecodeEntities(QString &text)
{
    ReplaceAll(text, u"&quot;", u"\"");
    ReplaceAll(text, u"&amp;", u"&");
    ReplaceAll(text, u"&lt;", u"<");
    ReplaceAll(text, u"&gt;", u">");
    ReplaceAll(text, u"&nbsp;", u" ");
    ReplaceAll(text, u"&hellip;", u"\u2026");
    ReplaceAll(text, u"&#39;", u"'");
}

void CleanName(QString &text, bool timeFallback)
{
    DecodeEntities(text);                                               // 1
    CollapseSpaces(text);                                               // 2
    Trim(text);                                                         // 3
    if (!text.isEmpty() && text.count(QLatin1Char('.')) == text.size()) // 4
        text.fill(QChar(0x3002));
    DropForbidden(text); // 5
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char('.')) // 6: the end first, then the start
        --end;
    text.truncate(end);
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin) == QLatin1Char('.'))
        ++begin;
    CutFront(text, begin);
    Trim(text);                                                  // 7
    if (timeFallback && (text.isEmpty() || text.size() >= 1000)) // 8
        text = LocalTimeStamp();
}
