// platform/asciicase.h -- letter case of names as the window system treats
// it: ASCII letters only, whatever locale the toolkit may have set.
//
// Owns these small comparisons and nothing else; registry keys, profile
// sections and program names use them.
#ifndef LUMENFOLD_PLATFORM_ASCIICASE_H
#define LUMENFOLD_PLATFORM_ASCIICASE_H

#include <string>

namespace platform {

inline char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string asciiLowered(std::string text) {
  for (char& c : text) c = asciiLower(c);
  return text;
}

inline bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

}  // namespace platform

#endif
