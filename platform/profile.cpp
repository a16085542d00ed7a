// platform/profile.cpp -- private profile files, parsed whole on each call.
#include "platform/profile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/asciicase.h"

namespace {

struct ProfileEntry {
  std::string key;
  std::string value;
};

struct ProfileSection {
  std::string name;
  std::vector<ProfileEntry> entries;
};

using platform::asciiLower;
using platform::sameNameIgnoringCase;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trimmed(const std::string& text) {
  size_t start = 0, end = text.size();
  while (start < end && isBlank(text[start])) ++start;
  while (end > start && isBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

std::string withoutQuotes(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

std::vector<ProfileSection> readProfile(const char* fileName) {
  std::vector<ProfileSection> sections;
  std::ifstream file(fileName, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    line = trimmed(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      sections.push_back({trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), {}});
      continue;
    }
    size_t equals = line.find('=');
    if (sections.empty() || equals == std::string::npos) continue;
    sections.back().entries.push_back(
        {trimmed(line.substr(0, equals)), withoutQuotes(trimmed(line.substr(equals + 1)))});
  }
  return sections;
}

const ProfileSection* findSection(const std::vector<ProfileSection>& sections, const char* name) {
  for (const ProfileSection& section : sections)
    if (sameNameIgnoringCase(section.name, name)) return &section;
  return nullptr;
}

std::optional<std::string> findValue(const char* section, const char* key, const char* fileName) {
  const std::vector<ProfileSection> sections = readProfile(fileName);
  const ProfileSection* found = findSection(sections, section);
  if (found == nullptr) return std::nullopt;
  for (const ProfileEntry& entry : found->entries)
    if (sameNameIgnoringCase(entry.key, key)) return entry.value;
  return std::nullopt;
}

// Locale-free, as the profile's numbers are the file's, not the user's.
UINT parseProfileNumber(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && isBlank(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  uint32_t number = 0;
  if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0) {
    for (at += 2; at < text.size() && isxdigit(static_cast<unsigned char>(text[at])); ++at) {
      char c = asciiLower(text[at]);
      number = number * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
  } else {
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
      number = number * 10 + static_cast<uint32_t>(text[at] - '0');
  }
  return negative ? 0u - number : number;
}

DWORD copyValue(const std::string& value, LPSTR out, DWORD size) {
  const size_t length = std::min<size_t>(value.size(), size - 1);
  memcpy(out, value.data(), length);
  out[length] = '\0';
  return static_cast<DWORD>(length);
}

// Copies names as a double-terminated list, cut to whole bytes when it does
// not fit (then the result is size - 2, as the system reports).
DWORD copyNameList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  if (list.size() + 1 <= size) {
    memcpy(out, list.data(), list.size());
    out[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    out[0] = '\0';
    return 0;
  }
  memcpy(out, list.data(), size - 2);
  out[size - 2] = '\0';
  out[size - 1] = '\0';
  return size - 2;
}

}  // namespace

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  if (section == nullptr || key == nullptr || fileName == nullptr) return static_cast<UINT>(defaultValue);
  std::optional<std::string> value = findValue(section, key, fileName);
  return value ? parseProfileNumber(*value) : static_cast<UINT>(defaultValue);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out,
                               DWORD size, LPCSTR fileName) {
  if (out == nullptr || size == 0) return 0;
  const std::vector<ProfileSection> sections =
      fileName != nullptr ? readProfile(fileName) : std::vector<ProfileSection>();
  std::vector<std::string> names;
  if (section == nullptr) {
    for (const ProfileSection& each : sections) names.push_back(each.name);
    return copyNameList(names, out, size);
  }
  const ProfileSection* found = findSection(sections, section);
  if (key == nullptr) {
    if (found != nullptr)
      for (const ProfileEntry& entry : found->entries) names.push_back(entry.key);
    return copyNameList(names, out, size);
  }
  if (found != nullptr)
    for (const ProfileEntry& entry : found->entries)
      if (sameNameIgnoringCase(entry.key, key)) return copyValue(entry.value, out, size);
  return copyValue(trimmed(defaultValue != nullptr ? defaultValue : ""), out, size);
}
