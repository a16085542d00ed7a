// tests/multiuser/peer.cpp -- the scripted peer; see peer.h.
#include "tests/multiuser/peer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "multiuser/protocol.h"

namespace {

constexpr int kWaitMilliseconds = 5000;

bool waitReadable(int fd) {
  pollfd watched = {fd, POLLIN, 0};
  return ::poll(&watched, 1, kWaitMilliseconds) == 1;
}

}  // namespace

PeerLink::~PeerLink() {
  if (fd_ >= 0) ::close(fd_);
}

bool PeerLink::waitReadable() {
  quiet_ = quiet_ || !::waitReadable(fd_);
  return !quiet_;
}

Bytes PeerLink::read(size_t n) {
  Bytes bytes(n);
  size_t got = 0;
  while (got < n && waitReadable()) {
    const ssize_t received = ::recv(fd_, bytes.data() + got, n - got, 0);
    if (received <= 0) break;
    got += size_t(received);
  }
  bytes.resize(got);
  return bytes;
}

Bytes PeerLink::readMessage() {
  Bytes message = read(1);
  if (message.empty()) return message;
  const size_t head = message[0] == ZMQX_CLASS_POSTURE    ? ZMQX_POSTURE_SIZE
                      : message[0] == ZMQX_CLASS_POSITION ? ZMQX_POSITION_SIZE
                                                          : ZMQX_HEADER_SIZE;
  Bytes rest = read(head - 1);
  message.insert(message.end(), rest.begin(), rest.end());
  if (message.size() < head) return {};
  rest = read(size_t(zmqxMessageSize(message.data())) - head);
  message.insert(message.end(), rest.begin(), rest.end());
  return message;
}

bool PeerLink::readsEnd() {
  uint8_t byte = 0;
  while (waitReadable()) {
    const ssize_t received = ::recv(fd_, &byte, 1, 0);
    if (received <= 0) return true;
  }
  return false;
}

void PeerLink::write(const Bytes& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0 && errno != EINTR) return;
    if (n > 0) sent += size_t(n);
  }
}

void PeerLink::pause(int milliseconds) { ::usleep(useconds_t(milliseconds) * 1000); }

void PeerLink::reset() {
  const linger abort = {1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  ::close(fd_);
  fd_ = -1;
}

void PeerLink::setReceiveBuffer(int bytes) { ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes); }

ScriptedPeer::ScriptedPeer(Script script) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 4) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, script = std::move(script)] {
    if (!waitReadable(listener_)) return;
    const int fd = ::accept(listener_, nullptr, nullptr);
    if (fd < 0) return;
    PeerLink link(fd);
    script(link);
  });
}

ScriptedPeer::~ScriptedPeer() {
  join();
  ::close(listener_);
}

void ScriptedPeer::join() {
  if (thread_.joinable()) thread_.join();
}

Bytes greetClient(PeerLink& link, uint32_t helloId, uint32_t channelId) {
  const Bytes hello = link.read(ZMQX_CLIENT_HELLO_SIZE);
  if (hello.size() != size_t(ZMQX_CLIENT_HELLO_SIZE) || zmqxReadClientHello(hello.data()) != 0) return {};
  Bytes reply(ZMQX_SERVER_HELLO_SIZE);
  zmqxWriteServerHello(reply.data(), helloId, channelId);
  link.write(reply);
  return link.readMessage();
}
