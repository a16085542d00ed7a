// platform/ddeml.h -- the dynamic data exchange management calls: instances,
// string handles, data handles, named services, conversations and
// synchronous transactions, within one program and between programs of the
// same user on this machine.
//
// Owns: the instance table (each with its callback and last error), the
// string handle table, the data handles, the services each instance
// registered, and the conversations. It does not own the transport between
// programs (ddelink.h) nor the wait that delivers another program's calls
// (tclloop.h): those calls reach the callbacks from the message loop.
//
// String handles are shared by every instance of the program: the same text
// in any letter case gives the same handle, so handles compare with ==. Each
// DdeCreateStringHandleA adds one reference for its instance, which
// DdeFreeStringHandle or DdeUninitialize gives back.
//
// Connecting offers XTYP_CONNECT to every instance of this program that has
// registered a service name (in the order the instances were made), then to
// the other programs that have; the first callback that answers TRUE gets
// the conversation and XTYP_CONNECT_CONFIRM. Client-only instances
// (APPCMD_CLIENTONLY) are never offered one and may not register names.
// Each side of a conversation has its own HCONV; DdeDisconnect on either
// side calls the other side's callback with XTYP_DISCONNECT.
//
// Transactions are synchronous. Within the program the server's callback
// runs inside DdeClientTransaction; with another program the call waits at
// most its time-out for the answer (DMLERR_TIMEOUT after it; a late answer
// is dropped). A request answers a data handle of the client's instance,
// which the client frees (or DdeUninitialize does); a poke or an execute
// answers nonzero when the server acknowledged it (DDE_FACK). Every
// transaction a client makes is recorded (recorder.h) as kind "Dde" with
// the detail "TYPE SERVICE TOPIC ITEM", TYPE being "request", "poke" or
// "execute".
#ifndef LUMENFOLD_PLATFORM_DDEML_H
#define LUMENFOLD_PLATFORM_DDEML_H

#include "platform/wintypes.h"

LF_DECLARE_HANDLE(HSZ);
LF_DECLARE_HANDLE(HCONV);
LF_DECLARE_HANDLE(HDDEDATA);

// Conversation context; accepted and ignored (null is the default context).
struct CONVCONTEXT {
  UINT cb;
  UINT wFlags;
  UINT wCountryID;
  int iCodePage;
  DWORD dwLangID;
  DWORD dwSecurity;
};
typedef CONVCONTEXT* PCONVCONTEXT;

typedef HDDEDATA(CALLBACK* PFNCALLBACK)(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                        ULONG_PTR data1, ULONG_PTR data2);

// Transaction and notification types. For XTYP_CONNECT, hsz1 is the topic,
// hsz2 the service, data1 the context and data2 TRUE when the client is the
// same instance; for XTYP_DISCONNECT both are null; for the others hsz1 is
// the topic and hsz2 the item.
#define XTYP_ERROR 0x0001
#define XTYP_CONNECT 0x0002
#define XTYP_CONNECT_CONFIRM 0x0003
#define XTYP_DISCONNECT 0x0004
#define XTYP_REQUEST 0x0005
#define XTYP_POKE 0x0006
#define XTYP_EXECUTE 0x0007

// DdeInitializeA flags.
#define APPCMD_CLIENTONLY 0x0010

// DdeNameService commands.
#define DNS_REGISTER 0x0001
#define DNS_UNREGISTER 0x0002

// Error codes (DdeInitializeA's result, DdeGetLastError).
#define DMLERR_NO_ERROR 0
#define DMLERR_DLL_USAGE 0x4001
#define DMLERR_INVALIDPARAMETER 0x4002
#define DMLERR_NO_CONV_ESTABLISHED 0x4003
#define DMLERR_NOTPROCESSED 0x4004
#define DMLERR_TIMEOUT 0x4005
#define DMLERR_SYS_ERROR 0x4006
#define DMLERR_UNFOUND_QUEUE_ID 0x4007

// A poke's or an execute's acknowledgement, as the server's callback answers it.
#define DDE_FACK 0x8000
#define DDE_FNOTPROCESSED 0x0000

#define CP_WINANSI 1004
#define CF_TEXT 1

// Makes an instance with `callback` (may be null for a client that needs no
// notices); its id goes to *instance. DMLERR_NO_ERROR, or
// DMLERR_INVALIDPARAMETER for a null `instance` or a nonzero *instance.
UINT DdeInitializeA(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD reserved);

// Ends the instance: its conversations are disconnected (their partners
// told), its names unregistered, its string and data handles released.
BOOL DdeUninitialize(DWORD instance);

UINT DdeGetLastError(DWORD instance);  // the last error; reading it clears it

// String handles. DdeCreateStringHandleA: 0 for a null or empty text or an
// unknown instance. DdeQueryStringA: with a null buffer the text's length;
// else copies at most size-1 characters and a NUL and answers how many it
// copied (0 for an unknown handle).
HSZ DdeCreateStringHandleA(DWORD instance, LPCSTR text, int codePage);
BOOL DdeFreeStringHandle(DWORD instance, HSZ hsz);
DWORD DdeQueryStringA(DWORD instance, HSZ hsz, LPSTR buffer, DWORD size, int codePage);
int DdeCmpStringHandles(HSZ first, HSZ second);  // -1, 0 or 1, ignoring case

// Registers (DNS_REGISTER) or withdraws (DNS_UNREGISTER; a null service
// withdraws all the instance's names) a service name. Nonzero on success.
HDDEDATA DdeNameService(DWORD instance, HSZ service, HSZ reserved, UINT command);

// A conversation with the first server that accepts `service` and `topic`;
// 0 (DMLERR_NO_CONV_ESTABLISHED) when none does.
HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT context);
BOOL DdeDisconnect(HCONV conv);

/*
 * DdeClientTransaction --
 *   Makes one transaction of `type` on the client conversation `conv`:
 *   XTYP_REQUEST asks for the data of `item` in `format`; XTYP_POKE and
 *   XTYP_EXECUTE hand `size` bytes of `data` over.
 * Results:
 *   A request: the answer's data handle, owned by the caller; a poke or an
 *   execute: nonzero when acknowledged. 0 on failure (DdeGetLastError:
 *   DMLERR_NOTPROCESSED, DMLERR_TIMEOUT, DMLERR_NO_CONV_ESTABLISHED for a
 *   conversation that ended, DMLERR_INVALIDPARAMETER). *result (when given)
 *   receives DDE_FACK on success, else 0.
 */
HDDEDATA DdeClientTransaction(LPBYTE data, DWORD size, HCONV conv, HSZ item, UINT format, UINT type, DWORD timeoutMs,
                              LPDWORD result);

// Data handles: `size` bytes of `source` placed at `offset` in a new handle
// of the instance (null source: zeros). DdeGetData copies from `offset` at
// most `size` bytes and answers how many; with a null buffer the bytes
// available from `offset`.
HDDEDATA DdeCreateDataHandle(DWORD instance, LPBYTE source, DWORD size, DWORD offset, HSZ item, UINT format,
                             UINT commands);
DWORD DdeGetData(HDDEDATA data, LPBYTE buffer, DWORD size, DWORD offset);
BOOL DdeFreeDataHandle(HDDEDATA data);

#endif
