// platform/winsock.cpp -- Winsock 1.1 over the system's sockets: the handle
// table, errors, asynchronous notices, select and the name helpers.
#include "platform/winsock.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "platform/handletable.h"
#include "platform/sockposix.h"
#include "platform/tclloop.h"
#include "platform/winuser.h"

namespace posixsock = platform::posixsock;

namespace {

struct SocketEntry {
  int fd;
  bool connecting = false;  // a non-blocking connect is under way
  bool connected = false;
  bool sendShutDown = false;
  HWND noticeWindow = nullptr;  // WSAAsyncSelect's window, message and FD_* events
  UINT noticeMessage = 0;
  long noticeEvents = 0;
  bool readReported = false;   // readability was reported; waits for the next recv
  bool writeWanted = false;    // FD_WRITE is due as soon as the socket is writable
  bool closeReported = false;  // FD_CLOSE was due; the stream has ended
};

// The host record that gethostbyname hands out, with the storage its
// pointers point into.
struct HostRecord {
  std::string name;
  std::vector<uint32_t> addresses;  // network order
  std::vector<char*> addressList;   // into `addresses`, then null
  char* noAliases[1] = {nullptr};
  hostent entry{};
};

struct WinsockState {
  int startCount = 0;
  int lastError = 0;
  platform::HandleTable<SOCKET, SocketEntry> sockets{0x100, 4};
  HostRecord host;
  char addressText[16] = "";  // inet_ntoa's answer
};
WinsockState winsock;

constexpr WORD kHighestVersion = MAKEWORD(1, 1);

const struct {
  int systemError;
  int winsockError;
} kErrorMap[] = {
    {EINTR, WSAEINTR},
    {EBADF, WSAEBADF},
    {EACCES, WSAEACCES},
    {EPERM, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {ENFILE, WSAEMFILE},
    {EAGAIN, WSAEWOULDBLOCK},
    {EINPROGRESS, WSAEWOULDBLOCK},
    {EALREADY, WSAEALREADY},
    {ENOTSOCK, WSAENOTSOCK},
    {EDESTADDRREQ, WSAEDESTADDRREQ},
    {EMSGSIZE, WSAEMSGSIZE},
    {EPROTOTYPE, WSAEPROTOTYPE},
    {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP},
    {EPFNOSUPPORT, WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED},
    {ECONNRESET, WSAECONNRESET},
    {EPIPE, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ENOMEM, WSAENOBUFS},
    {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},
    {ESHUTDOWN, WSAESHUTDOWN},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
    {EHOSTDOWN, WSAEHOSTUNREACH},
};

// A system failure the table does not name is the network failing.
int winsockErrorFor(int systemError) {
  for (const auto& pair : kErrorMap) {
    if (pair.systemError == systemError) return pair.winsockError;
  }
  return WSAENETDOWN;
}

int fail(int error) {
  winsock.lastError = error;
  return SOCKET_ERROR;
}

int failFromSystem() { return fail(winsockErrorFor(errno)); }

bool started() {
  if (winsock.startCount > 0) return true;
  fail(WSANOTINITIALISED);
  return false;
}

// The entry of a live handle, or null with WSANOTINITIALISED or WSAENOTSOCK
// left as the last error.
SocketEntry* entryFor(SOCKET s) {
  if (!started()) return nullptr;
  if (SocketEntry* entry = winsock.sockets.find(s)) return entry;
  fail(WSAENOTSOCK);
  return nullptr;
}

// Closes the descriptor of a live socket and forgets its handle.
void releaseSocket(SOCKET s) {
  const SocketEntry* entry = winsock.sockets.find(s);
  platform::unwatchFd(entry->fd);
  posixsock::closeFd(entry->fd);
  winsock.sockets.remove(s);
}

// ---------------------------------------------------------------- notices

void postNotice(SOCKET s, const SocketEntry& entry, long event, int error) {
  if (!(entry.noticeEvents & event)) return;
  PostMessageA(entry.noticeWindow, entry.noticeMessage, WPARAM(s),
               WSAMAKESELECTREPLY(event, error));
}

void serviceNotices(SOCKET s, unsigned ready);

// Watches the descriptor for exactly what the pending notices need, so that
// the level-triggered wait never finds it ready with nothing to report.
void rearmNotices(SOCKET s, const SocketEntry& entry) {
  unsigned events = 0;
  if (entry.noticeEvents != 0 && entry.connecting) events |= platform::kFdWritable;
  if (entry.noticeEvents != 0 && entry.connected) {
    bool readWanted = entry.noticeEvents & (FD_READ | FD_CLOSE);
    if (readWanted && !entry.readReported && !entry.closeReported) events |= platform::kFdReadable;
    if (entry.writeWanted) events |= platform::kFdWritable;
  }
  if (events == 0) {
    platform::unwatchFd(entry.fd);
    return;
  }
  platform::watchFd(entry.fd, [s](int, unsigned readyEvents) { serviceNotices(s, readyEvents); },
                    events);
}

void finishConnect(SOCKET s, SocketEntry& entry) {
  int systemError = 0;
  if (posixsock::getIntOption(entry.fd, posixsock::Option::PendingError, &systemError) != 0) {
    systemError = errno;
  }
  entry.connecting = false;
  entry.connected = systemError == 0;
  postNotice(s, entry, FD_CONNECT, systemError == 0 ? 0 : winsockErrorFor(systemError));
  if (entry.connected) postNotice(s, entry, FD_WRITE, 0);
}

void reportReadable(SOCKET s, SocketEntry& entry) {
  int systemError = 0;
  switch (posixsock::peekStream(entry.fd, &systemError)) {
    case posixsock::StreamState::Data:
      entry.readReported = true;
      postNotice(s, entry, FD_READ, 0);
      break;
    case posixsock::StreamState::EndOfFile:
      entry.closeReported = true;
      postNotice(s, entry, FD_CLOSE, 0);
      break;
    case posixsock::StreamState::Failed:
      entry.closeReported = true;
      postNotice(s, entry, FD_CLOSE, winsockErrorFor(systemError));
      break;
    case posixsock::StreamState::Empty:
      break;
  }
}

// Called from the message loop's wait when the descriptor is ready.
void serviceNotices(SOCKET s, unsigned ready) {
  SocketEntry* found = winsock.sockets.find(s);
  if (found == nullptr) return;
  SocketEntry& entry = *found;
  if (entry.connecting) {
    finishConnect(s, entry);
  } else {
    if ((ready & platform::kFdReadable) && !entry.readReported && !entry.closeReported) {
      reportReadable(s, entry);
    }
    if ((ready & platform::kFdWritable) && entry.writeWanted) {
      entry.writeWanted = false;
      postNotice(s, entry, FD_WRITE, 0);
    }
  }
  rearmNotices(s, entry);
}

// --------------------------------------------------------------- options

bool optionFor(int level, int option, posixsock::Option* found) {
  if (level == IPPROTO_TCP && option == TCP_NODELAY) {
    *found = posixsock::Option::NoDelay;
    return true;
  }
  if (level != SOL_SOCKET) return false;
  switch (option) {
    case SO_KEEPALIVE: *found = posixsock::Option::KeepAlive; return true;
    case SO_REUSEADDR: *found = posixsock::Option::ReuseAddress; return true;
    case SO_SNDBUF: *found = posixsock::Option::SendBuffer; return true;
    case SO_RCVBUF: *found = posixsock::Option::ReceiveBuffer; return true;
    case SO_ERROR: *found = posixsock::Option::PendingError; return true;
    default: return false;
  }
}

int addressOf(SOCKET s, bool peer, struct sockaddr* name, int* nameLength) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (name == nullptr || nameLength == nullptr || *nameLength < int(sizeof(sockaddr_in))) {
    return fail(WSAEFAULT);
  }
  uint32_t address;
  uint16_t port;
  int result = peer ? posixsock::peerAddress(entry->fd, &address, &port)
                    : posixsock::localAddress(entry->fd, &address, &port);
  if (result != 0) return failFromSystem();
  sockaddr_in found{};
  found.sin_family = AF_INET;
  found.sin_port = port;
  found.sin_addr.s_addr = address;
  std::memcpy(name, &found, sizeof found);
  *nameLength = sizeof found;
  return 0;
}

// ---------------------------------------------------------------- select

int waitMsFor(const struct timeval* timeout) {
  if (timeout == nullptr) return -1;
  if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return 0;
  long long ms = (long long)timeout->tv_sec * 1000 + (timeout->tv_usec + 999) / 1000;
  return ms > INT32_MAX ? INT32_MAX : int(ms);
}

// Adds the set's handles to the poll list (one entry per handle); false
// when one of them is not a socket.
bool addPollEntries(fd_set* set, int which, std::vector<posixsock::PollEntry>* entries,
                    std::vector<SOCKET>* handles) {
  if (set == nullptr) return true;
  for (u_int i = 0; i < set->fd_count; ++i) {
    SocketEntry* entry = entryFor(set->fd_array[i]);
    if (entry == nullptr) return false;
    size_t at = 0;
    while (at < handles->size() && (*handles)[at] != set->fd_array[i]) ++at;
    if (at == handles->size()) {
      handles->push_back(set->fd_array[i]);
      entries->push_back(posixsock::PollEntry{entry->fd, false, false, false, false, false, false});
    }
    posixsock::PollEntry& polled = (*entries)[at];
    (which == 0 ? polled.wantRead : which == 1 ? polled.wantWrite : polled.wantExcept) = true;
    // A non-blocking connect ends when the descriptor turns writable.
    if (entry->connecting) polled.wantWrite = true;
  }
  return true;
}

// Settles a non-blocking connect that the poll found ended, as Winsock's
// select reports it: a success is writable, a failure an exception.
void settleConnect(SOCKET s, posixsock::PollEntry* polled) {
  SocketEntry* entry = winsock.sockets.find(s);
  if (entry == nullptr || !entry->connecting || !polled->write) return;
  finishConnect(s, *entry);
  rearmNotices(s, *entry);
  if (entry->connected) return;
  polled->read = polled->write = false;
  polled->except = polled->wantExcept;
}

// Keeps in the set only the handles found ready for its kind.
void keepReady(fd_set* set, int which, const std::vector<posixsock::PollEntry>& entries,
               const std::vector<SOCKET>& handles) {
  if (set == nullptr) return;
  u_int kept = 0;
  for (u_int i = 0; i < set->fd_count; ++i) {
    for (size_t at = 0; at < handles.size(); ++at) {
      if (handles[at] != set->fd_array[i]) continue;
      const posixsock::PollEntry& polled = entries[at];
      bool ready = which == 0 ? polled.read : which == 1 ? polled.write : polled.except;
      if (ready) set->fd_array[kept++] = set->fd_array[i];
    }
  }
  set->fd_count = kept;
}

// ------------------------------------------------------- address texts

// One part of a dotted address: decimal, 0x hexadecimal or 0 octal.
const char* parseAddressPart(const char* text, uint64_t* value) {
  int base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  } else if (text[0] == '0' && text[1] >= '0' && text[1] <= '9') {
    base = 8;
    ++text;
  }
  uint64_t result = 0;
  const char* start = text;
  for (;; ++text) {
    int digit;
    char c = *text;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    if (digit >= base) return nullptr;
    result = result * base + digit;
    if (result > 0xffffffffu) return nullptr;
  }
  if (text == start) return nullptr;
  *value = result;
  return text;
}

