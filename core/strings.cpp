// core/strings.cpp -- the string and memory wrappers.
#include "core/strings.h"

#include <cstring>

#include "core/memory.h"

int zmStrcmp(const char* a, const char* b) { return strcmp(a, b); }

size_t zmStrlen(const char* s) { return strlen(s); }

char* zmStrcpy(char* d, const char* s) { return strcpy(d, s); }

char* zmStrcat(char* d, const char* s) { return strcat(d, s); }

int zmStrncmp(const char* a, const char* b, size_t n) { return strncmp(a, b, n); }

char* zmStrncpy(char* d, const char* s, size_t n) { return strncpy(d, s, n); }

char* zmStrncat(char* d, const char* s, size_t n) { return strncat(d, s, n); }

int zmStrEq(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return strcmp(a, b) == 0;
}

static char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int zmStrCaseEq(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (asciiLower(*a) != asciiLower(*b)) return 0;
  }
  return *a == *b;
}

char* zmStrdup(const char* s) {
  if (s == nullptr) return nullptr;
  size_t size = strlen(s) + 1;
  char* copy = static_cast<char*>(zmMalloc(size));
  if (copy != nullptr) memcpy(copy, s, size);
  return copy;
}

// The C library leaves n = 0 with null pointers undefined, so it is answered
// here.
int zmMemcmp(const void* a, const void* b, size_t n) { return n == 0 ? 0 : memcmp(a, b, n); }

int zmMemEq(const void* a, const void* b, size_t n) { return zmMemcmp(a, b, n) == 0; }

void* zmMemmove(void* d, const void* s, size_t n) { return n == 0 ? d : memmove(d, s, n); }
