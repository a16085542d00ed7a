// tests/shell/silent_server.h -- a server on 127.0.0.1 that accepts one
// client and never says a word to it.
//
// Owns the listening socket, the accepted connection and the thread that
// holds it open. Kept apart from the tests because the system's socket
// headers and the program's Winsock header cannot meet in one file.
#ifndef LUMENFOLD_TESTS_SHELL_SILENT_SERVER_H
#define LUMENFOLD_TESTS_SHELL_SILENT_SERVER_H

#include <thread>

class SilentServer {
 public:
  // Listens at once; the connection it accepts is held open until the
  // client closes it or `holdSeconds` have gone (so that a program that
  // waits for the server fails a test instead of hanging it).
  explicit SilentServer(int holdSeconds);
  ~SilentServer();  // waits for the hold to end
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

#endif
