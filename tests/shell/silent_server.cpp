// tests/shell/silent_server.cpp -- the silent server; see silent_server.h.
#include "tests/shell/silent_server.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

SilentServer::SilentServer(int holdSeconds) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 1) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this, holdSeconds] {
    pollfd waiting = {listener_, POLLIN, 0};
    if (::poll(&waiting, 1, holdSeconds * 1000) != 1) return;
    const int client = ::accept(listener_, nullptr, nullptr);
    pollfd closed = {client, POLLRDHUP, 0};
    ::poll(&closed, 1, holdSeconds * 1000);
    ::close(client);
  });
}

SilentServer::~SilentServer() {
  if (thread_.joinable()) thread_.join();
  ::close(listener_);
}
