#pragma once

#include <QStringList>

// `gleaner download ADDRESS [options]`: runs the list run, then the download run over the
// chosen albums, headless, exactly as the window would, on the settings file of the working
// folder. Overrides given on the command line hold for this run only and are never saved.
//
// stderr: status texts as they change, message boxes, on a terminal a progress bar, and one
// summary line at the end. stdout: the folder to open, when the run opens one. Ctrl-C is the
// stop button; a second Ctrl-C ends the program at once.
//
// `args` are the arguments after "download". Runs on the main thread with a QCoreApplication.
// Answers the exit status: 0 the run ended through "下载完毕" without a message box, 1 a
// message box was shown (or the listing failed), 2 usage error, 130 stopped by Ctrl-C.
int RunDownloadCommand(const QStringList &args);

// The usage text of the download command, for the program's --help.
extern const char kDownloadUsage[];
