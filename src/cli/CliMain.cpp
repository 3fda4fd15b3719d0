#include "CliMain.h"

#include "CliOutput.h"
#include "DownloadCommand.h"
#include "ListCommand.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: gleaner [--version | --help]\n"
    "       gleaner                        start the window\n"
    "       gleaner list ADDRESS [--json]  list the albums of a LOFTER blog\n"
    "       gleaner download ADDRESS [options]\n"
    "                                      list the blog, then download its albums\n"
    "\n"
    "list: albums go to stdout, one per line (number, name, post address,\n"
    "separated by tabs) or as one JSON object with --json; status texts and\n"
    "messages go to stderr. soft.dat in the working folder holds the settings.\n"
    "Exit status: 0 done, 1 the run failed, 2 usage error.\n"
    "\n"
    "download: status texts, messages, a progress bar (on a terminal) and a\n"
    "summary line go to stderr; the folder to open goes to stdout. Ctrl-C stops\n"
    "the run, a second Ctrl-C ends the program.\n";

} // namespace

bool IsCliInvocation(int argc, char **argv)
{
    return argc > 1 && argv[1] != nullptr;
}

int RunCli(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    if (command == QLatin1String("--version")) {
        std::fputs(GLEANER_VERSION "\n", stdout);
        return 0;
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        std::fputs("\n", stdout);
        std::fputs(kDownloadUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("list"))
        return RunListCommand(args.mid(1));
    if (command == QLatin1String("download")) {
        if (args.size() == 2 &&
            (args.at(1) == QLatin1String("--help") || args.at(1) == QLatin1String("-h"))) {
            std::fputs(kDownloadUsage, stdout);
            return 0;
        }
        return RunDownloadCommand(args.mid(1));
    }
    WriteUtf8(stderr, QStringLiteral("gleaner: unknown command '%1'").arg(command));
    std::fputs(kUsage, stderr);
    return 2;
}
