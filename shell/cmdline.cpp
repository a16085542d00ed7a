// shell/cmdline.cpp -- the command line; see cmdline.h.
#include "shell/cmdline.h"

#include <cstring>

#include "core/report.h"

namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

struct FlagOption {
  const char* word;
  int ZmOptionFlags::*flag;
};

constexpr FlagOption kFlagOptions[] = {
    {"-dname", &ZmOptionFlags::dname},           {"-memdbg", &ZmOptionFlags::memdbg},
    {"-dcomment", &ZmOptionFlags::dcomment},     {"-dscouter", &ZmOptionFlags::dscouter},
    {"-dframerate", &ZmOptionFlags::dframerate},
};

int* flagOf(const char* word) {
  for (const FlagOption& option : kFlagOptions)
    if (std::strcmp(word, option.word) == 0) return &(zmShell.options.*option.flag);
  return nullptr;
}

ZmCommandLine& startTable() {
  zmShell.commandLine = ZmCommandLine{};
  return zmShell.commandLine;
}

}  // namespace

int zmSplitCommandLine(char* text) {
  ZmCommandLine& line = startTable();
  if (text == nullptr) return line.argc;
  char* p = text;
  while (line.argc < ZM_ARG_SLOTS) {
    while (*p != '\0' && isWhiteSpace(*p)) ++p;
    if (*p == '\0') break;
    line.argv[line.argc++] = p;
    while (*p != '\0' && !isWhiteSpace(*p)) ++p;
    if (*p == '\0') break;
    *p++ = '\0';
  }
  return line.argc;
}

int zmTakeArguments(int count, char** words) {
  ZmCommandLine& line = startTable();
  for (int i = 0; i < count && line.argc < ZM_ARG_SLOTS; ++i) line.argv[line.argc++] = words[i];
  return line.argc;
}

const char* zmScanOptions() {
  ZmCommandLine& line = zmShell.commandLine;
  while (line.argIndex < line.argc) {
    const char* word = line.argv[line.argIndex++];
    if (int* flag = flagOf(word)) {
      *flag = 1;
    } else if (std::strcmp(word, "-dflags") == 0) {
      // The first word that names no flag (an option, the world) ends the list.
      while (line.argIndex < line.argc && zmIsFlagName(line.argv[line.argIndex]))
        zmTurnOnFlagByName(line.argv[line.argIndex++]);
    } else {
      return word;
    }
  }
  return nullptr;
}

void zmResetOptions() { zmShell.options = ZmOptionFlags{}; }
