// loading/ddeserver.cpp -- the conversation base, the program's server and
// the common handler; see ddeserver.h.
#include "loading/ddeserver.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/apphandles.h"
#include "core/report.h"
#include "loading/fetching.h"

namespace {

const char kEmptyReply[] = "";

// Reads an item into the object's current item; an item too long for it is
// read as empty, so that no argument is taken from a cut-off text.
DWORD readItem(ZmDDEBase* object, HSZ item) {
  object->currentItem[0] = '\0';
  if (DdeQueryStringA(object->ddeInstance, item, nullptr, 0, CP_WINANSI) >= sizeof object->currentItem) return 0;
  return DdeQueryStringA(object->ddeInstance, item, object->currentItem, sizeof object->currentItem, CP_WINANSI);
}

HDDEDATA dataOf(ZmDDEBase* object, HSZ item, const ZmDdeReply& reply) {
  if (reply.data == nullptr) return nullptr;
  const DWORD length =
      reply.length != 0 ? reply.length : DWORD(std::strlen(static_cast<const char*>(reply.data)) + 1);
  return DdeCreateDataHandle(object->ddeInstance, static_cast<LPBYTE>(const_cast<void*>(reply.data)), length, 0,
                             item, CF_TEXT, 0);
}

HDDEDATA CALLBACK serverCallback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                 ULONG_PTR data1, ULONG_PTR data2) {
  DdeServerState& state = urlFetching().server;
  ZmDDEServer* server = state.server;
  if (server == nullptr) return nullptr;
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(uintptr_t(hsz2 == server->service));
    case XTYP_CONNECT_CONFIRM:
      server->conversation = conv;
      return nullptr;
    case XTYP_REQUEST:
      readItem(server, hsz2);
      return dataOf(server, hsz2, server->handler(server, hsz1, type));
    case XTYP_POKE: {
      const DWORD length = readItem(server, hsz2);
      server->handler(server, hsz1, type);
      server->conversation = conv;
      return reinterpret_cast<HDDEDATA>(uintptr_t(length != 0 ? DDE_FACK : DDE_FNOTPROCESSED));
    }
    case XTYP_DISCONNECT:
      server->conversation = nullptr;
      server->handler(server, hsz1, type);
      return nullptr;
    default:
      return nullptr;
  }
}

// ---------------------------------------------------------------- topics

// The handed-over file is the user's own when its URL is a "file:" URL:
// it is then kept, and what is made from it goes into the user folder.
int placementOf(const char* url) {
  return zmGetUrlScheme(url) == ZM_SCHEME_FILE ? ZM_PLACE_LOCAL : ZM_PLACE_FETCHED;
}

ZmDdeReply viewDocFile(ZmDDEBase* object) {
  DdeServerState& state = urlFetching().server;
  char file[ZM_URL_BUFFER_SIZE], url[ZM_URL_BUFFER_SIZE], mime[ZM_DDE_ITEM_SIZE];
  const char* item = object->currentItem;
  if (!zmDdeItemArgument(item, 0, file, sizeof file) || !zmDdeItemArgument(item, 1, url, sizeof url) ||
      !zmDdeItemArgument(item, 2, mime, sizeof mime) || file[0] == '\0' || url[0] == '\0') {
    zmReportWarning("WWW_ViewDocFile: malformed item %s", item);
    return {kEmptyReply, 0};
  }
  ZmHandedDocument& handed = state.handed;
  // A file that cannot be post-processed is still handed on: the load then
  // fails on it and says so.
  if (zmPreProcessFile(placementOf(url), file, handed.local, sizeof handed.local, zmGetFileTypeOfMime(mime)) != 0)
    std::memcpy(handed.local, file, sizeof handed.local);
  std::memcpy(handed.url, url, sizeof handed.url);
  handed.record = {handed.local, handed.url};
  PostMessageA(zmGetMainHwnd(), WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&handed.record));
  return {kEmptyReply, 0};
}

ZmDdeReply beginProgress() {
  DdeServerState& state = urlFetching().server;
  state.transactionCounter += 1;
  return {&state.transactionCounter, sizeof state.transactionCounter};
}

