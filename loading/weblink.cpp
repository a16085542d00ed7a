// loading/weblink.cpp -- web documents fetched by the program; see
// weblink.h.
#include "loading/weblink.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "core/apphandles.h"
#include "core/dirs.h"
#include "core/report.h"
#include "loading/fetching.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"
#include "loading/madecopies.h"
#include "platform/winuser.h"

// One transfer in progress; nested ones (a fetch started by a message that
// an outer transfer's pump dispatched) stack up innermost last.
struct WebTransfer {
  bool stopped = false;
  bool holding = false;  // `held` is to be posted again when the transfer is gone
  MSG held{};
};

namespace {

constexpr size_t kLongestStep = 96;  // of a URL's last step kept in a file name
constexpr std::chrono::milliseconds kServingTime{50};  // of messages between two steps of a transfer

bool endsTheProgram(const MSG& msg) {
  return msg.message == WM_QUIT || (msg.message == WM_CLOSE && msg.hwnd == zmGetMainHwnd());
}

// The transfer's progress call: serves the queue so the windows stay alive,
// but for a bounded time, or a queue that never empties (a timer whose work
// outlasts its period) would keep the transfer from ever going on.
bool serveMessagesMeanwhile(long long, long long, void* user) {
  auto* transfer = static_cast<WebTransfer*>(user);
  const auto until = std::chrono::steady_clock::now() + kServingTime;
  MSG msg;
  while (!transfer->stopped && std::chrono::steady_clock::now() < until &&
         PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_ZMCANCEL) {
      zmWebStopFetches();
    } else if (endsTheProgram(msg)) {
      transfer->held = msg;
      transfer->holding = true;
      zmWebStopFetches();
    } else {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return !transfer->stopped;
}

void postAgain(const MSG& msg) {
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
  } else {
    PostMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
  }
}

// The URL's last step, without query or fragment, in characters that are
// safe in a file name; its end (where the extension is) kept when long.
std::string lastStepOf(const char* url) {
  std::string step(url, std::strcspn(url, "?#"));
  step.erase(0, step.find_last_of('/') + 1);
  if (step.size() > kLongestStep) step.erase(0, step.size() - kLongestStep);
  for (char& c : step) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                      c == '_' || c == '~';
    if (!safe) c = '-';
  }
  return step.empty() || step.find_first_not_of('.') == std::string::npos ? "index" : step;
}

// "<temporary folder>/<pid>-<n>-<last step>"; empty without a folder.
std::string copyNameFor(const char* url) {
  WebFetches& webFetches = urlFetching().web;
  const char* folder = zmGetTempDir();
  if (folder == nullptr) return {};
  return std::string(folder) + "/" + std::to_string(getpid()) + "-" + std::to_string(++webFetches.counter) + "-" +
         lastStepOf(url);
}

// Runs the transfer under the pump; false after the warning.
bool transferInto(const char* url, const std::string& copy) {
  WebFetches& webFetches = urlFetching().web;
  WebTransfer transfer;
  webFetches.running.push_back(&transfer);
  const ZmFetchOutcome outcome = zmHttpFetch(url, copy.c_str(), serveMessagesMeanwhile, &transfer);
  std::erase(webFetches.running, &transfer);
  if (transfer.holding) postAgain(transfer.held);
  if (outcome.status == ZM_FETCH_OK) return true;
  webFetches.lastFailure = outcome.message;
  zmReportWarning("zmWebFetch: %s: %s", url, outcome.message.c_str());
  return false;
}

}  // namespace

int zmWebFetch(const char* url, uint32_t type, char* out, size_t outSize) {
  WebFetches& webFetches = urlFetching().web;
  if (!zmIsWebUrl(url) || out == nullptr) return -1;
  const std::string copy = copyNameFor(url);
  if (copy.empty() || copy.size() >= outSize) {
    webFetches.lastFailure = "no room for its copy";
    zmReportWarning("zmWebFetch: %s: no room for its copy", url);
    return -1;
  }
  // Entered first, so that a copy a crash leaves behind goes at the next start.
  zmRecordMadeCopy(copy.c_str());
  int result = -1;
  if (transferInto(url, copy)) {
    result = zmPreProcessFile(ZM_PLACE_FETCHED, copy.c_str(), out, outSize, type);
    if (result != 0) webFetches.lastFailure = "what arrived cannot be unpacked or converted";
  }
  // Unpacking and conversion consume the copy and enter their own output.
  if (result != 0 || copy != out) zmDeleteMadeCopy(copy.c_str());
  return result;
}

const char* zmWebLastFailure() { return urlFetching().web.lastFailure.c_str(); }

void zmWebStopFetches() {
  for (WebTransfer* transfer : urlFetching().web.running) transfer->stopped = true;
}

bool zmWebRefusesLocalOpen(const char* worldUrl, const char* url) {
  if (!zmIsWebUrl(worldUrl) || url == nullptr) return false;
  const char* resolved = zmDdeParseAnchor(worldUrl, url);
  const bool local = resolved == nullptr || zmGetUrlScheme(resolved) == ZM_SCHEME_FILE || resolved[0] == '/';
  if (local) zmReportMessage("%s: a world from the web cannot open local files", url);
  return local;
}

bool zmWebRefusesLocal(const char* worldUrl, const char* url) {
  if (!zmIsWebUrl(worldUrl) || url == nullptr) return false;
  const bool local = zmGetUrlScheme(url) == ZM_SCHEME_FILE || url[0] == '/' || url[0] == '\\';
  if (local) zmReportWarning("%s: a world from the web cannot read local files", url);
  return local;
}
