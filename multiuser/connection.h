// multiuser/connection.h -- the one connection to the world server.
//
// Owns: the program-wide connection record (state, socket, the ids the
// server hands out, the pump guard, the receive ring, and the records of
// the other users, which live as long as the connection), the settings the
// shell fills (SOCKS proxy, nickname, avatar file, main window), the TCP
// connect with the optional SOCKS 4 step, the hello handshake with the
// avatar announcement, leaving, and the loops that move whole buffers over
// the socket. It does not own what messages mean (multiuser/receive.h,
// multiuser/send.h), what is done with the users' records (multiuser/peers.h)
// nor the preferences behind the settings (shell).
//
// Everything runs on the program's one thread, and nothing here waits for
// the server: the connect, the SOCKS exchange and the hello go forward a
// step each time the pump finds their bytes there (zmqxContinueConnect), and
// an attempt that has not finished after ZMQX_CONNECT_SECONDS fails with
// "Connection failed.", so a server that accepts and stays silent never
// stops the program.
#ifndef LUMENFOLD_MULTIUSER_CONNECTION_H
#define LUMENFOLD_MULTIUSER_CONNECTION_H

#include <cstdint>
#include <string>

#include "multiuser/peers.h"
#include "multiuser/ring.h"
#include "platform/winsock.h"

// What the shell gives the client from its preferences and windows. With
// socksHost or socksPort empty the client connects directly.
struct ZmMultiUserSettings {
  std::string socksHost;               // "SOCKS Host"
  std::string socksPort;               // "SOCKS Port", decimal text
  std::string nickname = "(nik)";      // "NickName"; also the SOCKS user id
  std::string avatarFile;              // the current avatar; empty: "person.wrl"
  HWND mainWindow = nullptr;           // gets WM_USER+4 on FD_READ; null: none
};
ZmMultiUserSettings& zmMultiUserSettings();

enum : int32_t {
  ZMQX_STATE_NONE = 0,
  ZMQX_STATE_CONNECTING = 1,  // from the connect until the server's hello is answered
  ZMQX_STATE_CONNECTED = 2,
  ZMQX_STATE_CLOSING = 3,     // only around the close call
};

enum : UINT { ZMQX_SOCKET_NOTICE = 0x0400 + 4 };  // WM_USER+4, posted on FD_READ

// How long a connection may take from the connect to the server's hello.
constexpr int ZMQX_CONNECT_SECONDS = 10;

// What a connection under way waits for.
enum : int32_t {
  ZMQX_AWAIT_CONNECT = 0,  // the TCP connect (to the server or the proxy)
  ZMQX_AWAIT_SOCKS = 1,    // the proxy's 8-byte answer
  ZMQX_AWAIT_HELLO = 2,    // the server's 14-byte hello
};

struct ZmqxHandshake {
  int32_t awaiting;                       // ZMQX_AWAIT_*
  uint8_t reply[ZMQX_SERVER_HELLO_SIZE];  // the answer awaited, as it arrives
  int32_t held;                           // bytes of it so far
  DWORD started;                          // GetTickCount() at the connect
  bool viaProxy;
  ULONG serverAddress;                    // the world server's, for the proxy; network order
  int serverPort;
};

struct ZmqxConnection {
  int32_t state;
  SOCKET socket;        // INVALID_SOCKET whenever there is no stream
  uint32_t helloId;     // from the server hello: the avatar announcement's client id
  uint32_t channelId;   // from the server hello: sent in every message
  uint32_t clientId;    // from kind-1 messages: sent in every later message
  int pumpGuard;        // 1 while zmSockProc runs
  ZmqxBuffer ring;
  ZmqxHandshake handshake;  // meaningful while connecting
  ZmqxPeers peers;          // the other users heard of since the connection started
};
// The record; the receive and send modules of this layer read and write it.
ZmqxConnection& zmqxConnection();

// The stream messages go out on: the socket once connected, INVALID_SOCKET
// before (no message may pass the hello) and after.
SOCKET zmqxGetSocket();
int32_t zmqxGetState();

/*
 * zmZMQXConnect --
 *   Starts connecting to the current world's server ("host:port"), through
 *   the SOCKS proxy when the settings name one, and goes as far as the
 *   bytes already there allow (zmqxContinueConnect); the pump does the rest.
 * Results:
 *   0 when connected or on the way; -1 when already connected or
 *   connecting, without a world or server text, or on a failure found at
 *   once (reported; the world then runs alone).
 */
int zmZMQXConnect();

/*
 * zmqxContinueConnect --
 *   Takes a connection under way as far as it can go without waiting: the
 *   connect's end, the proxy's answer, the server's hello (or reject) and
 *   the avatar announcement; once connected, asks for read notices and
 *   reports "Connected to a VI Vuzeza.". An attempt older than
 *   ZMQX_CONNECT_SECONDS, a closed stream or a wrong answer ends it with its
 *   report and closes the stream.
 * Results:
 *   0 while connecting or once connected; -1 when the attempt failed or
 *   none is under way.
 */
int zmqxContinueConnect();

// Starts the connect to host:port (or the proxy) on a socket that never
// blocks. 0 with the state connecting, or -1 with the state none and no
// socket.
int connect_tcp_stream(const char* host, int port);

/*
 * zmZMQXExit --
 *   Leaves the server: sends the leave message, closes the stream (the
 *   socket handle is INVALID_SOCKET afterwards) and deletes the objects
 *   other users added (ids 0 and up), keeping the world's own and the
 *   user's avatar, whose shared id is withdrawn. An attempt still under
 *   way is given up (its stream closed) instead.
 * Results:
 *   0 when left or not connected; -1 without a world or server text, while
 *   connecting (the attempt given up) or closing, or when a deletion
 *   failed.
 */
int zmZMQXExit();

// Sends all `length` bytes, waiting while a non-blocking socket is full, so
// that a message is never torn. The length, or the failing call's result.
int zmqxSendAll(SOCKET s, const uint8_t* bytes, int length);

#endif
