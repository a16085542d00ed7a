// tools/worldserver.cpp -- a world server for the multi-user client, so that
// two programs can meet on one machine.
//
// Usage: worldserver [PORT]
// Listens on 127.0.0.1:PORT (0 or none: a free port), prints
// "listening on PORT" and then serves one world until it is killed. It
// answers the hello (a reject padded to 14 bytes for anything else), gives
// client n the client id n, the channel id 1 and the object ids
// n*1000..n*1000+999 for its avatar. Each announced avatar is offered to
// the other clients as an add-objects message (the avatar's file, the
// nickname as comment) before its owner learns its id, so the first move
// it sends finds the object everywhere. Moves, posture steps, chat, events
// and script messages (kind 6, classes 1 and 2) go unchanged to every other
// announced client. A client that leaves or drops is hidden from the others
// (kind 3: an avatar shown through a Switch goes back to child 0); the first
// client is the master, and when it goes the oldest remaining one becomes it.
// A message longer than the client's limit, or a byte that is no class,
// drops its sender.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "multiuser/protocol.h"

namespace {

constexpr uint32_t kChannelId = 1;
constexpr ZmId kIdsPerClient = 1000;

struct Client {
  int fd;
  uint32_t id;
  bool greeted;      // the hello exchange is done
  bool announced;    // its avatar is known
  bool master;
  std::string nickname;
  std::string avatarFile;
  std::vector<uint8_t> input;
};

std::vector<Client> clients;
uint32_t nextClientId = 1;

ZmId avatarIdOf(const Client& client) { return ZmId(client.id) * kIdsPerClient; }

void sendBytes(const Client& client, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(client.fd, bytes, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return;  // a dead peer is noticed by its next read
    bytes += sent;
    size -= size_t(sent);
  }
}

// A class-0 message to one client, filled by `write` after the header.
template <typename Write>
void sendMessage(const Client& client, Write write) {
  uint8_t message[ZMQX_MAX_MESSAGE];
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, kChannelId, client.id);
  const int size = write(message);
  if (size > 0) sendBytes(client, message, size_t(size));
}

void offerAvatar(const Client& to, const Client& owner) {
  sendMessage(to, [&](uint8_t* m) {
    return zmqxWriteAddObjects(m, avatarIdOf(owner), avatarIdOf(owner) + kIdsPerClient - 1,
                               owner.avatarFile.c_str(), owner.nickname.c_str());
  });
}

void relayToOthers(const Client& from, const uint8_t* message, size_t size) {
  for (const Client& other : clients)
    if (other.fd != from.fd && other.announced) sendBytes(other, message, size);
}

void announce(Client& client, const uint8_t* message) {
  const char* nickname = nullptr;
  const char* avatar = nullptr;
  if (client.announced || zmqxReadAvatar(message, &nickname, &avatar) != 0) return;
  client.nickname = nickname;
  client.avatarFile = avatar;
  bool masterTaken = false;
  for (const Client& other : clients) {
    if (!other.announced) continue;
    masterTaken = masterTaken || other.master;
    offerAvatar(other, client);
    offerAvatar(client, other);
  }
  client.announced = true;
  client.master = !masterTaken;
  sendMessage(client, [&](uint8_t* m) { return zmqxWriteClientId(m, client.id); });
  sendMessage(client, [&](uint8_t* m) { return zmqxWriteMaster(m, client.master ? 1 : 0); });
  sendMessage(client, [&](uint8_t* m) { return zmqxWriteObjectId(m, ZMQX_KIND_MYSELF, avatarIdOf(client)); });
  std::printf("client %u joined as \"%s\" (%s)\n", client.id, client.nickname.c_str(), client.avatarFile.c_str());
  std::fflush(stdout);
}