bool endsAddressText(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

// -------------------------------------------------------------- start-up

int WSAStartup(WORD version, LPWSADATA data) {
  if (data == nullptr) return WSAEFAULT;
  if (LOBYTE(version) < 1) return WSAVERNOTSUPPORTED;
  bool asksNewer = LOBYTE(version) > 1 || HIBYTE(version) >= 1;
  std::memset(data, 0, sizeof *data);
  data->wVersion = asksNewer ? kHighestVersion : version;
  data->wHighVersion = kHighestVersion;
  std::strcpy(data->szDescription, "Lumenfold sockets: TCP over IPv4");
  std::strcpy(data->szSystemStatus, "Running");
  data->iMaxSockets = 0x7fff;
  data->iMaxUdpDg = 0;  // no datagram sockets
  ++winsock.startCount;
  return 0;
}

int WSACleanup() {
  if (!started()) return SOCKET_ERROR;
  if (--winsock.startCount == 0) {
    for (SOCKET s : winsock.sockets.handles()) releaseSocket(s);
  }
  return 0;
}

int WSAGetLastError() { return winsock.lastError; }

void WSASetLastError(int error) { winsock.lastError = error; }

BOOL WSAIsBlocking() { return FALSE; }

int WSACancelBlockingCall() {
  if (!started()) return SOCKET_ERROR;
  return fail(WSAEINVAL);
}

// -------------------------------------------------------------- sockets

SOCKET socket(int family, int type, int protocol) {
  if (!started()) return INVALID_SOCKET;
  if (family != AF_INET) {
    fail(WSAEAFNOSUPPORT);
    return INVALID_SOCKET;
  }
  if (type != SOCK_STREAM || (protocol != 0 && protocol != IPPROTO_TCP)) {
    fail(type != SOCK_STREAM ? WSAESOCKTNOSUPPORT : WSAEPROTONOSUPPORT);
    return INVALID_SOCKET;
  }
  int fd = posixsock::openTcp();
  if (fd < 0) {
    failFromSystem();
    return INVALID_SOCKET;
  }
  return winsock.sockets.add(SocketEntry{fd});
}

int closesocket(SOCKET s) {
  if (entryFor(s) == nullptr) return SOCKET_ERROR;
  releaseSocket(s);
  return 0;
}

int connect(SOCKET s, const struct sockaddr* name, int nameLength) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (name == nullptr || nameLength < int(sizeof(sockaddr_in))) return fail(WSAEFAULT);
  sockaddr_in target;
  std::memcpy(&target, name, sizeof target);
  if (target.sin_family != AF_INET) return fail(WSAEAFNOSUPPORT);
  if (entry->connected) return fail(WSAEISCONN);
  if (entry->connecting) return fail(WSAEALREADY);
  // Winsock refuses the wildcard address and port 0 as a destination.
  if (target.sin_addr.s_addr == INADDR_ANY || target.sin_port == 0) return fail(WSAEADDRNOTAVAIL);
  if (posixsock::connectIPv4(entry->fd, target.sin_addr.s_addr, target.sin_port) == 0) {
    entry->connected = true;
    postNotice(s, *entry, FD_CONNECT, 0);
    postNotice(s, *entry, FD_WRITE, 0);
    rearmNotices(s, *entry);
    return 0;
  }
  if (errno != EINPROGRESS) return failFromSystem();
  entry->connecting = true;
  rearmNotices(s, *entry);
  return fail(WSAEWOULDBLOCK);
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (length < 0 || (buffer == nullptr && length > 0)) return fail(WSAEFAULT);
  if (flags & ~MSG_OOB) return fail(WSAEOPNOTSUPP);
  if (!entry->connected) return fail(WSAENOTCONN);
  if (entry->sendShutDown) return fail(WSAESHUTDOWN);
  long sent = posixsock::sendBytes(entry->fd, buffer, size_t(length), flags & MSG_OOB);
  if (sent >= 0) return int(sent);
  int error = winsockErrorFor(errno);
  if (error == WSAEWOULDBLOCK && (entry->noticeEvents & FD_WRITE)) {
    entry->writeWanted = true;
    rearmNotices(s, *entry);
  }
  return fail(error);
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (length < 0 || (buffer == nullptr && length > 0)) return fail(WSAEFAULT);
  if (flags & ~(MSG_OOB | MSG_PEEK)) return fail(WSAEOPNOTSUPP);
  if (!entry->connected) return fail(WSAENOTCONN);
  long received = posixsock::recvBytes(entry->fd, buffer, size_t(length), flags & MSG_PEEK,
                                       flags & MSG_OOB);
  int systemError = errno;
  entry->readReported = false;  // what is still waiting is reported again
  rearmNotices(s, *entry);
  if (received < 0) return fail(winsockErrorFor(systemError));
  return int(received);
}

