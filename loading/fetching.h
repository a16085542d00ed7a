// loading/fetching.h -- the record of URL fetching (private to loading/).
//
// Owns: UrlFetching, the program-wide state of the modules that get the
// file behind a URL. They are one path: the URL table asks its fetch, which
// is the browser link's unless a tool or test put its own; the link fetches
// web documents through its web half and everything else through its
// conversations with the browser, whose server hands the document back.
// Each module writes only its own member: `fetch` loading/urltable.cpp,
// `link` loading/wwwlink.cpp, `web` loading/weblink.cpp, `client`
// loading/ddeclient.cpp, `server` loading/ddeserver.cpp. The record is
// defined in loading/wwwlink.cpp. It does not own the URL tables (a world's),
// the transfers (loading/httpfetch.h) nor the browser service
// (loading/browserservice.h).
#ifndef LUMENFOLD_LOADING_FETCHING_H
#define LUMENFOLD_LOADING_FETCHING_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "loading/ddeclient.h"
#include "loading/ddeserver.h"
#include "loading/urltable.h"
#include "loading/wwwlink.h"

// ---- the browser link (loading/wwwlink.cpp) --------------------------------

constexpr size_t kWwwReplySize = 256;

struct WwwLinkState {
  std::unique_ptr<ZmDDEClient> client;
  std::unique_ptr<ZmDDEServer> server;
  char baseUrl[ZM_URL_BUFFER_SIZE] = "";  // the document relative URLs start from
  char result[ZM_URL_BUFFER_SIZE] = "";   // the local file of the last fetch
  char reply[kWwwReplySize] = "";         // the URL of a local file name
  ZmLoadRecord loadRecord = {nullptr, nullptr};
};

// ---- the web half (loading/weblink.cpp) ------------------------------------

struct WebTransfer;

struct WebFetches {
  std::vector<WebTransfer*> running;  // the transfers under way, innermost last
  unsigned counter = 0;               // tells apart the copies of one run
  std::string lastFailure;            // of the last fetch that failed
};

// ---- the conversations (loading/ddeclient.cpp, loading/ddeserver.cpp) ------

struct DdeClientState {
  ZmDDEClient* client = nullptr;  // the program's client
  int busy = 0;                   // 1 while a request runs
  bool warnedNotRunning = false;  // "Netscape is not running." said this run
};

struct DdeServerState {
  ZmDDEServer* server = nullptr;    // the program's server
  uint32_t transactionCounter = 0;  // the last transfer number handed out
  ZmHandedDocument handed = {};
  char nthMessage[ZM_DDE_ITEM_SIZE] = "";  // getNthMessage's answer
  uint16_t progressAnswer = 0;
  uint32_t alertAnswer = 0;
};

struct UrlFetching {
  ZmUrlFetch fetch = zmWwwFetchUrl;  // null: nothing can be fetched
  WwwLinkState link;
  WebFetches web;
  DdeClientState client;
  DdeServerState server;
};
UrlFetching& urlFetching();

#endif
