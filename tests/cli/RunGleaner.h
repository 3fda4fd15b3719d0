#pragma once

// The built gleaner program run as a process, as a user runs it, for the command-line tests.

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace clitest {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program with `args` in `folder` under the C locale, so that nothing but the program
// itself can make its output UTF-8; standard output and error go to files. With `home`, HOME
// is set to it (and the XDG variables are dropped), so the documents folder lies there.
// `whileRunning`, when given, is called once the child runs, with its pid.
//
// The child is made with a plain fork() and execve(): QProcess spawns with vfork semantics,
// and a vfork child shares the thread sanitizer's state with this multi-threaded test, which
// then refuses to start threads.
inline Outcome RunGleaner(const QString &folder, const QStringList &args,
                          const QString &home = QString(),
                          const std::function<void(pid_t)> &whileRunning = {})
{
    Outcome outcome;
    QTemporaryDir streams;
    const QByteArray outPath = QFile::encodeName(streams.filePath(QStringLiteral("out")));
    const QByteArray errPath = QFile::encodeName(streams.filePath(QStringLiteral("err")));
    const QByteArray workDir = QFile::encodeName(folder);

    std::vector<QByteArray> argBytes{QByteArray(GLEANER_PATH)};
    for (const QString &arg : args)
        argBytes.push_back(arg.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &arg : argBytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> envBytes;
    for (char **e = environ; *e != nullptr; ++e) {
        const QByteArray entry(*e);
        const bool replaced =
            !home.isEmpty() && (entry.startsWith("HOME=") || entry.startsWith("XDG_"));
        if (!entry.startsWith("LC_") && !entry.startsWith("LANG=") &&
            !entry.startsWith("LANGUAGE=") && !replaced)
            envBytes.push_back(entry);
    }
    envBytes.push_back("LC_ALL=C");
    envBytes.push_back("LANG=C");
    if (!home.isEmpty())
        envBytes.push_back("HOME=" + QFile::encodeName(home));
    std::vector<char *> envp;
    for (QByteArray &entry : envBytes)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(workDir.constData()) != 0)
            _exit(127);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return outcome;
    }
    if (whileRunning)
        whileRunning(pid);
    // A watchdog, not a speed limit.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (done != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "gleaner did not finish";
        return outcome;
    }
    EXPECT_TRUE(WIFEXITED(status)) << status;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile outFile(QFile::decodeName(outPath));
    QFile errFile(QFile::decodeName(errPath));
    if (outFile.open(QIODevice::ReadOnly))
        outcome.out = QString::fromUtf8(outFile.readAll());
    if (errFile.open(QIODevice::ReadOnly))
        outcome.err = QString::fromUtf8(errFile.readAll());
    return outcome;
}

} // namespace clitest
