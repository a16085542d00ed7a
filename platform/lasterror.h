// platform/lasterror.h -- the system error codes and the calling thread's
// "last error", as the kernel and registry calls report failures.
//
// Owns: the ERROR_* codes the platform returns, GetLastError and
// SetLastError. It does not decide when a call fails: each area sets the
// code (or returns it, as the registry calls do) itself.
#ifndef LUMENFOLD_PLATFORM_LASTERROR_H
#define LUMENFOLD_PLATFORM_LASTERROR_H

#include "platform/wintypes.h"

#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_FORMAT 11L
#define ERROR_WRITE_FAULT 29L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_DIRECTORY 267L
#define ERROR_CANTWRITE 1013L

// The code of the last failed call on this thread (calls that succeed leave
// it as it was, except where the call's own contract says otherwise).
DWORD GetLastError();
void SetLastError(DWORD code);

#endif
