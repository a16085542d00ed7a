// tools/messages.h -- where the command-line programs show the program's
// messages: on standard output, one message a line, between the lines of
// their own listing, so a reader sees each message next to what caused it.
//
// Owns only that printer; the programs hand it to the start-up as the notify
// window's stand-in.
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

#endif
