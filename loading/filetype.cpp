// loading/filetype.cpp -- type codes, URLs and post-processing; see
// filetype.h.
#include "loading/filetype.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/apphandles.h"
#include "core/report.h"
#include "core/strings.h"
#include "loading/gif.h"
#include "loading/gzip.h"
#include "loading/jpeg.h"
#include "loading/madecopies.h"

namespace {

// One row per type code: the extensions that name it, its MIME text and the
// extension that output naming writes.
struct FileTypeRow {
  uint32_t type;
  const char* extensions[3];
  const char* mime;
  const char* outputExtension;
};

// In the order names are matched (gif before jpeg, as MIME texts are).
const FileTypeRow fileTypes[] = {
    {ZM_FILE_BMP, {"bmp"}, "image/x-MS-bmp", ".bmp"},
    {ZM_FILE_RAS, {"ras"}, "image/x-cmu-raster", nullptr},
    {ZM_FILE_AVI, {"avi"}, "video/x-msvideo", ".avi"},
    {ZM_FILE_WAV, {"wav"}, "audio/x-wav", ".wav"},
    {ZM_FILE_WRL, {"wrl"}, "x-world/x-vrml", ".wrl"},
    {ZM_FILE_TCL, {"tcl"}, "application/x-tcl", ".tcl"},
    {ZM_FILE_WKN, {"wkn"}, "application/x-kinemation", ".wkn"},
    {ZM_FILE_GIF, {"gif"}, "image/gif", ".gif"},
    {ZM_FILE_JPEG, {"jpeg", "jpe", "jpg"}, "image/jpeg", ".jpg"},
    {ZM_FILE_GZ, {"gz"}, "application/x-compressed", nullptr},
    {ZM_FILE_LZH, {"lzh"}, "application/x-lha", nullptr},
};

const FileTypeRow* rowOfType(uint32_t type) {
  for (const FileTypeRow& row : fileTypes)
    if (row.type == type) return &row;
  return nullptr;
}

// The last '.' of `name` at index `from` or later, searching backwards from
// the end (or from `before` when given); null when there is none.
const char* lastDot(const char* name, size_t from, const char* before = nullptr) {
  const char* end = before ? before : name + strlen(name);
  for (const char* p = end; p > name + from;) {
    if (*--p == '.') return p;
  }
  return nullptr;
}

// Copies `text` into `out` when it fits; false otherwise.
bool copyName(char* out, size_t size, const char* text) {
  size_t length = strlen(text);
  if (length >= size) return false;
  if (out != text) memmove(out, text, length + 1);
  return true;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c; }

// The first n characters of `text` spell `word` (n letters), ignoring case.
bool startsWithWord(const char* text, const char* word, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (asciiLower(text[i]) != word[i]) return false;
  return true;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int hexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// The name of the file within a path: the text after its last '/' or '\'.
const char* baseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

// Makes every folder of `path` (which ends in '/'); false when one cannot be
// made.
bool makeFolders(char* path) {
  for (char* p = path + 1; *p; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    bool made = mkdir(path, 0755) == 0 || errno == EEXIST;
    *p = '/';
    if (!made) return false;
  }
  return true;
}

void failAnchor(const char* base, const char* url) {
  zmReportWarning("zmDdeParseAnchor: absolute : %s, relative : %s\n", base, url);
}

// "/x" against the base: the base up to its third '/' (the end of scheme and
// host), then the URL.
const char* resolveFromRoot(char* result, const char* base, const char* url) {
  int slashes = 0;
  for (size_t i = 0; base[i]; ++i) {
    if (base[i] != '/' || ++slashes < 3) continue;
    if (i + strlen(url) >= ZM_URL_BUFFER_SIZE) break;
    memcpy(result, base, i);
    strcpy(result + i, url);
    return result;
  }
  failAnchor(base, url);
  return nullptr;
}

// Any other relative URL: one folder of the base up per leading "../".
const char* resolveFromFolder(char* result, const char* base, const char* url) {
  int levels = 0;
  for (size_t i = 0; url[i] == '.';) {
    if (url[i + 1] == '.' && url[i + 2] == '/') {
      ++levels;
      i += 3;
    } else {
      ++i;
    }
  }
  const char* rest = url;
  for (size_t i = strlen(base); i > 0; --i) {
    if (base[i - 1] != '/') continue;
    if (levels > 0) {
      --levels;
      rest += 3;
      continue;
    }
    if (i + strlen(rest) >= ZM_URL_BUFFER_SIZE) break;
    memcpy(result, base, i);
    strcpy(result + i, rest);
    return result;
  }
  failAnchor(base, url);
  return nullptr;
}

// Name of an unpacked or converted file for placement ZM_PLACE_LOCAL: the
// source's base name in the user folder.
bool placeInUserFolder(const char* source, char* out, size_t outSize) {
  char folder[ZM_NAME_BUFFER_SIZE];
  if (zmGetUserDirName(folder, sizeof folder) == 0) {
    zmReportError("zmMakeFilenameFromMime: zmGetModuleDirName failed");
    return false;
  }
  const char* base = baseName(source);
  if (*base == '\0') {
    zmReportError("zmMakeFilenameFromMime: invalid filename");
    return false;
  }
  return (size_t)snprintf(out, outSize, "%s%s", folder, base) < outSize;
}

}  // namespace

uint32_t zmGetFileType(const char* name) {
  if (name == nullptr) return ZM_FILE_UNKNOWN;
  const char* dot = lastDot(name, 1);
  if (dot == nullptr) return ZM_FILE_UNKNOWN;
  for (const FileTypeRow& row : fileTypes) {
    for (const char* extension : row.extensions)
      if (extension != nullptr && zmStrCaseEq(dot + 1, extension)) return row.type;
  }
  return ZM_FILE_UNKNOWN;
}

uint32_t zmGetGzInnerFileType(const char* name) {
  if (name == nullptr) return ZM_FILE_UNKNOWN;
  const char* last = lastDot(name, 1);
  const char* inner = last ? lastDot(name, 1, last) : nullptr;
  if (inner == nullptr) return ZM_FILE_UNKNOWN;
  for (const FileTypeRow& row : fileTypes) {
    if (row.type == ZM_FILE_LZH) continue;
    for (const char* extension : row.extensions) {
      if (extension == nullptr) continue;
      size_t length = strlen(extension);
      if (strncmp(inner + 1, extension, length) == 0 && inner[1 + length] == '.') return row.type;
    }
  }
  return ZM_FILE_UNKNOWN;
}

const char* zmGetMimeTextOfFile(const char* name) {
  const FileTypeRow* row = rowOfType(zmGetFileType(name));
  return row ? row->mime : nullptr;
}

uint32_t zmGetFileTypeOfMime(const char* mime) {
  if (mime == nullptr) return ZM_FILE_UNKNOWN;
  for (const FileTypeRow& row : fileTypes)
    if (strcmp(mime, row.mime) == 0) return row.type;
  return ZM_FILE_UNKNOWN;
}

int zmGetUrlScheme(const char* url) {
  const char* colon = url ? strchr(url, ':') : nullptr;
  if (colon == nullptr) return ZM_SCHEME_NONE;
  size_t length = (size_t)(colon - url);
  if (length == 4 && startsWithWord(url, "file", 4)) return ZM_SCHEME_FILE;
  if (length == 4 && startsWithWord(url, "http", 4)) return ZM_SCHEME_HTTP;
  return ZM_SCHEME_OTHER;
}

const char* zmDdeParseAnchor(const char* base, const char* url) {
  static char result[ZM_URL_BUFFER_SIZE];
  if (url == nullptr || base == nullptr) {
    failAnchor(base ? base : "(null)", url ? url : "(null)");
    return nullptr;
  }
  if (zmGetUrlScheme(url) != ZM_SCHEME_NONE) return url;
  if (strlen(base) >= ZM_URL_BUFFER_SIZE) {
    failAnchor(base, url);
    return nullptr;
  }
  return url[0] == '/' ? resolveFromRoot(result, base, url) : resolveFromFolder(result, base, url);
}

const char* zmFileUrlToPath(const char* url) {
  static char path[ZM_URL_BUFFER_SIZE];
  if (zmGetUrlScheme(url) != ZM_SCHEME_FILE) return nullptr;
  const char* rest = url + 5;
  if (strncmp(rest, "//", 2) == 0) rest += 2;
  // "/X|/dir" names a drive of another system: the path is "/dir".
  if (rest[0] == '/' && isAsciiLetter(rest[1]) && rest[2] == '|') rest += 3;
  while (rest[0] == '/' && (rest[1] == '/' || rest[1] == '\\')) ++rest;
  size_t length = 0;
  for (const char* p = rest; *p; ++p) {
    if (length + 1 >= sizeof path) return nullptr;
    char c = *p;
    if (c == '%' && isHexDigit(p[1]) && isHexDigit(p[2])) {
      c = (char)(hexValue(p[1]) * 16 + hexValue(p[2]));
      p += 2;
    }
    path[length++] = c == '\\' ? '/' : c;
  }
  path[length] = '\0';
  zmResolveLocalName(path);
  return path;
}

const char* zmMakeFileUrl(const char* path) {
  static char url[ZM_URL_BUFFER_SIZE];
  if (path == nullptr) return nullptr;
  size_t length = (size_t)snprintf(url, sizeof url, "file://%s", path[0] == '/' || path[0] == '\\' ? "" : "/");
  for (const char* p = path; *p; ++p) {
    const char* replacement = *p == '%' ? "%25" : *p == '\\' ? "/" : nullptr;
    size_t replacementLength = replacement ? strlen(replacement) : 1;
    if (length + replacementLength >= sizeof url) return nullptr;
    if (replacement) {
      memcpy(url + length, replacement, replacementLength);
    } else {
      url[length] = *p;
    }
    length += replacementLength;
  }
  url[length] = '\0';
  return url;
}

int zmResolveLocalName(char* path) {
  for (char* p = path; *p; ++p)
    if (*p == '\\') *p = '/';
  struct stat info;
  if (stat(path, &info) == 0) return 1;
  char* component = path[0] == '/' ? path + 1 : path;
  while (*component) {
    char* end = strchr(component, '/');
    char saved = end ? *end : '\0';
    if (end) *end = '\0';
    bool found = stat(path, &info) == 0;
    if (!found) {
      // Look the component up in its folder, ignoring case.
      bool nested = component > path + 1;  // the folder is the path up to the '/' before it
      const char* folder = component == path ? "." : nested ? path : "/";
      if (nested) component[-1] = '\0';
      DIR* dir = opendir(folder);
      if (nested) component[-1] = '/';
      for (struct dirent* item; dir && !found && (item = readdir(dir)) != nullptr;) {
        if (!zmStrCaseEq(item->d_name, component)) continue;
        memcpy(component, item->d_name, strlen(component));
        found = true;
      }
      if (dir) closedir(dir);
    }
    if (end) *end = saved;
    if (!found) return 0;
    if (!end) break;
    component = end + 1;
  }
  return 1;
}

int zmGetUserDirName(char* buffer, size_t size) {
  const char* home = getenv("LUMENFOLD_HOME");
  const char* data = getenv("XDG_DATA_HOME");
  const char* user = getenv("HOME");
  int length;
  if (home && *home) {
    length = snprintf(buffer, size, "%s/", home);
  } else if (data && *data) {
    length = snprintf(buffer, size, "%s/lumenfold/", data);
  } else if (user && *user) {
    length = snprintf(buffer, size, "%s/.local/share/lumenfold/", user);
  } else {
    length = -1;
  }
  if (length < 0 || (size_t)length >= size || !makeFolders(buffer)) {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  return length;
}

char* zmMakeFilenameFromMime(int placement, const char* source, char* out, size_t outSize, uint32_t type) {
  if (source == nullptr || out == nullptr) return nullptr;
  if (placement == ZM_PLACE_LOCAL) {
    if (!placeInUserFolder(source, out, outSize)) return nullptr;
  } else if (!copyName(out, outSize, source)) {
    return nullptr;
  }
  // Only the file's own name loses its extension, never a folder's.
  char* base = const_cast<char*>(baseName(out));
  char* dot = const_cast<char*>(lastDot(base, 1));
  if (dot) *dot = '\0';
  const FileTypeRow* row = rowOfType(type);
  const char* extension = row && row->outputExtension ? row->outputExtension : "";
  if (strlen(out) + strlen(extension) >= outSize) return nullptr;
  strcat(out, extension);
  return out;
}

int zmConvertImage(int placement, const char* source, char* out, size_t outSize, uint32_t type) {
  if (type != ZM_FILE_GIF && type != ZM_FILE_JPEG) return -1;
  if (zmMakeFilenameFromMime(placement, source, out, outSize, ZM_FILE_BMP) == nullptr) return -1;
  int result = type == ZM_FILE_GIF ? zmGif2Bmp(source, out, nullptr)
                                   : zmJpg2Bmp(source, out, 0, &zmJpgImageConversionOption);
  if (placement == ZM_PLACE_FETCHED) remove(source);
  if (result != 0) {
    remove(out);
    return -1;
  }
  zmRecordMadeCopy(out);
  return 0;
}

int zmPreProcessFile(int placement, const char* source, char* out, size_t outSize, uint32_t type) {
  if (source == nullptr || out == nullptr) return -1;
  uint32_t sourceType = zmGetFileType(source);
  if (sourceType == ZM_FILE_GIF || sourceType == ZM_FILE_JPEG)
    return zmConvertImage(placement, source, out, outSize, sourceType);
  if (sourceType != ZM_FILE_GZ) return copyName(out, outSize, source) ? 0 : -1;

  char unpacked[ZM_URL_BUFFER_SIZE] = "";
  int result = Decompress(placement, zmGetMainHwnd(), source, unpacked, sizeof unpacked, type);
  if (placement == ZM_PLACE_FETCHED) remove(source);
  if (result != 0) return -1;
  zmRecordMadeCopy(unpacked);
  size_t length = strlen(unpacked);
  if (length >= ZM_NAME_BUFFER_SIZE) {
    zmReportMessage("%s: convertedLength=%u: buffer 256 size is overflow.", "zmPreProcessFile", (unsigned)length);
    return -1;
  }
  char copy[ZM_NAME_BUFFER_SIZE];
  memcpy(copy, unpacked, length + 1);
  uint32_t unpackedType = zmGetFileType(copy);
  if (unpackedType == ZM_FILE_GIF || unpackedType == ZM_FILE_JPEG)
    return zmConvertImage(placement, copy, out, outSize, unpackedType);
  return copyName(out, outSize, copy) ? 0 : -1;
}
