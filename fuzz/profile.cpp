// fuzz/profile.cpp -- a private profile file read through every section and
// key it lists, into buffers of exactly the size each call is given, so that
// a write past a short buffer is seen. A value cut to a short buffer must be
// the start of the whole value.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "platform/profile.h"

namespace {

constexpr DWORD kListSize = 1 << 16;
constexpr size_t kMostKeysTried = 32;

// The names of a '\0'-separated list ended by an empty name.
std::vector<std::string> namesOf(const char* list) {
  std::vector<std::string> names;
  for (const char* name = list; *name != '\0'; name += std::strlen(name) + 1) names.push_back(name);
  return names;
}

std::vector<std::string> list(const char* section, const std::string& file) {
  std::vector<char> buffer(kListSize);
  GetPrivateProfileStringA(section, nullptr, "", buffer.data(), kListSize, file.c_str());
  return namesOf(buffer.data());
}

// The value read into a buffer of `size` bytes: the count returned must fit
// the buffer, with the terminator after it. (A value holding a NUL byte is
// counted whole, so the count is not compared with strlen.)
std::string valueIn(DWORD size, const char* section, const char* key, const std::string& file) {
  std::unique_ptr<char[]> buffer(new char[size]);
  const DWORD copied = GetPrivateProfileStringA(section, key, "", buffer.get(), size, file.c_str());
  if (copied >= size || buffer[copied] != '\0') std::abort();
  return std::string(buffer.get(), copied);
}

void readKey(const char* section, const char* key, const std::string& file) {
  const std::string whole = valueIn(kListSize, section, key, file);
  for (DWORD size : {1u, 2u, 5u}) {
    const std::string cut = valueIn(size, section, key, file);
    if (whole.compare(0, cut.size(), cut) != 0) std::abort();
  }
  GetPrivateProfileIntA(section, key, 7, file.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = fuzz::writeInput("profile.ini", data, size);
  size_t tried = 0;
  for (const std::string& section : list(nullptr, file)) {
    for (const std::string& key : list(section.c_str(), file)) {
      if (tried++ == kMostKeysTried) break;
      readKey(section.c_str(), key.c_str(), file);
    }
  }
  fuzz::clearPrivateFolder();
  return 0;
}
