#include "DownloadCommand.h"

#include "CliOutput.h"
#include "DownloadWindow.h"
#include "download/DownloadRun.h"
#include "listing/ListRun.h"
#include "model/GleanerState.h"
#include "model/SavePathRule.h"
#include "window/ControlIds.h"

#include <QDir>
#include <QSet>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <signal.h>
#include <unistd.h>

const char kDownloadUsage[] =
    "usage: gleaner download ADDRESS [--select LIST] [--save DIR] [--threads N]\n"
    "                        [--timeout S] [--min-size K] [--max-size K]\n"
    "                        [--with OPTION]... [--without OPTION]...\n"
    "  --select LIST   album numbers as listed, and ranges: 1,3-5 (default: every album)\n"
    "  --save DIR      save folder (default: as the window proposes it)\n"
    "  --threads N     picture workers, 1 to 15         (these four for this run only)\n"
    "  --timeout S     read time-out in seconds, at least 10\n"
    "  --min-size K    smallest picture kept, KiB (0 to 65535)\n"
    "  --max-size K    largest picture kept, KiB (0 = no limit)\n"
    "  OPTION          fix-format, fix-order, name-list, url-list-only, skip-downloaded,\n"
    "                  open-folder (for this run only; open-folder prints the folder)\n"
    "Exit status: 0 done, 1 a message was shown, 2 usage error, 130 stopped by Ctrl-C.\n";

namespace {

// Ctrl-C presses so far; the handler only counts, and ends the program at the second.
std::atomic<int> g_interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int)
{
    if (g_interrupts.fetch_add(1) >= 1)
        _exit(130);
}

struct Interrupts {
    Interrupts()
    {
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous);
    }
    ~Interrupts() { sigaction(SIGINT, &previous, nullptr); }
    struct sigaction previous {};
};

int UsageError(const QString &what)
{
    WriteUtf8(stderr, QStringLiteral("gleaner: ") + what);
    std::fputs(kDownloadUsage, stderr);
    return 2;
}

std::optional<quint16> Number(const QString &text, int min, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return quint16(value);
}

// "1,3-5" -> {1, 3, 4, 5}; nullopt when malformed.
std::optional<QSet<int>> ParseSelection(const QString &text)
{
    QSet<int> numbers;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        if (ends.size() > 2)
            return std::nullopt;
        bool okFirst = false, okLast = false;
        const int first = ends.at(0).trimmed().toInt(&okFirst);
        const int last = ends.size() == 2 ? ends.at(1).trimmed().toInt(&okLast) : first;
        if (!okFirst || (ends.size() == 2 && !okLast) || first < 1 || last < first ||
            last - first > 1000000)
            return std::nullopt;
        for (int n = first; n <= last; ++n)
            numbers.insert(n);
    }
    return numbers;
}

std::optional<quint16> OptionBit(const QString &name)
{
    struct Entry {
        const char *name;
        quint16 bit;
    };
    static const Entry kOptions[] = {
        {"fix-format", OPT_FIX_FORMAT},
        {"fix-order", OPT_FIX_ORDER},
        {"name-list", OPT_NAME_LIST},
        {"url-list-only", OPT_URL_LIST_ONLY},
        {"skip-downloaded", OPT_SKIP_DOWNLOADED},
        {"open-folder", OPT_OPEN_FOLDER},
    };
    for (const Entry &e : kOptions) {
        if (name == QLatin1String(e.name))
            return e.bit;
    }
    return std::nullopt;
}

struct Arguments {
    QString address;
    std::optional<QSet<int>> select;
    QString save;
    std::optional<quint16> threads, timeout, minSize, maxSize;
    quint16 setBits = 0, clearBits = 0;
};

// Parses `args`; answers an error text, empty when they are fine.
QString Parse(const QStringList &args, Arguments &out)
{
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            positional.append(arg);
            continue;
        }
        QString value;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
        } else if (i + 1 < args.size()) {
            value = args.at(++i);
        } else {
            return QStringLiteral("option '%1' needs a value").arg(arg);
        }
        if (arg == QLatin1String("--select")) {
            out.select = ParseSelection(value);
            if (!out.select)
                return QStringLiteral("--select: '%1' is not a list of album numbers").arg(value);
        } else if (arg == QLatin1String("--save")) {
            if (value.trimmed().isEmpty())
                return QStringLiteral("--save needs a folder");
            out.save = value;
        } else if (arg == QLatin1String("--threads")) {
            if (!(out.threads = Number(value, 1, 15)))
                return QStringLiteral("--threads must be 1 to 15");
        } else if (arg == QLatin1String("--timeout")) {
            if (!(out.timeout = Number(value, 10, 65535)))
                return QStringLiteral("--timeout must be 10 to 65535 seconds");
        } else if (arg == QLatin1String("--min-size")) {
            if (!(out.minSize = Number(value, 0, 65535)))
                return QStringLiteral("--min-size must be 0 to 65535 KiB");
        } else if (arg == QLatin1String("--max-size")) {
            if (!(out.maxSize = Number(value, 0, 65535)))
                return QStringLiteral("--max-size must be 0 to 65535 KiB");
        } else if (arg == QLatin1String("--with") || arg == QLatin1String("--without")) {
            const std::optional<quint16> bit = OptionBit(value);
            if (!bit)
                return QStringLiteral("unknown option name '%1'").arg(value);
            const bool on = arg == QLatin1String("--with");
            (on ? out.setBits : out.clearBits) |= *bit;
            (on ? out.clearBits : out.setBits) &= quint16(~*bit);
        } else {
            return QStringLiteral("unknown option '%1'").arg(arg);
        }
    }
    if (positional.isEmpty())
        return QStringLiteral("download needs a blog address");
    if (positional.size() > 1)
        return QStringLiteral("download takes one blog address");
    out.address = positional.at(0);
    return QString();
}

