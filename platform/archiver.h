// platform/archiver.h -- the outside LHA archiver library "unlha32.dll",
// provided over liblhasa.
//
// Owns: the library's calls (check an archive, count its members, open,
// find first/next member, close, and the extract command), the table of
// open archive handles, and the registration of the library with
// platform::provideModule so that the program reaches it through
// LoadLibraryA and GetProcAddress by ordinal. It does not own what the
// program does with the extracted files.
//
// Members are the archive's files: directory and symbolic-link entries are
// neither counted, found nor extracted. A member's name is its stored path
// made safe: '\\' becomes '/', and leading '/', "." and ".." parts are
// dropped, so a member is always reported and extracted inside the target
// folder. The extract command understands "x", the switches "-c" and "-m"
// (alone or combined, they change nothing here), the archive file and the
// target folder, each optionally in double quotes.
#ifndef LUMENFOLD_PLATFORM_ARCHIVER_H
#define LUMENFOLD_PLATFORM_ARCHIVER_H

#include <cstddef>

#include "platform/wintypes.h"

#define ARCHIVER_LIBRARY_NAME "unlha32.dll"

// Ordinals of the library's calls.
enum {
  ARCHIVER_ORDINAL_COMMAND = 1,
  ARCHIVER_ORDINAL_CHECK = 11,
  ARCHIVER_ORDINAL_COUNT = 17,
  ARCHIVER_ORDINAL_OPEN = 21,
  ARCHIVER_ORDINAL_CLOSE = 22,
  ARCHIVER_ORDINAL_FIND_FIRST = 23,
  ARCHIVER_ORDINAL_FIND_NEXT = 24,
};

// Error results of the library's calls (the program turns them into texts).
#define ARCHIVER_ERROR_MAKE_DIRECTORY 0x10B
#define ARCHIVER_ERROR_CRC 0x800C
#define ARCHIVER_ERROR_FILE_OPEN 0x800D
#define ARCHIVER_ERROR_HEADER_BROKEN 0x8017
#define ARCHIVER_ERROR_NOT_ARCHIVE 0x801B
#define ARCHIVER_ERROR_ILLEGAL_COMMAND 0x801C
#define ARCHIVER_ERROR_NO_MEMORY 0x801D
#define ARCHIVER_ERROR_INVALID_HANDLE 0x8021
#define ARCHIVER_ERROR_FIND_ORDER 0x8022
#define ARCHIVER_ERROR_ARCHIVE_MISSING 0x8029
#define ARCHIVER_ERROR_NO_FILE_NAME 0x802B

#define ARCHIVER_NAME_SIZE 513

// What find first/next report about a member. Callers rely on the name
// starting at byte 26, as the library's record has it.
struct ArchiverMemberInfo {
  DWORD originalSize;
  DWORD compressedSize;
  DWORD crc;
  UINT flag;
  UINT osType;
  WORD ratio;  // per mille of the original size
  WORD date;   // MS-DOS date and time of the member
  WORD time;
  char fileName[ARCHIVER_NAME_SIZE];
  char attribute[8];
  char method[8];  // "-lh5-", ...
};
static_assert(offsetof(ArchiverMemberInfo, fileName) == 26);

typedef HANDLE HARC;

// Nonzero when `file` is an LHA archive liblhasa can read; `mode` is ignored.
BOOL ArchiverCheckArchive(LPCSTR file, int mode);
// The number of members, or -1 when the file is not a readable archive.
int ArchiverGetFileCount(LPCSTR file);
// An archive handle for find first/next, or 0 when the file is not a
// readable archive. `window` and `mode` are ignored.
HARC ArchiverOpenArchive(HWND window, LPCSTR file, DWORD mode);
// 0, or ARCHIVER_ERROR_INVALID_HANDLE.
int ArchiverCloseArchive(HARC archive);
// The first member whose name matches `pattern` ("*.*" or null: every
// member; otherwise a shell pattern): 0 with *info filled, -1 when there is
// none, or an error code.
int ArchiverFindFirst(HARC archive, LPCSTR pattern, ArchiverMemberInfo* info);
// The next matching member: 0, -1 at the end, or an error code
// (ARCHIVER_ERROR_FIND_ORDER before a find first).
int ArchiverFindNext(HARC archive, ArchiverMemberInfo* info);

/*
 * ArchiverCommand --
 *   Runs the command line "x [-switches] archive folder": extracts every
 *   member into the folder (made when missing), under its safe name.
 *   `window` is ignored; a short report is written into `output` (cut to
 *   `size` characters with its terminator, nothing when size is 0).
 * Results:
 *   0, or the first error: ARCHIVER_ERROR_ILLEGAL_COMMAND, _NO_FILE_NAME,
 *   _ARCHIVE_MISSING, _NOT_ARCHIVE, _MAKE_DIRECTORY, _FILE_OPEN or _CRC.
 */
int ArchiverCommand(HWND window, LPCSTR commandLine, LPSTR output, DWORD size);

namespace platform {

// Makes ARCHIVER_LIBRARY_NAME loadable with the calls above at their
// ordinals (and their names). Safe to call more than once.
void provideArchiver();

}  // namespace platform

#endif
