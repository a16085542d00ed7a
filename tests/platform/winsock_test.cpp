// Tests of the Winsock layer against a real loopback server: notices pumped
// through the message queue, split and merged writes, refused connects, the
// end and the reset of a stream, and the calls' failures.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/winsock.h"
#include "tests/platform/loopback_server.h"
#include "tests/platform/window_fixture.h"

namespace {

constexpr UINT kNotice = WM_USER + 4;
constexpr UINT_PTR kWatchdogTimer = 77;
constexpr UINT kWaitMs = 5000;

struct Notice {
  SOCKET socket;
  int event;
  int error;
};

sockaddr_in loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  return address;
}

int connectTo(SOCKET s, uint16_t port) {
  sockaddr_in address = loopback(port);
  return connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
}

class SocketTest : public WindowTest {
 protected:
  HWND window = nullptr;
  std::vector<Notice> notices;
  std::string data;        // what the reader took
  int readChunk = 0;       // bytes the reader takes per FD_READ; 0: none
  bool closed = false;     // FD_CLOSE came

  void SetUp() override {
    WindowTest::SetUp();
    platform::useVirtualClock(false);  // the server lives in real time
    WSADATA info;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &info), 0);
    window = makeWindow();
    handlers[kNotice] = [this](HWND, WPARAM wParam, LPARAM lParam, LRESULT*) {
      onNotice(SOCKET(wParam), WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
      return true;
    };
  }

  void TearDown() override {
    EXPECT_EQ(WSACleanup(), 0);
    WindowTest::TearDown();
  }

  // Reads as the program's socket procedure does: asks how much waits, then
  // takes up to readChunk bytes with one recv.
  void onNotice(SOCKET s, int event, int error) {
    notices.push_back(Notice{s, event, error});
    if (event == FD_CLOSE) closed = true;
    if (event != FD_READ || readChunk == 0) return;
    u_long waiting = 0;
    ASSERT_EQ(ioctlsocket(s, FIONREAD, &waiting), 0);
    char buffer[64];
    int wanted = int(std::min<u_long>(waiting, u_long(readChunk)));
    if (wanted == 0) return;
    int got = recv(s, buffer, wanted, 0);
    ASSERT_GT(got, 0);
    data.append(buffer, size_t(got));
  }

  int count(int event) const {
    int found = 0;
    for (const Notice& notice : notices) found += notice.event == event;
    return found;
  }

  // Dispatches messages until `done` holds or `ms` pass; false on time-out.
  bool pumpUntil(const std::function<bool()>& done, UINT ms = kWaitMs) {
    SetTimer(window, kWatchdogTimer, ms, nullptr);
    MSG msg;
    bool timedOut = false;
    while (!done() && !timedOut && GetMessageA(&msg, nullptr, 0, 0) > 0) {
      timedOut = msg.message == WM_TIMER && msg.wParam == kWatchdogTimer;
      DispatchMessageA(&msg);
    }
    KillTimer(window, kWatchdogTimer);
    return done();
  }

  void pumpFor(UINT ms) { pumpUntil([] { return false; }, ms); }

  SOCKET connectedSocket(uint16_t port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(connectTo(s, port), 0) << WSAGetLastError();
    return s;
  }
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

TEST_F(SocketTest, SplitAndMergedWritesArriveWholeThroughNotices) {
  LoopbackServer server;
  server.serve({serverWrite("HE"), serverPause(30), serverWrite("LL"), serverPause(30),
                serverWrite("O\n"), serverPause(30), serverWrite("ONE\nTWO\n"), serverClose()});
  SOCKET s = connectedSocket(server.port());
  readChunk = 3;  // fewer bytes than arrive: what is left must be noticed again
  ASSERT_EQ(WSAAsyncSelect(s, window, kNotice, FD_READ | FD_CLOSE), 0);
  ASSERT_TRUE(pumpUntil([&] { return closed; }));
  EXPECT_EQ(linesOf(data), (std::vector<std::string>{"HELLO", "ONE", "TWO"}));
  EXPECT_EQ(count(FD_CLOSE), 1);
  EXPECT_EQ(notices.back().event, FD_CLOSE);
  EXPECT_EQ(notices.back().error, 0);
  for (const Notice& notice : notices) EXPECT_EQ(notice.socket, s);
  pumpFor(50);
  EXPECT_EQ(count(FD_CLOSE), 1);  // once only
  EXPECT_EQ(closesocket(s), 0);
  EXPECT_TRUE(server.finish().empty());
}

