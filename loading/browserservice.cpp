// loading/browserservice.cpp -- the program's own browser service; see
// browserservice.h.
#include "loading/browserservice.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/apphandles.h"
#include "core/dirs.h"
#include "loading/ddeclient.h"
#include "loading/desktopopen.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"

namespace {

constexpr const char* kWindowClass = "LfBrowserService";
constexpr UINT kWorkMessage = WM_USER + 1;  // to the hidden window: work on the next URL

// One URL asked for, from the request to the document handed over.
struct Transfer {
  std::string url;
  std::string progressApp;  // the application told of progress and failures
  uint32_t number = 0;      // the transfer's number, given by the progress application
  bool rangeSent = false;
  bool cancelled = false;
};

struct Service {
  DWORD instance = 0;
  HSZ name = nullptr;
  HWND window = nullptr;
  std::map<std::string, std::string> viewers;  // MIME text -> the application that views it
  std::deque<Transfer> queue;                  // asked for, not yet worked on
  Transfer* current = nullptr;                 // being worked on
  std::vector<BYTE> answer;                    // the answer of the request being served
  unsigned downloads = 0;                      // numbers the download files
  std::vector<pid_t> desktopOpeners;           // handed-over URLs' openers not yet reaped
};
Service service;

std::string textOf(HSZ hsz) {
  char buffer[ZM_DDE_ITEM_SIZE * 2] = "";
  if (DdeQueryStringA(service.instance, hsz, nullptr, 0, CP_WINANSI) >= sizeof buffer) return {};
  DdeQueryStringA(service.instance, hsz, buffer, sizeof buffer, CP_WINANSI);
  return buffer;
}

std::string argument(const std::string& item, int n) {
  char out[ZM_DDE_ITEM_SIZE * 2];
  return zmDdeItemArgument(item.c_str(), n, out, sizeof out) ? out : "";
}

// "URL,,WINDOW,FLAGS,,,APP": the URL may hold commas, so the fields are
// counted from the right.
bool splitOpenUrlItem(const std::string& item, std::string* url, std::string* app) {
  size_t cut = item.size();
  for (int commas = 0; commas < 6; ++commas) {
    cut = cut == 0 ? std::string::npos : item.rfind(',', cut - 1);
    if (cut == std::string::npos) return false;
    if (commas == 0) *app = item.substr(cut + 1);
  }
  *url = item.substr(0, cut);
  if (url->size() >= 2 && url->front() == '"' && url->back() == '"') *url = url->substr(1, url->size() - 2);
  return !url->empty() && !app->empty();
}

// One conversation with `app`: connect, one transaction, disconnect. True
// when the application acknowledged it; a request's answer goes to *answer.
bool ask(const std::string& app, const char* topic, const std::string& item, UINT type,
         std::vector<BYTE>* answer = nullptr) {
  HSZ appHandle = DdeCreateStringHandleA(service.instance, app.c_str(), CP_WINANSI);
  HSZ topicHandle = DdeCreateStringHandleA(service.instance, topic, CP_WINANSI);
  HSZ itemHandle = DdeCreateStringHandleA(service.instance, item.c_str(), CP_WINANSI);
  HCONV conversation = DdeConnect(service.instance, appHandle, topicHandle, nullptr);
  HDDEDATA data = conversation != nullptr ? DdeClientTransaction(nullptr, 0, conversation, itemHandle, CF_TEXT,
                                                                 type, ZM_DDE_TIMEOUT_MS, nullptr)
                                          : nullptr;
  if (data != nullptr && type == XTYP_REQUEST) {
    if (answer != nullptr) {
      answer->resize(DdeGetData(data, nullptr, 0, 0));
      DdeGetData(data, answer->data(), DWORD(answer->size()), 0);
    }
    DdeFreeDataHandle(data);
  }
  if (conversation != nullptr) DdeDisconnect(conversation);
  for (HSZ hsz : {appHandle, topicHandle, itemHandle}) DdeFreeStringHandle(service.instance, hsz);
  return data != nullptr;
}

std::string hexNumber(uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(number));
  return text;
}

// ---------------------------------------------------------------- progress

uint32_t beginProgress(const Transfer& transfer) {
  std::vector<BYTE> answer;
  uint32_t number = 0;
  if (ask(transfer.progressApp, "WWW_BeginProgress", "0xFFFFFFFF,\"Loading " + transfer.url + "\"", XTYP_REQUEST,
          &answer) &&
      answer.size() >= sizeof number)
    std::memcpy(&number, answer.data(), sizeof number);
  return number;
}

