// platform/urilist.cpp -- reading a "text/uri-list" into local paths.
//
// Bytes above the control range are taken as they come, not only those a
// URI may hold unescaped: several sources send blanks and UTF-8 raw, and
// a path is just bytes to the file system.
#include "platform/urilist.h"

#include <unistd.h>

#include <optional>

#include "platform/asciicase.h"

namespace platform {
namespace {

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The URI's scheme (before the first ':'), or nothing when the line does
// not start with one.
std::optional<std::string_view> schemeOf(std::string_view uri) {
  if (uri.empty() || !isAlpha(uri[0])) return std::nullopt;
  for (size_t i = 1; i < uri.size(); i++) {
    char c = uri[i];
    if (c == ':') return uri.substr(0, i);
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
  }
  return std::nullopt;
}

// The percent escapes decoded; nothing for a broken escape or a NUL byte.
std::optional<std::string> percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
    int low = high >= 0 ? hexValue(text[i + 2]) : -1;
    if (low < 0 || (high == 0 && low == 0)) return std::nullopt;
    decoded += char(high * 16 + low);
    i += 2;
  }
  return decoded;
}

bool isThisMachine(const std::string& host) {
  if (host.empty() || sameNameIgnoringCase(host, "localhost")) return true;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return false;
  return sameNameIgnoringCase(host, name);
}

enum class FileUri { Local, Elsewhere, Malformed };

// Reads the part after "file:" into *path.
FileUri readFileUri(std::string_view rest, std::string* path) {
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return FileUri::Malformed;
    std::optional<std::string> host = percentDecoded(rest.substr(0, slash));
    if (!host) return FileUri::Malformed;
    rest.remove_prefix(slash);
    if (!isThisMachine(*host)) return FileUri::Elsewhere;
  }
  if (rest.empty() || rest[0] != '/') return FileUri::Malformed;
  std::optional<std::string> decoded = percentDecoded(rest);
  if (!decoded || decoded->size() > kMaxUriListPath) return FileUri::Malformed;
  *path = std::move(*decoded);
  return FileUri::Local;
}

// One line's file, appended to *paths; false when the line is malformed.
bool readLine(std::string_view line, std::vector<std::string>* paths) {
  if (line.empty() || line[0] == '#') return true;
  for (char c : line)
    if (isControl(c)) return false;
  std::optional<std::string_view> scheme = schemeOf(line);
  if (!scheme) return false;
  if (!sameNameIgnoringCase(std::string(*scheme), "file")) return true;
  std::string path;
  switch (readFileUri(line.substr(scheme->size() + 1), &path)) {
    case FileUri::Malformed: return false;
    case FileUri::Elsewhere: return true;
    case FileUri::Local: break;
  }
  if (paths->size() == kMaxUriListFiles) return false;
  paths->push_back(std::move(path));
  return true;
}

}  // namespace

bool parseFileUriList(std::string_view list, std::vector<std::string>* paths) {
  paths->clear();
  if (list.size() > kMaxUriListBytes) return false;
  while (!list.empty()) {
    size_t end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!readLine(line, paths)) {
      paths->clear();
      return false;
    }
  }
  return true;
}

}  // namespace platform