int ioctlsocket(SOCKET s, long command, u_long* arg) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (arg == nullptr) return fail(WSAEFAULT);
  if (command == FIONBIO) {
    if (*arg == 0 && entry->noticeEvents != 0) return fail(WSAEINVAL);
    if (posixsock::setNonBlocking(entry->fd, *arg != 0) != 0) return failFromSystem();
    return 0;
  }
  if (command == FIONREAD) {
    unsigned waiting = 0;
    if (posixsock::bytesWaiting(entry->fd, &waiting) != 0) return failFromSystem();
    *arg = waiting;
    return 0;
  }
  return fail(WSAEINVAL);
}

int setsockopt(SOCKET s, int level, int option, const char* value, int valueLength) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  posixsock::Option found;
  if (!optionFor(level, option, &found) || found == posixsock::Option::PendingError) {
    return fail(WSAENOPROTOOPT);
  }
  if (value == nullptr || valueLength < int(sizeof(int))) return fail(WSAEFAULT);
  int number;
  std::memcpy(&number, value, sizeof number);
  if (posixsock::setIntOption(entry->fd, found, number) != 0) return failFromSystem();
  return 0;
}

int getsockopt(SOCKET s, int level, int option, char* value, int* valueLength) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  posixsock::Option found;
  if (!optionFor(level, option, &found)) return fail(WSAENOPROTOOPT);
  if (value == nullptr || valueLength == nullptr || *valueLength < int(sizeof(int))) {
    return fail(WSAEFAULT);
  }
  int number = 0;
  if (posixsock::getIntOption(entry->fd, found, &number) != 0) return failFromSystem();
  if (found == posixsock::Option::PendingError && number != 0) number = winsockErrorFor(number);
  if (found == posixsock::Option::NoDelay || found == posixsock::Option::KeepAlive ||
      found == posixsock::Option::ReuseAddress) {
    number = number != 0;
  }
  std::memcpy(value, &number, sizeof number);
  *valueLength = sizeof number;
  return 0;
}

