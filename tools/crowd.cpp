// tools/crowd.cpp -- simulated users for a world server: a load for a program
// that meets them there.
//
// Usage: crowd PORT CLIENTS IDLE SECONDS MOVES_PER_SECOND CHAT_EVERY_SECONDS AVATAR_URL
// Connects CLIENTS clients to 127.0.0.1:PORT, each greeted and announced as
// "simNN" with AVATAR_URL as its avatar, and prints "joined T". The clients
// stay idle for IDLE seconds; then, for SECONDS seconds ("load T1 T2" is
// printed at the end), each one that knows its avatar's id sends
// MOVES_PER_SECOND positions a second (its avatar walking a circle of its
// own) and, every CHAT_EVERY_SECONDS seconds, one chat line "simNN: line K".
// Everything the server sends is read and dropped. Last comes "moves M chat
// C" (what was sent). T are seconds since the epoch, with microseconds.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "multiuser/protocol.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int port;
  int clients;
  double idle;
  double seconds;
  double movesPerSecond;
  double chatEvery;
  std::string avatar;
};

struct SimClient {
  int fd = -1;
  std::string nickname;
  uint32_t channelId = 0;
  uint32_t clientId = 0;
  ZmId avatarId = -1;  // -1 until the server names it
  std::vector<uint8_t> input;
  long chatLines = 0;
};

long movesSent = 0;
long chatSent = 0;

bool sendAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes += sent;
    size -= size_t(sent);
  }
  return true;
}

bool recvAll(int fd, uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t got = ::recv(fd, bytes, size, 0);
    if (got <= 0) return false;
    bytes += got;
    size -= size_t(got);
  }
  return true;
}

// Connects, says hello and announces the avatar; false on any failure.
bool join(SimClient& client, int port, const std::string& avatar) {
  client.fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (client.fd < 0 || ::connect(client.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
  const int on = 1;
  setsockopt(client.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  uint8_t hello[ZMQX_SERVER_HELLO_SIZE];
  zmqxWriteClientHello(hello);
  if (!sendAll(client.fd, hello, ZMQX_CLIENT_HELLO_SIZE) || !recvAll(client.fd, hello, sizeof hello)) return false;
  uint32_t helloId = 0;
  if (zmqxReadServerHello(hello, &helloId, &client.channelId) != 0) return false;
  uint8_t message[ZMQX_MAX_MESSAGE];
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, client.channelId, helloId);
  const int size = zmqxWriteAvatar(message, client.nickname.c_str(), avatar.c_str());
  return size > 0 && sendAll(client.fd, message, size_t(size));
}

// Takes the ids the client needs out of what arrived; drops the rest.
void readArrived(SimClient& client) {
  uint8_t chunk[4096];
  for (;;) {
    pollfd ready{client.fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) break;
    const ssize_t got = ::recv(client.fd, chunk, sizeof chunk, 0);
    if (got <= 0) break;
    client.input.insert(client.input.end(), chunk, chunk + got);
  }
  while (client.input.size() >= size_t(ZMQX_POSTURE_SIZE)) {
    const uint8_t* head = client.input.data();
    if (head[0] == ZMQX_CLASS_MESSAGE && client.input.size() < size_t(ZMQX_HEADER_SIZE)) return;
    const uint64_t size = zmqxMessageSize(head);
    if (client.input.size() < size) return;
    uint8_t messageClass = 0;
    uint32_t kind = 0;
    zmqxReadHeader(head, &messageClass, nullptr, nullptr, &kind, nullptr);
    if (messageClass == ZMQX_CLASS_MESSAGE && kind == ZMQX_KIND_CLIENT_ID) zmqxReadClientId(head, &client.clientId);
    if (messageClass == ZMQX_CLASS_MESSAGE && kind == ZMQX_KIND_MYSELF) zmqxReadObjectId(head, &client.avatarId);
    client.input.erase(client.input.begin(), client.input.begin() + long(size));
  }
}

void sendMove(const SimClient& client, int index, double t) {
  const double angle = t + index;
  const ZmVec3 at{float(3 * std::cos(angle)), 0.0f, float(-8 + 3 * std::sin(angle))};
  uint8_t message[ZMQX_POSITION_SIZE];
  zmqxWritePosition(message, client.channelId, client.clientId, client.avatarId, &at);
  if (sendAll(client.fd, message, sizeof message)) ++movesSent;
}

void sendChat(SimClient& client) {
  const std::string line = client.nickname + ": line " + std::to_string(++client.chatLines);
  uint8_t message[ZMQX_MAX_MESSAGE];
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, client.channelId, client.clientId);
  zmqxWriteObjectMessage(message, client.avatarId);
  const int size = zmqxWriteChatText(message, line.c_str());
  if (size > 0 && sendAll(client.fd, message, size_t(size))) ++chatSent;
}

Options readOptions(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: crowd PORT CLIENTS IDLE SECONDS MOVES_PER_SECOND CHAT_EVERY_SECONDS AVATAR_URL\n");
    std::exit(2);
  }
  return {std::atoi(argv[1]), std::atoi(argv[2]), std::atof(argv[3]), std::atof(argv[4]),
          std::atof(argv[5]), std::atof(argv[6]), argv[7]};
}

double epochSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Reads what arrives for `seconds` without sending anything.
void stayIdle(std::vector<SimClient>& clients, double seconds) {
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Clock::now() < end) {
    for (SimClient& client : clients) readArrived(client);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = readOptions(argc, argv);
  std::vector<SimClient> clients(size_t(options.clients));
  for (size_t i = 0; i < clients.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "sim%02d", int(i) + 1);
    clients[i].nickname = name;
    if (!join(clients[i], options.port, options.avatar)) {
      std::fprintf(stderr, "crowd: %s cannot join\n", name);
      return 1;
    }
  }
  std::printf("joined %.6f\n", epochSeconds());
  std::fflush(stdout);
  stayIdle(clients, options.idle);
  const double loadStart = epochSeconds();
  const auto start = Clock::now();
  const auto moveStep = std::chrono::duration<double>(options.movesPerSecond > 0 ? 1.0 / options.movesPerSecond : 1e9);
  auto nextMove = start;
  auto nextChat = start + std::chrono::duration<double>(options.chatEvery);
  for (;;) {
    const auto now = Clock::now();
    const double t = std::chrono::duration<double>(now - start).count();
    if (t >= options.seconds) break;
    for (SimClient& client : clients) readArrived(client);
    const bool moving = options.movesPerSecond > 0 && now >= nextMove;
    const bool chatting = options.chatEvery > 0 && now >= nextChat;
    for (size_t i = 0; i < clients.size(); ++i) {
      if (clients[i].avatarId < 0) continue;
      if (moving) sendMove(clients[i], int(i), t);
      if (chatting) sendChat(clients[i]);
    }
    if (moving) nextMove += std::chrono::duration_cast<Clock::duration>(moveStep);
    if (chatting) nextChat += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.chatEvery));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::printf("load %.6f %.6f\nmoves %ld chat %ld\n", loadStart, epochSeconds(), movesSent, chatSent);
  for (SimClient& client : clients) ::close(client.fd);
  return 0;
}
