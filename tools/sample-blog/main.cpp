// sample-blog: the fake LOFTER service as a program, serving one generated blog at the root of
// 127.0.0.1 until SIGINT or SIGTERM, for the demo and the benchmarks.
//
//   sample-blog --port N --posts N --delay-ms N [--picture-kib N] [--bind 127.0.0.1]
//
// Once ready it prints the blog address ("http://127.0.0.1:PORT/") and a line feed on stdout.

#include "FakeLofter.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnSignal(int)
{
    stopSignal = 1;
}

int Fail(const QString &message)
{
    std::fprintf(stderr, "sample-blog: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // The JPEG encoder is a Qt image plugin; the application object makes Qt find it.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sample-blog"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A generated LOFTER blog on loopback."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on (0: a free one)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption postsOption(QStringLiteral("posts"), QStringLiteral("Posts to serve."),
                                         QStringLiteral("N"), QStringLiteral("100"));
    const QCommandLineOption delayOption(QStringLiteral("delay-ms"),
                                         QStringLiteral("Delay before every reply."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption kibOption(QStringLiteral("picture-kib"),
                                       QStringLiteral("Size of each post picture in KiB "
                                                      "(0: natural size)."),
                                       QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption bindOption(QStringLiteral("bind"),
                                        QStringLiteral("Address to bind (loopback only)."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    parser.addOptions({portOption, postsOption, delayOption, kibOption, bindOption});
    parser.process(app);

    bool ok = true;
    const int port = parser.value(portOption).toInt(&ok);
    if (!ok || port < 0 || port > 65535) {
        return Fail(QStringLiteral("--port wants 0..65535"));
    }
    const int posts = parser.value(postsOption).toInt(&ok);
    if (!ok || posts < 0 || posts > 1000000) {
        return Fail(QStringLiteral("--posts wants 0..1000000"));
    }
    const int delayMs = parser.value(delayOption).toInt(&ok);
    if (!ok || delayMs < 0) {
        return Fail(QStringLiteral("--delay-ms wants a number >= 0"));
    }
    const qint64 pictureKib = parser.value(kibOption).toLongLong(&ok);
    if (!ok || pictureKib < 0 || pictureKib > 1024 * 1024) {
        return Fail(QStringLiteral("--picture-kib wants 0..1048576"));
    }
    if (parser.value(bindOption) != QLatin1String("127.0.0.1")) {
        return Fail(QStringLiteral("only 127.0.0.1 can be bound"));
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    try {
        testsupport::FakeLofter lofter(port);
        testsupport::FakeBlog blog;
        blog.address = QStringLiteral("/");
        blog.title = QStringLiteral("样例博客 Sample & Blog");
        blog.blogId = 20150408;
        testsupport::GenerateOptions generate;
        generate.count = posts;
        generate.mixedTitles = true;
        generate.mixKinds = true;
        generate.pictureWidth = 96;
        generate.pictureHeight = 72;
        generate.pictureBytes = pictureKib * 1024;
        blog.posts = testsupport::FakeLofter::GeneratePosts(generate);
        lofter.AddBlog(blog);
        testsupport::ReplyOptions options;
        options.delay = std::chrono::milliseconds(delayMs);
        lofter.SetDefaultOptions(options);

        std::cout << lofter.Url(QStringLiteral("/")).toStdString() << std::endl;
        while (stopSignal == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    } catch (const std::exception &error) {
        return Fail(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}
