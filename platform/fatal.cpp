// platform/fatal.cpp -- the loud stop.
#include "platform/fatal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void zmFatal(const char* function, const char* format, ...) {
  std::fprintf(stderr, "%s: ", function);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  std::abort();
}