TEST_F(SocketTest, ReadNoticeWaitsForRecvBeforeComingAgain) {
  LoopbackServer server;
  server.serve({serverWrite("abc"), serverPause(100), serverWrite("def"), serverPause(200),
                serverClose()});
  SOCKET s = connectedSocket(server.port());
  ASSERT_EQ(WSAAsyncSelect(s, window, kNotice, FD_READ | FD_CLOSE), 0);
  ASSERT_TRUE(pumpUntil([&] { return count(FD_READ) == 1; }));
  pumpFor(200);  // "def" arrives meanwhile
  EXPECT_EQ(count(FD_READ), 1);
  char buffer[8];
  ASSERT_EQ(recv(s, buffer, 1, 0), 1);
  EXPECT_TRUE(pumpUntil([&] { return count(FD_READ) == 2; }));
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 5);
  EXPECT_EQ(std::string(buffer, 5), "bcdef");
  EXPECT_TRUE(pumpUntil([&] { return closed; }));
  EXPECT_EQ(notices.back().error, 0);
  EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 0);  // the end of the stream
}

// The server ends the stream after every prefix of a message; the client
// gets exactly that prefix, then one FD_CLOSE.
TEST_F(SocketTest, StreamCutAfterAnyPrefixGivesThePrefixThenClose) {
  const std::string message = "0123456";
  readChunk = 2;
  for (size_t cut = 0; cut <= message.size(); ++cut) {
    SCOPED_TRACE(cut);
    notices.clear();
    data.clear();
    closed = false;
    LoopbackServer server;
    server.serve({serverWrite(message.substr(0, cut)), serverClose()});
    SOCKET s = connectedSocket(server.port());
    ASSERT_EQ(WSAAsyncSelect(s, window, kNotice, FD_READ | FD_CLOSE), 0);
    EXPECT_TRUE(pumpUntil([&] { return closed; }));
    EXPECT_EQ(data, message.substr(0, cut));
    EXPECT_EQ(count(FD_CLOSE), 1);
    EXPECT_EQ(closesocket(s), 0);
  }
}

