// loading/gzip.cpp -- unpacking gzip files through the outside gzip program.
#include "loading/gzip.h"

#include "loading/filetype.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/dirs.h"
#include "core/report.h"
#include "loading/filetype.h"

namespace {

const char* const kGzipProgram = "gzip.exe";
const char* const kGzipOptions = "-d -c";
// The command interpreter's own quotes belong to the formats.
const char* const kNtCommandFormat = "cmd.exe /c \"\"%s%s\" %s \"%s\" > \"%s\"\"";
const char* const kDosCommandFormat = "command.com /c \"%s%s\" %s \"%s\" > \"%s\"";

// A few bytes of gzip can stand for gigabytes; no unpacked file may grow
// past this.
uint64_t unpackLimit = ZM_GZIP_DEFAULT_LIMIT;

// The wait's result when the watched output grew past its limit.
constexpr DWORD kOutputTooLarge = 0xFFFF0001;
// How often a watched output is measured: often enough that it cannot grow
// far past the limit in between.
constexpr DWORD kWatchIntervalMs = 10;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Offset of the file name part of a path.
size_t baseNameStart(const char* path) {
  size_t start = 0;
  for (size_t i = 0; path[i] != '\0'; i++)
    if (isSeparator(path[i])) start = i + 1;
  return start;
}

const char* typeExtension(uint32_t type) {
  switch (type) {
    case 4: return ".wrl";
    case 8: return ".gif";
    case 7: return ".jpg";
    case 0: return ".bmp";
    case 5: return ".tcl";
    case 2: return ".avi";
    case 3: return ".wav";
    case 6: return ".wkn";
    default: return "";
  }
}

// Copies `text` into out; false when it does not fit.
bool copyName(char* out, size_t outSize, const char* text) {
  int length = std::snprintf(out, outSize, "%s", text);
  return length >= 0 && (size_t)length < outSize;
}

// The unpacked name's place: the user folder (the program's own folder is
// read-only here) plus the source's base name for flag 0, the source itself
// otherwise. False after its error.
bool placeName(int flag, const char* source, char* out, size_t outSize) {
  const char* base = source + baseNameStart(source);
  if (*base == '\0') {
    zmReportError("MakeGzipName: invalid filename");
    return false;
  }
  if (flag != 0) return copyName(out, outSize, source);
  char userDir[MAX_PATH];
  if (zmGetUserDirName(userDir, sizeof userDir) == 0) {
    zmReportError("MakeGzipName: zmGetModuleDirName failed");
    return false;
  }
  int length = std::snprintf(out, outSize, "%s%s", userDir, base);
  return length >= 0 && (size_t)length < outSize;
}

// The program directory with its trailing '/', read once; empty when it
// cannot be had (the gzip program is then looked for on the search path).
const char* programDirectory() {
  static char directory[MAX_PATH];
  static bool read = false;
  if (!read) {
    zmGetModuleDirName(directory, sizeof directory);
    read = true;
  }
  return directory;
}

bool usesNtInterpreter() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void reportFailure(const char* reason) { zmReportError("%s : %s", "Decompress()", reason); }

bool grownPast(const char* file, uint64_t limit) {
  struct stat status;
  return stat(file, &status) == 0 && (uint64_t)status.st_size > limit;
}

// zmRunAndWait, which also ends the program once `watched` (when given)
// holds more than `limit` bytes.
DWORD runAndWait(HWND window, const char* commandLine, const char* directory, DWORD timeoutMs, DWORD* exitCode,
                 const char* watched, uint64_t limit) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info = {};
  char line[4 * MAX_PATH];
  std::snprintf(line, sizeof line, "%s", commandLine);
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      directory, &startup, &info))
    return GetLastError();
  DWORD started = GetTickCount();
  DWORD result = 0;
  DWORD code = STILL_ACTIVE;
  do {
    if (timeoutMs != 0 && result == 0 && GetTickCount() - started >= timeoutMs) {
      TerminateProcess(info.hProcess, ZM_RUN_TIMED_OUT);
      result = ZM_RUN_TIMED_OUT;
    }
    if (watched != nullptr && result == 0 && grownPast(watched, limit)) {
      TerminateProcess(info.hProcess, ZM_RUN_TIMED_OUT);
      result = kOutputTooLarge;
    }
    // A handle that cannot be asked any more ends the wait as a failure
    // rather than spinning for ever.
    if (!GetExitCodeProcess(info.hProcess, &code)) code = (DWORD)-1;
    MSG message;
    if (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (code == STILL_ACTIVE) Sleep(watched != nullptr ? kWatchIntervalMs : 100);
  } while (code == STILL_ACTIVE);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (exitCode != nullptr) *exitCode = code;
  return result;
}

