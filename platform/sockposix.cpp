// platform/sockposix.cpp -- the system socket calls behind sockposix.h.
#include "platform/sockposix.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform::posixsock {

namespace {

bool optionName(Option option, int* level, int* name) {
  switch (option) {
    case Option::NoDelay: *level = IPPROTO_TCP; *name = TCP_NODELAY; return true;
    case Option::KeepAlive: *level = SOL_SOCKET; *name = SO_KEEPALIVE; return true;
    case Option::ReuseAddress: *level = SOL_SOCKET; *name = SO_REUSEADDR; return true;
    case Option::SendBuffer: *level = SOL_SOCKET; *name = SO_SNDBUF; return true;
    case Option::ReceiveBuffer: *level = SOL_SOCKET; *name = SO_RCVBUF; return true;
    case Option::PendingError: *level = SOL_SOCKET; *name = SO_ERROR; return true;
  }
  return false;
}

int addressOf(int fd, bool peer, uint32_t* address, uint16_t* port) {
  sockaddr_in name{};
  socklen_t length = sizeof name;
  int result = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&name), &length)
                    : getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length);
  if (result != 0) return -1;
  *address = name.sin_addr.s_addr;
  *port = name.sin_port;
  return 0;
}

}  // namespace

int openTcp() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }

int closeFd(int fd) { return ::close(fd); }

int connectIPv4(int fd, uint32_t address, uint16_t port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = port;
  target.sin_addr.s_addr = address;
  return ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target);
}

long sendBytes(int fd, const void* data, size_t length, bool outOfBand) {
  int flags = MSG_NOSIGNAL | (outOfBand ? MSG_OOB : 0);
  long sent;
  do {
    sent = ::send(fd, data, length, flags);
  } while (sent < 0 && errno == EINTR);
  return sent;
}

long recvBytes(int fd, void* data, size_t length, bool peek, bool outOfBand) {
  int flags = (peek ? MSG_PEEK : 0) | (outOfBand ? MSG_OOB : 0);
  long received;
  do {
    received = ::recv(fd, data, length, flags);
  } while (received < 0 && errno == EINTR);
  return received;
}

int setNonBlocking(int fd, bool on) {
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return -1;
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return fcntl(fd, F_SETFL, flags);
}

int bytesWaiting(int fd, unsigned* count) {
  int waiting = 0;
  if (ioctl(fd, FIONREAD, &waiting) != 0) return -1;
  *count = unsigned(std::max(waiting, 0));
  return 0;
}

int shutdownFd(int fd, bool reading, bool writing) {
  int how = reading && writing ? SHUT_RDWR : reading ? SHUT_RD : SHUT_WR;
  return ::shutdown(fd, how);
}

int setIntOption(int fd, Option option, int value) {
  int level, name;
  if (!optionName(option, &level, &name)) {
    errno = ENOPROTOOPT;
    return -1;
  }
  return ::setsockopt(fd, level, name, &value, sizeof value);
}

int getIntOption(int fd, Option option, int* value) {
  int level, name;
  if (!optionName(option, &level, &name)) {
    errno = ENOPROTOOPT;
    return -1;
  }
  socklen_t length = sizeof *value;
  return ::getsockopt(fd, level, name, value, &length);
}

int peerAddress(int fd, uint32_t* address, uint16_t* port) {
  return addressOf(fd, true, address, port);
}

int localAddress(int fd, uint32_t* address, uint16_t* port) {
  return addressOf(fd, false, address, port);
}

StreamState peekStream(int fd, int* error) {
  char byte;
  long found;
  do {
    found = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  } while (found < 0 && errno == EINTR);
  if (found > 0) return StreamState::Data;
  if (found == 0) return StreamState::EndOfFile;
  if (errno == EAGAIN || errno == EWOULDBLOCK) return StreamState::Empty;
  *error = errno;
  return StreamState::Failed;
}

int pollEntries(std::vector<PollEntry>& entries, int timeoutMs) {
  std::vector<pollfd> polled;
  for (const PollEntry& entry : entries) {
    short events = short((entry.wantRead ? POLLIN : 0) | (entry.wantWrite ? POLLOUT : 0) |
                         (entry.wantExcept ? POLLPRI : 0));
    polled.push_back(pollfd{entry.fd, events, 0});
  }
  int ready;
  do {
    ready = ::poll(polled.data(), polled.size(), timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return -1;
  int count = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    short revents = polled[i].revents;
    PollEntry& entry = entries[i];
    entry.read = entry.wantRead && (revents & (POLLIN | POLLHUP | POLLERR));
    entry.write = entry.wantWrite && (revents & (POLLOUT | POLLERR));
    entry.except = entry.wantExcept && (revents & POLLPRI);
    if (entry.read || entry.write || entry.except) ++count;
  }
  return count;
}

Lookup lookupIPv4(const char* name, std::string* canonicalName, std::vector<uint32_t>* addresses) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  int status = getaddrinfo(name, nullptr, &hints, &found);
  switch (status) {
    case 0: break;
    case EAI_AGAIN: return Lookup::TryAgain;
    case EAI_FAIL: return Lookup::NoRecovery;
    case EAI_NODATA: return Lookup::NoData;
    default: return Lookup::NotFound;
  }
  *canonicalName = found->ai_canonname != nullptr ? found->ai_canonname : name;
  addresses->clear();
  for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    uint32_t address = reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
    if (std::find(addresses->begin(), addresses->end(), address) == addresses->end()) {
      addresses->push_back(address);
    }
  }
  freeaddrinfo(found);
  return addresses->empty() ? Lookup::NoData : Lookup::Found;
}

int hostName(char* name, size_t length) { return ::gethostname(name, length); }

}  // namespace platform::posixsock
