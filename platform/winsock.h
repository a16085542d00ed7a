// platform/winsock.h -- Winsock 1.1, the TCP/IPv4 client calls the program
// makes, over the system's sockets.
//
// Owns: the table from SOCKET handles to the system's descriptors, the
// start-up count, the last error, the asynchronous notices (WSAAsyncSelect)
// and the host look-up record. It does not own the wait on descriptors
// (tclloop.h, which this module's notices ride on) nor the queue that carries
// them (winuser.h).
//
// Handles are pointer-sized and never reused, so a closed or made-up handle
// fails with WSAENOTSOCK instead of reaching another connection's
// descriptor. Every call but the byte-order and address-text helpers needs
// WSAStartup first, else WSANOTINITIALISED. Failures return SOCKET_ERROR (or
// INVALID_SOCKET, or null) and leave their code for WSAGetLastError; WSAStartup
// returns its code directly. Blocking calls block the program's one thread:
// nothing is pumped meanwhile, so WSAIsBlocking is always FALSE.
//
// Notices: after WSAAsyncSelect the socket is non-blocking and the message
// loop posts `msg` to the window with wParam = the socket and lParam =
// WSAMAKESELECTREPLY(event, error):
//   FD_READ    when data waits; not again until the program calls recv, after
//              which it comes again while data is still waiting;
//   FD_WRITE   once after the connect, and after a send that failed with
//              WSAEWOULDBLOCK, as soon as the socket can take data again;
//   FD_CONNECT when a non-blocking connect ends (its error, or 0);
//   FD_CLOSE   once, when the peer has closed (0) or reset (WSAECONNRESET) and
//              the data before it has been read.
//
// This system's <stdlib.h> already declares a POSIX fd_set and its macros;
// here fd_set names the Winsock set of handles, and FD_SET and friends work
// on it. timeval is the system's, whose fields are the ones Winsock names, and
// so are the u_char ... u_long shorthands.
#ifndef LUMENFOLD_PLATFORM_WINSOCK_H
#define LUMENFOLD_PLATFORM_WINSOCK_H

#include <sys/select.h>
#include <sys/time.h>
#include <sys/types.h>

#include "platform/wintypes.h"

// u_char, u_short, u_int and u_long are the system's (<sys/types.h>); u_long
// is pointer-sized here, so address and wire fields use ULONG, 32 bits.

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET ((SOCKET)~(SOCKET)0)
#define SOCKET_ERROR (-1)

// ------------------------------------------------------------ constants

#define AF_UNSPEC 0
#define AF_INET 2
#define PF_INET AF_INET
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_IP 0
#define IPPROTO_TCP 6

#define INADDR_ANY ((u_long)0x00000000)
#define INADDR_LOOPBACK ((u_long)0x7f000001)
#define INADDR_NONE ((u_long)0xffffffff)

#define MSG_OOB 0x1
#define MSG_PEEK 0x2

#define SOL_SOCKET 0xffff
#define SO_REUSEADDR 0x0004
#define SO_KEEPALIVE 0x0008
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002
#define SO_ERROR 0x1007
#define TCP_NODELAY 0x0001

#define FIONREAD ((long)0x4004667FL)
#define FIONBIO ((long)(int32_t)0x8004667EUL)

#define FD_READ 0x01
#define FD_WRITE 0x02
#define FD_OOB 0x04
#define FD_ACCEPT 0x08
#define FD_CONNECT 0x10
#define FD_CLOSE 0x20

#define WSAMAKESELECTREPLY(event, error) ((LPARAM)MAKELONG(event, error))
#define WSAGETSELECTEVENT(lParam) LOWORD(lParam)
#define WSAGETSELECTERROR(lParam) HIWORD(lParam)

// Error codes (WSAGetLastError, WSAGETSELECTERROR, WSAStartup's result).
#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEPFNOSUPPORT 10046
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

// -------------------------------------------------------------- records

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

struct WSADATA {
  WORD wVersion;      // the version the program will use
  WORD wHighVersion;  // the highest this layer offers (1.1)
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};
typedef WSADATA* LPWSADATA;

// An IPv4 address in network byte order, readable as bytes, words or one
// 32-bit word.
struct in_addr {
  union {
    struct {
      u_char s_b1, s_b2, s_b3, s_b4;
    } S_un_b;
    struct {
      u_short s_w1, s_w2;
    } S_un_w;
    ULONG S_addr;
  } S_un;
};
#define s_addr S_un.S_addr

struct sockaddr {
  u_short sa_family;
  char sa_data[14];
};

// Port and address in network byte order.
struct sockaddr_in {
  short sin_family;
  u_short sin_port;
  struct in_addr sin_addr;
  char sin_zero[8];
};

typedef struct sockaddr SOCKADDR;
typedef struct sockaddr* LPSOCKADDR;
typedef struct sockaddr_in SOCKADDR_IN;
typedef struct in_addr IN_ADDR;

