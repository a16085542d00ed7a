// Tests of what another user can make this program run, through
// tools/worldserver and a raw peer: a script message names only the
// world's own procedures, and the Script nodes of another user's avatar do
// not run in this world. And what this world's scripts send the peer.
#include <chrono>
#include <functional>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "loading/wwwlink.h"
#include "multiuser/connection.h"
#include "multiuser/receive.h"
#include "core/strings.h"
#include "tests/script/script_fixture.h"
#include "tests/world_server.h"

namespace {

class PeerSecurity : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    zmTurnOnFlag(ZM_FLAG_WARNING);
    zmSetUrlFetch(zmWwwFetchUrl);
    WSADATA data;
    ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    ASSERT_GT(server.port(), 0);
    // A local world, so that a file beside it is one its own scripts read.
    std::filesystem::create_directories(folder / "world");
    secret = folder / "world" / "secret.txt";
    std::ofstream(secret) << "the user's secret";
    world = zmNewWorld(("file://" + (folder / "world" / "shared.wrl").string()).c_str());
    worlds.push_back(world);
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    ZmObj* person = newObject(world);
    world->person = person;
    world->server = zmStrdup(server.address().c_str());
    zmMultiUserSettings() = ZmMultiUserSettings{};
    ASSERT_EQ(zmZMQXConnect(), 0);
    ASSERT_TRUE(pumpUntil([&] { return world->person->id == 1000; }));  // client 1's avatar
  }
  void TearDown() override {
    if (zmqxGetState() == ZMQX_STATE_CONNECTED) zmZMQXExit();
    zmMultiUserSettings() = ZmMultiUserSettings{};
    WSACleanup();
    ScriptTest::TearDown();
  }

  // Serves the connection until `done` holds; false after ten seconds.
  static bool pumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      zmSockProc();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  bool flagSet(const char* name) {
    std::string text;
    return eval(world, std::string("info exists ::") + name, &text) == 0 && text == "1";
  }

  TestWorldServer server;
  std::filesystem::path secret;
  ZmWorld* world = nullptr;
};

// Built-ins that run their arguments, a command of the program, namespace
// paths and names the library and the start-up script define: none runs,
// each is dropped with a warning naming the client that sent it. The
// world's own procedure, sent last, runs with the data as one word.
TEST_F(PeerSecurity, AScriptMessageNamesOnlyTheWorldsOwnProcedures) {
  ASSERT_EQ(eval(world,
                 "proc done {o e d} {set ::done $d}\n"
                 "namespace eval ns {proc spin {o e d} {set ::ran 1}}\n"
                 "interp alias {} shortcut {} foreach"),
            0);
  RawPeer peer(server.port(), "mallory", "nothing.wrl");
  ASSERT_TRUE(peer.joined());
  const std::string payload = "set ::ran 1; close [open pwned w]";
  const char* names[] = {"foreach", "lmap",  "eval",     "uplevel", "zmWwwLoadFile", "::done",
                         "ns::spin", "::ns::spin", "shortcut", "unknown", "zmTclerror", "done; set ::ran 1"};
  for (const char* name : names) ASSERT_TRUE(peer.callProcedure(1000, name, payload)) << name;
  ASSERT_TRUE(peer.callProcedure(1000, "spin\nzmMessage forged", payload));  // a name that would start a line
  ASSERT_TRUE(peer.callProcedure(1000, "done", "[set ::ran 1]"));
  ASSERT_TRUE(pumpUntil([&] { return flagSet("done"); }));

  EXPECT_FALSE(flagSet("ran"));
  EXPECT_FALSE(std::filesystem::exists(folder / "home" / "usrfiles" / "pwned"));
  std::string data;
  ASSERT_EQ(eval(world, "set ::done", &data), 0);
  EXPECT_EQ(data, "[set ::ran 1]");
  const std::string sender = "client " + std::to_string(peer.clientId()) + " named \"";
  for (const char* name : names)
    EXPECT_TRUE(noticed(sender + name + "\", which is no procedure of this world")) << name;
  EXPECT_TRUE(noticed(sender + "spin?zmMessage forged\""));
}

