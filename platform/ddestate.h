// platform/ddestate.h -- the dynamic data exchange's one record: what the
// management calls and their transport keep between calls. Private to
// ddeml.cpp and ddelink.cpp; program code never includes it.
//
// Owns the record's layout; each member is written by one module:
//   tables  ddeml.cpp    instances, string handles, conversations, data handles
//   links   ddelink.cpp  the listening socket, its streams, the streams opened to others
// The two halves live and die together: a conversation with another
// program is a row of `tables` whose stream is one of `links`.
#ifndef LUMENFOLD_PLATFORM_DDESTATE_H
#define LUMENFOLD_PLATFORM_DDESTATE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ddeml.h"
#include "platform/ddelink.h"

namespace platform::dde {

// ---- ddeml.cpp

struct Instance {
  PFNCALLBACK callback = nullptr;
  bool clientOnly = false;
  UINT lastError = DMLERR_NO_ERROR;
  std::vector<HSZ> names;    // services registered, in order
  std::vector<HSZ> strings;  // one entry per string-handle reference it holds
};

struct Atom {
  std::string text;  // as first spelled
  int references = 0;
};

// One side of a conversation. Within the program both sides are records
// that name each other; with another program the stream stands for the
// other side.
struct Conversation {
  DWORD instance = 0;
  bool client = false;
  uintptr_t partner = 0;  // the other side's record, 0 across programs
  int stream = -1;        // across programs: the client's or the server's end
  std::string service, topic;
  uint32_t sequence = 0;  // the client's last transaction across programs
};

struct DataHandle {
  DWORD instance = 0;
  std::vector<BYTE> bytes;
};

struct Tables {
  DWORD nextInstance = 1;
  std::map<DWORD, Instance> instances;  // in the order they were made
  uintptr_t nextAtom = 1;
  std::map<uintptr_t, Atom> atoms;
  std::map<std::string, uintptr_t> atomByKey;  // lower-case text -> atom
  uintptr_t nextConversation = 1;
  std::map<uintptr_t, Conversation> conversations;
  std::map<int, uintptr_t> serverByStream;  // incoming stream -> server side
  uintptr_t nextData = 1;
  std::map<uintptr_t, DataHandle> data;
};

// ---- ddelink.cpp

struct Listener {
  int fd = -1;
  std::string path;
  IncomingHandlers handlers;
  std::map<int, std::string> incoming;  // stream -> bytes of its unfinished frame
};

// This program's ends of its conversations: the socket it listens on with
// the streams others opened to it, and the streams it opened to others.
struct Links {
  Listener listener;
  std::map<int, std::string> outgoing;  // client streams -> bytes not yet read as frames
};

struct Exchange {
  Tables tables;
  Links links;
};

Exchange& exchangeState();

}  // namespace platform::dde

#endif
