// tests/multiuser/peer.h -- the other end of the client's stream: a scripted
// server (or SOCKS proxy) on 127.0.0.1 that runs in a thread of the test.
//
// Owns: the listening socket, the one connection it accepts and the thread
// that runs the test's script on it; the script splits, merges, delays,
// cuts and resets the stream as it likes. The system's sockets are used
// here, apart from the client's Winsock layer, so this header includes
// neither.
#ifndef LUMENFOLD_TESTS_MULTIUSER_PEER_H
#define LUMENFOLD_TESTS_MULTIUSER_PEER_H

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The accepted connection, as the script sees it. Reads wait at most five
// seconds; after one has waited in vain the client is taken as gone and
// later reads return at once, so a failed test never waits long.
class PeerLink {
 public:
  explicit PeerLink(int fd) : fd_(fd) {}
  ~PeerLink();  // closes the stream unless reset() did
  PeerLink(const PeerLink&) = delete;
  PeerLink& operator=(const PeerLink&) = delete;
  // Exactly n bytes; fewer when the client closed or went quiet first.
  Bytes read(size_t n);
  // One whole message by its class and length word; empty at the end.
  Bytes readMessage();
  // True when the client closes the stream (no more bytes come).
  bool readsEnd();
  void write(const Bytes& bytes);
  void pause(int milliseconds);
  // Ends the stream with a reset instead of an orderly close.
  void reset();
  void setReceiveBuffer(int bytes);

 private:
  bool waitReadable();

  int fd_;
  bool quiet_ = false;  // a read has timed out
};

class ScriptedPeer {
 public:
  using Script = std::function<void(PeerLink&)>;
  // Listens at once; the script runs on the first connection accepted.
  explicit ScriptedPeer(Script script);
  ~ScriptedPeer();  // waits for the script, then closes both sockets
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  int port() const { return port_; }
  void join();

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// The server's side of the hello exchange: reads the client hello, answers
// with hello id and channel id, reads the avatar announcement and returns
// it (empty when something was missing).
Bytes greetClient(PeerLink& link, uint32_t helloId, uint32_t channelId);

#endif
