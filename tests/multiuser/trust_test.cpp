// tests/multiuser/trust_test.cpp -- what the messages of others may not do:
// take the user's avatar or delete another object with a "myself" message,
// move or label the user's avatar, or touch an object whose deletion is
// under way.
#include <string>

#include "multiuser/send.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/multiuser/messages.h"
#include "viewer/api.h"

namespace {

class Trust : public ClientTest {
 protected:
  // Connects to a peer that greets the client and then waits for it to
  // leave, reading what it sends.
  std::unique_ptr<ScriptedPeer> serve() {
    auto peer = std::make_unique<ScriptedPeer>([this](PeerLink& link) {
      if (greetClient(link, kTestHelloId, kTestChannel).empty()) return;
      for (Bytes message; !(message = link.readMessage()).empty();) sent.push_back(message);
    });
    serveAt(peer->port());
    EXPECT_TRUE(connectNow());
    return peer;
  }

  // Puts the messages into the ring as if they had just arrived, and runs
  // the pump once.
  static void receive(const Bytes& messages) {
    ASSERT_EQ(zmqxPutData(&zmqxConnection().ring, messages.data(), int32_t(messages.size())), 0);
    zmSockProc();
  }

  static Bytes myself(ZmId id) {
    return serverMessage([id](uint8_t* m) { return zmqxWriteObjectId(m, ZMQX_KIND_MYSELF, id); });
  }
  static Bytes rotTransOf(ZmId id, const ZmRT& matrix) {
    return serverMessage([&](uint8_t* m) {
      zmqxWriteObjectMessage(m, id);
      return zmqxWriteRotTrans(m, &matrix);
    });
  }

  std::vector<Bytes> sent;  // by the client, as the peer read it
};

// The server's word on the avatar's id gives the avatar a free id (or the
// one it has) and sends its matrix; an id that another object holds is
// refused and that object kept: the world's own, another user's, and the
// avatar's own camera part alike. The null id is never the avatar's.
TEST_F(Trust, MyselfTakesOnlyAFreeIdAndDeletesNothing) {
  ZmObj* own = objectWithId(-5);
  ZmObj* visitor = objectWithId(1000);
  ZmObj* part = objectWithId(4500, person);  // a camera of the avatar, say
  auto peer = serve();
  const struct {
    const char* name;
    ZmId id;
    ZmObj* holder;
    bool refused;
  } cases[] = {
      {"free id", 4000, nullptr, false},
      {"the avatar's own id", 4000, person, false},
      {"the world's object", -5, own, true},
      {"another user's object", 1000, visitor, true},
      {"a part of the avatar", 4500, part, true},
      {"the null id", 0, nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log().clear();
    receive(myself(c.id));
    EXPECT_EQ(person->id, 4000);
    EXPECT_EQ(world->person, person);
    if (c.holder != nullptr) {
      EXPECT_EQ(byId(c.id), c.holder);
    }
    EXPECT_EQ(logged("is not free for the avatar"), c.refused);
  }
  EXPECT_EQ(part->parent, person);
  zmZMQXExit();
  peer->join();
  // The avatar's matrix went out for each id it took, and nothing else
  // before the leave.
  ASSERT_EQ(sent.size(), 3u);
  for (size_t i = 0; i < 2; ++i) {
    ZmId id = 0;
    zmqxReadObjectMessage(sent[i].data(), &id, nullptr, nullptr);
    EXPECT_EQ(id, 4000);
  }
  uint32_t kind = 0;
  zmqxReadHeader(sent[2].data(), nullptr, nullptr, nullptr, &kind, nullptr);
  EXPECT_EQ(kind, ZMQX_KIND_LEAVE);
}

// Moves, steps, switches and chat that name the user's avatar or a part of
// it come from someone else: none of them reaches it.
TEST_F(Trust, OthersMessagesLeaveTheUsersAvatarAlone) {
  ZmId avatarId = 4000;
  ASSERT_EQ(zmObjAssignId(person, &avatarId), 0);
  ZmObj* part = objectWithId(4500, person);
  person->vrmlType = ZM_VRML_SWITCH;
  zmSetSwitchObjNo(person, 0);
  auto peer = serve();
  const ZmRT far = {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {50, 60, 70}};
  for (ZmId id : {ZmId(4000), ZmId(4500)}) {
    SCOPED_TRACE(id);
    log().clear();
    receive(positionOf(id, {9, 9, 9}) + rotTransOf(id, far) + chatFrom(id, "puppet") +
            serverMessage([id](uint8_t* m) { return zmqxWriteObjectId(m, ZMQX_KIND_TO_CHILD0, id); }) +
            serverMessage([id](uint8_t* m) { return zmqxWriteAddObjects(m, id, id + 99, "x.wrl", nullptr); }));
    EXPECT_EQ(zmGetWRT(person)->t.x, 0.0f);
    EXPECT_EQ(zmGetWRT(part)->t.x, 0.0f);
    EXPECT_EQ(zmGetSwitchObjNo(person), 0);
    EXPECT_TRUE(chat().empty());
    EXPECT_TRUE(logged("is the user's own avatar: refused"));
  }
  zmZMQXExit();
}

// A handler run while an object is being deleted (here: its label's
// removal) may pump messages; those that name the object, or the parent
// whose deletion took it, find nothing to act on.
TEST_F(Trust, NoMessageActsOnAnObjectBeingDeleted) {
  ZmObj* parent = objectWithId(1000);
  objectWithId(1001, parent);
  auto peer = serve();
  static Bytes pending;
  pending = chatFrom(1000, "to a parent going") + chatFrom(1001, "to a child going") +
            rotTransOf(1000, {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {5, 5, 5}}) + positionOf(1001, {5, 5, 5});
  static int pumped = 0;
  pumped = 0;
  coreHooks.shell->deleteObjLabels = [](ZmObj*) {
    if (pumped++ == 0) receive(pending);
  };
  ASSERT_EQ(zmDeleteZmObj(parent), 0);
  EXPECT_GT(pumped, 0);
  EXPECT_TRUE(chat().empty());
  EXPECT_EQ(byId(1000), nullptr);
  EXPECT_EQ(byId(1001), nullptr);
  zmZMQXExit();
}

}  // namespace
