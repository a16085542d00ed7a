// platform/lasterror.cpp -- the thread's last error code.
#include "platform/lasterror.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }
