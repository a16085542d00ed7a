// tests/world_server.h -- tools/worldserver run for a test, and a raw peer:
// another user's client made of nothing but the protocol's bytes, which
// sends what a hostile client may send.
//
// Owns: the server process (started by the constructor, ended by the
// destructor) and the peer's socket. It does not own the client under test.
#ifndef LUMENFOLD_TESTS_WORLD_SERVER_H
#define LUMENFOLD_TESTS_WORLD_SERVER_H

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "multiuser/protocol.h"
#include "platform/winsock.h"

class TestWorldServer {
 public:
  TestWorldServer() {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      const std::string path = std::string(LUMENFOLD_TOOLS_DIR) + "/worldserver";
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    output_ = out[0];
    if (waitForOutput("\n", 10)) std::sscanf(said_.c_str(), "listening on %d", &port_);
  }
  ~TestWorldServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) close(output_);
  }
  TestWorldServer(const TestWorldServer&) = delete;
  TestWorldServer& operator=(const TestWorldServer&) = delete;

  int port() const { return port_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

  // Waits until the server's output holds `text` ("client 1 joined", say);
  // false after `seconds`.
  bool waitForOutput(const std::string& text, int seconds) {
    for (int waited = 0; said_.find(text) == std::string::npos; waited += 10) {
      if (waited >= seconds * 1000 || output_ < 0) return false;
      pollfd readable = {output_, POLLIN, 0};
      if (poll(&readable, 1, 10) <= 0) continue;
      char bytes[256];
      const ssize_t n = read(output_, bytes, sizeof bytes);
      if (n <= 0) return false;
      said_.append(bytes, size_t(n));
    }
    return true;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  int port_ = 0;
  std::string said_;  // what the server printed so far
};

// Connects, says hello and announces its avatar; then sends script
// messages naming any procedure, and reads the object messages the server
// relays to it. Its socket is one of the platform's Winsock layer, which it starts and
// cleans up for itself.
class RawPeer {
 public:
  RawPeer(int port, const std::string& nickname, const std::string& avatar) {
    WSADATA data;
    started_ = WSAStartup(0x0101, &data) == 0;
    socket_ = started_ ? socket(AF_INET, SOCK_STREAM, 0) : INVALID_SOCKET;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(u_short(port));
    address.sin_addr.s_addr = htonl(0x7f000001);
    if (socket_ == INVALID_SOCKET ||
        connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
      return;
    uint8_t hello[ZMQX_SERVER_HELLO_SIZE];
    zmqxWriteClientHello(hello);
    if (!sendAll(hello, ZMQX_CLIENT_HELLO_SIZE) || !receiveAll(hello, ZMQX_SERVER_HELLO_SIZE) ||
        zmqxReadServerHello(hello, &clientId_, &channelId_) != 0)
      return;
    uint8_t message[ZMQX_MAX_MESSAGE];
    zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, channelId_, clientId_);
    const int size = zmqxWriteAvatar(message, nickname.c_str(), avatar.c_str());
    joined_ = size > 0 && sendAll(message, size_t(size));
  }
  ~RawPeer() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (started_) WSACleanup();
  }
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  bool joined() const { return joined_; }
  uint32_t clientId() const { return clientId_; }

  // A script message for the object with that id: `procedure target event
  // data` at every other client.
  bool callProcedure(ZmId target, const std::string& procedure, const std::string& data) {
    uint8_t message[ZMQX_MAX_MESSAGE];
    zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, channelId_, clientId_);
    zmqxWriteObjectMessage(message, target);
    const int size = zmqxWriteApplSpecific(message, procedure.c_str(), data.c_str(), 2);
    return size > 0 && sendAll(message, size_t(size));
  }

  // The next object message of that sub-kind (ZMQX_SUB_CHAT, ...) the
  // server relays, whole; the messages before it are passed over. Empty
  // when none comes within five seconds.
  std::vector<uint8_t> nextObjectMessage(uint32_t subKind) {
    for (std::vector<uint8_t> message; !(message = nextMessage()).empty();) {
      uint32_t kind = 0, sub = 0;
      zmqxReadHeader(message.data(), nullptr, nullptr, nullptr, &kind, nullptr);
      if (kind != ZMQX_KIND_OBJECT) continue;
      zmqxReadObjectMessage(message.data(), nullptr, &sub, nullptr);
      if (sub == subKind) return message;
    }
    return {};
  }

 private:
  // The next class-0 message whole (others are passed over); empty at the
  // end of the stream or after five quiet seconds.
  std::vector<uint8_t> nextMessage() {
    std::vector<uint8_t> message(ZMQX_POSITION_SIZE);
    while (receiveAll(message.data(), 1)) {
      const uint8_t messageClass = message[0];
      const size_t head = messageClass == ZMQX_CLASS_POSTURE    ? ZMQX_POSTURE_SIZE
                          : messageClass == ZMQX_CLASS_POSITION ? ZMQX_POSITION_SIZE
                                                                : ZMQX_HEADER_SIZE;
      message.resize(head);
      if (!receiveAll(message.data() + 1, head - 1)) break;
      message.resize(size_t(zmqxMessageSize(message.data())));
      if (!receiveAll(message.data() + head, message.size() - head)) break;
      if (messageClass == ZMQX_CLASS_MESSAGE) return message;
    }
    return {};
  }

  bool sendAll(const uint8_t* bytes, size_t size) {
    while (size > 0) {
      const int sent = send(socket_, reinterpret_cast<const char*>(bytes), int(size), 0);
      if (sent <= 0) return false;
      bytes += sent;
      size -= size_t(sent);
    }
    return true;
  }
  bool receiveAll(uint8_t* bytes, size_t size) {
    while (size > 0) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_, &readable);
      timeval wait = {5, 0};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
      const int received = recv(socket_, reinterpret_cast<char*>(bytes), int(size), 0);
      if (received <= 0) return false;
      bytes += received;
      size -= size_t(received);
    }
    return true;
  }

  bool started_ = false;
  SOCKET socket_ = INVALID_SOCKET;
  uint32_t clientId_ = 0, channelId_ = 0;
  bool joined_ = false;
};

#endif
