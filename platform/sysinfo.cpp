// platform/sysinfo.cpp -- version, user name and folders from the process
// environment.
#include "platform/sysinfo.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/lasterror.h"

namespace {

constexpr DWORD kMajorVersion = 4;
constexpr DWORD kMinorVersion = 0;
constexpr DWORD kBuildNumber = 1381;

std::string environmentOr(const char* name, const std::string& fallback) {
  const char* value = getenv(name);
  return value != nullptr && value[0] != '\0' ? std::string(value) : fallback;
}

std::string loginName() {
  std::string name = environmentOr("USER", environmentOr("LOGNAME", ""));
  if (!name.empty()) return name;
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr && entry->pw_name != nullptr ? std::string(entry->pw_name) : std::string();
}

std::string withoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// Copies `text` when it fits in `size` bytes with its terminator. Returns
// the length written, or the size needed when it does not fit.
DWORD copyFolderName(const std::string& text, LPSTR buffer, DWORD size) {
  if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->dwMajorVersion = kMajorVersion;
  info->dwMinorVersion = kMinorVersion;
  info->dwBuildNumber = kBuildNumber;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

DWORD GetVersion() { return kMajorVersion | (kMinorVersion << 8) | (kBuildNumber << 16); }

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
  if (buffer == nullptr || size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string name = loginName();
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (*size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  memcpy(buffer, name.c_str(), needed);
  *size = needed;
  return TRUE;
}

DWORD WNetGetUserA(LPCSTR, LPSTR buffer, LPDWORD size) {
  if (GetUserNameA(buffer, size)) return NO_ERROR;
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ERROR_MORE_DATA : GetLastError();
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string folder =
      withoutTrailingSlash(environmentOr("TEMP", environmentOr("TMPDIR", "/tmp")));
  return copyFolderName(folder == "/" ? folder : folder + "/", buffer, size);
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return copyFolderName(withoutTrailingSlash(environmentOr("TMPDIR", "/tmp")), buffer, size);
}