// Tells the progress application how far a transfer has come. False when
// the transfer was cancelled (the web fetch then stops).
bool reportProgress(long long received, long long total, void* user) {
  Transfer& transfer = *static_cast<Transfer*>(user);
  const std::string number = hexNumber(transfer.number);
  if (total > 0 && !transfer.rangeSent) {
    ask(transfer.progressApp, "WWW_SetProgressRange", number + "," + std::to_string(total), XTYP_REQUEST);
    transfer.rangeSent = true;
  }
  ask(transfer.progressApp, "WWW_MakingProgress", number + ",\"" + transfer.url + "\"," + std::to_string(received),
      XTYP_REQUEST);
  return !transfer.cancelled;
}

// ---------------------------------------------------------------- fetching

// A new file name in the program's temporary folder that keeps the URL's
// last name (its extension tells the file's type).
bool downloadName(const std::string& url, std::string* local) {
  const char* folder = zmGetTempDir();
  if (folder == nullptr) return false;
  std::string name = url.substr(0, url.find_first_of("?#"));
  name = name.substr(name.find_last_of('/') + 1);
  *local = std::string(folder) + "/download-" + std::to_string(getpid()) + "-" + std::to_string(++service.downloads) +
           "-" + name;
  return true;
}

/*
 * fetchDocument --
 *   Makes the document of a transfer a local file: a "file:" URL names the
 *   user's own file, used where it lies; a web URL is fetched into a new
 *   file of the temporary folder.
 * Results:
 *   True with the file in *local; false with the reason in *why.
 */
bool fetchDocument(Transfer& transfer, std::string* local, std::string* why) {
  const std::string& url = transfer.url;
  if (zmGetUrlScheme(url.c_str()) == ZM_SCHEME_FILE) {
    const char* path = zmFileUrlToPath(url.c_str());
    struct stat info{};
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode) || access(path, R_OK) != 0) {
      *why = "cannot read the file";
      return false;
    }
    *local = path;
    if (reportProgress(info.st_size, info.st_size, &transfer)) return true;
    *why = "cancelled";
    return false;
  }
  if (!zmIsWebUrl(url.c_str())) {
    *why = "cannot fetch this kind of URL";
    return false;
  }
  if (!downloadName(url, local)) {
    *why = "no temporary folder";
    return false;
  }
  const ZmFetchOutcome outcome = zmHttpFetch(url.c_str(), local->c_str(), reportProgress, &transfer);
  if (outcome.status == ZM_FETCH_OK) return true;
  *why = outcome.status == ZM_FETCH_CANCELLED ? "cancelled" : outcome.message;
  return false;
}

// The MIME type a document is viewed as: a gzip file's is that of the name
// inside ("w.wrl.gz" is a VRML world).
const char* documentMime(const std::string& url) {
  std::string name = url.substr(0, url.find_first_of("?#"));
  if (zmGetFileType(name.c_str()) == ZM_FILE_GZ) name.resize(name.size() - 3);
  return zmGetMimeTextOfFile(name.c_str());
}

void alert(const Transfer& transfer, const std::string& why) {
  ask(transfer.progressApp, "WWW_Alert", "\"" + transfer.url + ": " + why + "\",0x1,0x1", XTYP_REQUEST);
}

// A document no viewer of ours takes goes to the desktop's browser, which
// fetches it itself; the program that asked hears nothing more of it. A
// document of a type without a MIME text goes there only from the web or
// as a mail address: a program fetching another such document through the
// browser waits for it to come back or fail.
bool handedToDesktop(const Transfer& transfer) {
  const char* url = transfer.url.c_str();
  const char* mime = documentMime(transfer.url);
  if (mime != nullptr && service.viewers.count(mime) != 0) return false;
  if (mime == nullptr && !zmIsWebUrl(url) && strncasecmp(url, "mailto:", 7) != 0) return false;
  return zmDesktopOpen(url, service.desktopOpeners) == 0;
}

void deliver(Transfer& transfer) {
  if (handedToDesktop(transfer)) return;
  transfer.number = beginProgress(transfer);
  std::string local, why;
  const bool had = fetchDocument(transfer, &local, &why);
  ask(transfer.progressApp, "WWW_EndProgress", hexNumber(transfer.number), XTYP_REQUEST);
  const char* mime = documentMime(transfer.url);
  const auto viewer = mime != nullptr ? service.viewers.find(mime) : service.viewers.end();
  if (!had) return alert(transfer, why);
  if (viewer == service.viewers.end()) return alert(transfer, std::string("no viewer takes ") + (mime ? mime : "it"));
  ask(viewer->second, "WWW_ViewDocFile", "\"" + local + "\",\"" + transfer.url + "\",\"" + mime + "\"",
      XTYP_REQUEST);
}

LRESULT CALLBACK workProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != kWorkMessage) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (service.queue.empty()) return 0;
  Transfer transfer = std::move(service.queue.front());
  service.queue.pop_front();
  service.current = &transfer;
  deliver(transfer);
  service.current = nullptr;
  return 0;
}