int shutdown(SOCKET s, int how) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (how < SD_RECEIVE || how > SD_BOTH) return fail(WSAEINVAL);
  if (!entry->connected) return fail(WSAENOTCONN);
  bool reading = how != SD_SEND;
  bool writing = how != SD_RECEIVE;
  if (posixsock::shutdownFd(entry->fd, reading, writing) != 0) return failFromSystem();
  if (writing) entry->sendShutDown = true;
  return 0;
}

int getpeername(SOCKET s, struct sockaddr* name, int* nameLength) {
  return addressOf(s, true, name, nameLength);
}

int getsockname(SOCKET s, struct sockaddr* name, int* nameLength) {
  return addressOf(s, false, name, nameLength);
}

int select(int, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet,
           const struct timeval* timeout) {
  if (!started()) return SOCKET_ERROR;
  std::vector<posixsock::PollEntry> entries;
  std::vector<SOCKET> handles;
  fd_set* sets[3] = {readSet, writeSet, exceptSet};
  for (int which = 0; which < 3; ++which) {
    if (sets[which] != nullptr && sets[which]->fd_count > FD_SETSIZE) return fail(WSAEINVAL);
    if (!addPollEntries(sets[which], which, &entries, &handles)) return SOCKET_ERROR;
  }
  if (entries.empty()) return fail(WSAEINVAL);
  int ready = posixsock::pollEntries(entries, waitMsFor(timeout));
  if (ready < 0) return failFromSystem();
  for (size_t at = 0; at < handles.size(); ++at) settleConnect(handles[at], &entries[at]);
  for (int which = 0; which < 3; ++which) keepReady(sets[which], which, entries, handles);
  int count = 0;
  for (fd_set* set : sets) count += set != nullptr ? int(set->fd_count) : 0;
  return count;
}

