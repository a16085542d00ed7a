// platform/sockposix.h -- the system socket calls that Winsock rests on,
// behind an interface free of the system's socket types.
//
// Owns: nothing but the calls themselves. The system headers declare
// sockaddr, in_addr, select and the rest under the names that winsock.h gives
// to the Winsock records, so the two never meet in one file; this header lets
// winsock.cpp reach the system with plain descriptors and numbers. Results
// are the system's: -1 with errno set on failure unless said otherwise.
// Addresses and ports are in network byte order. It does not own the SOCKET
// handles, the Winsock error codes or the notices (winsock.h).
#ifndef LUMENFOLD_PLATFORM_SOCKPOSIX_H
#define LUMENFOLD_PLATFORM_SOCKPOSIX_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::posixsock {

// A TCP/IPv4 stream socket, closed on exec.
int openTcp();
int closeFd(int fd);
int connectIPv4(int fd, uint32_t address, uint16_t port);

// Neither raises SIGPIPE; both retry when a signal interrupts them.
long sendBytes(int fd, const void* data, size_t length, bool outOfBand);
long recvBytes(int fd, void* data, size_t length, bool peek, bool outOfBand);

int setNonBlocking(int fd, bool on);
int bytesWaiting(int fd, unsigned* count);
int shutdownFd(int fd, bool reading, bool writing);

enum class Option { NoDelay, KeepAlive, ReuseAddress, SendBuffer, ReceiveBuffer, PendingError };
int setIntOption(int fd, Option option, int value);
int getIntOption(int fd, Option option, int* value);

int peerAddress(int fd, uint32_t* address, uint16_t* port);
int localAddress(int fd, uint32_t* address, uint16_t* port);

// What a readable stream holds, found without taking anything from it.
enum class StreamState { Data, EndOfFile, Empty, Failed };
StreamState peekStream(int fd, int* error);

struct PollEntry {
  int fd;
  bool wantRead, wantWrite, wantExcept;
  bool read, write, except;  // set by pollEntries
};
// Count of entries found ready, 0 on time-out (-1 waits without end), -1 on
// failure. A hang-up or an error counts as readable.
int pollEntries(std::vector<PollEntry>& entries, int timeoutMs);

enum class Lookup { Found, NotFound, TryAgain, NoRecovery, NoData };
// The IPv4 addresses of a name or a dotted text, first as the resolver
// orders them, without repeats.
Lookup lookupIPv4(const char* name, std::string* canonicalName, std::vector<uint32_t>* addresses);

int hostName(char* name, size_t length);

}  // namespace platform::posixsock

#endif
