// `gleaner download` of a whole sample blog (200 posts, one 300 KiB picture each, 20 ms delay
// per request, 5 workers), next to curl fetching the same 400 addresses (post pages and
// pictures) with `--parallel --parallel-max 5`. Prints wall time, CPU time and peak memory of
// each child process; asserts nothing. Loopback only.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Figures {
    int status = -1;
    double wall = 0;
    double cpu = 0;
    long peakKiB = 0;
};

std::vector<char *> Argv(std::vector<QByteArray> &args)
{
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
}

// Runs `args` in `folder` with stdout and stderr to /dev/null; measures it with wait4.
Figures Measure(std::vector<QByteArray> args, const QByteArray &folder)
{
    Figures f;
    std::vector<char *> argv = Argv(args);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        if (chdir(folder.constData()) != 0)
            _exit(127);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    f.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    f.peakKiB = usage.ru_maxrss;
    return f;
}

void Print(const char *name, const Figures &f)
{
    std::printf("%-28s exit %d  wall %7.2f s  cpu %6.2f s  peak %7ld KiB\n", name, f.status, f.wall,
                f.cpu, f.peakKiB);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid())
        return 1;

    // The sample blog, its address read from its first output line.
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 1;
    std::vector<QByteArray> blogArgs{
        SAMPLE_BLOG_PATH, "--port", "0", "--posts", "200", "--delay-ms", "20",
        "--picture-kib",  "300"};
    std::vector<char *> blogArgv = Argv(blogArgs);
    const pid_t blog = fork();
    if (blog == 0) {
        dup2(pipeFds[1], 1);
        close(pipeFds[0]);
        execv(blogArgv[0], blogArgv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    QByteArray line;
    char c = 0;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
        line.append(c);
    const QByteArray address = line.trimmed();
    if (!address.startsWith("http://127.0.0.1:")) {
        std::fprintf(stderr, "sample-blog gave no address\n");
        kill(blog, SIGTERM);
        waitpid(blog, nullptr, 0);
        return 1;
    }

    const QByteArray folder = QFile::encodeName(work.path());
    const Figures gleaner = Measure({GLEANER_PATH, "download", address, "--save", "out",
                                     "--threads", "5", "--without", "open-folder"},
                                    folder);

    // The 400 addresses: each album's picture from its marker, each post page from the list.
    QStringList urls;
    QDirIterator markers(work.path() + QStringLiteral("/out"), {QStringLiteral("pic.tql")},
                         QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (markers.hasNext()) {
        QFile marker(markers.next());
        if (marker.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = marker.readAll();
            urls.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                           bytes.size() / 2));
        }
    }
    const int pictures = int(urls.size());
    {
        QFile listOut(work.filePath(QStringLiteral("list.txt")));
        const Figures list = Measure(
            {"/bin/sh", "-c", QByteArray("'") + GLEANER_PATH + "' list " + address + " > list.txt"},
            folder);
        (void)list;
        if (listOut.open(QIODevice::ReadOnly)) {
            for (const QByteArray &row : listOut.readAll().split('\n')) {
                const QList<QByteArray> fields = row.split('\t');
                if (fields.size() >= 3)
                    urls.append(QString::fromUtf8(fields.at(2)));
            }
        }
    }
    QFile config(work.filePath(QStringLiteral("curl.cfg")));
    QDir().mkpath(work.filePath(QStringLiteral("curl")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < urls.size(); ++i) {
        config.write("url = \"" + urls.at(i).toUtf8() + "\"\n");
        config.write("output = \"curl/" + QByteArray::number(i) + "\"\n");
    }
    config.close();
    const Figures curl = Measure(
        {"curl", "--silent", "--parallel", "--parallel-max", "5", "--config", "curl.cfg"}, folder);

    kill(blog, SIGTERM);
    waitpid(blog, nullptr, 0);

    std::printf("sample blog: 200 posts, one 300 KiB picture each, 20 ms delay per request\n");
    std::printf("pictures saved by gleaner: %d; addresses fetched by curl: %d\n", pictures,
                int(urls.size()));
    Print("gleaner download (5 workers)", gleaner);
    Print("curl --parallel-max 5", curl);
    if (curl.wall > 0 && curl.cpu > 0)
        std::printf("ratio gleaner/curl: wall %.2f  cpu %.2f  peak memory %.2f\n",
                    gleaner.wall / curl.wall, gleaner.cpu / curl.cpu,
                    double(gleaner.peakKiB) / double(curl.peakKiB));
    std::printf("(gleaner's figures include listing the blog: the archive page and one archive "
                "call)\n");
    return 0;
}
