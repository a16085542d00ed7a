// platform/msgbox.cpp -- the headless message box and beep.
//
// A box is shown to nobody: it is recorded (kind "MessageBox", detail the
// caption, a line feed and the text) and answered at once with the next
// scripted answer; on a display (setMessageBoxesOnScreen) it is a modal
// dialog, else its caption and text go to standard error (the one place a
// headless run is read) and it answers its first button at once, pumping
// no messages.
#include <cstdio>
#include <string>

#include "platform/recorder.h"
#include "platform/dialogs.h"
#include "platform/windowstate.h"

namespace {

int firstButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL: case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}

}  // namespace

// A null caption reads "Error", as the original's default title does.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::string detail = caption ? caption : "Error";
  detail += '\n';
  detail += text ? text : "";
  platform::recordEvent("MessageBox", detail);
  int answer;
  if (platform::takeMessageBoxAnswer(&answer)) return answer;
  if (platform::messageBoxesOnScreen())
    return platform::user::runMessageBoxDialog(owner, text ? text : "", caption ? caption : "Error", type);
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "Error", text ? text : "");
  return firstButton(type);
}

BOOL MessageBeep(UINT type) {
  platform::recordEvent("MessageBeep", std::to_string(type));
  return TRUE;
}
