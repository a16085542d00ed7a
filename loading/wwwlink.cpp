// loading/wwwlink.cpp -- the browser link; see wwwlink.h.
#include "loading/wwwlink.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/apphandles.h"
#include "core/report.h"
#include "core/world.h"
#include "loading/ddeclient.h"
#include "loading/ddeserver.h"
#include "loading/fetching.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"
#include "loading/urltable.h"
#include "loading/weblink.h"
#include "vrml/session.h"

namespace {

constexpr const char* kApplicationName = "Lumenfold";
constexpr DWORD kHandOverTimeoutMs = 5000;  // the running program may unpack the world first

UrlFetching fetching;  // see loading/fetching.h

// The fetch buffer, shared with the server's handed-over document.
char* fetchBuffer() { return zmDdeHandedDocument().local; }
constexpr size_t kFetchBufferSize = sizeof ZmHandedDocument::local;

// Copies `text` into the buffer whole, or refuses; never cuts.
bool copyWhole(char* buffer, size_t size, const char* text) {
  if (text == nullptr || std::strlen(text) >= size) return false;
  std::memcpy(buffer, text, std::strlen(text) + 1);
  return true;
}

bool isWorld(const char* url) {
  const uint32_t type = zmGetFileType(url);
  return type == ZM_FILE_WRL || (type == ZM_FILE_GZ && zmGetGzInnerFileType(url) == ZM_FILE_WRL);
}

bool isLocalWorld(const char* url) { return zmGetUrlScheme(url) == ZM_SCHEME_FILE && isWorld(url); }
bool isWebWorld(const char* url) { return zmIsWebUrl(url) && isWorld(url); }

// The URL the files of the world in hand belong to: the world's own while
// one is being built or shown, else the base URL.
const char* worldUrl() {
  WwwLinkState& browserLink = fetching.link;
  const ZmWorld* world = zmGetWorldBeingBuiltOrCurrent();
  return world != nullptr && world->name != nullptr ? world->name : browserLink.baseUrl;
}

// The absolute form of a local name: the current folder joined to a relative
// one (".." is left to the file system). Empty when it cannot be had.
std::string absolutePath(const char* name) {
  if (name == nullptr || name[0] == '\0') return {};
  if (name[0] == '/') return name;
  char folder[ZM_URL_BUFFER_SIZE];
  if (getcwd(folder, sizeof folder) == nullptr) return {};
  return std::string(folder) + "/" + name;
}

// One request to the browser through the program's client; 0 when there is
// no client (the registration failed) or no browser took it.
int askBrowser(const char* topic, const std::string& item, UINT type = XTYP_REQUEST) {
  WwwLinkState& browserLink = fetching.link;
  ZmDDEClient* client = browserLink.client.get();
  return client != nullptr ? client->request(topic, item.c_str(), type) : 0;
}

std::string viewerItem(const char* mime, bool registering) {
  return std::string(kApplicationName) + "," + mime + (registering ? ",0x4" : "");
}

std::string openUrlItem(const char* url) {
  return std::string(url) + ",,0xFFFFFFFF,0x04,,," + kApplicationName;
}

// A world that cannot be had says why; the caller's -1 tells the shell.
int worldNotHad(const std::string& url, const char* why) {
  zmReportMessage("%s: cannot be loaded: %s", url.c_str(), why);
  return -1;
}

// Prepares a local world, or fetches a web one (the program fetches web
// documents itself, whatever browser answers, so that their files obey the
// web world's rules and Stop ends them), into the fetch buffer and posts it.
// A fetch may take long: the window shows the loading state from its start.
int openWorldInHand(const std::string& url) {
  WwwLinkState& browserLink = fetching.link;
  const bool web = isWebWorld(url.c_str());
  if (web) {
    if (HWND main = zmGetMainHwnd()) SendMessageA(main, WM_ZMLOADING, 0, 0);
    if (zmWebFetch(url.c_str(), ZM_FILE_WRL, fetchBuffer(), kFetchBufferSize) != 0)
      return worldNotHad(url, zmWebLastFailure());
  } else {
    const char* path = zmFileUrlToPath(url.c_str());
    if (path == nullptr) return worldNotHad(url, "not a local file name");
    const std::string pathCopy(path);
    if (zmPreProcessFile(ZM_PLACE_LOCAL, pathCopy.c_str(), fetchBuffer(), kFetchBufferSize, ZM_FILE_WRL) != 0)
      return worldNotHad(url, "cannot be unpacked");
  }
  zmWwwSetBaseUrl(url.c_str());
  browserLink.loadRecord = {fetchBuffer(), browserLink.baseUrl};
  if (!web) PostMessageA(zmGetMainHwnd(), WM_ZMLOADING, 0, 0);
  PostMessageA(zmGetMainHwnd(), WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&browserLink.loadRecord));
  return 0;
}

