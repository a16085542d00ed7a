// multiuser/connection.cpp -- the connection to the world server; see
// connection.h.
#include "multiuser/connection.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/hash.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "multiuser/peers.h"
#include "multiuser/protocol.h"
#include "platform/clock.h"

namespace {

ZmqxConnection connection = {ZMQX_STATE_NONE, INVALID_SOCKET, 0, 0, 0, 0, {}, {}, {}};

// How long a full non-blocking socket may keep a message waiting.
constexpr long kSendWaitSeconds = 10;

constexpr uint8_t kSocksVersion = 4, kSocksConnect = 1, kSocksGranted = 90;
constexpr int kSocksReplySize = 8;
constexpr uint8_t kLeaveReason = 3;

void closeStream() {
  connection.state = ZMQX_STATE_CLOSING;
  closesocket(connection.socket);
  connection.socket = INVALID_SOCKET;
  connection.state = ZMQX_STATE_NONE;
}

// The IPv4 address of a dotted text or host name, network order; false
// when it has none.
bool resolve(const char* host, ULONG* address) {
  const u_long dotted = inet_addr(host);
  if (dotted != INADDR_NONE) {
    *address = ULONG(dotted);
    return true;
  }
  const hostent* entry = gethostbyname(host);
  if (entry == nullptr || entry->h_addr_list[0] == nullptr) return false;
  std::memcpy(address, entry->h_addr_list[0], sizeof *address);
  return true;
}

int portOf(const std::string& text) { return int(std::strtol(text.c_str(), nullptr, 10)); }

bool waitWritable(SOCKET s) {
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(s, &writable);
  const timeval limit = {kSendWaitSeconds, 0};
  return select(0, nullptr, &writable, nullptr, &limit) == 1;
}

// ---- The steps of a connection under way ----------------------------------------
//
// Each step is taken only when what it waits for is there; a step that
// cannot go on ends the attempt with its report and closes the stream.

enum class Step { Waiting, Done, Failed };

// The connect's end as select reports it: still waiting, connected, or
// refused (after its warning).
Step connectEnded(SOCKET s) {
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  const timeval now = {0, 0};
  if (select(0, nullptr, &writable, &failed, &now) <= 0) return Step::Waiting;
  if (FD_ISSET(s, &writable)) return Step::Done;
  zmReportWarning("connect_tcp_stream: connect failed.");
  return Step::Failed;
}

// Adds what has arrived of a `size`-byte answer to the handshake's reply:
// Done once it is whole, Failed when the stream ended or broke first.
Step gatherReply(SOCKET s, int size) {
  ZmqxHandshake& handshake = connection.handshake;
  while (handshake.held < size) {
    const int received =
        recv(s, reinterpret_cast<char*>(handshake.reply) + handshake.held, size - handshake.held, 0);
    if (received == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return Step::Waiting;
    if (received <= 0) return Step::Failed;
    handshake.held += received;
  }
  return Step::Done;
}

void awaitReply(int32_t what) {
  connection.handshake.awaiting = what;
  connection.handshake.held = 0;
}

// Asks the proxy to connect to the world server; false after its warning.
bool sendSocksRequest(SOCKET s) {
  const ZmqxHandshake& handshake = connection.handshake;
  const std::string& user = zmMultiUserSettings().nickname;
  std::vector<uint8_t> request(8 + user.size() + 1, 0);
  request[0] = kSocksVersion;
  request[1] = kSocksConnect;
  request[2] = uint8_t(handshake.serverPort >> 8);
  request[3] = uint8_t(handshake.serverPort);
  std::memcpy(&request[4], &handshake.serverAddress, 4);
  std::memcpy(&request[8], user.c_str(), user.size() + 1);
  if (zmqxSendAll(s, request.data(), int(request.size())) != int(request.size())) {
    zmReportWarning("connect_tcp_stream: send to SOCKS failed.");
    return false;
  }
  awaitReply(ZMQX_AWAIT_SOCKS);
  return true;
}

// The stream reaches the world server now: Nagle's delay off, then the
// client hello.
Step greetServer(SOCKET s) {
  const int noDelay = 1;
  if (setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay) ==
      SOCKET_ERROR)
    zmReportWarning("connect_tcp_stream: setsockopt failed.");
  uint8_t hello[ZMQX_CLIENT_HELLO_SIZE];
  zmqxWriteClientHello(hello);
  awaitReply(ZMQX_AWAIT_HELLO);
  if (zmqxSendAll(s, hello, ZMQX_CLIENT_HELLO_SIZE) == ZMQX_CLIENT_HELLO_SIZE) return Step::Waiting;
  zmReportMessage("Connection failed.");
  return Step::Failed;
}

// The proxy's answer: 90 lets the stream through to the server.
Step takeSocksAnswer(SOCKET s) {
  const Step answer = gatherReply(s, kSocksReplySize);
  if (answer == Step::Failed) {
    zmReportMessage("err from SOCKS .");
    zmReportWarning("connect_tcp_stream: recv to SOCKS failed.");
  }
  if (answer != Step::Done) return answer;
  if (connection.handshake.reply[1] != kSocksGranted) {
    zmReportWarning("connect_tcp_stream: reject By SOCKS.");
    return Step::Failed;
  }
  return greetServer(s);
}

// The avatar announcement that ends the hello exchange.
bool announceAvatar(SOCKET s) {
  const ZmMultiUserSettings& settings = zmMultiUserSettings();
  const char* avatar = settings.avatarFile.empty() ? "person.wrl" : settings.avatarFile.c_str();
  uint8_t message[ZMQX_MAX_MESSAGE];
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, connection.channelId, connection.helloId);
  const int size = zmqxWriteAvatar(message, settings.nickname.c_str(), avatar);
  return size > 0 && zmqxSendAll(s, message, size) == size;
}

