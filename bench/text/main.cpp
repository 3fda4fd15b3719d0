// bench_text: page walking with GetBetween(..., BETWEEN_ADVANCE), Split and DecodeEntities over
// synthetic pages of 1, 5 and 10 MB (UTF-16 bytes), about 10,000 marker occurrences per MB.
// Prints the times and the time per MB; linear growth shows as a flat time per MB.
// A benchmark, not a test: it asserts nothing about time.

#include "text/TextScan.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {

// A page of `megabytes` MB of UTF-16 (megabytes * 512 Ki units), made of post links with
// entities, one "href=\"" per 52 units: about 10,000 per MB (100,000 in 10 MB).
QString MakePage(int megabytes)
{
    const qsizetype units = qsizetype(megabytes) * 512 * 1024;
    QString page;
    page.reserve(units + 128);
    for (int i = 0; page.size() < units; ++i)
        page += QStringLiteral("<li><a href=\"/post/%1\">t&amp;%2 title</a></li>\n")
                    .arg(i, 8, 16, QLatin1Char('0'))
                    .arg(i % 10);
    page.truncate(units);
    return page;
}

template <typename F> double BestMs(F &&run)
{
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main()
{
    std::printf("%-6s %9s %9s %11s %9s %11s %10s %12s\n", "size", "markers", "walk ms",
                "walk ms/MB", "split ms", "split ms/MB", "decode ms", "decode ms/MB");
    double first[3] = {0, 0, 0};
    double last[3] = {0, 0, 0};
    for (const int mb : {1, 5, 10}) {
        const QString page = MakePage(mb);
        qsizetype found = 0;
        const double walk = BestMs([&] {
            QString text = page; // shares; the first cut detaches once, then cuts in place
            found = 0;
            for (;;) {
                const qsizetype before = text.size();
                const QString piece = GetBetween(text, QStringLiteral("href=\""),
                                                 QStringLiteral("\""), BETWEEN_ADVANCE);
                if (text.size() == before)
                    break;
                found += !piece.isEmpty();
            }
        });
        qsizetype parts = 0;
        const double split = BestMs([&] {
            QStringList list;
            Split(page, QStringLiteral("</li>\n"), list);
            parts = list.size();
        });
        const double decode = BestMs([&] {
            QString text = page;
            DecodeEntities(text);
        });
        std::printf("%-3d MB %9lld %9.2f %11.2f %9.2f %11.2f %10.2f %12.2f   (%lld parts)\n", mb,
                    static_cast<long long>(found), walk, walk / mb, split, split / mb, decode,
                    decode / mb, static_cast<long long>(parts));
        const double times[3] = {walk, split, decode};
        for (int i = 0; i < 3; ++i) {
            if (mb == 1)
                first[i] = times[i];
            last[i] = times[i];
        }
    }
    std::printf("10 MB / 1 MB time ratio (linear: about 10, quadratic: about 100): walk %.1f, "
                "split %.1f, decode %.1f\n",
                last[0] / first[0], last[1] / first[1], last[2] / first[2]);
    return 0;
}
