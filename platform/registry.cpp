// platform/registry.cpp -- the registry over its text file: parsing and
// writing the file, key handles and the value calls.
#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/asciicase.h"
#include "platform/handletable.h"

namespace {

struct RegistryValue {
  std::string name;
  DWORD type;
  std::string data;  // the exact bytes stored
};

struct RegistryKey {
  std::string path;  // "HKEY_CURRENT_USER\Software\..." in its creation case
  std::vector<RegistryValue> values;
};

// The whole file, keys in file order.
struct Hive {
  std::vector<RegistryKey> keys;
};

// Opened keys: handle number -> key path. Handles count up from here, far
// below the predefined roots.
platform::HandleTable<HKEY, std::string> openKeys{0x1000};

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                  "HKEY_USERS"};

// --- names -----------------------------------------------------------------

using platform::asciiLower;
using platform::sameNameIgnoringCase;

std::optional<std::string> keyPath(HKEY key) {
  const uintptr_t number = reinterpret_cast<uintptr_t>(key);
  if (number >= 0x80000000u && number <= 0x80000003u) return kRootNames[number - 0x80000000u];
  const std::string* path = openKeys.find(key);
  if (path == nullptr) return std::nullopt;
  return *path;
}

// `base` followed by the components of `subKey`; empty components (doubled
// or trailing backslashes) are dropped.
std::string joinKeyPath(const std::string& base, LPCSTR subKey) {
  std::string path = base;
  std::string component;
  for (const char* c = subKey != nullptr ? subKey : "";; ++c) {
    if (*c == '\\' || *c == '\0') {
      if (!component.empty()) path += "\\" + component;
      component.clear();
      if (*c == '\0') break;
    } else {
      component += *c;
    }
  }
  return path;
}

std::string valueName(LPCSTR name) { return name != nullptr ? std::string(name) : std::string(); }

// --- the file's text -------------------------------------------------------

const char kHexDigits[] = "0123456789abcdef";

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string hexByte(unsigned char c) { return {kHexDigits[c >> 4], kHexDigits[c & 15]}; }

std::string encodeKeyPath(const std::string& path) {
  std::string out;
  for (unsigned char c : path) out += (isControl(c) || c == '%') ? "%" + hexByte(c) : std::string(1, static_cast<char>(c));
  return out;
}

std::string decodeKeyPath(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string quoteText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += isControl(c) ? "\\x" + hexByte(c) : std::string(1, static_cast<char>(c));
    }
  }
  return out + "\"";
}

// Reads a quoted text starting at text[*at] == '"'; leaves *at after the
// closing quote. nullopt when the quotes do not close.
std::optional<std::string> unquoteText(const std::string& text, size_t* at) {
  if (*at >= text.size() || text[*at] != '"') return std::nullopt;
  std::string out;
  for (size_t i = *at + 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      *at = i + 1;
      return out;
    }
    if (c != '\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    char escaped = text[++i];
    if (escaped == 'n') out += '\n';
    else if (escaped == 'r') out += '\r';
    else if (escaped == 't') out += '\t';
    else if (escaped == 'x' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += escaped;
    }
  }
  return std::nullopt;
}

bool isPlainText(const RegistryValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return false;
  return !value.data.empty() && value.data.find('\0') == value.data.size() - 1;
}

std::string formatValue(const RegistryValue& value) {
  std::string line = quoteText(value.name) + "=";
  if (value.type == REG_SZ && isPlainText(value))
    return line + "sz:" + quoteText(value.data.substr(0, value.data.size() - 1));
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD number;
    memcpy(&number, value.data.data(), 4);
    return line + "dword:" + std::to_string(number);
  }
  line += "hex(" + std::to_string(value.type) + "):";
  for (size_t i = 0; i < value.data.size(); ++i)
    line += (i > 0 ? " " : "") + hexByte(static_cast<unsigned char>(value.data[i]));
  return line;
}

std::optional<DWORD> parseDecimal(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  if (number > 0xffffffffu) return std::nullopt;
  return static_cast<DWORD>(number);
}

std::optional<std::string> parseHexBytes(const std::string& text) {
  std::string bytes;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    if (word.size() != 2 || hexValue(word[0]) < 0 || hexValue(word[1]) < 0) return std::nullopt;
    bytes += static_cast<char>(hexValue(word[0]) * 16 + hexValue(word[1]));
  }
  return bytes;
}

