// multiuser/connection.h -- the one connection to the world server.
//
// Owns: the program-wide connection record (state, socket, the ids the
// server hands out, the pump guard and the receive ring), the settings the
// shell fills (SOCKS proxy, nickname, avatar file, main window), the TCP
// connect with the optional SOCKS 4 step, the hello handshake with the
// avatar announcement, leaving, and the loops that move whole buffers over
// the socket. It does not own what messages mean (multiuser/receive.h,
// multiuser/send.h) nor the preferences behind the settings (shell).
//
// Everything runs on the program's one thread; the connect, the SOCKS
// exchange and the handshake block it.
#ifndef LUMENFOLD_MULTIUSER_CONNECTION_H
#define LUMENFOLD_MULTIUSER_CONNECTION_H

#include <cstdint>
#include <string>

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
  ZMQX_STATE_CONNECTING = 1,  // inside the blocking connect
  ZMQX_STATE_CONNECTED = 2,
  ZMQX_STATE_CLOSING = 3,     // only around the close call
};

enum : UINT { ZMQX_SOCKET_NOTICE = 0x0400 + 4 };  // WM_USER+4, posted on FD_READ

struct ZmqxConnection {
  int32_t state;
  SOCKET socket;        // INVALID_SOCKET whenever there is no stream
  uint32_t helloId;     // from the server hello: the avatar announcement's client id
  uint32_t channelId;   // from the server hello: sent in every message
  uint32_t clientId;    // from kind-1 messages: sent in every later message
  int pumpGuard;        // 1 while zmSockProc runs
  ZmqxBuffer ring;
};
// The record; the receive and send modules of this layer read and write it.
ZmqxConnection& zmqxConnection();

SOCKET zmqxGetSocket();
int32_t zmqxGetState();

/*
 * zmZMQXConnect --
 *   Connects to the current world's server ("host:port"), through the SOCKS
 *   proxy when the settings name one, runs the handshake and asks for read
 *   notices.
 * Results:
 *   0 when connected; -1 when already connected, without a world or server
 *   text, or on any failure (reported; the world then runs alone).
 */
int zmZMQXConnect();

// Opens the stream to host:port (or the proxy). 0 with the state connected,
// or -1 with the state none and no socket.
int connect_tcp_stream(const char* host, int port);

/*
 * zmZMQXExit --
 *   Leaves the server: sends the leave message, closes the stream (the
 *   socket handle is INVALID_SOCKET afterwards) and deletes the objects
 *   other users added (ids 0 and up), keeping the world's own and the
 *   user's avatar, whose shared id is withdrawn.
 * Results:
 *   0 when left or not connected; -1 without a world or server text, while
 *   connecting or closing, or when a deletion failed.
 */
int zmZMQXExit();

// Sends all `length` bytes, waiting while a non-blocking socket is full, so
// that a message is never torn. The length, or the failing call's result.
int zmqxSendAll(SOCKET s, const uint8_t* bytes, int length);
// Receives exactly `length` bytes. The length, 0 when the peer closed first,
// -1 on another error.
int zmqxRecvAll(SOCKET s, uint8_t* bytes, int length);

#endif
