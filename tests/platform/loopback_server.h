// tests/platform/loopback_server.h -- a TCP server on 127.0.0.1 for the
// socket tests, which plays a script of writes, pauses, reads and a close
// to one client on a thread of its own.
//
// Owns: the listening socket (an ephemeral port), the thread and the one
// accepted connection. It does not own the client side, which the tests
// drive through winsock.h. Kept apart from the tests because the system's
// socket headers and winsock.h cannot meet in one file. Every wait is
// bounded, so a test that goes wrong fails instead of hanging.
#ifndef LUMENFOLD_TESTS_PLATFORM_LOOPBACK_SERVER_H
#define LUMENFOLD_TESTS_PLATFORM_LOOPBACK_SERVER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct ServerStep {
  enum Kind { kWrite, kPause, kRead, kClose, kReset } kind;
  std::string bytes;  // kWrite: written with one call
  int count = 0;      // kPause: milliseconds; kRead: bytes to read
};

ServerStep serverWrite(std::string bytes);
ServerStep serverPause(int ms);
ServerStep serverRead(int count);
ServerStep serverClose();
ServerStep serverReset();  // closes with a reset instead of an orderly end

class LoopbackServer {
 public:
  LoopbackServer();  // listening at once, so a client may connect before serve
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t port() const { return port_; }  // host byte order

  // Accepts one client (waiting at most 5 s) and plays the steps to it; the
  // connection is closed after the last step in any case.
  void serve(std::vector<ServerStep> steps);

  // Waits for the script to end; what the kRead steps got, and whether all
  // steps ran.
  std::string finish(bool* completed = nullptr);

  // A loopback port with nothing listening on it.
  static uint16_t refusingPort();

 private:
  void play(std::vector<ServerStep> steps);

  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  std::string received_;
  bool completed_ = false;
};

#endif