// One value line; nullopt for a line the registry did not write.
std::optional<RegistryValue> parseValue(const std::string& line) {
  size_t at = 0;
  std::optional<std::string> name = unquoteText(line, &at);
  // A name holding a NUL could never be asked for, nor was it written here.
  if (!name || name->find('\0') != std::string::npos || line.compare(at, 1, "=") != 0) return std::nullopt;
  const std::string rest = line.substr(at + 1);
  if (rest.rfind("sz:", 0) == 0) {
    size_t textAt = 3;
    std::optional<std::string> text = unquoteText(rest, &textAt);
    if (!text) return std::nullopt;
    return RegistryValue{*name, REG_SZ, *text + '\0'};
  }
  if (rest.rfind("dword:", 0) == 0) {
    std::optional<DWORD> number = parseDecimal(rest.substr(6));
    if (!number) return std::nullopt;
    return RegistryValue{*name, REG_DWORD, std::string(reinterpret_cast<const char*>(&*number), 4)};
  }
  size_t close = rest.find("):");
  if (rest.rfind("hex(", 0) != 0 || close == std::string::npos) return std::nullopt;
  std::optional<DWORD> type = parseDecimal(rest.substr(4, close - 4));
  std::optional<std::string> bytes = parseHexBytes(rest.substr(close + 2));
  if (!type || !bytes) return std::nullopt;
  return RegistryValue{*name, *type, *bytes};
}

// --- the file --------------------------------------------------------------

std::string homeFolder() {
  const char* home = getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

std::string registryFolder() {
  const char* lumenfoldHome = getenv("LUMENFOLD_HOME");
  if (lumenfoldHome != nullptr && lumenfoldHome[0] != '\0') return lumenfoldHome;
  const char* configHome = getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && configHome[0] == '/') return std::string(configHome) + "/lumenfold";
  return homeFolder() + "/.config/lumenfold";
}

bool makeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

bool writeWholeFile(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return fsync(fd) == 0;
}

// Writes the file through a temporary beside it, renamed over the old one.
bool saveHive(const Hive& hive) {
  std::string text = "# Lumenfold registry: one [key] per section, then its values.\n";
  for (const RegistryKey& key : hive.keys) {
    text += "\n[" + encodeKeyPath(key.path) + "]\n";
    for (const RegistryValue& value : key.values) text += formatValue(value) + "\n";
  }
  const std::string path = platform::registryFilePath();
  if (!makeFolders(registryFolder())) return false;
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = writeWholeFile(fd, text);
  if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

RegistryKey* findKey(Hive& hive, const std::string& path) {
  for (RegistryKey& key : hive.keys)
    if (sameNameIgnoringCase(key.path, path)) return &key;
  return nullptr;
}

bool isRootPath(const std::string& path) { return path.find('\\') == std::string::npos; }

// The key, or a key in the hive below it (which makes it exist too).
bool keyExists(const Hive& hive, const std::string& path) {
  if (isRootPath(path)) return true;
  for (const RegistryKey& key : hive.keys) {
    if (key.path.size() < path.size()) continue;
    if (sameNameIgnoringCase(key.path.substr(0, path.size()), path) &&
        (key.path.size() == path.size() || key.path[path.size()] == '\\'))
      return true;
  }
  return false;
}

RegistryValue* findValue(RegistryKey* key, const std::string& name) {
  if (key == nullptr) return nullptr;
  for (RegistryValue& value : key->values)
    if (sameNameIgnoringCase(value.name, name)) return &value;
  return nullptr;
}

// Lines it cannot read are skipped, so one damaged line loses one value,
// not the file. A key or value named twice (a hand-edited file) is one key
// or value: the first of a name wins, as in a profile, so that enumeration,
// queries and the next rewrite all see the same values.
Hive loadHive() {
  Hive hive;
  std::ifstream file(platform::registryFilePath(), std::ios::binary);
  std::string line;
  RegistryKey* current = nullptr;  // the key of the section being read; valid until the next section
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      const std::string path = decodeKeyPath(line.substr(1, line.size() - 2));
      current = findKey(hive, path);
      if (current == nullptr) current = &hive.keys.emplace_back(RegistryKey{path, {}});
    } else if (current != nullptr) {
      std::optional<RegistryValue> value = parseValue(line);
      if (value && findValue(current, value->name) == nullptr) current->values.push_back(*value);
    }
  }
  return hive;
}

HKEY newKeyHandle(const std::string& path) {
  return openKeys.add(path);
}

// Copies a value's data to the caller as RegQueryValueExA describes.
LONG copyValueOut(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (data != nullptr && *dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (type != nullptr) *type = value.type;
  if (data != nullptr) memcpy(data, value.data.data(), size);
  if (dataSize != nullptr) *dataSize = size;
  return ERROR_SUCCESS;
}

void setIfWanted(LPDWORD out, DWORD value) {
  if (out != nullptr) *out = value;
}

}  // namespace

