// lumenfold -- the program: shows VRML worlds in a window (on the X display
// when there is one, headless otherwise).
//
//   lumenfold [--headless] [--frames N] [--screenshot FILE.bmp] [--chat] [options] [WORLD ...]
//
// The program's own options are taken out first; the other words go to the
// shell's argument table as they are (a name with blanks stays one word),
// which scans them ("-dframerate", "-dflags NAME...", the world argument and
// the worlds opened after it). --frames N ends the program after N rendered
// frames (or once no world is left to come) and prints
// "frames N ms/frame X tick T fps F chat C", X being the mean
// rendering time of a frame, T the mean processor time of a whole tick
// (rendering, showing and the tick's other work, from the second frame on),
// F the frames a second from the first frame to the last, and C the chat
// lines shown; --screenshot writes the view after the last frame as
// a BMP. --chat opens the chat window at the start, as the Chat command does.
// SIGTERM, SIGINT and SIGHUP end the program as the Exit command does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/apphandles.h"
#include "loading/madecopies.h"
#include "platform/presenter.h"
#include "platform/recorder.h"
#include "platform/x11/xpresenter.h"
#include "script/mainloop.h"
#include "shell/app.h"
#include "shell/appstate.h"
#include "shell/chat.h"
#include "shell/cmdline.h"
#include "shell/notify.h"
#include "shell/signals.h"
#include "startup/startup.h"
#include "shell/viewwin.h"
#include "shell/worldload.h"

namespace {

// Takes the program's own options into the shell's record; the other words,
// pointing into argv, go to `words` for the shell.
bool takeOptions(int argc, char** argv, std::vector<char*>* words) {
  ZmRunOptions& options = zmShell.run;
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (std::strcmp(word, "--headless") == 0) {
      options.headless = true;
    } else if (std::strcmp(word, "--frames") == 0 && i + 1 < argc) {
      options.frames = std::atol(argv[++i]);
      if (options.frames < 1) return false;
    } else if (std::strcmp(word, "--screenshot") == 0 && i + 1 < argc) {
      options.screenshot = argv[++i];
    } else if (std::strcmp(word, "--chat") == 0) {
      options.chat = true;
    } else {
      words->push_back(argv[i]);
    }
  }
  return true;
}

// Messages go to the Messages window; before it exists, and always in a
// headless run (where nobody sees the window), also to standard error.
int showMessage(const char* text) {
  if (zmNotifyMessage(text) == 0 && !zmShell.run.headless) return 0;
  std::fprintf(stderr, "%s\n", text);
  return 0;
}

void afterFrame(HWND view, long frames) {
  const ZmRunOptions& options = zmShell.run;
  if (frames != options.frames) return;
  if (!options.screenshot.empty() && !platform::saveWindowBmp(view, options.screenshot))
    std::fprintf(stderr, "lumenfold: cannot write %s\n", options.screenshot.c_str());
  PostMessageA(zmGetMainHwnd(), WM_CLOSE, 0, 0);
}

// A world named to count frames of that did not come, and none left to
// open: the frames will never be drawn.
void afterFailedLoad() {
  const ZmCommandLine& line = zmShell.commandLine;
  if (zmShell.zmAppState != ZM_APP_WAITING || line.argIndex < line.argc) return;
  std::fprintf(stderr, "lumenfold: --frames needs a world that can be read\n");
  PostMessageA(zmGetMainHwnd(), WM_CLOSE, 0, 0);
}

void printFrameReport() {
  const ZmFrameStats stats = zmGetFrameStats();
  const double frames = static_cast<double>(stats.frames);
  const double spanMs = stats.lastFrameMs - stats.firstFrameMs;
  std::printf("frames %ld ms/frame %.3f tick %.3f fps %.1f chat %ld\n", stats.frames,
              stats.frames > 0 ? stats.renderingMs / frames : 0.0,
              stats.ticks > 0 ? stats.tickCpuMs / static_cast<double>(stats.ticks) : 0.0,
              stats.frames > 1 && spanMs > 0 ? (frames - 1) * 1000.0 / spanMs : 0.0, zmChatLineCount());
}

// A display that is named but cannot be opened would leave the program
// running where nobody sees it: it says so and ends instead.
bool startPresenterOrSay() {
  const bool headless = zmShell.run.headless;
  if (platform::startPresenter(headless) || headless) return true;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') return true;
  std::fprintf(stderr, "lumenfold: cannot open the display %s (--headless runs without one)\n", display);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> words;
  if (!takeOptions(argc, argv, &words)) {
    std::fprintf(stderr,
                 "usage: lumenfold [--headless] [--frames N] [--screenshot FILE.bmp] [--chat] [options] [WORLD ...]\n");
    return 2;
  }
  const ZmRunOptions& options = zmShell.run;
  platform::keepRecordedEvents(false);  // only tests read it
  if (!startPresenterOrSay()) return 1;
  zmStartLayers({showMessage});
  zmCatchEndSignals();
  zmCleanUpLeftCopies();
  if (options.frames > 0) {
    zmSetFrameObserver(afterFrame);
    zmSetFailedLoadObserver(afterFailedLoad);
  }

  zmTakeArguments(static_cast<int>(words.size()), words.data());
  if (zmAppInit(nullptr, nullptr, nullptr, SW_SHOWNORMAL) != 0) return 0;
#ifndef NDEBUG
  // The shell has filled its slots now: what it leaves unset is still to be built.
  if (const std::string unset = zmListUnsetHooks({"shell"}); !unset.empty())
    std::fprintf(stderr, "Service records left unset by the shell:\n%s", unset.c_str());
#endif
  if (options.frames > 0 && zmShell.zmAppState == ZM_APP_WAITING) {
    // No world is coming whose frames could be counted.
    std::fprintf(stderr, "lumenfold: --frames needs a world that can be read\n");
    PostMessageA(zmGetMainHwnd(), WM_CLOSE, 0, 0);
  }
  if (options.chat) PostMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CHAT_COMMAND, 0);
  MSG msg{};
  zmMainLoop(&msg);
  if (options.frames > 0) printFrameReport();
  platform::closeX11Presenter();
  if (options.frames > 0 && zmGetFrameStats().frames < options.frames) return 1;
  return static_cast<int>(msg.wParam);
}
