#pragma once

// Entry of the window front end: creates the QApplication and the main window, runs the
// event loop on the calling (main) thread and returns its exit status.
//
// Environment (for the demo and screenshots):
//   GLEANER_ADDRESS    a blog address put into the address box after start-up
//   GLEANER_DEMO_LIST  when "1", the list run starts as soon as the window is shown
int RunGui(int argc, char **argv);