std::string platform::registryFilePath() { return registryFolder() + "/registry"; }

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                     PHKEY result, LPDWORD disposition) {
  std::optional<std::string> base = keyPath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  const std::string path = joinKeyPath(*base, subKey);
  Hive hive = loadHive();
  const bool existed = keyExists(hive, path);
  if (!existed) {
    hive.keys.push_back({path, {}});
    if (!saveHive(hive)) return ERROR_CANTWRITE;
  }
  *result = newKeyHandle(path);
  setIfWanted(disposition, existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY);
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  std::optional<std::string> base = keyPath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  const std::string path = joinKeyPath(*base, subKey);
  if (!keyExists(loadHive(), path)) return ERROR_FILE_NOT_FOUND;
  *result = newKeyHandle(path);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  std::optional<std::string> path = keyPath(key);
  if (!path) return ERROR_INVALID_HANDLE;
  openKeys.remove(key);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  std::optional<std::string> path = keyPath(key);
  if (!path) return ERROR_INVALID_HANDLE;
  Hive hive = loadHive();
  const RegistryValue* value = findValue(findKey(hive, *path), valueName(name));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  return copyValueOut(*value, type, data, dataSize);
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  std::optional<std::string> path = keyPath(key);
  if (!path) return ERROR_INVALID_HANDLE;
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  Hive hive = loadHive();
  RegistryKey* owner = findKey(hive, *path);
  if (owner == nullptr) {
    hive.keys.push_back({*path, {}});
    owner = &hive.keys.back();
  }
  const std::string bytes(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
  if (RegistryValue* value = findValue(owner, valueName(name))) {
    value->type = type;
    value->data = bytes;
  } else {
    owner->values.push_back({valueName(name), type, bytes});
  }
  return saveHive(hive) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG RegDeleteValueA(HKEY key, LPCSTR name) {
  std::optional<std::string> path = keyPath(key);
  if (!path) return ERROR_INVALID_HANDLE;
  Hive hive = loadHive();
  RegistryKey* owner = findKey(hive, *path);
  const RegistryValue* value = findValue(owner, valueName(name));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  owner->values.erase(owner->values.begin() + (value - owner->values.data()));
  return saveHive(hive) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                      LPDWORD maxValueNameLength, LPDWORD maxValueSize,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  std::optional<std::string> path = keyPath(key);
  if (!path) return ERROR_INVALID_HANDLE;
  Hive hive = loadHive();
  if (!keyExists(hive, *path)) return ERROR_FILE_NOT_FOUND;
  // Direct children: the first component below this key of every key path.
  std::vector<std::string> children;
  for (const RegistryKey& other : hive.keys) {
    if (other.path.size() <= path->size() + 1 || other.path[path->size()] != '\\' ||
        !sameNameIgnoringCase(other.path.substr(0, path->size()), *path))
      continue;
    std::string child = other.path.substr(path->size() + 1);
    child = child.substr(0, child.find('\\'));
    bool known = false;
    for (const std::string& seen : children) known = known || sameNameIgnoringCase(seen, child);
    if (!known) children.push_back(child);
  }
  DWORD longestChild = 0, longestName = 0, largestData = 0, valueCount = 0;
  for (const std::string& child : children) longestChild = std::max<DWORD>(longestChild, child.size());
  if (const RegistryKey* own = findKey(hive, *path)) {
    valueCount = static_cast<DWORD>(own->values.size());
    for (const RegistryValue& value : own->values) {
      longestName = std::max<DWORD>(longestName, value.name.size());
      largestData = std::max<DWORD>(largestData, value.data.size());
    }
  }
  if (keyClass != nullptr && classSize != nullptr && *classSize > 0) keyClass[0] = '\0';
  setIfWanted(classSize, 0);
  setIfWanted(subKeys, static_cast<DWORD>(children.size()));
  setIfWanted(maxSubKeyLength, longestChild);
  setIfWanted(maxClassLength, 0);
  setIfWanted(values, valueCount);
  setIfWanted(maxValueNameLength, longestName);
  setIfWanted(maxValueSize, largestData);
  setIfWanted(securityDescriptorSize, 0);
  if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize) {
  std::optional<std::string> path = keyPath(key);
  if (!path) return ERROR_INVALID_HANDLE;
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  Hive hive = loadHive();
  const RegistryKey* owner = findKey(hive, *path);
  if (owner == nullptr || index >= owner->values.size()) return ERROR_NO_MORE_ITEMS;
  const RegistryValue& value = owner->values[index];
  if (*nameSize < value.name.size() + 1) return ERROR_MORE_DATA;
  LONG status = copyValueOut(value, type, data, dataSize);
  if (status != ERROR_SUCCESS) return status;
  memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameSize = static_cast<DWORD>(value.name.size());
  return ERROR_SUCCESS;
}
