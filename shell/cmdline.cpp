// shell/cmdline.cpp -- the command line; see cmdline.h.
#include "shell/cmdline.h"

#include <cstring>

#include "core/report.h"

char* zmArgv[ZM_ARG_SLOTS];
int zmArgc = 1;
int zmArgIndex = 1;

int zmOptionDName;
int zmOptionDComment;
int zmOptionDScouter;
int zmOptionDFrameRate;
int zmOptionMemDbg;

namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

struct FlagOption {
  const char* word;
  int* flag;
};

constexpr FlagOption kFlagOptions[] = {
    {"-dname", &zmOptionDName},           {"-memdbg", &zmOptionMemDbg},
    {"-dcomment", &zmOptionDComment},     {"-dscouter", &zmOptionDScouter},
    {"-dframerate", &zmOptionDFrameRate},
};

int* flagOf(const char* word) {
  for (const FlagOption& option : kFlagOptions)
    if (std::strcmp(word, option.word) == 0) return option.flag;
  return nullptr;
}

void startTable() {
  std::memset(zmArgv, 0, sizeof zmArgv);
  zmArgc = 1;
  zmArgIndex = 1;
}

}  // namespace

int zmSplitCommandLine(char* text) {
  startTable();
  if (text == nullptr) return zmArgc;
  char* p = text;
  while (zmArgc < ZM_ARG_SLOTS) {
    while (*p != '\0' && isWhiteSpace(*p)) ++p;
    if (*p == '\0') break;
    zmArgv[zmArgc++] = p;
    while (*p != '\0' && !isWhiteSpace(*p)) ++p;
    if (*p == '\0') break;
    *p++ = '\0';
  }
  return zmArgc;
}

int zmTakeArguments(int count, char** words) {
  startTable();
  for (int i = 0; i < count && zmArgc < ZM_ARG_SLOTS; ++i) zmArgv[zmArgc++] = words[i];
  return zmArgc;
}

const char* zmScanOptions() {
  while (zmArgIndex < zmArgc) {
    const char* word = zmArgv[zmArgIndex++];
    if (int* flag = flagOf(word)) {
      *flag = 1;
    } else if (std::strcmp(word, "-dflags") == 0) {
      // The first word that names no flag (an option, the world) ends the list.
      while (zmArgIndex < zmArgc && zmIsFlagName(zmArgv[zmArgIndex])) zmTurnOnFlagByName(zmArgv[zmArgIndex++]);
    } else {
      return word;
    }
  }
  return nullptr;
}

void zmResetOptions() {
  for (const FlagOption& option : kFlagOptions) *option.flag = 0;
}