// The server's hello: keeps its ids and announces the avatar.
Step takeServerHello(SOCKET s) {
  const Step answer = gatherReply(s, ZMQX_SERVER_HELLO_SIZE);
  if (answer == Step::Waiting) return answer;
  const uint8_t* hello = connection.handshake.reply;
  if (answer == Step::Done && zmqxIsServerReject(hello)) {
    zmReportMessage("Connection to the server was rejected.");
    return Step::Failed;
  }
  if (answer == Step::Done && zmqxReadServerHello(hello, &connection.helloId, &connection.channelId) == 0 &&
      announceAvatar(s))
    return Step::Done;
  zmReportMessage("Connection failed.");
  return Step::Failed;
}

// Takes the step the handshake waits for; every failure is reported here.
Step takeStep(SOCKET s) {
  switch (connection.handshake.awaiting) {
    case ZMQX_AWAIT_CONNECT: {
      const Step ended = connectEnded(s);
      if (ended != Step::Done) return ended;
      if (!connection.handshake.viaProxy) return greetServer(s);
      return sendSocksRequest(s) ? Step::Waiting : Step::Failed;
    }
    case ZMQX_AWAIT_SOCKS: return takeSocksAnswer(s);
    default: return takeServerHello(s);
  }
}

// The hello is done: from here on the socket never blocks the pump, with
// read notices when the shell has a window to post them to.
void becomeConnected() {
  connection.state = ZMQX_STATE_CONNECTED;
  if (HWND window = zmMultiUserSettings().mainWindow)
    WSAAsyncSelect(connection.socket, window, ZMQX_SOCKET_NOTICE, FD_READ);
  zmReportMessage("Connected to a VI Vuzeza.");
}

bool timedOut() { return GetTickCount() - connection.handshake.started >= DWORD(ZMQX_CONNECT_SECONDS) * 1000; }

// Ids of the objects that other users added, collected before any goes: a
// deletion takes a whole subtree out of the table being walked.
struct SharedIds {
  ZmObj* person;
  std::vector<ZmId> ids;
};

int collectShared(void* value, void* argument) {
  auto* shared = static_cast<SharedIds*>(argument);
  auto* object = static_cast<ZmObj*>(value);
  if (object->id >= 0 && object != shared->person) shared->ids.push_back(object->id);
  return 1;
}

// Deletes what other users added and withdraws the avatar's shared id.
int removeSharedObjects(ZmWorld* world) {
  zmqxForgetPeers();
  SharedIds shared = {world->person, {}};
  if (world->idTable != nullptr) zmForEachHashValue(world->idTable, collectShared, &shared);
  for (ZmId id : shared.ids) {
    ZmObj* object = zmGetZmObjById(world, &id);
    if (object != nullptr && object != world->person && zmDeleteZmObj(object) != 0) return -1;
  }
  if (ZmObj* person = world->person) {
    if (person->idEntry != nullptr) zmRemoveHashEntry(world->idTable, person->idEntry);
    person->idEntry = nullptr;
    person->id = zmGetNullId();
  }
  return 0;
}

}  // namespace

ZmMultiUserSettings& zmMultiUserSettings() {
  static ZmMultiUserSettings settings;
  return settings;
}

ZmqxConnection& zmqxConnection() { return connection; }
SOCKET zmqxGetSocket() { return connection.state == ZMQX_STATE_CONNECTED ? connection.socket : INVALID_SOCKET; }
int32_t zmqxGetState() { return connection.state; }