// ---------------------------------------------------------------- topics

std::vector<BYTE> acknowledgement() { return {1, 0, 0, 0}; }

std::vector<BYTE> textAnswer(const std::string& text) {
  std::vector<BYTE> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

bool openUrl(const std::string& item) {
  Transfer transfer;
  if (!splitOpenUrlItem(item, &transfer.url, &transfer.progressApp)) return false;
  service.queue.push_back(std::move(transfer));
  PostMessageA(service.window, kWorkMessage, 0, 0);
  return true;
}

std::string fileUrlOf(const std::string& file) {
  if (file.empty()) return {};
  std::string path = file;
  char folder[ZM_URL_BUFFER_SIZE];
  if (path[0] != '/' && getcwd(folder, sizeof folder) != nullptr) path = std::string(folder) + "/" + path;
  const char* url = zmMakeFileUrl(path.c_str());
  return url != nullptr ? url : "";
}

// The answer to a request; false when the service does not take it.
bool answerRequest(const std::string& topic, const std::string& item, std::vector<BYTE>* answer) {
  if (topic == "WWW_RegisterViewer" || topic == "WWW_UnRegisterViewer") {
    const std::string app = argument(item, 0), mime = argument(item, 1);
    if (app.empty() || mime.empty()) return false;
    if (topic == "WWW_RegisterViewer")
      service.viewers[mime] = app;
    else if (service.viewers.count(mime) != 0 && service.viewers[mime] == app)
      service.viewers.erase(mime);
    *answer = acknowledgement();
    return true;
  }
  if (topic == "WWW_OpenURL") {
    *answer = acknowledgement();
    return openUrl(item);
  }
  if (topic == "WWW_QueryURLFile") {
    const std::string url = fileUrlOf(item);
    *answer = textAnswer(url.empty() ? "" : "\"" + url + "\"");
    return true;
  }
  return false;
}

void cancel(const std::string& item) {
  const unsigned long number = std::strtoul(item.c_str(), nullptr, 16);
  if (service.current != nullptr && service.current->number == number) service.current->cancelled = true;
}

HDDEDATA CALLBACK serviceCallback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                  ULONG_PTR data1, ULONG_PTR data2) {
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(uintptr_t(hsz2 == service.name));
    case XTYP_REQUEST: {
      if (!answerRequest(textOf(hsz1), textOf(hsz2), &service.answer)) return nullptr;
      return DdeCreateDataHandle(service.instance, service.answer.data(), DWORD(service.answer.size()), 0, hsz2,
                                 CF_TEXT, 0);
    }
    case XTYP_POKE:
      if (textOf(hsz1) != "WWW_CancelProgress") return nullptr;
      cancel(textOf(hsz2));
      return reinterpret_cast<HDDEDATA>(uintptr_t(DDE_FACK));
    default:
      return nullptr;
  }
}

// True when one of the browser service names answers.
bool browserAnswers() {
  DWORD probe = 0;
  if (DdeInitializeA(&probe, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
  HSZ topic = DdeCreateStringHandleA(probe, "WWW_OpenURL", CP_WINANSI);
  bool answers = false;
  for (const char* name : zmBrowserServices) {
    HSZ serviceName = DdeCreateStringHandleA(probe, name, CP_WINANSI);
    HCONV conversation = DdeConnect(probe, serviceName, topic, nullptr);
    if (conversation != nullptr) DdeDisconnect(conversation);
    answers = answers || conversation != nullptr;
  }
  DdeUninitialize(probe);
  return answers;
}

bool makeWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = workProc;
  windowClass.hInstance = zmGetHinstance();
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  service.window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, zmGetHinstance(), nullptr);
  return service.window != nullptr;
}

}  // namespace

int zmStartBrowserService() {
  if (service.instance != 0) return 1;
  if (browserAnswers()) return 0;
  if (!makeWindow()) return -1;
  if (DdeInitializeA(&service.instance, serviceCallback, 0, 0) != DMLERR_NO_ERROR) {
    zmStopBrowserService();
    return -1;
  }
  service.name = DdeCreateStringHandleA(service.instance, zmBrowserServices[0], CP_WINANSI);
  if (DdeNameService(service.instance, service.name, nullptr, DNS_REGISTER) == nullptr) {
    zmStopBrowserService();
    return -1;
  }
  return 1;
}

void zmStopBrowserService() {
  if (service.instance != 0) DdeUninitialize(service.instance);
  if (service.window != nullptr) DestroyWindow(service.window);
  UnregisterClassA(kWindowClass, zmGetHinstance());
  // Openers still running outlive the service; a later hand-over reaps them.
  std::vector<pid_t> openers = std::move(service.desktopOpeners);
  service = Service{};
  service.desktopOpeners = std::move(openers);
}
