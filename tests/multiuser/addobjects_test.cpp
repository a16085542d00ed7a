// tests/multiuser/addobjects_test.cpp -- another user's objects read from a
// VRML file into the world, with the ids the server gives and built for the
// renderer.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "engine/camera.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/scene.h"
#include "loading/filetype.h"
#include "loading/gzip.h"
#include "loading/lha.h"
#include "loading/loadhooks.h"
#include "loading/urltable.h"
#include "multiuser/peers.h"
#include "core/dirs.h"
#include "tests/hook_guard.h"
#include "tests/lha_builder.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/multiuser/messages.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/install.h"
#include "viewer/construct.h"
#include "viewer/rendering.h"
#include "tests/temp_folder.h"

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
    zmSetUrlFetch([](ZmUrlHash*) { return fixture.c_str(); });
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
  UrlFetchGuard urlFetch;
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

namespace {

// Files made by the test, fetched by their paths.
class OtherUsers : public AddObjects {
 protected:
  void SetUp() override {
    AddObjects::SetUp();
    zmSetUrlFetch([](ZmUrlHash* entry) { return zmGetUrl(entry); });
  }
  void TearDown() override {
    AddObjects::TearDown();
    server.reset();
  }

  // A world file that adds `objects` objects (the file's own root is none),
  // each asking for a shared id.
  std::string fileOf(int objects, size_t padding = 0) {
    const std::string path = folder + "/objects" + std::to_string(objects) + "-" + std::to_string(padding) + ".wrl";
    std::ofstream file(path);
    file << "#VRML V1.0 ascii\nSeparator {\n";
    for (int i = 0; i < objects; ++i) file << "Attributes { assignId TRUE } Separator { }\n";
    file << std::string(padding, '#') << "\n}\n";
    return path;
  }

  static Bytes addObjects(ZmId first, ZmId last, const std::string& url, const char* comment) {
    return serverMessage([&](uint8_t* m) { return zmqxWriteAddObjects(m, first, last, url.c_str(), comment); });
  }

  // Serves the messages and pumps until the last (a master message) is read.
  void receiveAll(const Bytes& messages) {
    server = std::make_unique<ScriptedPeer>([messages](PeerLink& link) {
      greetClient(link, kTestHelloId, kTestChannel);
      link.write(messages + masterMessage(1));
      link.readsEnd();
    });
    serveAt(server->port());
    ASSERT_TRUE(connectNow());
    ASSERT_TRUE(pumpUntil([&] { return world->master == 1; }));
  }

  size_t warningsSaying(const std::string& text) {
    size_t count = 0;
    for (const std::string& line : log()) count += line.find(text) != std::string::npos;
    return count;
  }

