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
#include "multiuser/protocol.h"

namespace {

ZmqxConnection connection = {ZMQX_STATE_NONE, INVALID_SOCKET, 0, 0, 0, 0, {}};

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

// Asks the proxy to connect to host:port; false after its warning.
bool socksConnect(SOCKET s, const char* host, int port) {
  const std::string& user = zmMultiUserSettings().nickname;
  std::vector<uint8_t> request(8 + user.size() + 1, 0);
  ULONG address = 0;
  if (!resolve(host, &address)) {
    zmReportWarning("connect_tcp_stream: gethostbyname failed.");
    return false;
  }
  request[0] = kSocksVersion;
  request[1] = kSocksConnect;
  request[2] = uint8_t(port >> 8);
  request[3] = uint8_t(port);
  std::memcpy(&request[4], &address, 4);
  std::memcpy(&request[8], user.c_str(), user.size() + 1);
  if (zmqxSendAll(s, request.data(), int(request.size())) != int(request.size())) {
    zmReportWarning("connect_tcp_stream: send to SOCKS failed.");
    return false;
  }
  uint8_t reply[kSocksReplySize];
  const int received = zmqxRecvAll(s, reply, kSocksReplySize);
  if (received <= 0) {
    zmReportMessage("err from SOCKS .");
    zmReportWarning("connect_tcp_stream: recv to SOCKS failed.");
    return false;
  }
  if (reply[1] != kSocksGranted) {
    zmReportWarning("connect_tcp_stream: reject By SOCKS.");
    return false;
  }
  return true;
}

// The hello exchange and the avatar announcement; false after its message.
bool handshake(SOCKET s) {
  uint8_t hello[ZMQX_SERVER_HELLO_SIZE];
  zmqxWriteClientHello(hello);
  bool ok = zmqxSendAll(s, hello, ZMQX_CLIENT_HELLO_SIZE) == ZMQX_CLIENT_HELLO_SIZE &&
            zmqxRecvAll(s, hello, ZMQX_SERVER_HELLO_SIZE) == ZMQX_SERVER_HELLO_SIZE;
  if (ok && zmqxReadServerHello(hello, &connection.helloId, &connection.channelId) != 0) {
    if (zmqxIsServerReject(hello)) {
      zmReportMessage("Connection to the server was rejected.");
      return false;
    }
    ok = false;
  }
  if (ok) {
    const ZmMultiUserSettings& settings = zmMultiUserSettings();
    const char* avatar = settings.avatarFile.empty() ? "person.wrl" : settings.avatarFile.c_str();
    uint8_t message[ZMQX_MAX_MESSAGE];
    zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, connection.channelId, connection.helloId);
    const int size = zmqxWriteAvatar(message, settings.nickname.c_str(), avatar);
    ok = size > 0 && zmqxSendAll(s, message, size) == size;
  }
  if (!ok) zmReportMessage("Connection failed.");
  return ok;
}

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
SOCKET zmqxGetSocket() { return connection.socket; }
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

int zmqxRecvAll(SOCKET s, uint8_t* bytes, int length) {
  int received = 0;
  while (received < length) {
    const int result = recv(s, reinterpret_cast<char*>(bytes) + received, length - received, 0);
    if (result == 0) return 0;
    if (result == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
      return -1;
    }
    received += result;
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
  const bool viaProxy = !settings.socksHost.empty() && !settings.socksPort.empty();
  const char* targetHost = viaProxy ? settings.socksHost.c_str() : host;
  const int targetPort = viaProxy ? portOf(settings.socksPort) : port;

  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_port = htons(u_short(targetPort));
  if (!resolve(targetHost, &target.sin_addr.s_addr)) {
    zmReportWarning("connect_tcp_stream: gethostbyname failed.");
    closeStream();
    return -1;
  }
  connection.state = ZMQX_STATE_CONNECTING;
  if (connect(connection.socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == SOCKET_ERROR) {
    closeStream();
    zmReportWarning("connect_tcp_stream: connect failed.");
    return -1;
  }
  if (viaProxy && !socksConnect(connection.socket, host, port)) {
    closeStream();
    return -1;
  }
  const int noDelay = 1;
  if (setsockopt(connection.socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof noDelay) == SOCKET_ERROR)
    zmReportWarning("connect_tcp_stream: setsockopt failed.");
  connection.state = ZMQX_STATE_CONNECTED;
  return 0;
}

int zmZMQXConnect() {
  connection.pumpGuard = 0;
  ZmWorld* world = zmGetCurrentWorld();
  if (connection.state != ZMQX_STATE_NONE || world == nullptr || world->server == nullptr) return -1;
  const std::string server = world->server;
  const size_t colon = server.find(':');
  if (colon == std::string::npos) return -1;
  zmqxResetBuffer(&connection.ring);
  if (connect_tcp_stream(server.substr(0, colon).c_str(), portOf(server.substr(colon + 1))) != 0) return -1;
  if (!handshake(connection.socket)) {
    closeStream();
    return -1;
  }
  // From here on the socket never blocks the pump: read notices when the
  // shell has a window to post them to, plain non-blocking mode otherwise.
  HWND window = zmMultiUserSettings().mainWindow;
  u_long nonBlocking = 1;
  if (window != nullptr)
    WSAAsyncSelect(connection.socket, window, ZMQX_SOCKET_NOTICE, FD_READ);
  else
    ioctlsocket(connection.socket, FIONBIO, &nonBlocking);
  zmReportMessage("Connected to a VI Vuzeza.");
  return 0;
}

int zmZMQXExit() {
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr || world->server == nullptr) return -1;
  connection.pumpGuard = 0;
  switch (connection.state) {
    case ZMQX_STATE_NONE:
      return 0;
    case ZMQX_STATE_CONNECTING:
      // No call blocks with messages pumped, so none can be cancelled here.
      if (WSAIsBlocking()) {
        WSACancelBlockingCall();
      } else {
        zmReportWarning("zmZMQXExit: strange! 1");
      }
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