// A procedure another user calls that never ends is stopped like any
// handler, and the connection is served on.
TEST_F(PeerSecurity, ALoopingProcedureFromAPeerIsStopped) {
  ASSERT_EQ(eval(world, "proc spin {o e d} {while 1 {}}\nproc done {o e d} {set ::done 1}"), 0);
  RawPeer peer(server.port(), "mallory", "nothing.wrl");
  ASSERT_TRUE(peer.joined());
  ASSERT_TRUE(peer.callProcedure(1000, "spin", ""));
  ASSERT_TRUE(peer.callProcedure(1000, "done", ""));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(pumpUntil([&] { return flagSet("done"); }));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(noticed("spin ran longer than 1000 ms and was stopped."));
}

// Another user's avatar is a file with a Script node that reads a file
// beside the world, which the world's own scripts may read, and shows it.
// The avatar is built, its script is not run.
TEST_F(PeerSecurity, AnAvatarsScriptDoesNotRun) {
  const std::filesystem::path avatar = folder / "evil.wrl";
  std::ofstream(avatar) << "#VRML V1.0 ascii\nSeparator {\n"
                           "  Script { procedure \"set f [open " << secret.string()
                        << "]; zmMessage \\\"leak: [read $f]\\\"; set ::ran 1\" scriptType TCL }\n"
                           "  DEF Evil Cube { }\n}\n";
  std::string text;
  ASSERT_EQ(eval(world, "set f [open " + secret.string() + "]; read $f", &text), 0);  // the world's own read
  EXPECT_EQ(text, "the user's secret");

  RawPeer peer(server.port(), "mallory", "file://" + avatar.string());
  ASSERT_TRUE(peer.joined());
  auto built = [&] {
    for (ZmTopObjList* top = world->topObjects; top != nullptr; top = top->next)
      if (zmFindObjInSubtree(top->object, "Evil") != nullptr) return true;
    return false;
  };
  ASSERT_TRUE(pumpUntil(built));
  EXPECT_FALSE(flagSet("ran"));
  EXPECT_FALSE(noticed("leak:"));
  EXPECT_TRUE(noticed("the scripts of a file another user added do not run"));
}

// The senders' words arrive at another user as the script gave them: the
// procedure, its data with the characters Tcl would substitute, the
// destination flag, the event mask and the chat text.
using ScriptSends = PeerSecurity;

TEST_F(ScriptSends, WhatAScriptSendsReachesTheOtherUser) {
  RawPeer peer(server.port(), "bob", "nothing.wrl");
  ASSERT_TRUE(peer.joined());
  ASSERT_TRUE(server.waitForOutput("client " + std::to_string(peer.clientId()) + " joined", 10));
  zmNameObject(world->person, "me");
  ASSERT_EQ(eval(world,
                 "set me [zmGetObjByName me]\n"
                 "zmqxSendApplSpecificMsgWithDist $me wave {a [b] $c} 9\n"
                 "zmqxSendApplEvent $me 4294967295 go\n"
                 "zmqxSendChatStr $me {hello there}"),
            0);

  const std::vector<uint8_t> call = peer.nextObjectMessage(ZMQX_SUB_APPL_SPECIFIC);
  ASSERT_FALSE(call.empty());
  ZmId sender = 0;
  uint8_t destination = 0;
  const char* procedure = nullptr;
  const char* data = nullptr;
  zmqxReadObjectMessage(call.data(), &sender, nullptr, &destination);
  ASSERT_EQ(zmqxReadApplSpecific(call.data(), &procedure, &data), 0);
  EXPECT_EQ(sender, world->person->id);
  EXPECT_EQ(destination, 9);
  EXPECT_STREQ(procedure, "wave");
  EXPECT_STREQ(data, "a [b] $c");

  const std::vector<uint8_t> event = peer.nextObjectMessage(ZMQX_SUB_APPL_EVENT);
  ASSERT_FALSE(event.empty());
  uint32_t mask = 0;
  const char* text = nullptr;
  ASSERT_EQ(zmqxReadApplEvent(event.data(), &mask, &text), 0);
  EXPECT_EQ(mask, 0xFFFFFFFFu);
  EXPECT_STREQ(text, "go");

  const std::vector<uint8_t> chat = peer.nextObjectMessage(ZMQX_SUB_CHAT);
  ASSERT_FALSE(chat.empty());
  ASSERT_EQ(zmqxReadChatText(chat.data(), &text), 0);
  EXPECT_STREQ(text, "hello there");
}

}  // namespace
