// loading/gzip.h -- unpacking gzip files.
//
// Owns: the unpacked file's name, the unpacking itself (in this process,
// with zlib, streaming and bounded by the unpack limit) and the keeping of
// the main window's messages flowing while it works. It does not own the
// decision to unpack (zmPreProcessFile).
//
// The unpacking runs inside the program rather than in an outside gzip
// process: a child process would outlive a program killed mid-unpack and
// go on filling the user folder, and its output could only be bounded by
// watching the file grow.
//
// Unpacked files with placement flag 0 go into the user folder (the
// program directory is read-only); with any other flag beside the source.
#ifndef LUMENFOLD_LOADING_GZIP_H
#define LUMENFOLD_LOADING_GZIP_H

#include <cstddef>
#include <cstdint>

#include "platform/windows.h"

// The size of out buffer the callers use; nothing is ever written past the
// size a caller gives.
#define ZM_GZIP_NAME_SIZE MAX_PATH

// Result of a failed Decompress.
#define ZM_GZIP_FAILED (-1)

// The largest unpacked file, in bytes, unless the program sets another.
#define ZM_GZIP_DEFAULT_LIMIT (256ull << 20)

/*
 * MakeGzipName --
 *   The unpacked file's name for `source` (which ends in ".gz", "_gz" or
 *   the like): its extension cut off, then the last '.', '~' or '_' of the
 *   base name turned into '.' (a.wrl.gz, a_wrl.gz and a~wrl.gz give a.wrl);
 *   a base name without one gets the extension of the type code (4 ".wrl",
 *   8 ".gif", 7 ".jpg", 0 ".bmp", 5 ".tcl", 2 ".avi", 3 ".wav", 6 ".wkn",
 *   others none). Flag 0 places it in the user folder, others beside the
 *   source. `out` holds `outSize` characters with the terminator.
 * Results:
 *   `out`, or null after an error (no user folder; a base name that is
 *   empty or has no '.'; a name that does not fit).
 */
char* MakeGzipName(int flag, const char* source, char* out, size_t outSize, uint32_t type);

/*
 * Decompress --
 *   Unpacks `source` (one or more gzip members) into the file MakeGzipName
 *   gives, dispatching at most one of `window`'s messages every 100 ms
 *   while it works.
 * Results:
 *   0 with the unpacked name in `out`; ZM_GZIP_FAILED with `out` emptied
 *   and whatever was written removed otherwise. A file that is not gzip,
 *   is cut short or cannot be read or written is an error ("Decompress() :
 *   gzip failure", through the error reporter); one that unpacks past the
 *   unpack limit is refused with a message ("Decompress() : <source>:
 *   unpacked file too large") and the program goes on.
 */
int Decompress(int flag, HWND window, const char* source, char* out, size_t outSize, uint32_t type);

// The unpack limit in bytes (ZM_GZIP_DEFAULT_LIMIT at start).
void zmSetUnpackLimit(uint64_t bytes);
uint64_t zmGetUnpackLimit();

#endif
