// tests/multiuser/connection_test.cpp -- connecting (directly and through a
// scripted SOCKS 4 proxy), the server's refusals, leaving, and sends that a
// full non-blocking socket takes only in part.
#include <chrono>
#include <string>
#include <thread>

#include "multiuser/send.h"
#include "platform/clock.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/multiuser/messages.h"

namespace {

using Connection = ClientTest;

TEST_F(Connection, TheServerRefusesWithItsText) {
  Bytes reject(ZMQX_SERVER_HELLO_SIZE);
  zmqxWriteServerReject(reject.data(), 1);
  const struct {
    const char* name;
    Bytes answer;
    const char* text;
  } cases[] = {
      {"reject padded to 14 bytes", reject, "Connection to the server was rejected."},
      {"closed after 5 bytes", Bytes{'h', 'e', 'l', 'l', 'o'}, "Connection failed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log().clear();
    ScriptedPeer peer([&](PeerLink& link) {
      link.read(ZMQX_CLIENT_HELLO_SIZE);
      link.write(c.answer);
    });
    serveAt(peer.port());
    EXPECT_FALSE(connectNow());
    EXPECT_EQ(log(), std::vector<std::string>{c.text});
    EXPECT_EQ(zmqxGetState(), ZMQX_STATE_NONE);
    EXPECT_EQ(zmqxGetSocket(), INVALID_SOCKET);
  }
}

// A server that accepts and then says nothing, or only part of its hello,
// never holds the program: connecting returns at once, so does every pump
// call, and ten seconds after the connect the attempt ends with
// "Connection failed." and a closed stream.
TEST_F(Connection, ASilentServerTimesOutWithoutHoldingThePump) {
  const struct {
    const char* name;
    Bytes answer;
  } cases[] = {{"silent", {}}, {"half a hello", Bytes{'h', 'e', 'l', 'l', 'o', 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log().clear();
    Bytes hello;
    bool closedByClient = false;
    ScriptedPeer peer([&](PeerLink& link) {
      hello = link.read(ZMQX_CLIENT_HELLO_SIZE);
      link.write(c.answer);
      closedByClient = link.readsEnd();
    });
    serveAt(peer.port());
    platform::useVirtualClock(true, 1000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(zmZMQXConnect(), 0);
    for (int round = 0; round < 20; ++round) {
      EXPECT_EQ(zmSockProc(), -1);  // connecting: nothing to read yet
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    platform::advanceClock(ZMQX_CONNECT_SECONDS * 1000 - 1);
    zmSockProc();
    EXPECT_EQ(zmqxGetState(), ZMQX_STATE_CONNECTING);
    EXPECT_EQ(zmqxGetSocket(), INVALID_SOCKET);  // nothing may be sent before the hello
    EXPECT_TRUE(log().empty());
    platform::advanceClock(1);
    EXPECT_EQ(zmSockProc(), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(log(), std::vector<std::string>{"Connection failed."});
    EXPECT_EQ(zmqxGetState(), ZMQX_STATE_NONE);
    platform::useVirtualClock(false);
    peer.join();
    EXPECT_EQ(hello.size(), size_t(ZMQX_CLIENT_HELLO_SIZE));
    EXPECT_TRUE(closedByClient);
  }
}

// Leaving a world while its server has not answered gives the attempt up.
TEST_F(Connection, LeavingWhileConnectingClosesTheStream) {
  bool closedByClient = false;
  ScriptedPeer peer([&](PeerLink& link) {
    link.read(ZMQX_CLIENT_HELLO_SIZE);
    closedByClient = link.readsEnd();
  });
  serveAt(peer.port());
  ASSERT_EQ(zmZMQXConnect(), 0);
  EXPECT_EQ(zmZMQXExit(), -1);
  EXPECT_EQ(zmqxGetState(), ZMQX_STATE_NONE);
  peer.join();
  EXPECT_TRUE(closedByClient);
  EXPECT_TRUE(log().empty());
}

TEST_F(Connection, AServerTextWithoutAPortGivesNoConnectionAndNoMessage) {
  setServer("127.0.0.1");
  EXPECT_EQ(zmZMQXConnect(), -1);
  EXPECT_TRUE(log().empty());
  EXPECT_EQ(zmqxGetState(), ZMQX_STATE_NONE);
}

// The proxy sees the request the client builds; 90 lets the hello through,
// anything else ends with the socket closed.
TEST_F(Connection, SocksFourProxyRequestAndReply) {
  const struct {
    uint8_t reply;
    bool connects;
    const char* text;
  } cases[] = {{90, true, "Connected to a VI Vuzeza."}, {91, false, "connect_tcp_stream: reject By SOCKS."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.reply));
    log().clear();
    Bytes request;
    bool closedByClient = false;
    ScriptedPeer proxy([&](PeerLink& link) {
      request = link.read(8 + 4);
      link.write(Bytes{0, c.reply, 0, 0, 0, 0, 0, 0});
      if (c.reply == 90) greetClient(link, kTestHelloId, kTestChannel);
      closedByClient = link.readsEnd();
    });
    zmMultiUserSettings().socksHost = "127.0.0.1";
    zmMultiUserSettings().socksPort = std::to_string(proxy.port());
    zmMultiUserSettings().nickname = "ann";
    setServer("127.0.0.1:4321");
    EXPECT_EQ(connectNow(), c.connects);
    EXPECT_TRUE(logged(c.text));
    zmZMQXExit();
    proxy.join();
    EXPECT_EQ(request, (Bytes{4, 1, 0x10, 0xe1, 127, 0, 0, 1, 'a', 'n', 'n', 0}));
    EXPECT_TRUE(closedByClient);
    EXPECT_EQ(zmqxGetSocket(), INVALID_SOCKET);
  }
}

TEST_F(Connection, ASocksHostWithoutAPortConnectsDirectly) {
  Bytes announcement;
  ScriptedPeer server([&](PeerLink& link) {
    announcement = greetClient(link, kTestHelloId, kTestChannel);
    link.readsEnd();
  });
  zmMultiUserSettings().socksHost = "127.0.0.1";
  zmMultiUserSettings().nickname = "ann";
  serveAt(server.port());
  ASSERT_TRUE(connectNow());
  EXPECT_EQ(zmZMQXConnect(), -1);  // already connected: nothing happens
  zmZMQXExit();
  server.join();
  // The announcement carries the hello id as its client id and the default
  // avatar file.
  ASSERT_EQ(announcement.size(), size_t(ZMQX_HEADER_SIZE + 15));
  uint32_t channel = 0, client = 0;
  const char *nickname = nullptr, *file = nullptr;
  zmqxReadHeader(announcement.data(), nullptr, &channel, &client, nullptr, nullptr);
  ASSERT_EQ(zmqxReadAvatar(announcement.data(), &nickname, &file), 0);
  EXPECT_EQ(channel, kTestChannel);
  EXPECT_EQ(client, kTestHelloId);
  EXPECT_STREQ(nickname, "ann");
  EXPECT_STREQ(file, "person.wrl");
}

// Leaving keeps the world's own objects and the avatar, deletes what other
// users added (a subtree whose ids were collected before it went included),
// withdraws the avatar's shared id and leaves no socket to write to.
TEST_F(Connection, LeavingDeletesSharedObjectsAndClosesTheSocket) {
  ZmObj* own = objectWithId(-5);
  ZmObj* shared = objectWithId(1000);
  objectWithId(1001, shared);
  objectWithId(2000);
  ZmId avatarId = 3000;
  ASSERT_EQ(zmObjAssignId(person, &avatarId), 0);
  Bytes leave;
  ScriptedPeer server([&](PeerLink& link) {
    greetClient(link, kTestHelloId, kTestChannel);
    link.write(serverMessage([](uint8_t* m) { return zmqxWriteClientId(m, 42); }));
    leave = link.readMessage();
  });
  serveAt(server.port());
  ASSERT_TRUE(connectNow());
  ASSERT_TRUE(pumpUntil([] { return zmqxConnection().clientId == 42; }));

  EXPECT_EQ(zmZMQXExit(), 0);
  server.join();
  EXPECT_EQ(byId(-5), own);
  EXPECT_EQ(byId(1000), nullptr);
  EXPECT_EQ(byId(1001), nullptr);
  EXPECT_EQ(byId(2000), nullptr);
  EXPECT_EQ(byId(3000), nullptr);
  EXPECT_EQ(world->person, person);
  EXPECT_EQ(person->id, zmGetNullId());
  EXPECT_TRUE(logged("Disconnected from a VI Vuzeza."));
  EXPECT_EQ(zmqxGetSocket(), INVALID_SOCKET);
  EXPECT_EQ(zmqxSendChatStr(own, "after leaving"), SOCKET_ERROR);

  const Bytes expected = Bytes{0, 0, 0, 0, 7, 0, 0, 0, 42, 0, 0, 0, 7, 0, 0, 0, 1, 3};
  EXPECT_EQ(leave, expected);
  log().clear();
  EXPECT_EQ(zmZMQXExit(), 0);  // not connected: nothing sent, nothing said
  EXPECT_TRUE(log().empty());
}

// A full non-blocking socket takes part of a message: the rest goes when
// there is room, so the server reads every message whole and in order.
TEST_F(Connection, PartialSendsNeverTearAMessage) {
  ZmObj* shared = objectWithId(1000);
  constexpr int kMessages = 150;
  std::vector<Bytes> received;
  ScriptedPeer server([&](PeerLink& link) {
    link.setReceiveBuffer(4096);
    greetClient(link, kTestHelloId, kTestChannel);
    link.pause(200);  // the client's buffers fill meanwhile
    for (int i = 0; i < kMessages; ++i) received.push_back(link.readMessage());
    link.readsEnd();
  });
  serveAt(server.port());
  ASSERT_TRUE(connectNow());
  const int small = 2048;
  setsockopt(zmqxGetSocket(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
  std::vector<std::string> texts;
  for (int i = 0; i < kMessages; ++i) {
    texts.push_back(std::to_string(i) + std::string(150, 'a' + i % 26));
    ASSERT_EQ(zmqxSendChatStr(shared, texts.back().c_str()), int(ZMQX_OBJECT_PAYLOAD + texts.back().size() + 1)) << i;
  }
  zmZMQXExit();
  server.join();
  ASSERT_EQ(received.size(), size_t(kMessages));
  for (int i = 0; i < kMessages; ++i) {
    const char* text = nullptr;
    ASSERT_FALSE(received[size_t(i)].empty()) << i;
    ASSERT_EQ(zmqxReadChatText(received[size_t(i)].data(), &text), 0) << i;
    EXPECT_EQ(text, texts[size_t(i)]) << i;
  }
}

}  // namespace