// Dispatches the queue's messages until one that ends a fetch: the
// document (WM_ZMLOADWORLD), a cancelled load (WM_ZMCANCEL), the main
// window's WM_CLOSE or the program's WM_QUIT (posted again). That message
// is taken off the queue, not dispatched.
MSG waitForDocument() {
  MSG msg{};
  for (;;) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return msg;
    }
    if (msg.message == WM_ZMLOADWORLD || msg.message == WM_ZMCANCEL) return msg;
    if (msg.message == WM_CLOSE && msg.hwnd == zmGetMainHwnd()) return msg;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Asks the browser for `url` and waits for it to come back. True with the
// document's file in the fetch buffer.
bool fetchThroughBrowser(const std::string& url, uint32_t type) {
  const char* mime = type != ZM_FILE_WRL ? zmGetMimeTextOfFile(url.c_str()) : nullptr;
  // A type without a MIME text cannot be named to the browser.
  if (mime != nullptr) askBrowser("WWW_RegisterViewer", viewerItem(mime, true));
  bool arrived = false;
  MSG msg{};
  if (askBrowser("WWW_OpenURL", openUrlItem(url.c_str())) != 0) {
    msg = waitForDocument();
    const auto* record = reinterpret_cast<const ZmLoadRecord*>(msg.lParam);
    arrived = msg.message == WM_ZMLOADWORLD && record != nullptr && record->url != nullptr && url == record->url;
  }
  if (mime != nullptr) askBrowser("WWW_UnRegisterViewer", viewerItem(mime, false));
  // The program may close now that the fetch has unwound.
  if (msg.message == WM_CLOSE) DispatchMessageA(&msg);
  return arrived;
}

// The item that hands a local world over: "FILE","URL","x-world/x-vrml";
// empty when there is none (no name, not local, or a quote in it).
std::string handOverItem(const char* world) {
  if (world == nullptr) return {};
  const int scheme = zmGetUrlScheme(world);
  if (scheme != ZM_SCHEME_FILE && scheme != ZM_SCHEME_NONE) return {};
  const char* path = scheme == ZM_SCHEME_FILE ? zmFileUrlToPath(world) : nullptr;
  const std::string file = scheme == ZM_SCHEME_FILE ? (path != nullptr ? path : "") : absolutePath(world);
  const char* url = file.empty() ? nullptr : zmMakeFileUrl(file.c_str());
  if (url == nullptr || file.find('"') != std::string::npos || std::strchr(url, '"') != nullptr) return {};
  return "\"" + file + "\",\"" + url + "\",\"x-world/x-vrml\"";
}

}  // namespace

UrlFetching& urlFetching() { return fetching; }

int zmWwwSetBaseUrl(const char* url) {
  WwwLinkState& browserLink = fetching.link;
  if (!copyWhole(browserLink.baseUrl, sizeof browserLink.baseUrl, url)) {
    zmReportWarning("zmWwwSetBaseUrl: the URL does not fit: %s", url != nullptr ? url : "(null)");
    return -1;
  }
  return 0;
}

const char* zmWwwGetBaseUrl() { return fetching.link.baseUrl; }

int zmWwwOpenUrl(const char* url) {
  WwwLinkState& browserLink = fetching.link;
  const char* resolved = url != nullptr ? zmDdeParseAnchor(browserLink.baseUrl, url) : nullptr;
  if (resolved == nullptr) return -1;
  const std::string urlCopy(resolved);  // the resolver's buffer is reused below
  if (isLocalWorld(urlCopy.c_str()) || isWebWorld(urlCopy.c_str())) return openWorldInHand(urlCopy);
  if (askBrowser("WWW_OpenURL", openUrlItem(urlCopy.c_str())) == 0) return -1;
  if (zmGetFileType(urlCopy.c_str()) == ZM_FILE_WRL) PostMessageA(zmGetMainHwnd(), WM_ZMLOADING, 0, 0);
  return 0;
}

bool zmWwwIsWebWorld(const char* url) {
  WwwLinkState& browserLink = fetching.link;
  if (url == nullptr) return false;
  if (zmGetUrlScheme(url) != ZM_SCHEME_NONE || !zmIsWebUrl(browserLink.baseUrl)) return isWebWorld(url);
  const char* resolved = zmDdeParseAnchor(browserLink.baseUrl, url);
  return resolved != nullptr && isWebWorld(resolved);
}

int zmWwwOpenFile(const char* path) {
  const std::string absolute = absolutePath(path);
  const char* url = absolute.empty() ? nullptr : zmMakeFileUrl(absolute.c_str());
  if (url == nullptr) {
    zmReportWarning("zmWwwOpenFile: cannot open %s", path != nullptr ? path : "(null)");
    return -1;
  }
  const std::string urlCopy(url);
  return zmWwwOpenUrl(urlCopy.c_str());
}