int WSAAsyncSelect(SOCKET s, HWND window, UINT msg, long events) {
  SocketEntry* entry = entryFor(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (events != 0 && !IsWindow(window)) return fail(WSAEINVAL);
  if (posixsock::setNonBlocking(entry->fd, true) != 0) return failFromSystem();
  entry->noticeWindow = window;
  entry->noticeMessage = msg;
  entry->noticeEvents = events;
  // Starting afresh reports what already holds: waiting data, the end of
  // the stream, room to write.
  entry->readReported = false;
  entry->closeReported = false;
  entry->writeWanted = entry->connected && (events & FD_WRITE);
  rearmNotices(s, *entry);
  return 0;
}

int lfWinsockFdIsSet(SOCKET s, fd_set* set) {
  for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
    if (set->fd_array[i] == s) return 1;
  }
  return 0;
}

void lfWinsockFdSetAdd(SOCKET s, fd_set* set) {
  if (lfWinsockFdIsSet(s, set) || set->fd_count >= FD_SETSIZE) return;
  set->fd_array[set->fd_count++] = s;
}

void lfWinsockFdSetRemove(SOCKET s, fd_set* set) {
  u_int kept = 0;
  for (u_int i = 0; i < set->fd_count && i < FD_SETSIZE; ++i) {
    if (set->fd_array[i] != s) set->fd_array[kept++] = set->fd_array[i];
  }
  set->fd_count = kept;
}

