// core/dirs.cpp -- folders, temporary names and the time stamp, over the
// Linux file and clock interfaces.
#include "core/dirs.h"

#include <sys/stat.h>
#include <unistd.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/apphandles.h"
#include "core/programplace.h"
#include "core/report.h"
#include "platform/winbase.h"

static const char programTempFolder[] = "LumenfoldLib";
static const char tempNamePrefix[] = "qx";
static const size_t tempNameLength = 8;  // "qx", a letter, five digits

int zmGetModuleFileName(char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  DWORD fit = size > UINT32_MAX ? UINT32_MAX : static_cast<DWORD>(size);
  DWORD length = GetModuleFileNameA(zmGetHinstance(), buffer, fit);
  // A path cut to fit the buffer names some other file: refuse it.
  if (length == 0 || length >= fit) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<int>(length);
}

int zmGetModuleDirName(char* buffer, size_t size) {
  int length = zmGetModuleFileName(buffer, size);
  for (int at = length; at >= 1; --at) {
    if (buffer[at] == '/') {
      buffer[at + 1] = '\0';
      return at + 1;
    }
  }
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  return 0;
}

int zmGetDataDirName(char* buffer, size_t size) {
  char program[MAX_PATH];
  int length = zmGetModuleDirName(program, sizeof program);
  if (length == 0) return 0;
  std::string folder(program, size_t(length));
  if (access((folder + "zminit.tcl").c_str(), R_OK) != 0) {
    // "<prefix>/bin/": the data lie in "<prefix>/share/lumenfold/".
    size_t parent = folder.rfind('/', folder.size() - 2);
    folder = (parent == std::string::npos ? std::string("/") : folder.substr(0, parent + 1)) + "share/lumenfold/";
  }
  if (buffer == nullptr || folder.size() >= size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  memcpy(buffer, folder.c_str(), folder.size() + 1);
  return int(folder.size());
}

// The value of an environment variable, null when unset or empty.
static const char* environmentValue(const char* name) {
  const char* value = getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

int zmGetTempBaseDir(char* buffer, size_t size) {
  const char* base = environmentValue("TEMP");
  if (base == nullptr) base = environmentValue("TMPDIR");
  const bool named = base != nullptr;
  if (!named) base = "/tmp";
  size_t length = strlen(base);
  if (buffer == nullptr || length >= size) return 0;
  memcpy(buffer, base, length + 1);
  return named ? 1 : static_cast<int>(length);
}

// Computes the program's temporary folder path into tempDir; false when
// there is no base folder or the path would not fit.
static bool computeTempDir(char (&tempDir)[MAX_PATH]) {
  char base[MAX_PATH];
  if (zmGetTempBaseDir(base, sizeof base) == 0) return false;
  size_t length = strlen(base);
  while (length > 1 && base[length - 1] == '/') base[--length] = '\0';
  const char* separator = (length == 1 && base[0] == '/') ? "" : "/";
  int wanted = snprintf(tempDir, sizeof tempDir, "%s%s%s", base, separator, programTempFolder);
  if (wanted < 0 || static_cast<size_t>(wanted) >= sizeof tempDir) {
    tempDir[0] = '\0';
    return false;
  }
  return true;
}

static bool isDirectory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

const char* zmGetTempDir() {
  char (&tempDir)[MAX_PATH] = programPlace().tempDir;
  if (tempDir[0] == '\0' && !computeTempDir(tempDir)) {
    zmReportError("can not get temp directory");
    return nullptr;
  }
  if (isDirectory(tempDir) || mkdir(tempDir, 0777) == 0) return tempDir;
  zmReportError("can not make temp directory");
  return nullptr;
}

static bool nameIsFree(const char* path) {
  struct stat info;
  return lstat(path, &info) != 0 && errno == ENOENT;
}

char* zmMakeTempFileName(char* buffer, size_t size) {
  const char* folder = zmGetTempDir();
  if (folder == nullptr || buffer == nullptr) return nullptr;
  if (strlen(folder) + 1 + tempNameLength + 1 > size) return nullptr;
  unsigned digits = GetCurrentProcessId() % 100000u;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    snprintf(buffer, size, "%s/%s%c%05u", folder, tempNamePrefix, letter, digits);
    if (nameIsFree(buffer)) return buffer;
  }
  zmReportError("can not make tmp file");
  return nullptr;
}

int zmCreateEmptyFile(const char* path) {
  if (path == nullptr) return -1;
  FILE* file = fopen(path, "w");
  if (file == nullptr) return -1;
  fclose(file);
  return 0;
}

bool zmIsNotRegularFile(const char* path) {
  struct stat status;
  return path != nullptr && stat(path, &status) == 0 && !S_ISREG(status.st_mode);
}

intptr_t zmGetTimeStamp(ZmTimeStamp* stamp) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  intptr_t msec = now.tv_nsec / 1000000;
  if (stamp != nullptr) {
    stamp->sec = now.tv_sec;
    stamp->msec = msec;
  }
  return msec;
}

void zmForgetTempDirForTest() { programPlace().tempDir[0] = '\0'; }
