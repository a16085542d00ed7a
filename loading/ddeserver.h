// loading/ddeserver.h -- the browser link's conversation objects and the
// server the browser calls back: the base that client and server share, the
// program's server ("Lumenfold"), the one handler that interprets the
// browser's topics, and the reading of an item's arguments.
//
// Owns: the program's server object (while it exists), the transaction
// counter that numbers the browser's transfers, and the handed-over
// document (its local file, which is also the fetch buffer of wwwlink.h's
// fetches, its URL and the load record posted with them), all kept in the
// fetching record (loading/fetching.h). It does not own
// the client (ddeclient.h), the requests the program makes (wwwlink.h) nor
// what the main window does with the messages the handler posts.
//
// Topics the handler acts on (a server's calls only):
//   "WWW_ViewDocFile"      item "FILE","URL","MIME",...: the file is
//                          post-processed (a fetched one beside itself, then
//                          deleted; a user's file, from a "file:" URL, is
//                          kept) and WM_ZMLOADWORLD posted with {file, URL};
//                          an item lacking one of the three posts nothing.
//   "WWW_BeginProgress"    the counter grows by one; answered with it (4 bytes).
//   "WWW_MakingProgress"   answered with 2 bytes of 0.
//   "WWW_Alert"            item "MESSAGE",...: answered 1 (4 bytes) when the
//                          message mentions "x-gzip"; otherwise WM_ZMCANCEL
//                          is posted and the answer is 0.
//   any other              answered with the empty text.
#ifndef LUMENFOLD_LOADING_DDESERVER_H
#define LUMENFOLD_LOADING_DDESERVER_H

#include <cstddef>
#include <cstdint>

#include "loading/filetype.h"
#include "loading/wwwlink.h"
#include "platform/ddeml.h"

enum {
  ZM_DDE_CLIENT = 1,
  ZM_DDE_SERVER = 2,
  ZM_DDE_ITEM_SIZE = 512,  // an item, an argument
};

// What a handler answers: no data (null), or `length` bytes of `data`; a
// length of 0 means a text, sent with its terminating zero.
struct ZmDdeReply {
  const void* data;
  DWORD length;
};

class ZmDDEBase;
using ZmDdeHandler = ZmDdeReply (*)(ZmDDEBase* object, HSZ topic, UINT type);

class ZmDDEBase {
 public:
  explicit ZmDDEBase(int kind) : kind(kind) {}
  virtual ~ZmDDEBase();  // ends the DDE instance
  // Ends the conversation; 1.
  virtual int disconnect();
  // Starts the DDE instance with the object's callback; 1 or 0.
  virtual int init(HINSTANCE instance, ZmDdeHandler handler) = 0;

  int kind;                                 // ZM_DDE_CLIENT or ZM_DDE_SERVER
  char currentItem[ZM_DDE_ITEM_SIZE] = "";  // the item of the transaction being served
  HCONV conversation = nullptr;
  char argument[ZM_DDE_ITEM_SIZE] = "";     // the last argument taken from the item
  DWORD ddeInstance = 0;
  ZmDdeHandler handler = nullptr;
  PFNCALLBACK callback = nullptr;

  ZmDDEBase(const ZmDDEBase&) = delete;
  ZmDDEBase& operator=(const ZmDDEBase&) = delete;
};

class ZmDDEServer : public ZmDDEBase {
 public:
  // `name`: the service name (at most 31 characters), "ZMDDESERVER" when null.
  explicit ZmDDEServer(const char* name);
  // Withdraws the service and frees its string handles.
  ~ZmDDEServer() override;
  // Starts the instance, becomes the program's server and registers the
  // service. 1; 0 after "DdeInitialize() failed." or "DdeNameService()
  // failed.".
  int init(HINSTANCE instance, ZmDdeHandler handler) override;

  HSZ service = nullptr;
  int topicCount = 0;  // topic handles held (none are made by the program)
  HSZ topics[16] = {};
  char serviceName[32] = "";
};

// The handler both sides are given (see the table above).
ZmDdeReply zmDdeCommonHandler(ZmDDEBase* object, HSZ topic, UINT type);

/*
 * zmDdeItemArgument --
 *   The n-th argument (from 0) of an item. Arguments are separated by ','
 *   outside quotes; a quoted argument runs from its '"' to the next '"'
 *   (quotes not included) and must end the item or be followed by ','; an
 *   unquoted one runs to the next ',' or the end.
 * Results:
 *   True with the argument in `out`; false when the item has no such
 *   argument, is malformed there, or the argument does not fit `size`.
 */
bool zmDdeItemArgument(const char* item, int n, char* out, size_t size);

// The n-th argument of the object's current item in a buffer of 512
// characters that the next call overwrites; null after the warning
// "getNthMessage : message buffer is invalid".
const char* getNthMessage(ZmDDEBase* object, int n);

// The document the browser handed over last. A second one that arrives
// before the main window took the first overwrites it.
struct ZmHandedDocument {
  char local[ZM_URL_BUFFER_SIZE];  // the file to read (the fetch buffer)
  char url[ZM_URL_BUFFER_SIZE];
  ZmLoadRecord record;             // {local, url}, posted with WM_ZMLOADWORLD
};
ZmHandedDocument& zmDdeHandedDocument();

// The program's server while one exists, else null.
ZmDDEServer* zmDdeProgramServer();

// The last transfer number handed out by "WWW_BeginProgress".
uint32_t zmDdeTransactionCounter();

#endif