// Waits for a run, turning the first Ctrl-C into `stop`.
template <typename Run> void WaitWithInterrupts(Run &run, bool &interrupted)
{
    while (!run.IsFinished()) {
        if (!interrupted && g_interrupts.load() > 0) {
            interrupted = true;
            run.RequestStop();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    run.Wait();
    if (g_interrupts.load() > 0)
        interrupted = true;
}

} // namespace

int RunDownloadCommand(const QStringList &args)
{
    Arguments parsed;
    if (const QString error = Parse(args, parsed); !error.isEmpty())
        return UsageError(error);

    GleanerState state(QDir::currentPath());
    DownloadWindow window(isatty(STDERR_FILENO) == 1);
    state.settings.LoadSettings();
    for (const QString &text : state.settings.History(HISTORY_ADDRESS))
        window.AppendHistory(IDC_ADDRESS, text);
    for (const QString &text : state.settings.History(HISTORY_SAVE_PATH))
        window.AppendHistory(IDC_SAVE_PATH, text);
    state.siteKind.store(SITE_KIND_LOFTER);
    window.SetControlText(IDC_ADDRESS, parsed.address);
    const QString savePath =
        parsed.save.isEmpty() ? ProposeSavePath(state.ProgramFolder(),
                                                state.settings.HistoryEntry(HISTORY_SAVE_PATH, 0))
                              : QDir::current().absoluteFilePath(parsed.save.trimmed());
    window.SetControlText(IDC_SAVE_PATH, savePath);

    Interrupts interrupts;
    bool interrupted = false;
    {
        ListRun list(state, window);
        if (list.Start() != ListRun::StartResult::Started)
            return 1;
        WaitWithInterrupts(list, interrupted);
        if (interrupted)
            return 130;
        if (list.Result() != ListEnd::Completed) {
            WriteUtf8(stderr, QStringLiteral("gleaner: the listing failed"));
            return 1;
        }
    }

    // The selection, by the numbers of column 0.
    GridOps &grid = window.Grid();
    grid.ClearSelection();
    QSet<int> listed;
    for (int row = grid.FixedRowCount(); row < grid.RowCount(); ++row) {
        const int number = grid.GetCellText(row, 0).toInt();
        listed.insert(number);
        if (!parsed.select || parsed.select->contains(number))
            grid.SetCellSelected(row, 0, true);
    }
    if (parsed.select) {
        for (int number : *parsed.select) {
            if (!listed.contains(number))
                return UsageError(QStringLiteral("--select: no album numbered %1 (the blog has "
                                                 "%2 albums)")
                                      .arg(number)
                                      .arg(listed.size()));
        }
    }

    DownRunOptions options;
    options.setBits = parsed.setBits;
    options.clearBits = parsed.clearBits;
    if (parsed.threads || parsed.timeout || parsed.minSize || parsed.maxSize) {
        DownParams params = state.settings.GetDownParams(SITE_KIND_LOFTER);
        params.threadCount = parsed.threads.value_or(params.threadCount);
        params.timeoutSec = parsed.timeout.value_or(params.timeoutSec);
        params.minSizeK = parsed.minSize.value_or(params.minSizeK);
        params.maxSizeK = parsed.maxSize.value_or(params.maxSizeK);
        options.params = params;
    }

    const qsizetype messagesBefore = window.Messages().size();
    DownloadRun run(state, window);
    run.SetOptions(options);
    if (run.Start() != DownloadRun::StartResult::Started) {
        window.EndProgress();
        return 1;
    }
    WaitWithInterrupts(run, interrupted);
    window.EndProgress();
    WriteUtf8(stderr, QStringLiteral("gleaner: %1 pictures saved, %2 failed")
                          .arg(run.PicturesSaved())
                          .arg(run.PicturesFailed()));
    if (interrupted)
        return 130;
    if (window.Messages().size() > messagesBefore)
        return 1;
    return run.Result() == DownEnd::Completed ? 0 : 1;
}
