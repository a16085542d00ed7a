// platform/fatal.h -- the one loud stop for a broken invariant, usable by
// every layer above (the engine and the scene core included).
//
// Owns only that stop. Bad input, a full pool or a failing system call are
// not invariants: they travel as the callers' return values and reports.
#ifndef LUMENFOLD_PLATFORM_FATAL_H
#define LUMENFOLD_PLATFORM_FATAL_H

/*
 * zmFatal --
 *   Writes "function: text" and a line feed to standard error, the text
 *   formatted printf-style, and aborts the program. Only for states the
 *   program's own code should never reach; never returns.
 */
[[noreturn]] void zmFatal(const char* function, const char* format, ...) __attribute__((format(printf, 2, 3)));

// zmFatal naming the function it stands in.
#define ZM_FATAL(...) zmFatal(__func__, __VA_ARGS__)

#endif
