// engine/path.cpp -- file-name and path utilities.
#include "engine/path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

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

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The entry of the folder whose name equals `component` ignoring case, or an
// empty text when there is none.
std::string entryNoCase(const std::string& folder, const std::string& component) {
  DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
  if (!directory) return {};
  std::string found;
  while (const dirent* entry = readdir(directory)) {
    if (RwSameNameNoCase(entry->d_name, component.c_str())) {
      found = entry->d_name;
      break;
    }
  }
  closedir(directory);
  return found;
}

// Walks the name component by component, keeping each one that exists as
// written and replacing the others by a folder entry of another case.
std::string resolveNoCase(const std::string& name) {
  std::string resolved = name[0] == '/' ? "/" : "";
  size_t start = name[0] == '/' ? 1 : 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    std::string component = name.substr(start, end - start);
    if (!component.empty()) {
      std::string folder = resolved;
      std::string candidate = folder + component;
      if (!exists(candidate)) {
        std::string entry = entryNoCase(folder, component);
        if (entry.empty()) return {};
        candidate = folder + entry;
      }
      resolved = candidate;
      if (end < name.size()) resolved += '/';
    }
    start = end + 1;
  }
  return resolved;
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

std::FILE* RwOpenRegularFile(const char* path, const char* mode) {
  if (!path) return nullptr;
  // Opened without waiting, so a FIFO with no writer cannot hold us here.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  int flags = fcntl(fd, F_GETFL);
  std::FILE* file = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && flags != -1 &&
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) {
    file = fdopen(fd, mode);
  }
  if (!file) close(fd);
  return file;
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

char* RwResolveFileName(const char* name, char* out, size_t outSize) {
  if (!name || !name[0] || !out || outSize == 0) return nullptr;
  std::string path = name;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!exists(path)) path = resolveNoCase(path);
  if (path.empty() || path.size() >= outSize) return nullptr;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return out;
}
