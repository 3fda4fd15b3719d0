#pragma once

// Entry of the window front end: creates the QApplication and the main window, runs the
// event loop on the calling (main) thread and returns its exit status.
int RunGui(int argc, char **argv);
