#include "CliMain.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

const char kUsage[] = "usage: gleaner [--version | --help]\n"
                      "       gleaner            start the window\n";

} // namespace

bool IsCliInvocation(int argc, char **argv) { return argc > 1 && argv[1] != nullptr; }

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
        return 0;
    }
    std::fprintf(stderr, "gleaner: unknown command '%s'\n%s", qPrintable(command), kUsage);
    return 2;
}
