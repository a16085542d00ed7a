// loading/gzip.h -- unpacking gzip files through the outside gzip program.
//
// Owns: the unpacked file's name, the command line that runs "gzip.exe"
// from the program directory with "-d -c" through the command interpreter
// (its output redirected into the unpacked file), and the wait for it that
// keeps the main window's messages flowing. It does not own the decision to
// unpack (zmPreProcessFile) nor the gzip program itself: where the program
// directory has no "gzip.exe", the platform runs the system's gzip.
//
// Unpacked files with placement flag 0 go into the program's temporary
// folder (the program directory is read-only); with any other flag beside
// the source.
#ifndef LUMENFOLD_LOADING_GZIP_H
#define LUMENFOLD_LOADING_GZIP_H

#include <cstddef>
#include <cstdint>

#include "platform/windows.h"

// The size of out buffer the callers use; nothing is ever written past the
// size a caller gives.
#define ZM_GZIP_NAME_SIZE MAX_PATH

// Results of Decompress.
#define ZM_GZIP_FAILED (-1)
#define ZM_GZIP_NOT_FOUND (-9)

// Result of zmRunAndWait when the time-out ended the program.
#define ZM_RUN_TIMED_OUT 1121

// The largest unpacked file, in bytes, unless the program sets another.
#define ZM_GZIP_DEFAULT_LIMIT (256ull << 20)

/*
 * MakeGzipName --
 *   The unpacked file's name for `source` (which ends in ".gz", "_gz" or
 *   the like): its extension cut off, then the last '.', '~' or '_' of the
 *   base name turned into '.' (a.wrl.gz, a_wrl.gz and a~wrl.gz give a.wrl);
 *   a base name without one gets the extension of the type code (4 ".wrl",
 *   8 ".gif", 7 ".jpg", 0 ".bmp", 5 ".tcl", 2 ".avi", 3 ".wav", 6 ".wkn",
 *   others none). Flag 0 places it in the temporary folder, others beside
 *   the source. `out` holds `outSize` characters with the terminator.
 * Results:
 *   `out`, or null after an error (no temporary folder; a base name that is
 *   empty or has no '.'; a name that does not fit).
 */
char* MakeGzipName(int flag, const char* source, char* out, size_t outSize, uint32_t type);

/*
 * Decompress --
 *   Unpacks `source` with the gzip program into the file MakeGzipName
 *   gives, pumping `window`'s messages while gzip runs.
 * Results:
 *   0 with the unpacked name in `out`; ZM_GZIP_FAILED (out emptied, and
 *   whatever gzip wrote removed) when gzip fails or cannot be started, or
 *   when the unpacked file grows past the unpack limit (gzip is then
 *   stopped; "unpacked file too large");
 *   ZM_GZIP_NOT_FOUND when the gzip program is missing (out holds the command line, cut to the buffer). Each failure
 *   is reported as "Decompress() : <reason>".
 */
int Decompress(int flag, HWND window, const char* source, char* out, size_t outSize, uint32_t type);

// Fills zmLoadingHooks.decompress with Decompress.
void zmInstallGzip();

// The unpack limit in bytes (ZM_GZIP_DEFAULT_LIMIT at start).
void zmSetUnpackLimit(uint64_t bytes);
uint64_t zmGetUnpackLimit();

/*
 * zmRunAndWait --
 *   Starts the command line hidden in `directory` (null: the current one)
 *   and waits for it to end: every 100 ms at most one message of `window`
 *   is dispatched; after `timeoutMs` (0: never) the program is terminated.
 * Results:
 *   0 with the exit code in *exitCode; ZM_RUN_TIMED_OUT when it was
 *   terminated; the system error code (ERROR_FILE_NOT_FOUND, ...) when it
 *   could not be started.
 */
DWORD zmRunAndWait(HWND window, const char* commandLine, const char* directory, DWORD timeoutMs,
                   DWORD* exitCode);

#endif
