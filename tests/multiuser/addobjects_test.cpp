// tests/multiuser/addobjects_test.cpp -- another user's objects read from a
// VRML file into the world, with the ids the server gives and built for the
// renderer.
#include <string>

#include "engine/camera.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/scene.h"
#include "loading/loadhooks.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/multiuser/messages.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/builders.h"
#include "viewer/construct.h"
#include "viewer/rendering.h"

namespace {

// The world of ClientTest is replaced by one made with the loading layer
// installed (so it has a URL table) and the engine open on the recording
// device (so the objects can be built for the renderer).
class AddObjects : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    zmInstallViewerHooks();
    zmInstallLoadingHooks();
    loadingHooks->wwwFetchUrl = [](ZmUrlHash*) { return fixture.c_str(); };
    callbacks.createImage = [](intptr_t, intptr_t) -> uintptr_t { return 1; };
    callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
      image->width = 64;
      image->height = 48;
      image->depth = 16;
    };
    callbacks.colourToDeviceValue = [](const uint16_t*) -> uintptr_t { return 0; };
    ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
    world = zmNewWorld("shared.wrl");
    zmSetCurrentWorld(world);
    ASSERT_EQ(zmRwInitRWStruct(world), 0);
    world->rendering->scene = RwCreateScene();
    ASSERT_EQ(zmNewZmObj(world, &person, 0), 0);
    zmAddTopObject(person, "person.wrl");
    world->person = person;
  }

  void TearDown() override {
    ClientTest::TearDown();
    RwClose();
  }

  static inline const std::string fixture = std::string(LUMENFOLD_TEST_DATA) + "/visitor.wrl";
  VrmlHookGuards vrmlHooks;
  HookTableGuard<ZmLoadingHooks> loadingHooks{zmLoadingHooks};
  RwMetaCallbacks callbacks = {};
};

TEST_F(AddObjects, AnotherUsersFileIsReadWithTheServersIds) {
  ScriptedPeer server([](PeerLink& link) {
    greetClient(link, kTestHelloId, kTestChannel);
    link.write(serverMessage([](uint8_t* m) { return zmqxWriteAddObjects(m, 2000, 2999, "visitor.wrl", "Bo"); }) +
               chatFrom(2000, "read on the next call"));
    link.readsEnd();
  });
  serveAt(server.port());
  ASSERT_EQ(zmZMQXConnect(), 0);
  ASSERT_TRUE(pumpUntil([&] { return byId(2000) != nullptr; }));
  EXPECT_TRUE(chat().empty());  // the pump call ended with the file
  // The file's two top objects took the first ids of the range, and both
  // were built for the renderer; the first carries the comment.
  ZmObj* body = byId(2000);
  ZmObj* head = byId(2001);
  ASSERT_NE(head, nullptr);
  EXPECT_STREQ(body->comment[1], "visitorBody");
  EXPECT_STREQ(head->comment[1], "visitorHead");
  EXPECT_STREQ(body->comment[3], "Bo");
  for (ZmObj* top : {body, head}) {
    ASSERT_NE(top->child, nullptr) << top->comment[1];
    ASSERT_NE(top->child->object->leaf, nullptr) << top->comment[1];
    EXPECT_NE(top->child->object->leaf->rendering, nullptr) << top->comment[1];
  }
  ASSERT_TRUE(pumpUntil([&] { return !chat().empty(); }));

  EXPECT_EQ(zmZMQXExit(), 0);  // the visitor goes with the connection
  EXPECT_EQ(byId(2000), nullptr);
  EXPECT_EQ(byId(2001), nullptr);
}

}  // namespace