  TempFolder temp{"lf-others"};
  std::string folder = temp.path();
  std::unique_ptr<ScriptedPeer> server;  // ends once the client has left
};

// The nickname that came with a user's avatar tells who speaks: a line is
// shown whole, on one line, and led by that nickname unless it already is.
TEST_F(OtherUsers, ChatShowsOneLineUnderTheSpeakersOwnNickname) {
  ZmObj* own = objectWithId(-5);
  const struct {
    ZmId speaker;
    std::string text;
    std::string shown;
  } lines[] = {
      {2000, "Bo: hello", "Bo: hello"},
      {2001, "Ann: hi\r\nAnn: it is me", "Bo: Ann: hiAnn: it is me"},
      {2000, "Bo: hi\nAnn: fake", "Bo: hiAnn: fake"},
      {2000, "\x1b[2Jplain\x7f", "Bo: [2Jplain"},
      {2000, "Bobby: close", "Bo: Bobby: close"},
      {-5, "Ann: the world's\r\nown", "Ann: the world'sown"},  // not a user's: no one to name
  };
  Bytes messages = addObjects(2000, 2999, fixture, "Bo\r\n");
  for (const auto& line : lines) messages = messages + chatFrom(line.speaker, line.text);
  receiveAll(messages);
  ASSERT_EQ(chat().size(), std::size(lines));
  for (size_t i = 0; i < chat().size(); ++i) EXPECT_EQ(chat()[i], lines[i].shown) << i;
  EXPECT_STREQ(byId(2000)->comment[3], "Bo");
  EXPECT_EQ(own->comment[3], nullptr);
}

// Past 2,000 objects, or 8 MB of files, a user's further objects are
// refused with one warning for that user, while another user still adds
// his; what was admitted stays.
TEST_F(OtherUsers, AUsersObjectsPastItsLimitAreRefusedWithOneWarning) {
  const std::string hundred = fileOf(100);
  const std::string large = fileOf(1, size_t(ZMQX_PEER_BYTES));
  Bytes messages;
  for (ZmId k = 0; k < 25; ++k) messages = messages + addObjects(10000 + 100 * k, 19999, hundred, "Eve");
  messages = messages + addObjects(20000, 29999, hundred, "Bo") + addObjects(20100, 29999, hundred, "Bo") +
             addObjects(30000, 39999, large, "Max") + addObjects(30100, 39999, hundred, "Max");
  const int32_t before = world->objectCount;
  receiveAll(messages);
  EXPECT_EQ(world->objectCount - before, 2000 + 200 + 100);
  EXPECT_NE(byId(10000 + 100 * 19), nullptr);
  EXPECT_EQ(byId(10000 + 100 * 20), nullptr);
  EXPECT_NE(byId(20100), nullptr);
  EXPECT_NE(byId(30100), nullptr);  // a file too large is refused, not the user
  EXPECT_EQ(warningsSaying("Eve (ids 10000..19999) adds more than the program takes from one user: refused."), 1u);
  EXPECT_EQ(warningsSaying("Max (ids 30000..39999) adds more than the program takes from one user: refused."), 1u);
  EXPECT_EQ(warningsSaying("adds more than"), 2u);
  zmZMQXExit();
  EXPECT_EQ(world->objectCount, before);  // all of it goes with the connection
}

// All users together add at most 20,000 objects.
TEST_F(OtherUsers, AllUsersObjectsPastTheServersLimitAreRefused) {
  const std::string thousand = fileOf(1000);
  Bytes messages;
  for (ZmId user = 1; user <= 11; ++user)
    for (ZmId k = 0; k < 2; ++k) messages = messages + addObjects(user * 10000 + 1000 * k, user * 10000 + 9999, thousand, "sim");
  const int32_t before = world->objectCount;
  receiveAll(messages);
  EXPECT_EQ(world->objectCount - before, ZMQX_SERVER_OBJECTS);
  EXPECT_EQ(byId(110000), nullptr);
  EXPECT_EQ(warningsSaying("sim (ids 110000..119999) adds more than the program takes from all users: refused."), 1u);
  EXPECT_EQ(warningsSaying("adds more than"), 1u);
}

// A packed file that unpacks past the limit is refused with a message, with
// the error reporter on as in the program; the session goes on and the
// later message (receiveAll's last) still arrives. The fetch post-processes
// as the program's does.
// Another user's file runs no scripts here, nor the Tcl files of an
// archive it names; the archive's members still come, and the user's own
// archives run theirs again afterwards.
TEST_F(OtherUsers, TheScriptsOfAnArchiveAnotherUserNamesDoNotRun) {
  setenv("TEMP", folder.c_str(), 1);  // the extraction folders stay in the test's own
  zmForgetTempDirForTest();
  const std::string archive = folder + "/pack.lzh";
  lhatest::writeArchive(archive, {{"init.tcl", "set fromArchive packed\n"}});
  const std::string file = folder + "/archived.wrl";
  std::ofstream(file) << "#VRML V1.0 ascii\nSeparator {\n  DEF Archive Info { string \"" << archive
                      << "\" }\n  Attributes { assignId TRUE } Separator { }\n}\n";
  static int evaluated;
  evaluated = 0;
  ServiceGuard<ZmLoadingScript> scripts{loadingScript};
  scripts->scriptEvalFile = [](ZmWorld*, const char*) { return ++evaluated, 0; };
  zmTurnOnFlag(ZM_FLAG_WARNING);
  receiveAll(addObjects(2000, 2999, file, "Bo"));
  zmTurnOffFlag(ZM_FLAG_WARNING);
  unsetenv("TEMP");
  zmForgetTempDirForTest();
  EXPECT_EQ(evaluated, 0);
  EXPECT_EQ(warningsSaying("init.tcl: the script of another user's archive does not run"), 1u);
  EXPECT_NE(zmFindUrlHashEntry(world->urlTable, "init.tcl"), nullptr);
  EXPECT_TRUE(zmLhaSetRunsScripts(true)) << "the user's own archives run their scripts again";
  zmZMQXExit();
}

TEST_F(OtherUsers, APackedFileTooLargeIsRefusedAndTheSessionGoesOn) {
  zmSetUrlFetch([](ZmUrlHash* entry) -> const char* {
    static char unpacked[ZM_URL_BUFFER_SIZE];
    return zmPreProcessFile(ZM_PLACE_LOCAL, zmGetUrl(entry), unpacked, sizeof unpacked, 4) == 0 ? unpacked : nullptr;
  });
  const std::string plain = fileOf(1, 1 << 20);
  ASSERT_EQ(std::system(("gzip -f '" + plain + "'").c_str()), 0);
  const uint64_t limit = zmGetUnpackLimit();
  zmSetUnpackLimit(64 << 10);
  zmTurnOnFlag(ZM_FLAG_ERROR);
  const int32_t before = world->objectCount;
  receiveAll(addObjects(2000, 2999, plain + ".gz", "Bo"));
  zmTurnOffFlag(ZM_FLAG_ERROR);
  zmSetUnpackLimit(limit);
  EXPECT_EQ(world->objectCount, before);
  EXPECT_EQ(warningsSaying("unpacked file too large"), 1u);
  EXPECT_EQ(zmqxGetState(), ZMQX_STATE_CONNECTED);
  zmZMQXExit();
}

}  // namespace
