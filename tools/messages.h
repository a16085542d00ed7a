// tools/messages.h -- how the command-line programs show what goes wrong.
//
// Owns two printers: the program's messages, on standard output, one
// message a line, between the lines of the programs' own listing, so a
// reader sees each message next to what caused it (the programs hand
// printMessage to the start-up as the notify window's stand-in); and a failure of the 3-D engine, on
// standard error, with the engine's error number and what it means.
// It does not own the error numbers, which the engine raises
// (engine/library.h); the words here follow that list.
#ifndef LUMENFOLD_TOOLS_MESSAGES_H
#define LUMENFOLD_TOOLS_MESSAGES_H

#include <cstdio>
#include <cstring>

inline int printMessage(const char* text) {
  std::fputs(text, stdout);
  const size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] != '\n') std::fputc('\n', stdout);
  return 0;
}

struct EngineErrorWords {
  int number;
  const char* words;
};

inline constexpr EngineErrorWords engineErrorWords[] = {
    {0, "no error"},
    {1, "invalid argument"},
    {2, "combine or path mode not accepted"},
    {3, "out of memory"},
    {4, "script keyword not accepted"},
    {5, "script keyword arguments missing or malformed"},
    {7, "degenerate frame"},
    {8, "operation not valid for this kind of light"},
    {9, "shape search path too long"},
    {10, "read failed"},
    {11, "count or size not positive"},
    {13, "shape file not found along the search path"},
    {14, "file cannot be opened"},
    {15, "not a root clump"},
    {18, "no device named"},
    {20, "texture frame out of range"},
    {22, "texture width not accepted"},
    {23, "texture height not accepted"},
    {24, "vertex index out of range"},
    {25, "default scene"},
    {26, "geometry sampling not accepted"},
    {27, "geometry sampling word not accepted"},
    {28, "light sampling not accepted"},
    {29, "light sampling word not accepted"},
    {30, "prototype name not known"},
    {31, "zero-length vector"},
    {32, "modelling already begun"},
    {33, "not modelling"},
    {34, "clumps left open"},
    {35, "script clump state"},
    {36, "script modelling state"},
    {37, "empty prototype"},
    {38, "outside a clump"},
    {39, "no clump"},
    {40, "too few vertices"},
    {41, "too many vertices or polygons"},
    {43, "texture name not accepted"},
    {44, "projection not accepted"},
    {45, "state not accepted"},
    {47, "clump flags not accepted"},
    {49, "hint value not accepted"},
    {52, "script word not accepted"},
    {53, "script name not accepted"},
    {54, "alignment word not accepted"},
    {56, "texture modes not accepted"},
    {57, "script name not accepted"},
    {58, "script name missing"},
    {59, "script name missing"},
    {60, "texture flags not accepted"},
    {61, "texture option not accepted"},
    {62, "mask size not accepted"},
    {63, "device control request not supported"},
    {64, "operation not supported by the device"},
    {65, "open option not recognised by the device"},
    {66, "raster in use"},
    {67, "script word not accepted"},
    {68, "script word not accepted"},
    {69, "image layout not accepted"},
    {70, "device control buffer too small"},
    {71, "user draw failed, or a later error"},
};

inline const char* engineErrorText(int number) {
  for (const EngineErrorWords& entry : engineErrorWords)
    if (entry.number == number) return entry.words;
  return "unknown error";
}

// "tool: what (engine error N: words)" on standard error.
inline void printEngineFailure(const char* tool, const char* what, int number) {
  std::fprintf(stderr, "%s: %s (engine error %d: %s)\n", tool, what, number, engineErrorText(number));
}

#endif
