// tests/multiuser/client_fixture.h -- a world that names a server, with the
// user's avatar, Winsock started and the program's messages recorded, and
// the client's upward calls recorded.
//
// Owns: ClientTest, which makes the world and objects with chosen ids, gives
// the client default settings, leaves any connection a test left open and
// deletes the world afterwards; and the records of what reached the log, the
// chat display and scripts. It does not own the peer (tests/multiuser/peer.h).
#ifndef LUMENFOLD_TESTS_MULTIUSER_CLIENT_FIXTURE_H
#define LUMENFOLD_TESTS_MULTIUSER_CLIENT_FIXTURE_H

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/transform.h"
#include "core/world.h"
#include "multiuser/connection.h"
#include "multiuser/hooks.h"
#include "multiuser/receive.h"
#include "tests/hook_guard.h"

// One call of a script procedure from the network.
struct ScriptCall {
  std::string procedure;
  std::string userData;
  ZmObj* object;
  uint32_t eventType;
};

class ClientTest : public ::testing::Test {
 protected:
  static std::vector<std::string>& log() {
    static std::vector<std::string> texts;
    return texts;
  }
  static std::vector<std::string>& chat() {
    static std::vector<std::string> texts;
    return texts;
  }
  static std::vector<ScriptCall>& scriptCalls() {
    static std::vector<ScriptCall> calls;
    return calls;
  }

  void SetUp() override {
    zmResetReportStateForTest();
    log().clear();
    chat().clear();
    scriptCalls().clear();
    coreHooks.messages->notifyMessage = [](const char* text) {
      log().push_back(text);
      return 0;
    };
    chatHooks->chatDisplay = [](ZmObj*, const char* text) { chat().push_back(text); };
    scriptHooks->scriptEvalFunction = [](ZmWorld*, ZmObj* object, ZmEvent* event, const char* procedure,
                                         const char* userData) {
      scriptCalls().push_back({procedure, userData, object, event ? event->type : 0});
      return 0;
    };
    WSADATA data;
    ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    zmMultiUserSettings() = ZmMultiUserSettings{};
    world = zmNewWorld("shared.wrl");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    ASSERT_EQ(zmNewZmObj(world, &person, 0), 0);
    zmAddTopObject(person, "person.wrl");
    world->person = person;
  }

  void TearDown() override {
    if (zmqxGetState() != ZMQX_STATE_NONE) zmZMQXExit();
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
    zmMultiUserSettings() = ZmMultiUserSettings{};
    WSACleanup();
  }

  void serveAt(int port) { setServer("127.0.0.1:" + std::to_string(port)); }
  void setServer(const std::string& text) {
    zmFree(world->server);
    world->server = zmStrdup(text.c_str());
  }

  // A new object holding `id`, a top object or a child of `parent`.
  ZmObj* objectWithId(ZmId id, ZmObj* parent = nullptr) {
    ZmObj* object = nullptr;
    zmSetIdCounter(&id, &id, 0);
    EXPECT_EQ(zmNewZmObj(world, &object, 1), 0);
    if (parent != nullptr) {
      zmAddChild(parent, object);
    } else {
      zmAddTopObject(object, "shared.wrl");
    }
    return object;
  }

  ZmObj* byId(ZmId id) { return zmGetZmObjById(world, &id); }

  // Runs the pump until `done` holds; false after five seconds.
  static bool pumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      zmSockProc();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // Connects and takes the hello to its end, reading no message yet; false
  // when the attempt failed or did not end in five seconds.
  static bool connectNow() {
    if (zmZMQXConnect() != 0) return false;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (zmqxGetState() == ZMQX_STATE_CONNECTING && std::chrono::steady_clock::now() < limit) {
      zmqxContinueConnect();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return zmqxGetState() == ZMQX_STATE_CONNECTED;
  }

  static bool logged(const std::string& text) {
    for (const std::string& line : log())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  CoreHookGuards coreHooks;
  ServiceGuard<ZmMultiUserShell> chatHooks{multiUserShell};
  ServiceGuard<ZmMultiUserScript> scriptHooks{multiUserScript};
  ZmWorld* world = nullptr;
  ZmObj* person = nullptr;
};

#endif
