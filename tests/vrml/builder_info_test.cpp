// tests/vrml/builder_info_test.cpp -- world settings from Info nodes, with
// good and bad strings, and the articulated-body node.
#include <string>
#include <utility>
#include <vector>

#include "tests/vrml/builder_fixture.h"
#include "vrml/session.h"

namespace {

inline std::vector<std::pair<intptr_t, int>> gravityCalls;
inline std::vector<std::string> archives;

std::string info(const char* name, const char* text) {
  return std::string("DEF ") + name + " Info { string \"" + text + "\" } ";
}

}  // namespace

TEST_F(BuilderTest, InfoFixtureKeepsFirstTextsAndLastNumbers) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("world_info.wrl").c_str(), world), 0);
  EXPECT_STREQ(world->title, "First title");
  EXPECT_STREQ(world->server, "vuzeza.example:5000");
  EXPECT_FLOAT_EQ(world->backgroundColor[0], 0.2f);
  EXPECT_FLOAT_EQ(world->backgroundColor[2], 0.6f);
  EXPECT_FLOAT_EQ(world->viewerSpeed, 2.5f);
  ASSERT_NE(world->backgroundImage, nullptr);
  EXPECT_EQ(world->backgroundImage->url, "sky.gif");
  EXPECT_EQ(world->backgroundTextureType, 3);
  EXPECT_TRUE(sawMessage("QvInfo::setBackgroundColor(): fails to get background color."));
  EXPECT_TRUE(sawMessage("QvInfo::setBackgroundImageType: fails to get BackgroundTextureType value."));
  // Info nodes make no objects: only the text is left.
  EXPECT_EQ(topObjects().size(), 1u);
}

TEST_F(BuilderTest, InfoStringsThatDoNotReadFallBack) {
  struct Case {
    std::string body;
    float speed;
    int32_t type;
    float red;
    const char* warning;
  } cases[] = {
      {info("ViewerSpeed", "fast"), 0.1f, 0, 0, "QvInfo::setZmViewerSpeed(): fails to get ViewerSpeed value."},
      {info("ViewerSpeed", "0.75 m/s"), 0.75f, 0, 0, nullptr},
      {info("BackgroundTextureType", "x2"), 0.1f, 0,  0,
       "QvInfo::setBackgroundTextureType: fails to get BackgroundTextureType value."},
      {info("BackgroundTextureType", "3") + info("BackgroundImageType", "-2"), 0.1f, -2, 0, nullptr},
      {info("BackgroundColor", "0.5 0.1 0.1") + info("BackgroundColor", "0.9 0 0"), 0.1f, 0, 0.9f, nullptr},
      {info("BackgroundColor", "0.5 0.1 0.1") + info("BackgroundColor", "red"), 0.1f, 0, 0.5f,
       "QvInfo::setBackgroundColor(): fails to get background color."},
      {info("backgroundcolor", "1 1 1") + "Info { string \"1 1 1\" }", 0.1f, 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    zmClearWorld(world);
    builderMessages.clear();
    ASSERT_EQ(build("Separator { " + c.body + "Cube { } }"), 0);
    EXPECT_FLOAT_EQ(world->viewerSpeed, c.speed);
    EXPECT_EQ(world->backgroundTextureType, c.type);
    EXPECT_FLOAT_EQ(world->backgroundColor[0], c.red);
    if (c.warning) {
      EXPECT_TRUE(sawMessage(c.warning));
    } else {
      EXPECT_TRUE(builderMessages.empty());
    }
  }
}

TEST_F(BuilderTest, GravityIsOnOnlyForTheExactTextOn) {
  gravityCalls.clear();
  vrmlHooks.viewer->navSetGravity = [](intptr_t kind, int on) { gravityCalls.emplace_back(kind, on); };
  ASSERT_EQ(build("Separator { " + info("Gravity", "on") + info("Gravity", "ON") + info("Gravity", "off") +
                  "Cube { } }"),
            0);
  std::vector<std::pair<intptr_t, int>> wanted = {{1, 1}, {1, 0}, {1, 0}};
  EXPECT_EQ(gravityCalls, wanted);
}

TEST_F(BuilderTest, ArchiveNameIsHandedToTheUnpackerWhichTakesItsCopy) {
  archives.clear();
  ASSERT_EQ(build("Separator { " + info("Archive", "without-unpacker.lzh") + "Cube { } }"), 0);
  vrmlHooks.loading->extractLha = [](const char* name, char* owned) {
    archives.push_back(name);
    zmFree(owned);
  };
  ASSERT_EQ(build("Separator { " + info("Archive", "textures.lzh") + "Cube { } }"), 0);
  EXPECT_EQ(archives, std::vector<std::string>{"textures.lzh"});
}

TEST_F(BuilderTest, BackgroundImageKeepsTheFirstEntry) {
  ASSERT_EQ(build("Separator { " + info("BackgroundImage", "a.bmp") + info("BackgroundTexture", "b.bmp") +
                  "Cube { } }"),
            0);
  ASSERT_NE(world->backgroundImage, nullptr);
  EXPECT_EQ(world->backgroundImage->url, "a.bmp");
  vrmlHooks.loading->wwwLoadFile = [](const char*) -> ZmUrlHash* { return nullptr; };
  zmClearWorld(world);
  ASSERT_EQ(build("Separator { " + info("BackgroundImage", "a.bmp") + "Cube { } }"), 0);
  EXPECT_EQ(world->backgroundImage, nullptr);
  EXPECT_TRUE(sawMessage("QvInfo::setBackgroundTexture(): zmWwwLoadFile() failed."));
}

TEST_F(BuilderTest, KinemationInfoStopsTheGroupAndTheFileBecomesABody) {
  static std::string bodyAsked;
  bodyAsked.clear();
  vrmlHooks.media->kinNew = [](ZmWorld* w, const char* body, const char*, ZmObj** object) {
    bodyAsked = body;
    return zmNewZmObj(w, object, 0);
  };
  ASSERT_EQ(build("Separator { " + info("Kinemation", "walker.bvh") + "DEF Skin Cube { } }"), 0);
  EXPECT_EQ(bodyAsked, "walker.bvh");
  ASSERT_EQ(topObjects().size(), 1u);
  EXPECT_EQ(topObjects()[0]->leaf, nullptr);  // the body, not the skin cube
  EXPECT_EQ(qvSession().stopFlag, 0);
}

TEST_F(BuilderTest, KinemationInfoWhoseBodyCannotLoadLeavesAPlainWorld) {
  vrmlHooks.media->kinNew = [](ZmWorld*, const char*, const char*, ZmObj**) { return -1; };
  ASSERT_EQ(build("Separator { " + info("Kinemation", "walker.bvh") + "DEF Skin Cube { } }"), 0);
  EXPECT_TRUE(sawMessage("parseKinemation(): zmKinNew() failed."));
  ASSERT_EQ(topObjects().size(), 1u);
  EXPECT_EQ(topObjects()[0]->vrmlType, ZM_VRML_CUBE);
}
