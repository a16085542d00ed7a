// core/strings.h -- thin string and memory functions of the scene core.
//
// Owns: wrappers of the C library's compare, copy, concatenate, length and
// move routines, each returning what its routine returns, plus zmStrdup,
// which copies through the core's allocator (free the copy with zmFree).
// Letter case is compared for ASCII letters only, whatever the locale.
// It does not own the allocator (core/memory.h).
#ifndef LUMENFOLD_CORE_STRINGS_H
#define LUMENFOLD_CORE_STRINGS_H

#include <cstddef>

int zmStrcmp(const char* a, const char* b);
size_t zmStrlen(const char* s);
char* zmStrcpy(char* d, const char* s);
char* zmStrcat(char* d, const char* s);
int zmStrncmp(const char* a, const char* b, size_t n);

// Copies at most n characters and pads the rest of the n with zero bytes; no
// terminator is written when s has n or more characters.
char* zmStrncpy(char* d, const char* s, size_t n);

// Appends at most n characters of s and always a terminator.
char* zmStrncat(char* d, const char* s, size_t n);

// 1 when the strings are equal (for zmStrCaseEq: ignoring the case of ASCII
// letters), else 0. Two nulls are equal; a null never equals a string.
int zmStrEq(const char* a, const char* b);
int zmStrCaseEq(const char* a, const char* b);

// A copy made with zmMalloc(length + 1); null when s is null or memory runs
// out.
char* zmStrdup(const char* s);

// Three-way comparison of n bytes; 0 for n = 0.
int zmMemcmp(const void* a, const void* b, size_t n);
// 1 when the n bytes are equal, else 0.
int zmMemEq(const void* a, const void* b, size_t n);
// Copies n bytes; the regions may overlap.
void* zmMemmove(void* d, const void* s, size_t n);

#endif
