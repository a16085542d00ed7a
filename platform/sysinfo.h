// platform/sysinfo.h -- what the program asks about the system it runs on:
// the version, the user's name and the temporary and system folders.
//
// Owns: GetVersionExA, GetVersion, GetUserNameA, WNetGetUserA, GetTempPathA
// and GetWindowsDirectoryA. It does not own the executable's path
// (winbase.h) nor the registry's file (registry.h).
//
// The platform reports itself as Windows NT 4.0, so callers that choose a
// command interpreter by platform take "cmd.exe" (which process.h runs).
// Folders come from the environment: the temporary folder is $TEMP, else
// $TMPDIR, else /tmp; the "Windows directory" is $TMPDIR, else /tmp, so that
// a caller that falls back from TEMP to it still lands in a writable folder.
#ifndef LUMENFOLD_PLATFORM_SYSINFO_H
#define LUMENFOLD_PLATFORM_SYSINFO_H

#include "platform/wintypes.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;  // set by the caller to sizeof(OSVERSIONINFOA)
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;
typedef OSVERSIONINFOA OSVERSIONINFO;
#define GetVersionEx GetVersionExA

// Fills *info; FALSE with ERROR_INVALID_PARAMETER (nothing written) when
// info is null or its size field is smaller than the record.
BOOL GetVersionExA(LPOSVERSIONINFOA info);

// Major version in the low byte, minor in the next, the build number in the
// high word with its top bit clear (the NT family).
DWORD GetVersion();

/*
 * GetUserNameA --
 *   The login name: $USER, else $LOGNAME, else the password entry of the
 *   effective user.
 * Results:
 *   TRUE with *size = characters written including the terminator. FALSE
 *   when buffer or size is null (ERROR_INVALID_PARAMETER) or the name does
 *   not fit (ERROR_INSUFFICIENT_BUFFER, *size = the size needed).
 */
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);
#define GetUserName GetUserNameA

/*
 * WNetGetUserA --
 *   The network user name for `name` (null: the local user), which here is
 *   the login name of GetUserNameA.
 * Results:
 *   NO_ERROR; ERROR_MORE_DATA with *size = the size needed (terminator
 *   included) when it does not fit; ERROR_INVALID_PARAMETER for a null
 *   buffer or size.
 */
DWORD WNetGetUserA(LPCSTR name, LPSTR buffer, LPDWORD size);

/*
 * GetTempPathA, GetWindowsDirectoryA --
 *   The folder with a trailing '/' (temporary path) or without one (system
 *   folder), as described above.
 * Results:
 *   The length written without the terminator; when it does not fit, the
 *   size needed including the terminator and nothing is written. 0 with
 *   ERROR_INVALID_PARAMETER for a null buffer of non-zero size.
 */
DWORD GetTempPathA(DWORD size, LPSTR buffer);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);

#endif
