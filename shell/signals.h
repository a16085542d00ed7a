// shell/signals.h -- the end of the program asked for from outside:
// SIGTERM, SIGINT and SIGHUP.
//
// Owns: the handlers of those signals and the pipe through which they wake
// the message loop. A signal stops any script that runs at once
// (script/limits.h) and, once the loop is back, closes the main window as
// the Exit command does, so that the program ends through its normal
// shut-down with status 0. A second signal while the first is served ends
// the program at once, as the signal's default would. It does not own the
// shut-down itself (the main window), nor the loop (platform/tclloop.h).
#ifndef LUMENFOLD_SHELL_SIGNALS_H
#define LUMENFOLD_SHELL_SIGNALS_H

// Installs the handlers and has the loop watch their pipe. The program
// calls it once, before the first world is read; false when the pipe
// cannot be made (the signals then keep their defaults).
bool zmCatchEndSignals();

#endif
