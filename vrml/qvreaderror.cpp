// vrml/qvreaderror.cpp -- read errors, debug errors and the repeat filter.
#include "vrml/qvreaderror.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/report.h"
#include "vrml/qvinput.h"
#include "vrml/session.h"

namespace {

constexpr size_t kLastTextSize = 400;

// The last texts passed to the output, so that a repeat is passed over.
struct LastPassedOn {
  char error[kLastTextSize];    // last read error
  char warning[kLastTextSize];  // last warning
};
LastPassedOn lastPassedOn;

// True when text repeats the remembered one; otherwise remembers it (cut).
bool isRepeat(char* last, const char* text) {
  if (last[0] != '\0' && std::strncmp(last, text, kLastTextSize - 1) == 0 &&
      std::strlen(text) < kLastTextSize)
    return true;
  std::snprintf(last, kLastTextSize, "%s", text);
  return false;
}

void outputError(int level, const char* text) {
  if (isRepeat(lastPassedOn.error, text)) return;
  if (level == kQvReadErrorLevel) zmReportMessage("%s", text);
}

}  // namespace

void qvOutputWarning(const char* text) {
  if (!isRepeat(lastPassedOn.warning, text)) zmReportWarning("%s", text);
}

void QvReadError::post(int level, const QvInput* in, const char* format, ...) {
  char message[300];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);

  QvString location;
  const char* fileName = nullptr;
  if (in) {
    in->getLocationString(location);
    fileName = in->getCurFileName();
  }
  char text[kLastTextSize];
  std::snprintf(text, sizeof text, "VRML read error: %s\n\tfile: %s\n%s\n", message,
                fileName ? fileName : "", location.getString());
  outputError(level, text);
  qvSession().readErrorLevel = level;
}

int QvReadError::getLevel() { return qvSession().readErrorLevel; }

void QvReadError::setLevel(int level) { qvSession().readErrorLevel = level; }

void QvReadError::begin(const char*) { qvSession().readErrorLevel = kQvReadErrorLevel; }

void QvDebugError::post(const char* methodName, const char* format, ...) {
  char message[200];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  char text[300];
  std::snprintf(text, sizeof text, "VRML error in %s(): %s\n", methodName, message);
  zmReportWarning("%s", text);
}
