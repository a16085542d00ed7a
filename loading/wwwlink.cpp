// loading/wwwlink.cpp -- the browser link, local half; see wwwlink.h.
#include "loading/wwwlink.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/apphandles.h"
#include "core/report.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"
#include "loading/urltable.h"
#include "loading/weblink.h"
#include "vrml/session.h"

namespace {

constexpr size_t kReplySize = 256;

struct LinkState {
  char baseUrl[ZM_URL_BUFFER_SIZE] = "";  // the document relative URLs start from
  char fetched[ZM_URL_BUFFER_SIZE] = "";  // the local copy of the world in hand
  char result[ZM_URL_BUFFER_SIZE] = "";   // the local file of the last fetch
  char reply[kReplySize] = "";            // the URL of a local file name
  ZmLoadRecord loadRecord = {nullptr, nullptr};
};
LinkState browserLink;

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

// Prepares the local world into the fetch buffer; 0 or -1.
int prepareLocalWorld(const char* url) {
  const char* path = zmFileUrlToPath(url);
  if (path == nullptr) return -1;
  const std::string pathCopy(path);
  return zmPreProcessFile(ZM_PLACE_LOCAL, pathCopy.c_str(), browserLink.fetched, sizeof browserLink.fetched,
                          ZM_FILE_WRL);
}

// The URL the files of the world in hand belong to: the world's own while
// one is being built or shown, else the base URL.
const char* worldUrl() {
  const ZmWorld* world = zmGetWorldBeingBuiltOrCurrent();
  return world != nullptr && world->name != nullptr ? world->name : browserLink.baseUrl;
}

// Brings the file of a resolved URL into the result buffer; 0 or -1.
int fetchInto(const char* resolved) {
  if (zmIsWebUrl(resolved))
    return zmWebFetch(resolved, ZM_FILE_WRL, browserLink.result, sizeof browserLink.result);
  if (zmGetUrlScheme(resolved) != ZM_SCHEME_FILE) {
    zmReportWarning("%s: only local and web files can be fetched", resolved);
    return -1;
  }
  const char* path = zmFileUrlToPath(resolved);
  if (path == nullptr || access(path, R_OK) != 0) return -1;
  const std::string pathCopy(path);
  return zmPreProcessFile(ZM_PLACE_LOCAL, pathCopy.c_str(), browserLink.result, sizeof browserLink.result,
                          ZM_FILE_WRL);
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

}  // namespace

int zmWwwSetBaseUrl(const char* url) {
  if (!copyWhole(browserLink.baseUrl, sizeof browserLink.baseUrl, url)) {
    zmReportWarning("zmWwwSetBaseUrl: the URL does not fit: %s", url != nullptr ? url : "(null)");
    return -1;
  }
  return 0;
}

const char* zmWwwGetBaseUrl() { return browserLink.baseUrl; }

int zmWwwOpenUrl(const char* url) {
  const char* resolved = url != nullptr ? zmDdeParseAnchor(browserLink.baseUrl, url) : nullptr;
  if (resolved == nullptr) return -1;
  const std::string urlCopy(resolved);  // the resolver's buffer is reused below
  if (isWebWorld(urlCopy.c_str())) {
    if (zmWebFetch(urlCopy.c_str(), ZM_FILE_WRL, browserLink.fetched, sizeof browserLink.fetched) != 0) return -1;
  } else if (isLocalWorld(urlCopy.c_str())) {
    if (prepareLocalWorld(urlCopy.c_str()) != 0) return -1;
  } else {
    zmReportWarning("%s: only local and web worlds can be opened", urlCopy.c_str());
    return -1;
  }
  zmWwwSetBaseUrl(urlCopy.c_str());
  browserLink.loadRecord = {browserLink.fetched, browserLink.baseUrl};
  // Both or neither: the loading state is shown only for a world that comes.
  PostMessageA(zmGetMainHwnd(), WM_ZMLOADING, 0, 0);
  PostMessageA(zmGetMainHwnd(), WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&browserLink.loadRecord));
  return 0;
}

bool zmWwwIsWebWorld(const char* url) {
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
  if (file == nullptr) return nullptr;
  const size_t length = std::strlen(file);
  if (length >= kReplySize) {
    zmReportMessage("%s: FileLength=%u: url buffer 256 size is overflow.", "zmWwwFilenameToUrl",
                    static_cast<unsigned>(length));
    return nullptr;
  }
  const std::string absolute = absolutePath(file);
  const char* url = absolute.empty() ? nullptr : zmMakeFileUrl(absolute.c_str());
  if (!copyWhole(browserLink.reply, sizeof browserLink.reply, url)) {
    zmReportMessage("%s: the URL of %s does not fit in 256 characters.", "zmWwwFilenameToUrl", file);
    return nullptr;
  }
  return browserLink.reply;
}

const char* zmWwwFetchUrl(ZmUrlHash* entry) {
  const char* url = zmGetUrl(entry);
  const char* resolved = url != nullptr ? zmDdeParseAnchor(browserLink.baseUrl, url) : nullptr;
  if (resolved == nullptr) return nullptr;
  const std::string urlCopy(resolved);  // the resolver's buffer may be reused while fetching
  if (zmWebRefusesLocal(worldUrl(), urlCopy.c_str()) || fetchInto(urlCopy.c_str()) != 0) return nullptr;
  entry->mimeType = zmGetFileType(browserLink.result);
  return browserLink.result;
}

int zmWwwCancelProgress() {
  zmWebStopFetches();
  return 0;
}

int zmDdeIsBusy() { return 0; }
int zmWwwRegisterViewer() { return 0; }
int zmWwwUnRegisterViewer() { return 0; }