TEST_F(SocketTest, ResetByPeerGivesCloseWithErrorAndSendFailsWithoutSignal) {
  LoopbackServer server;
  server.serve({serverReset()});
  SOCKET s = connectedSocket(server.port());
  bool completed = false;
  server.finish(&completed);
  ASSERT_TRUE(completed);
  ASSERT_EQ(WSAAsyncSelect(s, window, kNotice, FD_READ | FD_CLOSE), 0);
  ASSERT_TRUE(pumpUntil([&] { return closed; }));
  EXPECT_EQ(notices.back().error, WSAECONNRESET);
  int result = 0;
  for (int tries = 0; tries < 50 && result != SOCKET_ERROR; ++tries) {
    result = send(s, "x", 1, 0);  // a signal here would end the test program
  }
  EXPECT_EQ(result, SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
}

TEST_F(SocketTest, AsyncConnectNoticesThenSendAndReceive) {
  LoopbackServer server;
  server.serve({serverRead(4), serverWrite("pong"), serverClose()});
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  readChunk = 16;
  ASSERT_EQ(WSAAsyncSelect(s, window, kNotice, FD_CONNECT | FD_WRITE | FD_READ | FD_CLOSE), 0);
  int result = connectTo(s, server.port());
  if (result == SOCKET_ERROR) {
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  }
  ASSERT_TRUE(pumpUntil([&] { return count(FD_WRITE) == 1; }));
  EXPECT_EQ(notices[0].event, FD_CONNECT);
  EXPECT_EQ(notices[0].error, 0);
  EXPECT_EQ(connectTo(s, server.port()), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEISCONN);
  EXPECT_EQ(send(s, "ping", 4, 0), 4);
  ASSERT_TRUE(pumpUntil([&] { return closed; }));
  EXPECT_EQ(data, "pong");
  EXPECT_EQ(server.finish(), "ping");
  EXPECT_EQ(count(FD_WRITE), 1);
}

TEST_F(SocketTest, RefusedConnectFailsBlockingAndAsynchronously) {
  uint16_t port = LoopbackServer::refusingPort();
  ASSERT_NE(port, 0);
  SOCKET blocking = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(connectTo(blocking, port), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);

  SOCKET async = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSAAsyncSelect(async, window, kNotice, FD_CONNECT | FD_READ), 0);
  EXPECT_EQ(connectTo(async, port), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  ASSERT_TRUE(pumpUntil([&] { return count(FD_CONNECT) == 1; }));
  EXPECT_EQ(notices[0].error, WSAECONNREFUSED);
  pumpFor(50);
  EXPECT_EQ(notices.size(), 1u);  // nothing more from a socket that never connected
}


// Without notices nothing but select can tell that a non-blocking connect
// ended: a success shows as writable and the socket then sends and
// receives, a refusal shows as an exception and never as writable.
TEST_F(SocketTest, SelectSettlesANonBlockingConnect) {
  LoopbackServer server;
  server.serve({serverRead(4), serverWrite("pong"), serverClose()});
  const uint16_t refusing = LoopbackServer::refusingPort();
  ASSERT_NE(refusing, 0);
  const struct {
    const char* name;
    uint16_t port;
    bool succeeds;
  } cases[] = {{"accepted", server.port(), true}, {"refused", refusing, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    u_long on = 1;
    ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    const int result = connectTo(s, c.port);
    if (result == SOCKET_ERROR) {
      EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval twoSeconds{2, 0};
    ASSERT_EQ(select(0, nullptr, &writable, &failed, &twoSeconds), 1);
    EXPECT_EQ(FD_ISSET(s, &writable) != 0, c.succeeds);
    EXPECT_EQ(FD_ISSET(s, &failed) != 0, !c.succeeds);
    if (c.succeeds) {
      EXPECT_EQ(send(s, "ping", 4, 0), 4);
      EXPECT_EQ(server.finish(), "ping");
      char buffer[8];
      EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), 4);
    }
    EXPECT_EQ(closesocket(s), 0);
  }
}
TEST_F(SocketTest, NonBlockingRecvWithoutDataWouldBlock) {
  LoopbackServer server;
  server.serve({serverRead(1), serverClose()});
  SOCKET s = connectedSocket(server.port());
  u_long on = 1;
  ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  u_long waiting = 99;
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &waiting), 0);
  EXPECT_EQ(waiting, 0u);

  ASSERT_EQ(WSAAsyncSelect(s, window, kNotice, FD_READ), 0);
  u_long off = 0;  // notices need a non-blocking socket
  EXPECT_EQ(ioctlsocket(s, FIONBIO, &off), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(send(s, "!", 1, 0), 1);
  EXPECT_EQ(server.finish(), "!");
}

TEST_F(SocketTest, SelectReportsReadableSocketsAndTimesOut) {
  LoopbackServer server;
  server.serve({serverPause(100), serverWrite("x"), serverRead(1), serverClose()});
  SOCKET s = connectedSocket(server.port());
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval none{0, 0};
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &none), 0);
  EXPECT_FALSE(FD_ISSET(s, &readable));

  FD_SET(s, &readable);
  fd_set writable;
  FD_ZERO(&writable);
  timeval twoSeconds{2, 0};
  EXPECT_EQ(select(0, &readable, &writable, nullptr, &twoSeconds), 1);
  EXPECT_TRUE(FD_ISSET(s, &readable));
  EXPECT_EQ(writable.fd_count, 0u);

  FD_SET(SOCKET(12345), &readable);
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &none), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  FD_ZERO(&readable);
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &none), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(send(s, "y", 1, 0), 1);
  EXPECT_EQ(server.finish(), "y");
}

