// engine/path.cpp -- file-name and path utilities.
#include "engine/path.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool hasDrivePrefix(const char* path) { return isAsciiLetter(path[0]) && path[1] == ':'; }

// Formats into out; null (and an empty out) when the text did not fit.
template <typename... Args>
char* boundedFormat(char* out, size_t outSize, const char* format, Args... args) {
  if (!out || outSize == 0) return nullptr;
  int length = std::snprintf(out, outSize, format, args...);
  if (length < 0 || static_cast<size_t>(length) >= outSize) {
    out[0] = '\0';
    return nullptr;
  }
  return out;
}

}  // namespace

int RwTestFile(const char* path, int mode) {
  if (!path) return 1;
  switch (mode) {
    case rwFileExists:
      return access(path, F_OK) == 0 ? 0 : 1;
    case rwFileWritable:
      return access(path, F_OK) == 0 && access(path, W_OK) == 0 ? 0 : 1;
    default:
      return 1;
  }
}

int RwIsAbsolutePath(const char* path) {
  if (!path) return 0;
  return isSeparator(path[0]) || hasDrivePrefix(path) ? 1 : 0;
}

char* RwJoinPath(char* out, size_t outSize, const char* directory, const char* name) {
  return boundedFormat(out, outSize, "%s%c%s", directory, rwPathSeparator, name);
}

char* RwAddExtension(const char* path, const char* extension, char* out, size_t outSize) {
  if (extension[0] != '\0' && std::strchr(path, extension[0])) return nullptr;
  return boundedFormat(out, outSize, "%s%s", path, extension);
}

char* RwBaseName(const char* path, char* out, size_t outSize) {
  const char* name = path;
  for (const char* c = path; *c; ++c) {
    if (isSeparator(*c)) name = c + 1;
  }
  if (name == path && hasDrivePrefix(path)) name = path + 2;
  size_t length = std::strcspn(name, ".");
  if (outSize == 0) return out;
  if (length >= outSize) length = outSize - 1;
  std::memcpy(out, name, length);
  out[length] = '\0';
  return out + length;
}

int RwSameNameNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (lowerAscii(*a) != lowerAscii(*b)) return 0;
  }
  return *a == *b ? 1 : 0;
}
