// loading/ddeclient.h -- the program's side of its conversations with the
// web browser: one conversation per request, opened with the first browser
// service that answers, one transaction, closed again.
//
// Owns: the program's client object (while it exists), the busy flag of a
// running request, the answer of the last transaction (its data handle,
// freed when the next one comes) and the one warning "Netscape is not
// running." of a run; what is program-wide of these is kept in the fetching
// record (loading/fetching.h). It does not own what is asked (wwwlink.h)
// nor the server the browser answers through (ddeserver.h).
#ifndef LUMENFOLD_LOADING_DDECLIENT_H
#define LUMENFOLD_LOADING_DDECLIENT_H

#include "loading/ddeserver.h"

// The browser services tried, in order.
extern const char* const zmBrowserServices[3];

constexpr DWORD ZM_DDE_TIMEOUT_MS = 1000;

class ZmDDEClient : public ZmDDEBase {
 public:
  ZmDDEClient() : ZmDDEBase(ZM_DDE_CLIENT) {}
  ~ZmDDEClient() override;
  // Starts a client-only instance and becomes the program's client; true,
  // or false after "ZmDDEClient::init() DdeInitialize() failed".
  int init(HINSTANCE instance, ZmDdeHandler handler) override;
  // Opens a conversation with `service` on `topic`; 1 or 0.
  int connect(const char* service, const char* topic);
  // One transaction on the open conversation, keeping its answer; 1, or 0
  // when no conversation is open.
  int send(const char* item, UINT type);
  int disconnect() override;
  /*
   * request --
   *   Sets the busy flag while it connects to the first browser service
   *   that answers on `topic`, sends `item` and disconnects.
   * Results:
   *   1 when a service took the conversation and it was closed again (what
   *   the transaction answered is not examined); else 0.
   */
  int request(const char* topic, const char* item, UINT type);
  // Copies at most `size` bytes of the last transaction's answer; how many.
  DWORD getData(void* buffer, DWORD size);
  // The byte count of the last transaction's answer (0 without one).
  DWORD dataSize();

  DWORD result = 0;          // the last transaction's result word
  HDDEDATA data = nullptr;   // the last transaction's answer
};

// 1 while a request runs.
int zmDdeIsBusy();
// The program's client while one exists, else null.
ZmDDEClient* zmDdeProgramClient();
// Forgets that "Netscape is not running." was said (tests start a new run).
void zmDdeForgetWarningForTest();

#endif
