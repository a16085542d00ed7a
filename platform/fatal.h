// platform/fatal.h -- the one loud stop for a broken invariant, usable by
// every layer above (the engine and the scene core included), and the
// checks of the contracts the headers state.
//
// Owns only that stop and ZM_ASSERT. Bad input, a full pool or a failing system call are
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

/*
 * ZM_ASSERT(condition, sentence) --
 *   In a build with assertions (any build without NDEBUG: the test build),
 *   stops with zmFatal naming the function when the condition is false,
 *   the sentence saying what should have held. Without them the condition
 *   is not evaluated, and the code after the check keeps to the results its
 *   function documents for that state, so a condition must have no effect.
 */
#ifdef NDEBUG
#define ZM_ASSERT(condition, sentence) static_cast<void>(sizeof(!(condition)))
#else
#define ZM_ASSERT(condition, sentence) \
  ((condition) ? static_cast<void>(0) : zmFatal(__func__, "%s (%s)", sentence, #condition))
#endif

#endif
