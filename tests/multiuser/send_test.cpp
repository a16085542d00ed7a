// tests/multiuser/send_test.cpp -- what each sender puts on the stream, read
// back by a scripted server.
#include <string>

#include "multiuser/send.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/multiuser/messages.h"

namespace {

using Send = ClientTest;

TEST_F(Send, EachSenderWritesOneWholeMessageOrNothing) {
  ZmObj* shared = objectWithId(1000);
  ZmObj* unshared = nullptr;
  ZmId first = 1, last = 9;
  zmSetIdCounter(&first, &last, 1);  // request-only: an object that asks for none gets the null id
  ASSERT_EQ(zmNewZmObj(world, &unshared, 0), 0);
  ASSERT_EQ(unshared->id, zmGetNullId());
  zmAddTopObject(unshared, "shared.wrl");

  std::vector<Bytes> received;
  ScriptedPeer server([&](PeerLink& link) {
    greetClient(link, kTestHelloId, kTestChannel);
    link.write(serverMessage([](uint8_t* m) { return zmqxWriteClientId(m, 42); }));
    for (Bytes message; !(message = link.readMessage()).empty();) received.push_back(message);
  });
  serveAt(server.port());
  ASSERT_TRUE(connectNow());
  ASSERT_TRUE(pumpUntil([] { return zmqxConnection().clientId == 42; }));

  const std::string longest(ZMQX_CHAT_TEXT_LIMIT, 'c');
  const std::string tooLong(ZMQX_CHAT_TEXT_LIMIT + 1, 'c');
  const ZmVec3 step = {0, 0, 4};
  const struct {
    const char* name;
    std::function<int()> send;
    int result;
    size_t sentSize;       // of the message the server reads; 0: none
    uint8_t messageClass;
    uint32_t subKind;      // class 0
    uint8_t flag;          // class 0
    std::string text;      // the chat text or procedure name, class 0
  } cases[] = {
      {"chat", [&] { return zmqxSendChatStr(shared, "hi"); }, 29, 29, 0, ZMQX_SUB_CHAT, 0, "hi"},
      {"longest chat", [&] { return zmqxSendChatStr(shared, longest.c_str()); }, 200, 200, 0, ZMQX_SUB_CHAT, 0, longest},
      {"chat too long", [&] { return zmqxSendChatStr(shared, tooLong.c_str()); }, -1, 0, 0, 0, 0, ""},
      {"unshared object", [&] { return zmqxSendChatStr(unshared, "hi"); }, 0, 0, 0, 0, 0, ""},
      {"event", [&] { return zmqxSendApplEvent(shared, 0x10, "go"); }, 33, 33, 0, ZMQX_SUB_APPL_EVENT, 0, ""},
      {"script message", [&] { return zmqxSendApplSpecificMsg(shared, "p", "d"); }, 30, 30, 0, ZMQX_SUB_APPL_SPECIFIC, 2, "p"},
      {"script message as master",
       [&] {
         world->master = 1;
         const int sent = zmqxSendApplSpecificMsg(shared, "p", "d");
         world->master = 0;
         return sent;
       },
       30, 30, 0, ZMQX_SUB_APPL_SPECIFIC, 4, "p"},
      {"script message with flag", [&] { return zmqxSendApplSpecificMsgWithDist(shared, "q", "", 9); }, 29, 29, 0,
       ZMQX_SUB_APPL_SPECIFIC, 9, "q"},
      {"move", [&] { return zmqxObjectTrans(shared, &step, ZM_COORD_WORLD, 1); }, 0, 74, 0, ZMQX_SUB_ROT_TRANS, 1, ""},
      {"position", [&] { return zmqxSendObjPosition(shared); }, 27, 27, 2, 0, 0, ""},
      {"posture step of an unshared object", [&] { return zmqxPostureStep(unshared, 1); }, 14, 14, 1, 0, 0, ""},
  };
  size_t sentCount = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(c.send(), c.result) << c.name;
    sentCount += c.sentSize > 0;
  }
  zmZMQXExit();
  server.join();
  ASSERT_EQ(received.size(), sentCount + 1);  // and the leave message

  size_t next = 0;
  for (const auto& c : cases) {
    if (c.sentSize == 0) continue;
    SCOPED_TRACE(c.name);
    const Bytes& message = received[next++];
    ASSERT_EQ(message.size(), c.sentSize);
    uint8_t messageClass = 0xFF;
    uint32_t channel = 0, client = 0;
    zmqxReadHeader(message.data(), &messageClass, &channel, &client, nullptr, nullptr);
    EXPECT_EQ(messageClass, c.messageClass);
    EXPECT_EQ(channel, kTestChannel);
    EXPECT_EQ(client, 42u);
    if (messageClass == ZMQX_CLASS_POSITION) {
      ZmVec3 position = {};
      zmqxReadPosition(message.data(), nullptr, nullptr, nullptr, &position);
      EXPECT_FLOAT_EQ(position.z, 4 * 65535.0f / 65536.0f);
    }
    if (messageClass != ZMQX_CLASS_MESSAGE) continue;
    ZmId id = 0;
    uint32_t subKind = 0;
    uint8_t flag = 0;
    zmqxReadObjectMessage(message.data(), &id, &subKind, &flag);
    EXPECT_EQ(id, 1000);
    EXPECT_EQ(subKind, c.subKind);
    EXPECT_EQ(flag, c.flag);
    const char* text = nullptr;
    if (subKind == ZMQX_SUB_CHAT) zmqxReadChatText(message.data(), &text);
    if (subKind == ZMQX_SUB_APPL_SPECIFIC) zmqxReadApplSpecific(message.data(), &text, nullptr);
    if (text != nullptr) {
      EXPECT_EQ(text, c.text);
    }
    if (subKind == ZMQX_SUB_ROT_TRANS) {
      ZmRT moved;
      zmqxReadRotTrans(message.data(), &moved);
      EXPECT_FLOAT_EQ(moved.t.z, 4 * 65535.0f / 65536.0f);
    }
  }
}

TEST_F(Send, WithoutAConnectionNothingIsSent) {
  ZmObj* shared = objectWithId(1000);
  EXPECT_EQ(zmqxSendChatStr(shared, "hi"), SOCKET_ERROR);
  EXPECT_EQ(zmqxUpdateObj(shared), SOCKET_ERROR);
  EXPECT_EQ(zmqxSendObjPosition(shared), SOCKET_ERROR);
  EXPECT_EQ(zmqxChatTextLimit(), 173);
}

}  // namespace
