// platform/winbase.cpp -- executable path, debugger output, process id and the
// bounded formatter, over the Linux process interfaces.
#include "platform/winbase.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/recorder.h"

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return 0;
  if (static_cast<DWORD>(length) >= size) {
    memcpy(buffer, path, size - 1);
    buffer[size - 1] = '\0';
    return size;
  }
  memcpy(buffer, path, length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

void OutputDebugStringA(LPCSTR text) {
  if (text == nullptr) return;
  fputs(text, stderr);
  platform::recordEvent("DebugOutput", text);
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

int wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
  int wanted = vsnprintf(buffer, WSPRINTF_LIMIT, format, args);
  if (wanted < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return wanted < WSPRINTF_LIMIT ? wanted : WSPRINTF_LIMIT - 1;
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int stored = wvsprintfA(buffer, format, args);
  va_end(args);
  return stored;
}