int zmqxSendAll(SOCKET s, const uint8_t* bytes, int length) {
  int sent = 0;
  while (sent < length) {
    const int result = send(s, reinterpret_cast<const char*>(bytes) + sent, length - sent, 0);
    if (result == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK && waitWritable(s)) continue;
    if (result <= 0) return result;
    sent += result;
  }
  return length;
}

int connect_tcp_stream(const char* host, int port) {
  connection.socket = socket(AF_INET, SOCK_STREAM, 0);
  if (connection.socket == INVALID_SOCKET) {
    zmReportWarning("connect_tcp_stream: socket failed.");
    connection.state = ZMQX_STATE_NONE;
    return -1;
  }
  const ZmMultiUserSettings& settings = zmMultiUserSettings();
  ZmqxHandshake& handshake = connection.handshake;
  handshake = {};
  handshake.viaProxy = !settings.socksHost.empty() && !settings.socksPort.empty();
  handshake.serverPort = port;
  const char* targetHost = handshake.viaProxy ? settings.socksHost.c_str() : host;
  const int targetPort = handshake.viaProxy ? portOf(settings.socksPort) : port;

  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_port = htons(u_short(targetPort));
  if (!resolve(targetHost, &target.sin_addr.s_addr) ||
      (handshake.viaProxy && !resolve(host, &handshake.serverAddress))) {
    zmReportWarning("connect_tcp_stream: gethostbyname failed.");
    closeStream();
    return -1;
  }
  // Notices wake the main window while the answers come; without one the
  // pump looks at the socket on its own rounds.
  u_long nonBlocking = 1;
  HWND window = settings.mainWindow;
  if (window != nullptr)
    WSAAsyncSelect(connection.socket, window, ZMQX_SOCKET_NOTICE, FD_CONNECT | FD_READ);
  else
    ioctlsocket(connection.socket, FIONBIO, &nonBlocking);
  connection.state = ZMQX_STATE_CONNECTING;
  handshake.started = GetTickCount();
  awaitReply(ZMQX_AWAIT_CONNECT);
  if (connect(connection.socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    closeStream();
    zmReportWarning("connect_tcp_stream: connect failed.");
    return -1;
  }
  return 0;
}

int zmqxContinueConnect() {
  if (connection.state != ZMQX_STATE_CONNECTING) return -1;
  // One step after the other for as long as each finds its answer there.
  Step step = Step::Waiting;
  for (int32_t before = -1; step == Step::Waiting && before != connection.handshake.awaiting;) {
    before = connection.handshake.awaiting;
    step = takeStep(connection.socket);
  }
  if (step == Step::Done) {
    becomeConnected();
    return 0;
  }
  if (step == Step::Waiting && !timedOut()) return 0;
  if (step == Step::Waiting) zmReportMessage("Connection failed.");
  closeStream();
  return -1;
}

int zmZMQXConnect() {
  connection.pumpGuard = 0;
  ZmWorld* world = zmGetCurrentWorld();
  if (connection.state != ZMQX_STATE_NONE || world == nullptr || world->server == nullptr) return -1;
  const std::string server = world->server;
  const size_t colon = server.find(':');
  if (colon == std::string::npos) return -1;
  zmqxResetBuffer(&connection.ring);
  zmqxForgetPeers();
  if (connect_tcp_stream(server.substr(0, colon).c_str(), portOf(server.substr(colon + 1))) != 0) return -1;
  return zmqxContinueConnect();
}

int zmZMQXExit() {
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr || world->server == nullptr) return -1;
  connection.pumpGuard = 0;
  switch (connection.state) {
    case ZMQX_STATE_NONE:
      return 0;
    case ZMQX_STATE_CONNECTING:
      // The attempt is given up: its answers would come for a world no
      // longer shown.
      closeStream();
      return -1;
    case ZMQX_STATE_CONNECTED:
      break;
    default:
      zmReportWarning("zmZMQXExit: strange! 3");
      return -1;
  }
  if (connection.socket == INVALID_SOCKET) {
    zmReportWarning("zmZMQXExit: strange! 2");
    connection.state = ZMQX_STATE_NONE;
    return removeSharedObjects(world);
  }
  uint8_t message[ZMQX_MAX_MESSAGE];
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, connection.channelId, connection.clientId);
  const int size = zmqxWriteLeave(message, kLeaveReason);
  zmqxSendAll(connection.socket, message, size);
  closeStream();
  zmReportMessage("Disconnected from a VI Vuzeza.");
  return removeSharedObjects(world) == 0 ? 0 : -1;
}
