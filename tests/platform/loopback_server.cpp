// tests/platform/loopback_server.cpp -- the scripted loopback server.
#include "tests/platform/loopback_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <utility>

namespace {

constexpr int kWaitMs = 5000;

bool waitFor(int fd, short events) {
  pollfd polled{fd, events, 0};
  return poll(&polled, 1, kWaitMs) == 1;
}

sockaddr_in loopbackAddress(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

uint16_t boundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

int boundLoopbackSocket() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopbackAddress(0);
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    long sent = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += size_t(sent);
  }
  return true;
}

bool readCount(int fd, int count, std::string* into) {
  char buffer[256];
  while (count > 0) {
    if (!waitFor(fd, POLLIN)) return false;
    long got = recv(fd, buffer, std::min<size_t>(sizeof buffer, size_t(count)), 0);
    if (got <= 0) return false;
    into->append(buffer, size_t(got));
    count -= int(got);
  }
  return true;
}

}  // namespace

ServerStep serverWrite(std::string bytes) { return ServerStep{ServerStep::kWrite, std::move(bytes)}; }
ServerStep serverPause(int ms) { return ServerStep{ServerStep::kPause, "", ms}; }
ServerStep serverRead(int count) { return ServerStep{ServerStep::kRead, "", count}; }
ServerStep serverClose() { return ServerStep{ServerStep::kClose}; }
ServerStep serverReset() { return ServerStep{ServerStep::kReset}; }

LoopbackServer::LoopbackServer() {
  listener_ = boundLoopbackSocket();
  if (listener_ >= 0 && listen(listener_, 4) == 0) port_ = boundPort(listener_);
}

LoopbackServer::~LoopbackServer() {
  finish();
  if (listener_ >= 0) close(listener_);
}

void LoopbackServer::serve(std::vector<ServerStep> steps) {
  thread_ = std::thread(&LoopbackServer::play, this, std::move(steps));
}

std::string LoopbackServer::finish(bool* completed) {
  if (thread_.joinable()) thread_.join();
  if (completed != nullptr) *completed = completed_;
  return received_;
}

void LoopbackServer::play(std::vector<ServerStep> steps) {
  if (listener_ < 0 || !waitFor(listener_, POLLIN)) return;
  int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return;
  int on = 1;  // each write leaves as its own segment
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  bool ok = true;
  for (const ServerStep& step : steps) {
    switch (step.kind) {
      case ServerStep::kWrite: ok = writeAll(client, step.bytes); break;
      case ServerStep::kPause:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.count));
        break;
      case ServerStep::kRead: ok = readCount(client, step.count, &received_); break;
      case ServerStep::kClose: break;
      case ServerStep::kReset: {
        linger hard{1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        break;
      }
    }
    if (!ok || step.kind == ServerStep::kClose || step.kind == ServerStep::kReset) break;
  }
  close(client);
  completed_ = ok;
}

uint16_t LoopbackServer::refusingPort() {
  int fd = boundLoopbackSocket();  // bound but not listening: connects are refused
  if (fd < 0) return 0;
  uint16_t port = boundPort(fd);
  close(fd);
  return port;
}