// Hides the leaving client's avatar from the others and hands the master on.
void leave(size_t index) {
  const Client gone = clients[index];
  ::close(gone.fd);
  clients.erase(clients.begin() + long(index));
  if (!gone.announced) return;
  for (const Client& other : clients)
    if (other.announced) sendMessage(other, [&](uint8_t* m) { return zmqxWriteObjectId(m, ZMQX_KIND_TO_CHILD0, avatarIdOf(gone)); });
  if (gone.master) {
    for (Client& other : clients) {
      if (!other.announced) continue;
      other.master = true;
      sendMessage(other, [&](uint8_t* m) { return zmqxWriteMaster(m, 1); });
      break;
    }
  }
  std::printf("client %u left\n", gone.id);
  std::fflush(stdout);
}

// Greets the client once its hello is there; false when it must go.
bool greet(Client& client) {
  if (client.input.size() < size_t(ZMQX_CLIENT_HELLO_SIZE)) return true;
  uint8_t reply[ZMQX_SERVER_HELLO_SIZE];
  const bool hello = zmqxReadClientHello(client.input.data()) == 0;
  if (hello) {
    zmqxWriteServerHello(reply, client.id, kChannelId);
  } else {
    zmqxWriteServerReject(reply, 1);
  }
  sendBytes(client, reply, sizeof reply);
  client.input.erase(client.input.begin(), client.input.begin() + ZMQX_CLIENT_HELLO_SIZE);
  client.greeted = true;
  return hello;
}

// Handles every whole message in the client's input; false when it must go.
bool serve(Client& client) {
  if (!client.greeted && !greet(client)) return false;
  while (client.greeted && client.input.size() >= size_t(ZMQX_POSTURE_SIZE)) {
    const uint8_t* head = client.input.data();
    if (head[0] > ZMQX_CLASS_POSITION) return false;
    if (head[0] == ZMQX_CLASS_MESSAGE && client.input.size() < size_t(ZMQX_HEADER_SIZE)) return true;
    const uint64_t size = zmqxMessageSize(head);
    if (size > uint64_t(ZMQX_MAX_MESSAGE)) return false;
    if (client.input.size() < size) return true;
    uint8_t message[ZMQX_MAX_MESSAGE + 1] = {};
    std::memcpy(message, head, size);
    client.input.erase(client.input.begin(), client.input.begin() + long(size));
    uint8_t messageClass = 0;
    uint32_t kind = 0;
    zmqxReadHeader(message, &messageClass, nullptr, nullptr, &kind, nullptr);
    if (messageClass != ZMQX_CLASS_MESSAGE || kind == ZMQX_KIND_OBJECT) {
      if (client.announced) relayToOthers(client, message, size);
    } else if (kind == ZMQX_KIND_AVATAR) {
      announce(client, message);
    } else if (kind == ZMQX_KIND_LEAVE) {
      return false;
    }
  }
  return true;
}

int listenOn(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
    std::perror("worldserver");
    std::exit(1);
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  std::printf("listening on %d\n", ntohs(address.sin_port));
  std::fflush(stdout);
  return fd;
}

void acceptClient(int listener) {
  const int fd = ::accept(listener, nullptr, nullptr);
  if (fd < 0) return;
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  clients.push_back(Client{fd, nextClientId++, false, false, false, {}, {}, {}});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
    std::fprintf(stderr, "usage: worldserver [PORT]\n");
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  const int listener = listenOn(argc == 2 ? std::atoi(argv[1]) : 0);
  for (;;) {
    std::vector<pollfd> watched = {{listener, POLLIN, 0}};
    for (const Client& client : clients) watched.push_back({client.fd, POLLIN, 0});
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      std::perror("worldserver");
      return 1;
    }
    // Walk backwards: a client that goes is erased without upsetting the rest.
    for (size_t i = watched.size() - 1; i >= 1; --i) {
      if (watched[i].revents == 0) continue;
      Client& client = clients[i - 1];
      uint8_t bytes[4096];
      const ssize_t received = ::recv(client.fd, bytes, sizeof bytes, 0);
      if (received > 0) client.input.insert(client.input.end(), bytes, bytes + received);
      if (received <= 0 || !serve(client)) leave(i - 1);
    }
    if (watched[0].revents & POLLIN) acceptClient(listener);
  }
}