// The answer of gethostbyname: owned by this module and valid until the next
// look-up. Addresses are 4 bytes in network order; both lists end with null.
struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};
#define h_addr h_addr_list[0]
typedef struct hostent HOSTENT;
typedef struct hostent* LPHOSTENT;

// A set of socket handles for select.
#undef FD_SETSIZE
#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#undef FD_ZERO
#define FD_SETSIZE 64
struct WinsockFdSet {
  u_int fd_count;
  SOCKET fd_array[FD_SETSIZE];
};
#define fd_set WinsockFdSet

int lfWinsockFdIsSet(SOCKET s, fd_set* set);
void lfWinsockFdSetAdd(SOCKET s, fd_set* set);
void lfWinsockFdSetRemove(SOCKET s, fd_set* set);
#define FD_ZERO(set) (((fd_set*)(set))->fd_count = 0)
#define FD_SET(s, set) lfWinsockFdSetAdd((SOCKET)(s), (fd_set*)(set))
#define FD_CLR(s, set) lfWinsockFdSetRemove((SOCKET)(s), (fd_set*)(set))
#define FD_ISSET(s, set) lfWinsockFdIsSet((SOCKET)(s), (fd_set*)(set))

// -------------------------------------------------------- byte order

inline u_short htons(u_short host) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return u_short((host >> 8) | (host << 8));
#else
  return host;
#endif
}
inline u_short ntohs(u_short net) { return htons(net); }
// Only the low 32 bits count: the value is an IPv4 address or a wire word.
inline u_long htonl(u_long host) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return __builtin_bswap32(uint32_t(host));
#else
  return uint32_t(host);
#endif
}
inline u_long ntohl(u_long net) { return htonl(net); }

// ------------------------------------------------------------ start-up

// Starts the layer for `version` (MAKEWORD(major, minor)); 0 or an error code
// (WSAVERNOTSUPPORTED below 1.0, WSAEFAULT without data). Counted: each
// successful start needs its WSACleanup.
int WSAStartup(WORD version, LPWSADATA data);
// The last matching clean-up closes every socket still open.
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
BOOL WSAIsBlocking();
// No call ever blocks with messages pumped, so there is none to cancel:
// SOCKET_ERROR with WSAEINVAL.
int WSACancelBlockingCall();

// ------------------------------------------------------------- sockets

// Only TCP over IPv4 (AF_INET, SOCK_STREAM, protocol 0 or IPPROTO_TCP).
SOCKET socket(int family, int type, int protocol);
int closesocket(SOCKET s);
int connect(SOCKET s, const struct sockaddr* name, int nameLength);
// Never raises a signal on a closed connection: that is WSAECONNRESET or
// WSAESHUTDOWN, as on Winsock.
int send(SOCKET s, const char* buffer, int length, int flags);
int recv(SOCKET s, char* buffer, int length, int flags);
// FIONBIO (*arg non-zero: non-blocking; refused with WSAEINVAL while
// WSAAsyncSelect notices are on) and FIONREAD (*arg: bytes waiting).
int ioctlsocket(SOCKET s, long command, u_long* arg);
// TCP_NODELAY, SO_KEEPALIVE, SO_REUSEADDR, SO_SNDBUF and SO_RCVBUF with an
// int value; other options fail with WSAENOPROTOOPT.
int setsockopt(SOCKET s, int level, int option, const char* value, int valueLength);
// The same options and SO_ERROR (which it clears).
int getsockopt(SOCKET s, int level, int option, char* value, int* valueLength);
int shutdown(SOCKET s, int how);
#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2
int getpeername(SOCKET s, struct sockaddr* name, int* nameLength);
int getsockname(SOCKET s, struct sockaddr* name, int* nameLength);

// Returns the number of ready handles and leaves only those in the sets; 0 on
// time-out; a null timeout waits without end. nfds is ignored, as on Winsock.
// A non-blocking connect that has ended shows in the write set when it
// succeeded and in the except set when it failed; it is settled then, so that
// recv and send work on the socket without notices.
int select(int nfds, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet,
           const struct timeval* timeout);

// Asks for `msg` to be posted to `window` on `events` (FD_*); events 0 stops
// the notices. Makes the socket non-blocking in either case.
int WSAAsyncSelect(SOCKET s, HWND window, UINT msg, long events);

// ------------------------------------------------------ names and texts

// Dotted IPv4 text ("a.b.c.d", also "a.b.c", "a.b" and "a", each part
// decimal, 0x hexadecimal or 0 octal) in network order; INADDR_NONE for
// anything else, the empty text and null included.
u_long inet_addr(const char* text);
// "a.b.c.d" in a buffer of this module, valid until the next call.
char* inet_ntoa(struct in_addr address);
// The IPv4 addresses of a host name or dotted text; null with WSAHOST_NOT_FOUND,
// WSATRY_AGAIN, WSANO_RECOVERY or WSANO_DATA.
struct hostent* gethostbyname(const char* name);
int gethostname(char* name, int length);

#endif