// Copies as much of `text` as the out buffer holds.
void copyCut(char* out, size_t outSize, const char* text) {
  size_t length = std::min(std::strlen(text), outSize - 1);
  std::memcpy(out, text, length);
  out[length] = '\0';
}

}  // namespace

char* MakeGzipName(int flag, const char* source, char* out, size_t outSize, uint32_t type) {
  if (source == nullptr || out == nullptr || outSize == 0) return nullptr;
  if (!placeName(flag, source, out, outSize)) {
    out[0] = '\0';
    return nullptr;
  }
  // Only the base name is searched: a '.', '~' or '_' in a folder name
  // must not rename the folder.
  size_t base = baseNameStart(out);
  char* extension = std::strrchr(out + base, '.');
  if (extension == nullptr) {
    zmReportError("MakeGzipName: invalid filename");
    out[0] = '\0';
    return nullptr;
  }
  *extension = '\0';
  for (char* p = extension; p > out + base;) {
    p--;
    if (*p == '.' || *p == '~' || *p == '_') {
      *p = '.';
      return out;
    }
  }
  size_t length = std::strlen(out);
  const char* typeName = typeExtension(type);
  if (length + std::strlen(typeName) >= outSize) {
    out[0] = '\0';
    return nullptr;
  }
  std::memcpy(out + length, typeName, std::strlen(typeName) + 1);
  return out;
}

int Decompress(int flag, HWND window, const char* source, char* out, size_t outSize, uint32_t type) {
  if (source == nullptr || out == nullptr || outSize == 0) return ZM_GZIP_FAILED;
  if (MakeGzipName(flag, source, out, outSize, type) == nullptr) return ZM_GZIP_FAILED;
  // A quote in a name would end the interpreter's quoted word early and
  // let the rest of the name redirect the output elsewhere.
  if (std::strchr(source, '"') != nullptr || std::strchr(out, '"') != nullptr) {
    out[0] = '\0';
    reportFailure("invalid filename");
    return ZM_GZIP_FAILED;
  }
  char commandLine[4 * MAX_PATH];
  int length = std::snprintf(commandLine, sizeof commandLine,
                             usesNtInterpreter() ? kNtCommandFormat : kDosCommandFormat,
                             programDirectory(), kGzipProgram, kGzipOptions, source, out);
  if (length < 0 || (size_t)length >= sizeof commandLine) {
    out[0] = '\0';
    reportFailure("unknown failure");
    return ZM_GZIP_FAILED;
  }
  DWORD exitCode = 0;
  DWORD result = runAndWait(window, commandLine, nullptr, 0, &exitCode, out, unpackLimit);
  // The last bytes may have come after the last measure.
  if (result == 0 && exitCode == 0 && grownPast(out, unpackLimit)) result = kOutputTooLarge;
  if (result == 0 && exitCode == 0) return 0;
  if (result == kOutputTooLarge) {
    std::remove(out);
    out[0] = '\0';
    reportFailure("unpacked file too large");
    return ZM_GZIP_FAILED;
  }
  if (result == 0) {
    // What gzip wrote before it failed is not the file; nothing may take it
    // for the unpacked world later.
    std::remove(out);
    out[0] = '\0';
    reportFailure("gzip failure");
    return ZM_GZIP_FAILED;
  }
  if (result == ERROR_FILE_NOT_FOUND) {
    copyCut(out, outSize, commandLine);
    reportFailure("gzip not found");
    return ZM_GZIP_NOT_FOUND;
  }
  out[0] = '\0';
  reportFailure("unknown failure");
  return ZM_GZIP_FAILED;
}


void zmSetUnpackLimit(uint64_t bytes) { unpackLimit = bytes; }
uint64_t zmGetUnpackLimit() { return unpackLimit; }

DWORD zmRunAndWait(HWND window, const char* commandLine, const char* directory, DWORD timeoutMs,
                   DWORD* exitCode) {
  return runAndWait(window, commandLine, directory, timeoutMs, exitCode, nullptr, 0);
}
