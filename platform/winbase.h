// platform/winbase.h -- the few kernel services the program asks of the
// system: its own executable's path, the debugger output, the process id and
// the window system's bounded text formatter.
//
// Owns: GetModuleFileNameA, OutputDebugStringA, GetCurrentProcessId,
// wsprintfA and wvsprintfA. It does not own the program's folders (the scene
// core builds those from these calls) nor the event log itself (recorder.h).
#ifndef LUMENFOLD_PLATFORM_WINBASE_H
#define LUMENFOLD_PLATFORM_WINBASE_H

#include <cstdarg>

#include "platform/wintypes.h"

// The size of the buffer that wsprintfA and wvsprintfA may fill, terminator
// included.
#define WSPRINTF_LIMIT 1024

/*
 * GetModuleFileNameA --
 *   Writes the full path of the running executable (read from
 *   /proc/self/exe) into `buffer`. The program is one module, so `module` may
 *   be null or the program instance; it is not otherwise examined.
 * Results:
 *   The length of the path without its terminator. When the path does not
 *   fit, the buffer holds its first size-1 characters and a terminator and
 *   the result is `size`. 0 when the path cannot be read or size is 0.
 */
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// Writes the text to stderr and records it as kind "DebugOutput". A null
// text does nothing.
void OutputDebugStringA(LPCSTR text);

DWORD GetCurrentProcessId();

/*
 * wsprintfA, wvsprintfA --
 *   printf-style formatting into `buffer`, which must hold WSPRINTF_LIMIT
 *   characters: longer texts are cut to WSPRINTF_LIMIT-1 characters.
 * Results:
 *   The number of characters stored, without the terminator.
 */
int wsprintfA(LPSTR buffer, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
int wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) __attribute__((format(printf, 2, 0)));

#endif