ZmDdeReply alert(ZmDDEBase* object) {
  DdeServerState& state = urlFetching().server;
  const char* message = getNthMessage(object, 0);
  if (message != nullptr && std::strstr(message, "x-gzip") != nullptr) {
    state.alertAnswer = 1;
  } else {
    PostMessageA(zmGetMainHwnd(), WM_ZMCANCEL, 0, 0);
    state.alertAnswer = 0;
  }
  return {&state.alertAnswer, sizeof state.alertAnswer};
}

}  // namespace

ZmDDEBase::~ZmDDEBase() {
  if (ddeInstance != 0) DdeUninitialize(ddeInstance);
}

int ZmDDEBase::disconnect() {
  DdeDisconnect(conversation);
  conversation = nullptr;
  return 1;
}

ZmDDEServer::ZmDDEServer(const char* name) : ZmDDEBase(ZM_DDE_SERVER) {
  std::snprintf(serviceName, sizeof serviceName, "%s", name != nullptr ? name : "ZMDDESERVER");
}

ZmDDEServer::~ZmDDEServer() {
  DdeServerState& state = urlFetching().server;
  if (state.server == this) state.server = nullptr;
  if (ddeInstance == 0) return;
  if (service != nullptr) {
    DdeNameService(ddeInstance, service, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(ddeInstance, service);
  }
  for (int i = 0; i < topicCount; ++i) DdeFreeStringHandle(ddeInstance, topics[i]);
}

int ZmDDEServer::init(HINSTANCE instance, ZmDdeHandler newHandler) {
  DdeServerState& state = urlFetching().server;
  if (DdeInitializeA(&ddeInstance, serverCallback, 0, 0) != DMLERR_NO_ERROR) {
    zmReportWarning("DdeInitialize() failed.");
    return 0;
  }
  callback = serverCallback;
  state.server = this;
  handler = newHandler;
  service = DdeCreateStringHandleA(ddeInstance, serviceName, CP_WINANSI);
  if (service == nullptr || DdeNameService(ddeInstance, service, nullptr, DNS_REGISTER) == nullptr) {
    zmReportWarning("DdeNameService() failed.");
    return 0;
  }
  return 1;
}

ZmDdeReply zmDdeCommonHandler(ZmDDEBase* object, HSZ topic, UINT type) {
  DdeServerState& state = urlFetching().server;
  char name[ZM_DDE_ITEM_SIZE] = "";
  DdeQueryStringA(object->ddeInstance, topic, name, sizeof name, CP_WINANSI);
  if (object->kind != ZM_DDE_SERVER) return {kEmptyReply, 0};
  const std::string topicName = name;
  if (topicName == "WWW_ViewDocFile") return viewDocFile(object);
  if (topicName == "WWW_BeginProgress") return beginProgress();
  if (topicName == "WWW_MakingProgress") {
    state.progressAnswer = 0;
    return {&state.progressAnswer, sizeof state.progressAnswer};
  }
  if (topicName == "WWW_Alert") return alert(object);
  return {kEmptyReply, 0};
}

bool zmDdeItemArgument(const char* item, int n, char* out, size_t size) {
  if (item == nullptr || n < 0 || size == 0) return false;
  const char* at = item;
  for (int index = 0;; ++index) {
    const char* begin = at;
    const char* end;
    if (*at == '"') {
      begin = at + 1;
      end = std::strchr(begin, '"');
      if (end == nullptr || (end[1] != ',' && end[1] != '\0')) return false;
      at = end + 1;
    } else {
      end = std::strchr(begin, ',');
      if (end == nullptr) end = begin + std::strlen(begin);
      at = end;
    }
    if (index == n) {
      const size_t length = size_t(end - begin);
      if (length >= size) return false;
      std::memcpy(out, begin, length);
      out[length] = '\0';
      return true;
    }
    if (*at == '\0') return false;
    ++at;  // past the ','
  }
}

const char* getNthMessage(ZmDDEBase* object, int n) {
  DdeServerState& state = urlFetching().server;
  if (!zmDdeItemArgument(object->currentItem, n, state.nthMessage, sizeof state.nthMessage)) {
    zmReportWarning("getNthMessage : message buffer is invalid");
    return nullptr;
  }
  std::memcpy(object->argument, state.nthMessage, sizeof object->argument);
  return state.nthMessage;
}

ZmHandedDocument& zmDdeHandedDocument() { return urlFetching().server.handed; }

ZmDDEServer* zmDdeProgramServer() { return urlFetching().server.server; }

uint32_t zmDdeTransactionCounter() { return urlFetching().server.transactionCounter; }