TEST_F(SocketTest, OptionsAndAddresses) {
  LoopbackServer server;
  server.serve({serverClose()});
  SOCKET s = connectedSocket(server.port());
  int on = 1;
  EXPECT_EQ(setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                       sizeof on), 0);
  int value = 0;
  int length = sizeof value;
  EXPECT_EQ(getsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&value), &length), 0);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                       sizeof on), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);
  EXPECT_EQ(setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), 2),
            SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);

  sockaddr_in peer{};
  int peerLength = sizeof peer;
  ASSERT_EQ(getpeername(s, reinterpret_cast<sockaddr*>(&peer), &peerLength), 0);
  EXPECT_EQ(ntohs(peer.sin_port), server.port());
  EXPECT_STREQ(inet_ntoa(peer.sin_addr), "127.0.0.1");
}

TEST_F(SocketTest, BadHandlesAndArgumentsFailCleanly) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(closesocket(s), 0);
  char buffer[4];
  u_long arg = 0;
  const struct {
    const char* call;
    std::function<int(SOCKET)> run;
  } calls[] = {
      {"closesocket", [](SOCKET h) { return closesocket(h); }},
      {"connect", [](SOCKET h) { return connectTo(h, 80); }},
      {"send", [](SOCKET h) { return send(h, "x", 1, 0); }},
      {"recv", [&](SOCKET h) { return recv(h, buffer, 4, 0); }},
      {"ioctlsocket", [&](SOCKET h) { return ioctlsocket(h, FIONREAD, &arg); }},
      {"WSAAsyncSelect", [&](SOCKET h) { return WSAAsyncSelect(h, window, kNotice, FD_READ); }},
      {"shutdown", [](SOCKET h) { return shutdown(h, SD_BOTH); }},
  };
  for (SOCKET bad : {s, INVALID_SOCKET, SOCKET(0)}) {
    for (const auto& call : calls) {
      SCOPED_TRACE(call.call);
      WSASetLastError(0);
      EXPECT_EQ(call.run(bad), SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    }
  }

  SOCKET fresh = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_NE(fresh, s);  // handles are never reused
  EXPECT_EQ(send(fresh, "x", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
  EXPECT_EQ(recv(fresh, buffer, 4, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
  EXPECT_EQ(connect(fresh, nullptr, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  sockaddr_in anywhere = loopback(80);
  anywhere.sin_addr.s_addr = INADDR_ANY;
  EXPECT_EQ(connect(fresh, reinterpret_cast<sockaddr*>(&anywhere), sizeof anywhere),
            SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRNOTAVAIL);
  EXPECT_EQ(ioctlsocket(fresh, 0x1234, &arg), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(WSAAsyncSelect(fresh, reinterpret_cast<HWND>(0x1), kNotice, FD_READ), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAESOCKTNOSUPPORT);
  EXPECT_EQ(socket(AF_UNSPEC, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_FALSE(WSAIsBlocking());
  EXPECT_EQ(WSACancelBlockingCall(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

TEST_F(SocketTest, LastCleanupClosesEverySocket) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  WSADATA info;
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &info), 0);  // counted: two starts
  EXPECT_EQ(WSACleanup(), 0);
  u_long arg = 0;
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &arg), 0);  // still open after the first
  EXPECT_EQ(WSACleanup(), 0);
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &info), 0);  // for TearDown
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &arg), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(SocketTest, HostNamesResolveToLoopback) {
  hostent* host = gethostbyname("localhost");
  ASSERT_NE(host, nullptr) << WSAGetLastError();
  EXPECT_EQ(host->h_addrtype, AF_INET);
  EXPECT_EQ(host->h_length, 4);
  std::vector<std::string> addresses;
  for (char** at = host->h_addr_list; *at != nullptr; ++at) {
    in_addr address;
    std::memcpy(&address, *at, 4);
    addresses.push_back(inet_ntoa(address));
  }
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
  EXPECT_EQ(host->h_aliases[0], nullptr);

  host = gethostbyname("127.0.0.1");
  ASSERT_NE(host, nullptr);
  in_addr first;
  std::memcpy(&first, host->h_addr, 4);
  EXPECT_EQ(first.s_addr, inet_addr("127.0.0.1"));
  EXPECT_EQ(gethostbyname(nullptr), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);

  char name[256];
  EXPECT_EQ(gethostname(name, sizeof name), 0);
  EXPECT_GT(std::strlen(name), 0u);
  EXPECT_EQ(gethostname(name, 1), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

// ------------------------------------------------ without a window or server

TEST(WinsockTexts, DottedAddressesParseInEveryForm) {
  const struct {
    const char* text;
    uint32_t hostOrder;
  } cases[] = {
      {"127.0.0.1", 0x7f000001},  {"10.1", 0x0a000001},         {"1.2.3", 0x01020003},
      {"0x7f.1", 0x7f000001},     {"0177.0.0.01", 0x7f000001},  {"3232235777", 0xc0a80101},
      {"1.16777215", 0x01ffffff}, {"1.2.3.4 trailing", 0x01020304},
      {"", INADDR_NONE},          {"1.2.3.4.5", INADDR_NONE},   {"256.1.1.1", INADDR_NONE},
      {"1.2.3.256", INADDR_NONE}, {"1.16777216", INADDR_NONE},  {"1..2", INADDR_NONE},
      {"08.1.1.1", INADDR_NONE},  {"1.2.3.4x", INADDR_NONE},    {"localhost", INADDR_NONE},
      {"4294967296", INADDR_NONE}, {"1.2.", INADDR_NONE},       {"0x", INADDR_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ntohl(inet_addr(c.text)), c.hostOrder);
  }
  EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);

  in_addr address;
  address.s_addr = htonl(0xc0a800ff);
  EXPECT_STREQ(inet_ntoa(address), "192.168.0.255");
  address.s_addr = INADDR_NONE;
  EXPECT_STREQ(inet_ntoa(address), "255.255.255.255");

  u_short port = htons(0x1234);
  EXPECT_EQ(std::memcmp(&port, "\x12\x34", 2), 0);
  ULONG word = ULONG(htonl(0x01020304));
  EXPECT_EQ(std::memcmp(&word, "\x01\x02\x03\x04", 4), 0);
  EXPECT_EQ(ntohs(htons(0xbeef)), 0xbeef);
  EXPECT_EQ(sizeof(SOCKET), sizeof(void*));
  EXPECT_EQ(sizeof(in_addr), 4u);
  EXPECT_EQ(sizeof(sockaddr_in), 16u);
}

TEST(WinsockStartup, CallsBeforeStartupFailAndVersionsAreNegotiated) {
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  WSASetLastError(0);
  EXPECT_EQ(closesocket(SOCKET(0x100)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(gethostbyname("localhost"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

  const struct {
    WORD asked;
    int result;
    WORD granted;
  } cases[] = {
      {MAKEWORD(1, 1), 0, MAKEWORD(1, 1)},
      {MAKEWORD(2, 2), 0, MAKEWORD(1, 1)},
      {MAKEWORD(1, 0), 0, MAKEWORD(1, 0)},
      {MAKEWORD(0, 9), WSAVERNOTSUPPORTED, 0},
  };
  for (const auto& c : cases) {
    WSADATA info{};
    EXPECT_EQ(WSAStartup(c.asked, &info), c.result);
    if (c.result != 0) continue;
    EXPECT_EQ(info.wVersion, c.granted);
    EXPECT_EQ(info.wHighVersion, MAKEWORD(1, 1));
    EXPECT_EQ(WSACleanup(), 0);
  }
  EXPECT_EQ(WSAStartup(MAKEWORD(1, 1), nullptr), WSAEFAULT);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);  // nothing was left started
}

}  // namespace