// -------------------------------------------------------- names and texts

u_long inet_addr(const char* text) {
  if (text == nullptr) return INADDR_NONE;
  uint64_t parts[4];
  int count = 0;
  const char* at = text;
  for (;;) {
    if (count == 4) return INADDR_NONE;
    at = parseAddressPart(at, &parts[count++]);
    if (at == nullptr) return INADDR_NONE;
    if (*at != '.') break;
    ++at;
  }
  if (!endsAddressText(*at)) return INADDR_NONE;
  // The last part fills all the bytes the parts before it leave.
  uint64_t lastLimit = 0xffffffffu >> (8 * (count - 1));
  uint32_t address = 0;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xff) return INADDR_NONE;
    address |= uint32_t(parts[i]) << (24 - 8 * i);
  }
  if (parts[count - 1] > lastLimit) return INADDR_NONE;
  address |= uint32_t(parts[count - 1]);
  return htonl(address);
}

char* inet_ntoa(struct in_addr address) {
  const u_char bytes[4] = {address.S_un.S_un_b.s_b1, address.S_un.S_un_b.s_b2,
                           address.S_un.S_un_b.s_b3, address.S_un.S_un_b.s_b4};
  char* out = winsock.addressText;
  char* end = out + sizeof winsock.addressText - 1;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) *out++ = '.';
    out = std::to_chars(out, end, unsigned(bytes[i])).ptr;
  }
  *out = '\0';
  return winsock.addressText;
}

struct hostent* gethostbyname(const char* name) {
  if (!started()) return nullptr;
  if (name == nullptr) {
    fail(WSAEFAULT);
    return nullptr;
  }
  HostRecord& host = winsock.host;
  switch (posixsock::lookupIPv4(name, &host.name, &host.addresses)) {
    case posixsock::Lookup::Found: break;
    case posixsock::Lookup::NotFound: fail(WSAHOST_NOT_FOUND); return nullptr;
    case posixsock::Lookup::TryAgain: fail(WSATRY_AGAIN); return nullptr;
    case posixsock::Lookup::NoRecovery: fail(WSANO_RECOVERY); return nullptr;
    case posixsock::Lookup::NoData: fail(WSANO_DATA); return nullptr;
  }
  host.addressList.clear();
  for (uint32_t& address : host.addresses) {
    host.addressList.push_back(reinterpret_cast<char*>(&address));
  }
  host.addressList.push_back(nullptr);
  host.entry.h_name = host.name.data();
  host.entry.h_aliases = host.noAliases;
  host.entry.h_addrtype = AF_INET;
  host.entry.h_length = 4;
  host.entry.h_addr_list = host.addressList.data();
  return &host.entry;
}

int gethostname(char* name, int length) {
  if (!started()) return SOCKET_ERROR;
  if (name == nullptr || length <= 0) return fail(WSAEFAULT);
  char found[256] = "";
  if (posixsock::hostName(found, sizeof found - 1) != 0) return failFromSystem();
  if (std::strlen(found) + 1 > size_t(length)) return fail(WSAEFAULT);
  std::strcpy(name, found);
  return 0;
}
