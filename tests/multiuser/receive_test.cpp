// tests/multiuser/receive_test.cpp -- the pump against a scripted server that
// splits, merges, cuts and delays the stream, and the messages it hands to
// the scene.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "multiuser/send.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/multiuser/messages.h"
#include "viewer/api.h"

namespace {

class Receive : public ClientTest {
 protected:
  // Connects to a peer that greets the client, then runs `rest`, then waits
  // for the client to leave.
  std::unique_ptr<ScriptedPeer> serve(const std::function<void(PeerLink&)>& rest) {
    auto peer = std::make_unique<ScriptedPeer>([rest](PeerLink& link) {
      if (greetClient(link, kTestHelloId, kTestChannel).empty()) return;
      rest(link);
      link.readsEnd();
    });
    serveAt(peer->port());
    EXPECT_TRUE(connectNow());
    return peer;
  }

  float xOf(ZmObj* object) { return zmGetWRT(object)->t.x; }
};

constexpr float kShrink = 65535.0f / 65536.0f;

TEST_F(Receive, TwoMessagesInOneSegmentAreDispatchedInOneCall) {
  ZmObj* other = objectWithId(1000);
  auto peer = serve([](PeerLink& link) { link.write(masterMessage(1) + positionOf(1000, {2, 0, 0})); });
  ASSERT_TRUE(pumpUntil([&] { return world->master == 1; }));
  EXPECT_FLOAT_EQ(xOf(other), 2 * kShrink);  // no further call needed
  zmZMQXExit();
}

// The client reads the kind of a wrapped header from its scratch copy: the
// add-objects message is recognised, ends the pump call, and the message
// after it waits for the next call.
TEST_F(Receive, AddObjectsWithAHeaderAcrossTheRingEndEndsThePumpCall) {
  ZmObj* choice = objectWithId(1000);
  choice->vrmlType = ZM_VRML_SWITCH;
  objectWithId(1001, choice);
  objectWithId(1002, choice);
  ZmObj* mover = objectWithId(2000);
  const Bytes add =
      serverMessage([](uint8_t* m) { return zmqxWriteAddObjects(m, 1000, 1999, "avatar.wrl", "ann"); });
  // The ring holds the header's first 5 bytes at 10230: the rest wraps.
  const int32_t lead = ZMQX_RING_SIZE - 10, held = 5;
  std::unique_ptr<ScriptedPeer> peer = serve([&](PeerLink& link) {
    link.pause(50);
    link.write(Bytes(add.begin() + held, add.end()) + positionOf(2000, {3, 0, 0}));
  });
  ZmqxBuffer& ring = zmqxConnection().ring;
  Bytes filler(size_t(lead), 0);
  filler.insert(filler.end(), add.begin(), add.begin() + held);
  ASSERT_EQ(zmqxPutData(&ring, filler.data(), int32_t(filler.size())), 0);
  ASSERT_EQ(zmqxGetData(&ring, filler.data(), lead), 0);

  ASSERT_TRUE(pumpUntil([&] { return zmGetSwitchObjNo(choice) == 1; }));
  EXPECT_FLOAT_EQ(xOf(mover), 0.0f);
  EXPECT_EQ(zmSockProc(), 0);
  EXPECT_FLOAT_EQ(xOf(mover), 3 * kShrink);
  zmZMQXExit();
}

// The ring holds 10239 bytes wherever its free space starts: full, it
// refuses one byte more and keeps what it holds, and gives back every byte.
TEST(Ring, FillsToTheLastFreeByteFromAnyStart) {
  for (int32_t start : {0, 1, 17, ZMQX_RING_SIZE / 2, ZMQX_RING_SIZE - 2}) {
    SCOPED_TRACE(start);
    ZmqxBuffer ring;
    zmqxResetBuffer(&ring);
    Bytes lead(size_t(start) + 1, 0);
    ASSERT_EQ(zmqxPutData(&ring, lead.data(), int32_t(lead.size())), 0);
    ASSERT_EQ(zmqxGetData(&ring, lead.data(), start), 0);  // one byte stays: the ring is not reset
    Bytes fill(size_t(ZMQX_RING_SIZE - 2));
    for (size_t i = 0; i < fill.size(); ++i) fill[i] = uint8_t(i * 7 + 1);
    ASSERT_EQ(zmqxPutData(&ring, fill.data(), int32_t(fill.size())), 0);
    EXPECT_EQ(zmqxBufferCount(&ring), ZMQX_RING_SIZE - 1);
    EXPECT_EQ(zmqxBufferFree(&ring), 0);
    const uint8_t more = 0xEE;
    EXPECT_EQ(zmqxPutData(&ring, &more, 1), ZMQX_RING_FULL);
    EXPECT_EQ(zmqxBufferCount(&ring), ZMQX_RING_SIZE - 1);
    Bytes back(size_t(ZMQX_RING_SIZE - 1));
    ASSERT_EQ(zmqxGetData(&ring, back.data(), int32_t(back.size())), 0);
    EXPECT_TRUE(std::equal(fill.begin(), fill.end(), back.begin() + 1));
    EXPECT_EQ(zmqxBufferCount(&ring), 0);
  }
}

// A burst far larger than the ring, waiting in the socket before the pump
// runs, fills the ring to its last byte over and over: every message comes
// out whole and in order.
TEST_F(Receive, ABurstLargerThanTheRingArrivesWholeAndInOrder) {
  objectWithId(1000);
  constexpr int kLines = 200;  // about 35 KB
  Bytes burst;
  for (int i = 0; i < kLines; ++i) burst = burst + chatFrom(1000, std::to_string(i) + std::string(150, 'a' + i % 26));
  auto peer = serve([&](PeerLink& link) { link.write(burst); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // all of it waits in the socket
  ASSERT_TRUE(pumpUntil([&] { return chat().size() >= size_t(kLines); }));
  ASSERT_EQ(chat().size(), size_t(kLines));
  for (int i = 0; i < kLines; ++i) EXPECT_EQ(chat()[size_t(i)], std::to_string(i) + std::string(150, 'a' + i % 26));
  EXPECT_FALSE(logged("zmqxPutData: failed"));
  zmZMQXExit();
}

TEST_F(Receive, MessagesCutAtEveryPrefixArriveWholeAndInOrder) {
  objectWithId(1000);
  const Bytes pair = chatFrom(1000, "first") + chatFrom(1000, "second");
  auto peer = serve([&](PeerLink& link) {
    for (size_t cut = 1; cut < pair.size(); ++cut) {
      link.write(Bytes(pair.begin(), pair.begin() + long(cut)));
      link.pause(2);
      link.write(Bytes(pair.begin() + long(cut), pair.end()));
    }
  });
  const size_t expected = 2 * (pair.size() - 1);
  ASSERT_TRUE(pumpUntil([&] { return chat().size() >= expected; }));
  ASSERT_EQ(chat().size(), expected);
  for (size_t i = 0; i < expected; ++i) EXPECT_EQ(chat()[i], i % 2 == 0 ? "first" : "second") << i;
  EXPECT_EQ(zmqxGetState(), ZMQX_STATE_CONNECTED);
  zmZMQXExit();
}

// 200 bytes is the limit: one more is refused, its bytes dropped as they
// arrive, and the next message is read from the right place.
TEST_F(Receive, AMessageOverTheLimitIsSkippedAndFramingKept) {
  objectWithId(1000);
  const Bytes longest = chatFrom(1000, std::string(ZMQX_CHAT_TEXT_LIMIT, 'y'));
  ASSERT_EQ(longest.size(), size_t(ZMQX_MAX_MESSAGE));
  Bytes tooLong = chatFrom(1000, std::string(ZMQX_CHAT_TEXT_LIMIT, 'x'));
  tooLong.insert(tooLong.end() - 1, 'x');  // the writer refuses it: made by hand
  zmqxSetBodyLength(tooLong.data(), uint32_t(tooLong.size() - ZMQX_HEADER_SIZE));
  ASSERT_EQ(zmqxMessageSize(tooLong.data()), uint64_t(ZMQX_MAX_MESSAGE + 1));
  ASSERT_EQ(tooLong.size(), size_t(ZMQX_MAX_MESSAGE + 1));

  auto peer = serve([&](PeerLink& link) {
    link.write(Bytes(tooLong.begin(), tooLong.begin() + 100));
    link.pause(30);
    link.write(Bytes(tooLong.begin() + 100, tooLong.end()) + longest + chatFrom(1000, "after"));
  });
  ASSERT_TRUE(pumpUntil([&] { return chat().size() >= 2; }));
  EXPECT_EQ(chat(), (std::vector<std::string>{std::string(ZMQX_CHAT_TEXT_LIMIT, 'y'), "after"}));
  EXPECT_TRUE(logged("zmqxDispatch failed"));
  EXPECT_EQ(zmqxGetState(), ZMQX_STATE_CONNECTED);
  zmZMQXExit();
}

TEST_F(Receive, ABadClassByteLeavesTheServerWithAWarning) {
  Bytes leave;
  auto peer = serve([&](PeerLink& link) {
    link.write(Bytes{7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    leave = link.readMessage();
  });
  int result = 0;
  ASSERT_TRUE(pumpUntil([&] { return (result = zmSockProc()) != 0; }));
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(logged("zmSockProc: a message of unknown class 7, leaving the server."));
  EXPECT_EQ(zmqxGetState(), ZMQX_STATE_NONE);
  EXPECT_EQ(zmqxGetSocket(), INVALID_SOCKET);
  peer->join();
  ASSERT_EQ(leave.size(), 18u);
  uint32_t kind = 0;
  zmqxReadHeader(leave.data(), nullptr, nullptr, nullptr, &kind, nullptr);
  EXPECT_EQ(kind, ZMQX_KIND_LEAVE);
  EXPECT_EQ(zmqxReadByte(leave.data()), 3);
}

// A stream that ends, in order or by a reset, in the middle of a message
// ends the connection; the pump neither hangs nor spins.
TEST_F(Receive, AStreamThatEndsMidMessageLeavesTheServer) {
  const struct {
    const char* name;
    bool reset;
    const char* warning;
  } cases[] = {{"closed", false, "zmSockProc: socket close detected."}, {"reset", true, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log().clear();
    const Bytes half = chatFrom(1000, "never whole");
    ScriptedPeer peer([&](PeerLink& link) {
      if (greetClient(link, kTestHelloId, kTestChannel).empty()) return;
      link.write(Bytes(half.begin(), half.begin() + 20));
      link.pause(20);
      if (c.reset) link.reset();
    });
    serveAt(peer.port());
    ASSERT_EQ(zmZMQXConnect(), 0);
    ASSERT_TRUE(pumpUntil([] { return zmqxGetState() == ZMQX_STATE_NONE; }));
    EXPECT_EQ(zmqxGetSocket(), INVALID_SOCKET);
    if (c.warning != nullptr) {
      EXPECT_TRUE(logged(c.warning));
    }
    EXPECT_TRUE(chat().empty());
  }
}

TEST_F(Receive, KindsChangeTheWorld) {
  ZmObj* shared = objectWithId(1000);
  ZmObj* choice = objectWithId(1500);
  choice->vrmlType = ZM_VRML_SWITCH;
  ZmObj* shown = objectWithId(1501, choice);
  ZmObj* hidden = objectWithId(1502, choice);
  // A user who leaves takes the labels over their avatar along.
  static std::vector<ZmObj*> unlabelled;
  unlabelled.clear();
  ServiceGuard<ZmCoreShell> labels{coreShell};
  labels->deleteObjLabels = [](ZmObj* object) { unlabelled.push_back(object); };
  const ZmRT turned = {{0, 1, 0, -1, 0, 0, 0, 0, 1}, {5, 6, 7}};
  Bytes echoed;
  auto peer = serve([&](PeerLink& link) {
    link.write(serverMessage([](uint8_t* m) { return zmqxWriteClientId(m, 42); }) +
               serverMessage([&](uint8_t* m) {
                 zmqxWriteObjectMessage(m, 1000);
                 return zmqxWriteRotTrans(m, &turned);
               }) +
               serverMessage([](uint8_t* m) { return zmqxWriteObjectId(m, ZMQX_KIND_TO_CHILD0, 1500); }) +
               serverMessage([](uint8_t* m) {
                 zmqxWriteObjectMessage(m, 1000);
                 return zmqxWriteApplSpecific(m, "zmRecv [exit]", "{*}[exit] $x", 4);
               }) +
               serverMessage([](uint8_t* m) { return zmqxWriteObjectId(m, ZMQX_KIND_MYSELF, 4000); }));
    echoed = link.readMessage();  // the avatar's matrix, sent at once
  });
  ASSERT_TRUE(pumpUntil([&] { return person->id == 4000; }));
  EXPECT_EQ(zmqxConnection().clientId, 42u);
  for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(zmGetWRT(shared)->m[i], turned.m[i] * kShrink) << i;
  EXPECT_FLOAT_EQ(zmGetWRT(shared)->t.z, 7 * kShrink);
  EXPECT_EQ(zmGetSwitchObjNo(choice), 0);
  std::sort(unlabelled.begin(), unlabelled.end());
  std::vector<ZmObj*> avatarTree = {choice, shown, hidden};
  std::sort(avatarTree.begin(), avatarTree.end());
  EXPECT_EQ(unlabelled, avatarTree);
  // Network text reaches a script only as the procedure's name and one datum.
  ASSERT_EQ(scriptCalls().size(), 1u);
  EXPECT_EQ(scriptCalls()[0].procedure, "zmRecv [exit]");
  EXPECT_EQ(scriptCalls()[0].userData, "{*}[exit] $x");
  EXPECT_EQ(scriptCalls()[0].object, shared);
  EXPECT_EQ(scriptCalls()[0].eventType, ZMQX_EVENT_APPL_SPECIFIC);
  EXPECT_EQ(byId(4000), person);
  zmZMQXExit();
  peer->join();
  ASSERT_EQ(echoed.size(), size_t(ZMQX_HEADER_SIZE + 57));
  uint32_t client = 0;
  ZmId id = 0;
  zmqxReadHeader(echoed.data(), nullptr, nullptr, &client, nullptr, nullptr);
  zmqxReadObjectMessage(echoed.data(), &id, nullptr, nullptr);
  EXPECT_EQ(client, 42u);
  EXPECT_EQ(id, 4000);
}

// Refused messages are each reported once and the pump goes on.
TEST_F(Receive, RefusedMessagesAreReportedAndChangeNothing) {
  objectWithId(1000);
  auto peer = serve([&](PeerLink& link) {
    link.write(masterMessage(2) +
               serverMessage([](uint8_t* m) { return zmqxWriteUnused(m, 1, 2, "x"); }) +
               chatFrom(999, "nobody") + positionOf(998, {1, 1, 1}) +
               serverMessage([](uint8_t* m) {
                 zmqxWriteObjectMessage(m, 1000);
                 return zmqxWriteApplEvent(m, 1, "not for clients");
               }) +
               serverMessage([](uint8_t* m) {
                 const int size = zmqxWriteMaster(m, 1);
                 zmqxSetKind(m, 99);
                 return size;
               }) +
               chatFrom(1000, "done"));
  });
  ASSERT_TRUE(pumpUntil([&] { return !chat().empty(); }));
  EXPECT_EQ(world->master, 0);
  EXPECT_EQ(chat(), std::vector<std::string>{"done"});
  size_t failures = 0;
  for (const std::string& line : log()) failures += line.find("zmqxDispatch failed") != std::string::npos;
  EXPECT_EQ(failures, 5u);  // a lost position is warned about, not a failure
  EXPECT_TRUE(logged("zmqxUpcallApplSendText: target object is not found."));
  EXPECT_TRUE(logged("zmqxUpcallSys2: object id=998 not found."));
  zmZMQXExit();
}

}  // namespace
