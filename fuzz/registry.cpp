// fuzz/registry.cpp -- a registry file read through every key its sections
// name: each key's values are listed (names, types and bytes), then one
// value is set and deleted again, which rewrites the file whole. Listed
// afresh, every key must hold exactly what it held: what the reader takes
// from a file, the writer must keep.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "platform/registry.h"

namespace {

constexpr size_t kMostKeysTried = 16;
constexpr char kProbeName[] = "fuzz probe value";

struct Root {
  const char* prefix;
  HKEY key;
};
const Root kRoots[] = {{"HKEY_CURRENT_USER\\", HKEY_CURRENT_USER},
                           {"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE},
                           {"HKEY_CLASSES_ROOT\\", HKEY_CLASSES_ROOT},
                           {"HKEY_USERS\\", HKEY_USERS}};

// The keys named by the file's section lines that open, as handles.
std::vector<HKEY> openNamedKeys(const std::string& text) {
  std::vector<HKEY> keys;
  size_t start = 0;
  while (start < text.size() && keys.size() < kMostKeysTried) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.size() < 2 || line[0] != '[') continue;
    line = line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1);
    for (const Root& root : kRoots) {
      if (line.rfind(root.prefix, 0) != 0) continue;
      HKEY key = nullptr;
      if (RegOpenKeyExA(root.key, line.c_str() + std::strlen(root.prefix), 0, KEY_READ, &key) == ERROR_SUCCESS)
        keys.push_back(key);
    }
  }
  return keys;
}

// "name\0type\0bytes\0" for every value of the key but the probe, in order,
// checking that the ways of reading a value agree with each other.
std::string listing(HKEY key) {
  std::string out;
  DWORD values = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    std::abort();
  for (DWORD index = 0;; ++index) {
    char name[1024];
    DWORD nameSize = sizeof name, type = 0;
    std::vector<BYTE> whole(1 << 16);
    DWORD wholeSize = static_cast<DWORD>(whole.size());
    LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, whole.data(), &wholeSize);
    if (result == ERROR_NO_MORE_ITEMS) {
      if (index != values) std::abort();  // the count and the enumeration disagree
      break;
    }
    if (result == ERROR_MORE_DATA) continue;  // a name longer than any caller's
    if (result != ERROR_SUCCESS) std::abort();
    // The value again into a buffer of exactly its size, and one byte short.
    std::vector<BYTE> exact(wholeSize);
    DWORD size = wholeSize;
    if (RegQueryValueExA(key, name, nullptr, nullptr, exact.data(), &size) != ERROR_SUCCESS || size != wholeSize ||
        !std::equal(exact.begin(), exact.end(), whole.begin()))
      std::abort();
    size = wholeSize - 1;
    if (wholeSize > 0 && (RegQueryValueExA(key, name, nullptr, nullptr, exact.data(), &size) != ERROR_MORE_DATA ||
                          size != wholeSize))
      std::abort();
    if (std::strcmp(name, kProbeName) == 0) continue;
    out += std::string(name) + '\0' + std::to_string(type) + '\0' +
           std::string(exact.begin(), exact.end()) + '\0';
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (fuzz::adoptPrivateFolderAsHome(), true);
  (void)ready;
  const std::string path = platform::registryFilePath();
  fuzz::writeInput(path.substr(fuzz::privateFolder().size()).c_str(), data, size);
  const std::vector<HKEY> keys = openNamedKeys(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> before;
  for (HKEY key : keys) before.push_back(listing(key));
  if (!keys.empty()) {
    const BYTE probe[] = "x";
    if (RegSetValueExA(keys[0], kProbeName, 0, REG_SZ, probe, sizeof probe) == ERROR_SUCCESS) {
      RegDeleteValueA(keys[0], kProbeName);
      for (size_t i = 0; i < keys.size(); ++i)
        if (listing(keys[i]) != before[i]) std::abort();
    }
  }
  for (HKEY key : keys) RegCloseKey(key);
  fuzz::clearPrivateFolder();
  return 0;
}
