#pragma once

// Entry of the headless front end. Called from main() on the main thread before any
// QCoreApplication exists; creates its own.

// True when the arguments ask for the command line rather than the window
// (a subcommand, --version or --help).
bool IsCliInvocation(int argc, char **argv);

// Runs the command line and returns the process exit status:
// 0 done, 1 the run failed, 2 usage error.
int RunCli(int argc, char **argv);
