// core/report.cpp -- the message-flag table, the reporters and the fatal box.
//
// Texts are formatted with vsnprintf into buffers of ZM_REPORT_BUFFER
// characters, which stops at the buffer's end: a longer text is cut.
#include "core/report.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/apphandles.h"
#include "core/hooks.h"
#include "platform/winbase.h"
#include "platform/winuser.h"

static constexpr std::array<ZmFlag, 9> defaultFlags = {{
    {"warning", ZM_FLAG_WARNING, 1},
    {"error", ZM_FLAG_ERROR, 1},
    {"message", ZM_FLAG_MESSAGE, 1},
    {"zmdebug", ZM_FLAG_ZMDEBUG, 0},
    {"rwdebug", ZM_FLAG_RWDEBUG, 0},
    {"qvdebug", ZM_FLAG_QVDEBUG, 0},
    {"tkdebug", ZM_FLAG_TKDEBUG, 0},
    {"authdebug", ZM_FLAG_AUTHDEBUG, 0},
    {"", 0, 0},
}};

// The reporting state of the program.
static struct {
  std::array<ZmFlag, 9> flags = defaultFlags;  // the table; id 0 ends it
  int messageBoxShowing = 0;  // 1 while a box or a notify append pumps messages
  int fatalBoxShown = 0;      // 1 once the fatal box has been shown this run
} reporting;

static ZmFlag* flagById(int id) {
  for (ZmFlag* row = reporting.flags.data(); row->id != 0; ++row) {
    if (row->id == id) return row;
  }
  return nullptr;
}

static ZmFlag* flagByName(const char* name) {
  if (name == nullptr) return nullptr;
  for (ZmFlag* row = reporting.flags.data(); row->id != 0; ++row) {
    if (strcmp(row->name, name) == 0) return row;
  }
  return nullptr;
}

static void setFlag(ZmFlag* row, int on) {
  if (row != nullptr) row->on = on;
}

void zmTurnOnFlagByName(const char* name) { setFlag(flagByName(name), 1); }
bool zmIsFlagName(const char* name) { return flagByName(name) != nullptr; }
void zmTurnOffFlagByName(const char* name) { setFlag(flagByName(name), 0); }
void zmTurnOnFlag(int id) { setFlag(flagById(id), 1); }
void zmTurnOffFlag(int id) { setFlag(flagById(id), 0); }

int zmGetFlag(int id) {
  ZmFlag* row = flagById(id);
  return row == nullptr ? 0 : row->on;
}

int zmAnyFlag(int id, ...) {
  va_list ids;
  va_start(ids, id);
  int any = 0;
  for (; id != 0 && !any; id = va_arg(ids, int)) any = zmGetFlag(id) != 0;
  va_end(ids);
  return any;
}

int zmAllFlags(int id, ...) {
  if (id == 0) return 0;
  va_list ids;
  va_start(ids, id);
  int all = 1;
  for (; id != 0 && all; id = va_arg(ids, int)) all = zmGetFlag(id) != 0;
  va_end(ids);
  return all;
}

int zmIsMessageBoxShowing() { return reporting.messageBoxShowing; }

int zmSetMessageBoxShowing(int value) { return reporting.messageBoxShowing = value; }

// Sets the message-box flag around a call that pumps messages. The flag is
// restored rather than cleared afterwards: the call may run inside the pump
// of another box, whose flag must outlive this one.
namespace {
class MessageBoxShowing {
 public:
  MessageBoxShowing() : wasShowing_(reporting.messageBoxShowing) { reporting.messageBoxShowing = 1; }
  ~MessageBoxShowing() { reporting.messageBoxShowing = wasShowing_; }
  MessageBoxShowing(const MessageBoxShowing&) = delete;
  MessageBoxShowing& operator=(const MessageBoxShowing&) = delete;

 private:
  int wasShowing_;
};
}  // namespace

int zmFatalErrorBox(const char* text) {
  if (!reporting.fatalBoxShown) {
    reporting.fatalBoxShown = 1;
    MessageBoxShowing showing;
    MessageBoxA(zmGetMainHwnd(), text, "Fatal Error", MB_OK | MB_ICONSTOP);
  }
  return zmFatalStop();
}

int zmFatalErrorStr(const char* a, const char* b) {
  char text[ZM_REPORT_BUFFER];
  wsprintfA(text, "%s %s", a, b);
  return zmFatalErrorBox(text);
}

int zmFatalErrorInt(const char* a, int n) {
  char text[ZM_REPORT_BUFFER];
  wsprintfA(text, "%s %d", a, n);
  return zmFatalErrorBox(text);
}

int zmShowNotifyText(const char* text) {
  if (text == nullptr) return -1;
  MessageBoxShowing showing;
  return coreMessages().notifyMessage(text);
}

int zmReportError(const char* format, ...) {
  char text[ZM_REPORT_BUFFER];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  int on = zmGetFlag(ZM_FLAG_ERROR);
  return on == 1 ? zmFatalErrorBox(text) : on;
}

int zmReportWarning(const char* format, ...) {
  char text[ZM_REPORT_BUFFER];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  int on = zmGetFlag(ZM_FLAG_WARNING);
  return on == 1 ? zmShowNotifyText(text) : on;
}

int zmReportMessage(const char* format, ...) {
  char text[ZM_REPORT_BUFFER];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return zmShowNotifyText(text);
}

int zmReportMessageStr(const char* a, const char* b) {
  char text[ZM_REPORT_BUFFER];
  wsprintfA(text, "%s %s", a, b);
  return zmShowNotifyText(text);
}

int zmReportMessageInt(const char* a, int n) {
  char text[ZM_REPORT_BUFFER];
  wsprintfA(text, "%s %d", a, n);
  return zmShowNotifyText(text);
}

void zmDebugPrint(const char* function, const char* format, ...) {
  if (zmGetFlag(ZM_FLAG_MESSAGE) != 1) return;
  char text[ZM_REPORT_BUFFER];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  char line[ZM_REPORT_BUFFER];
  int wanted = snprintf(line, sizeof line, "%s(): %s\n", function, text);
  // A cut line still ends its line in the debugger output.
  if (wanted >= static_cast<int>(sizeof line)) line[sizeof line - 2] = '\n';
  OutputDebugStringA(line);
}

void zmResetReportStateForTest() {
  reporting.flags = defaultFlags;
  reporting.messageBoxShowing = 0;
  reporting.fatalBoxShown = 0;
}
