// shell/signals.cpp -- ending on SIGTERM, SIGINT and SIGHUP; see signals.h.
#include "shell/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "core/apphandles.h"
#include "platform/tclloop.h"
#include "platform/winuser.h"
#include "script/limits.h"

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

int wakePipe[2] = {-1, -1};  // written by the handler, read by the loop

// Only async-signal-safe calls: a flag for the scripts, a byte for the loop.
void onEndSignal(int signalNumber) {
  if (zmScriptStopRequested()) {
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    return;
  }
  zmScriptRequestStop();
  const char byte = static_cast<char>(signalNumber);
  [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

// On the loop's side: the main window closes as the Exit command closes it;
// before there is one, the loop ends.
void endFromLoop(int fd, unsigned) {
  char bytes[16];
  while (read(fd, bytes, sizeof bytes) > 0) {
  }
  if (HWND main = zmGetMainHwnd(); main != nullptr && IsWindow(main)) {
    PostMessageA(main, WM_CLOSE, 0, 0);
  } else {
    PostQuitMessage(0);
  }
}

}  // namespace

bool zmCatchEndSignals() {
  if (wakePipe[0] >= 0) return true;
  if (pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  platform::watchFd(wakePipe[0], endFromLoop);
  struct sigaction action = {};
  action.sa_handler = onEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kEndSignals) sigaction(signalNumber, &action, nullptr);
  return true;
}