const char* zmWwwFilenameToUrl(const char* file) {
  WwwLinkState& browserLink = fetching.link;
  if (file == nullptr) return nullptr;
  const size_t length = std::strlen(file);
  if (length >= kWwwReplySize) {
    zmReportMessage("%s: FileLength=%u: url buffer 256 size is overflow.", "zmWwwFilenameToUrl",
                    static_cast<unsigned>(length));
    return nullptr;
  }
  char* reply = browserLink.reply;
  reply[0] = '\0';
  ZmDDEClient* client = browserLink.client.get();
  if (askBrowser("WWW_QueryURLFile", file) != 0 && client->dataSize() > 0) {
    if (client->dataSize() > kWwwReplySize) {
      zmReportMessage("%s: the URL of %s does not fit in 256 characters.", "zmWwwFilenameToUrl", file);
      return nullptr;
    }
    const DWORD copied = client->getData(reply, kWwwReplySize - 1);
    reply[copied] = '\0';
    const size_t answer = std::strlen(reply);
    if (answer >= 2 && reply[0] == '"' && reply[answer - 1] == '"') {
      std::memmove(reply, reply + 1, answer - 2);
      reply[answer - 2] = '\0';
    }
  }
  if (reply[0] != '\0') return reply;
  const std::string absolute = absolutePath(file);
  const char* url = absolute.empty() ? nullptr : zmMakeFileUrl(absolute.c_str());
  if (!copyWhole(reply, kWwwReplySize, url)) {
    zmReportMessage("%s: the URL of %s does not fit in 256 characters.", "zmWwwFilenameToUrl", file);
    return nullptr;
  }
  return reply;
}

const char* zmWwwFetchUrl(ZmUrlHash* entry) {
  WwwLinkState& browserLink = fetching.link;
  const char* url = zmGetUrl(entry);
  const char* resolved = url != nullptr ? zmDdeParseAnchor(browserLink.baseUrl, url) : nullptr;
  if (resolved == nullptr) return nullptr;
  const std::string urlCopy(resolved);  // the resolver's buffer may be reused while fetching
  if (zmWebRefusesLocal(worldUrl(), urlCopy.c_str())) return nullptr;
  if (zmIsWebUrl(urlCopy.c_str())) {
    if (zmWebFetch(urlCopy.c_str(), ZM_FILE_WRL, browserLink.result, sizeof browserLink.result) != 0) return nullptr;
    entry->mimeType = zmGetFileType(browserLink.result);
    return browserLink.result;
  }
  const int scheme = zmGetUrlScheme(urlCopy.c_str());
  if (scheme == ZM_SCHEME_FILE) {
    const char* path = zmFileUrlToPath(urlCopy.c_str());
    if (path == nullptr || access(path, R_OK) != 0) return nullptr;
    std::memmove(fetchBuffer(), path, std::strlen(path) + 1);  // both buffers hold ZM_URL_BUFFER_SIZE
  } else if (!fetchThroughBrowser(urlCopy, zmGetFileType(urlCopy.c_str()))) {
    return nullptr;
  }
  const std::string fetched(fetchBuffer());
  if (zmPreProcessFile(scheme, fetched.c_str(), browserLink.result, sizeof browserLink.result, ZM_FILE_WRL) != 0)
    return nullptr;
  entry->mimeType = zmGetFileType(browserLink.result);
  return browserLink.result;
}

int zmWwwRegisterViewer() {
  WwwLinkState& browserLink = fetching.link;
  if (browserLink.client != nullptr) return 0;
  auto client = std::make_unique<ZmDDEClient>();
  if (!client->init(zmGetHinstance(), zmDdeCommonHandler)) return -1;
  if (client->request("WWW_RegisterViewer", viewerItem("x-world/x-vrml", true).c_str(), XTYP_REQUEST) == 0)
    return -1;
  browserLink.client = std::move(client);
  browserLink.server = std::make_unique<ZmDDEServer>(kApplicationName);
  browserLink.server->init(zmGetHinstance(), zmDdeCommonHandler);
  return 0;
}

int zmWwwUnRegisterViewer() {
  WwwLinkState& browserLink = fetching.link;
  askBrowser("WWW_UnRegisterViewer", viewerItem("x-world/x-vrml", false));
  browserLink.client.reset();
  browserLink.server.reset();
  return 0;
}

int zmWwwCancelProgress() {
  zmWebStopFetches();
  char item[16];
  std::snprintf(item, sizeof item, "0x%X", static_cast<unsigned>(zmDdeTransactionCounter()));
  askBrowser("WWW_CancelProgress", item, XTYP_POKE);
  return 0;
}

int zmWwwHandToRunningViewer(const char* world) {
  DWORD instance = 0;
  if (DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return ZM_NONE_RUNNING;
  HSZ service = DdeCreateStringHandleA(instance, kApplicationName, CP_WINANSI);
  HSZ topic = DdeCreateStringHandleA(instance, "WWW_ViewDocFile", CP_WINANSI);
  HCONV conversation = DdeConnect(instance, service, topic, nullptr);
  const std::string item = handOverItem(world);
  HSZ itemHandle = item.empty() ? nullptr : DdeCreateStringHandleA(instance, item.c_str(), CP_WINANSI);
  int outcome = conversation != nullptr ? ZM_ALREADY_RUNNING : ZM_NONE_RUNNING;
  if (conversation != nullptr && itemHandle != nullptr &&
      DdeClientTransaction(nullptr, 0, conversation, itemHandle, CF_TEXT, XTYP_REQUEST, kHandOverTimeoutMs,
                           nullptr) != nullptr)
    outcome = ZM_HANDED_OVER;
  if (conversation != nullptr) DdeDisconnect(conversation);
  DdeUninitialize(instance);
  return outcome;
}
