// loading/ddeclient.cpp -- the program's client; see ddeclient.h.
#include "loading/ddeclient.h"

#include "core/report.h"
#include "loading/fetching.h"

const char* const zmBrowserServices[3] = {"NETSCAPE", "MOSAIC", "IEXPLORE"};

namespace {

HDDEDATA CALLBACK clientCallback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                 ULONG_PTR data1, ULONG_PTR data2) {
  DdeClientState& state = urlFetching().client;
  ZmDDEClient* client = state.client;
  if (client != nullptr && type == XTYP_DISCONNECT) {
    client->conversation = nullptr;
    client->handler(client, hsz1, type);
  }
  return nullptr;
}

}  // namespace

ZmDDEClient::~ZmDDEClient() {
  DdeClientState& state = urlFetching().client;
  if (state.client == this) state.client = nullptr;
  if (data != nullptr) DdeFreeDataHandle(data);
  callback = nullptr;
}

int ZmDDEClient::init(HINSTANCE instance, ZmDdeHandler newHandler) {
  DdeClientState& state = urlFetching().client;
  if (DdeInitializeA(&ddeInstance, clientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    zmReportWarning("ZmDDEClient::init() DdeInitialize() failed");
    return false;
  }
  callback = clientCallback;
  state.client = this;
  handler = newHandler;
  return true;
}

int ZmDDEClient::connect(const char* service, const char* topic) {
  DdeClientState& state = urlFetching().client;
  if (conversation != nullptr) {
    zmReportWarning("Connection has already been established");
    return 0;
  }
  HSZ serviceHandle = DdeCreateStringHandleA(ddeInstance, service, CP_WINANSI);
  HSZ topicHandle = DdeCreateStringHandleA(ddeInstance, topic, CP_WINANSI);
  conversation = DdeConnect(ddeInstance, serviceHandle, topicHandle, nullptr);
  DdeFreeStringHandle(ddeInstance, serviceHandle);
  DdeFreeStringHandle(ddeInstance, topicHandle);
  if (conversation != nullptr) return 1;
  if (!state.warnedNotRunning) zmReportWarning("Netscape is not running.");
  state.warnedNotRunning = true;
  return 0;
}

int ZmDDEClient::send(const char* item, UINT type) {
  if (conversation == nullptr) {
    zmReportWarning("ZmDDEClient::send() No DDE connection.");
    return 0;
  }
  HSZ itemHandle = DdeCreateStringHandleA(ddeInstance, item, CP_WINANSI);
  if (data != nullptr) DdeFreeDataHandle(data);
  data = DdeClientTransaction(nullptr, 0, conversation, itemHandle, CF_TEXT, type, ZM_DDE_TIMEOUT_MS, &result);
  DdeFreeStringHandle(ddeInstance, itemHandle);
  return 1;
}

int ZmDDEClient::disconnect() {
  if (conversation == nullptr || callback == nullptr) {
    zmReportWarning("ZmDDEClient::disconnect() No DDE connection!!");
    return 0;
  }
  DdeDisconnect(conversation);
  conversation = nullptr;
  return 1;
}

int ZmDDEClient::request(const char* topic, const char* item, UINT type) {
  DdeClientState& state = urlFetching().client;
  state.busy = 1;
  bool connected = false;
  for (const char* service : zmBrowserServices)
    if ((connected = connect(service, topic) == 1)) break;
  const int done = connected && send(item, type) == 1 && disconnect() == 1 ? 1 : 0;
  state.busy = 0;
  return done;
}

DWORD ZmDDEClient::getData(void* buffer, DWORD size) {
  return data != nullptr ? DdeGetData(data, static_cast<LPBYTE>(buffer), size, 0) : 0;
}

DWORD ZmDDEClient::dataSize() { return data != nullptr ? DdeGetData(data, nullptr, 0, 0) : 0; }

int zmDdeIsBusy() { return urlFetching().client.busy; }

ZmDDEClient* zmDdeProgramClient() { return urlFetching().client.client; }

void zmDdeForgetWarningForTest() { urlFetching().client.warnedNotRunning = false; }
