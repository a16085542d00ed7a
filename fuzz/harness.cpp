// fuzz/harness.cpp -- the private folder of a harness process.
#include "fuzz/harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fuzz {

namespace {

std::string folder;

void removeFolder() {
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

}  // namespace

const std::string& privateFolder() {
  if (!folder.empty()) return folder;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/lumenfold-fuzz-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    std::perror("fuzz: cannot make the private folder");
    std::abort();
  }
  folder = std::string(name.data()) + "/";
  std::atexit(removeFolder);
  return folder;
}

void adoptPrivateFolderAsHome() {
  const std::string home = privateFolder().substr(0, privateFolder().size() - 1);
  for (const char* name : {"TEMP", "TMPDIR", "LUMENFOLD_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "HOME"})
    setenv(name, home.c_str(), 1);
}

std::string writeInput(const char* name, const uint8_t* data, size_t size) {
  const std::string path = privateFolder() + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

void clearPrivateFolder() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(privateFolder(), ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}

std::string asText(const uint8_t* data, size_t size) {
  const void* nul = std::memchr(data, '\0', size);
  return std::string(reinterpret_cast<const char*>(data),
                     nul ? static_cast<const uint8_t*>(nul) - data : size);
}

}  // namespace fuzz
