#pragma once

#include <QStringList>

// `gleaner list ADDRESS [--json]`: runs the list run headless on the settings file of the
// working folder, exactly as the window would, and prints the albums to stdout: one line per
// album ("0001", a tab, the album name, a tab, the post address) or, with --json, one JSON
// object {"blogFolder", "albums": [{"index", "number", "name", "postUrl", "count",
// "remark"}]}. Status texts and message boxes go to stderr, with a reason for every failure.
//
// `args` are the arguments after "list". Runs on the main thread with a QCoreApplication.
// Answers the exit status: 0 the run completed (an empty blog too), 1 it failed or ended
// through a message box, 2 usage error.
int RunListCommand(const QStringList &args);
