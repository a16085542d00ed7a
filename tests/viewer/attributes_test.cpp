// Objects, lights and cameras read and changed by attribute number: what
// reaches the engine, what is stored, and the texts of wrong requests.
#include <cmath>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/transform.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/light.h"
#include "viewer/api.h"
#include "viewer/attributes.h"
#include "viewer/sceneobjects.h"
#include "viewer_fixture.h"

namespace {

class Attributes : public ViewerWorld {
 protected:
  void SetUp() override {
    ViewerWorld::SetUp();
    read("attributes.wrl");
    ASSERT_EQ(zmConstructWorldInViewer(world), 0);
    notes.clear();
    zmTurnOnFlagByName("warning");
    coreHooks.messages->notifyMessage = [](const char* text) {
      notes.push_back(text);
      return 0;
    };
  }

  ZmObj* find(const char* name) {
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  RwLight* engineLight(const char* name) { return zmRwGetLight(find(name)->leaf); }

  std::pair<float, float> viewWindow(const char* name) {
    float halfWidth = 0.0f, halfHeight = 0.0f;
    RwGetCameraViewwindow(zmRwGetCamera(find(name)->leaf), &halfWidth, &halfHeight);
    return {halfWidth, halfHeight};
  }

  static inline std::vector<std::string> notes;
};

TEST_F(Attributes, ObjectFlagsTextsAndTheIdsOutsideTheSet) {
  ZmObj* box = find("Box");
  int32_t value = -1;
  for (int32_t id : {0, 1, 2, 17}) {
    EXPECT_EQ(zmGetObjAttribute(box, id, &value), -1) << id;
    EXPECT_EQ(zmSetObjAttrbute(box, id, &value), -1) << id;
  }
  EXPECT_EQ(zmGetObjAttribute(nullptr, zmObjAttrMobile, &value), -1);
  EXPECT_EQ(zmGetObjAttribute(box, zmObjAttrNone, &value), 0);
  EXPECT_EQ(value, -1) << "attribute 7 reads nothing";
  EXPECT_EQ(zmSetObjAttrbute(box, zmObjAttrNone, &value), 0);

  struct Flag {
    int32_t id;
    uint32_t bit;
  } flags[] = {{zmObjAttrCubeValid, 0x8000}, {zmObjAttrCubeComputed, 0x4000}, {zmObjAttrCubeMarked, 0x2000},
               {zmObjAttrWrtValid, 0x1000},  {zmObjAttrGrasp, 0x400},         {zmObjAttrCollision, 0x100},
               {zmObjAttrMobile, 0x80}};
  for (const Flag& flag : flags) {
    for (int32_t written : {1, 2, 3, 0}) {
      ASSERT_EQ(zmSetObjAttrbute(box, flag.id, &written), 0);
      EXPECT_EQ((box->obj_flags & flag.bit) != 0, (written & 1) != 0) << flag.id << " := " << written;
      ASSERT_EQ(zmGetObjAttribute(box, flag.id, &value), 0);
      EXPECT_EQ(value, written & 1) << flag.id;
    }
  }

  // Visibility and solidity go through the engine.
  const int32_t off = 0;
  ASSERT_EQ(zmSetObjAttrbute(box, zmObjAttrVisible, &off), 0);
  EXPECT_EQ(zmRwGetLeafClump(box->leaf)->state, 1);
  ASSERT_EQ(zmGetObjAttribute(box, zmObjAttrVisible, &value), 0);
  EXPECT_EQ(value, 0);
  ASSERT_EQ(zmSetObjAttrbute(box, zmObjAttrSolid, &off), 0);
  ASSERT_EQ(zmGetObjAttribute(box, zmObjAttrSolid, &value), 0);
  EXPECT_EQ(value, 0);

  const char* text = nullptr;
  ASSERT_EQ(zmGetObjAttribute(box, zmObjAttrNodeType, &text), 0);
  EXPECT_STREQ(text, "Cube");
  ASSERT_EQ(zmSetObjAttrbute(box, zmObjAttrNodeType, "NoSuchNode"), 0);
  EXPECT_EQ(box->vrmlType, 0);
  ASSERT_EQ(zmGetObjAttribute(box, zmObjAttrNodeType, &text), 0);
  EXPECT_STREQ(text, "");
  std::string label = "over the door";
  ASSERT_EQ(zmSetObjAttrbute(box, zmObjAttrLabel, label.c_str()), 0);
  label = "changed by the caller";
  ASSERT_EQ(zmGetObjAttribute(box, zmObjAttrLabel, &text), 0);
  EXPECT_STREQ(text, "over the door");
  EXPECT_EQ(text, box->comment[3]);
  ASSERT_EQ(zmGetObjAttribute(box, zmObjAttrName, &text), 0);
  EXPECT_STREQ(text, "Box");
  EXPECT_TRUE(notes.empty());
}

TEST_F(Attributes, LightColourIsTheStoredColourTimesTheIntensity) {
  const float half = 0.5f;
  ASSERT_EQ(zmSetLightAttribute(find("Lamp"), zmLightAttrIntensity, &half), 0);
  const uint8_t* level = engineLight("Lamp")->colour;
  EXPECT_NEAR(level[0], 15.5, 0.5);
  EXPECT_EQ(level[1], level[0]);
  EXPECT_EQ(level[2], level[0]);
  const uint8_t halfLevel = level[0];
  const float red[3] = {1.0f, 0.0f, 0.0f};
  ASSERT_EQ(zmSetLightAttribute(find("Lamp"), zmLightAttrColor, red), 0);
  EXPECT_EQ(level[0], halfLevel);
  EXPECT_EQ(level[1], 0);
  EXPECT_EQ(level[2], 0);

  float stored[3] = {};
  ASSERT_EQ(zmGetLightAttribute(find("Lamp"), zmLightAttrIntensity, stored), 0);
  EXPECT_EQ(stored[0], 0.5f);
  ASSERT_EQ(zmGetLightAttribute(find("Lamp"), zmLightAttrColor, stored), 0);
  EXPECT_EQ(stored[0], 1.0f);
  EXPECT_EQ(stored[1], 0.0f);

  const int32_t off = 0;
  ASSERT_EQ(zmSetLightAttribute(find("Sun"), zmLightAttrOn, &off), 0);
  EXPECT_EQ(engineLight("Sun")->state, 1);
  int32_t on = -1;
  ASSERT_EQ(zmGetLightAttribute(find("Sun"), zmLightAttrOn, &on), 0);
  EXPECT_EQ(on, 0);
  EXPECT_TRUE(notes.empty());
}

TEST_F(Attributes, SpotCutOffReachesTheEngineAsBuiltAndDropOffIsOnlyStored) {
  const auto builtCone = engineLight("Spot")->cone;
  const float wide = 1.0f, asBuilt = 0.5f, rate = 0.25f;
  ASSERT_EQ(zmSetLightAttribute(find("Spot"), zmLightAttrCutOffAngle, &wide), 0);
  EXPECT_NE(engineLight("Spot")->cone, builtCone);
  ASSERT_EQ(zmSetLightAttribute(find("Spot"), zmLightAttrCutOffAngle, &asBuilt), 0);
  EXPECT_EQ(engineLight("Spot")->cone, builtCone) << "the same conversion as the light builder";

  ASSERT_EQ(zmSetLightAttribute(find("Spot"), zmLightAttrDropOffRate, &rate), 0);
  float read = 0.0f;
  ASSERT_EQ(zmGetLightAttribute(find("Spot"), zmLightAttrDropOffRate, &read), 0);
  EXPECT_EQ(read, 0.25f);
  EXPECT_EQ(notes, std::vector<std::string>{"zmSetLightAttribute : not not supported yet"});
}

TEST_F(Attributes, WrongLightRequestsAreNamed) {
  float values[3] = {};
  struct Case {
    const char* light;
    int32_t id;
    const char* warning;  // of the read
    bool renderWarns;     // whether a change warns too
  } cases[] = {
      {"Lamp", zmLightAttrLocation, "zmGetLightAttribute : not not supported yet", false},
      {"Sun", zmLightAttrLocation, "zmGetLightAttribute : wrong attribute name", true},
      {"Lamp", zmLightAttrDirection, "zmGetLightAttribute : wrong attribute name", true},
      {"Spot", zmLightAttrDirection, "zmGetLightAttribute : not not supported yet", false},
      {"Sun", zmLightAttrCutOffAngle, "zmGetLightAttribute : wrong attribute name", true},
      {"Lamp", 7, "zmGetLightAttribute : wrong attribute name", true},
      {"Box", zmLightAttrOn, "zmGetLightAttribute : not a light object", true},
  };
  for (const Case& c : cases) {
    notes.clear();
    EXPECT_EQ(zmGetLightAttribute(find(c.light), c.id, values), -1) << c.light << c.id;
    EXPECT_EQ(notes, std::vector<std::string>{c.warning}) << c.light << c.id;
    notes.clear();
    EXPECT_EQ(zmSetLightAttribute(find(c.light), c.id, values), -1) << c.light << c.id;
    EXPECT_EQ(notes.size(), c.renderWarns ? 1u : 0u) << c.light << c.id;
  }
  notes.clear();
  EXPECT_EQ(zmGetLightAttribute(nullptr, zmLightAttrOn, values), -1);
  EXPECT_EQ(zmSetLightAttribute(find("Lamp"), 9, values), -1);
  const std::vector<std::string> expected = {"zmGetLightAttribute : not a leaf object",
                                             "zmRenderSetLightAttribute : wrong attribute name"};
  EXPECT_EQ(notes, expected);
}

TEST_F(Attributes, CameraViewWindowFollowsHeightAndHeightAngle) {
  struct Case {
    const char* camera;
    int32_t id;
    float value;
    float halfWidth, halfHeight;
  } cases[] = {
      {"Wide", zmCameraAttrHeightAngle, 1.5707964f, 1.3333334f, 1.0f},
      {"Wide", zmCameraAttrHeightAngle, 4.0f, 1024.0f, 768.0f},  // tan(2) < 0
      {"Flat", zmCameraAttrHeight, 2.0f, 2.6666667f, 2.0f},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(zmSetCameraAttribute(find(c.camera), c.id, &c.value), 0) << c.value;
    EXPECT_FLOAT_EQ(viewWindow(c.camera).first, c.halfWidth) << c.value;
    EXPECT_FLOAT_EQ(viewWindow(c.camera).second, c.halfHeight) << c.value;
    float stored = 0.0f;
    ASSERT_EQ(zmGetCameraAttribute(find(c.camera), c.id, &stored), 0);
    EXPECT_EQ(stored, c.value);
  }
  EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(Attributes, CameraOfTheWrongKindRefusesItsHeightWithAnError) {
  const float value = 2.0f;
  const auto before = viewWindow("Wide");
  EXPECT_EQ(zmSetCameraAttribute(find("Wide"), zmCameraAttrHeight, &value), -1);
  EXPECT_EQ(viewWindow("Wide"), before);
  ASSERT_EQ(errorBoxes().size(), 1u);
  EXPECT_NE(errorBoxes()[0].find("zmRenderSetCameraAttribute : ONLY OrthographicCamera can cange "
                                 "zmCameraAttrHeight, sorry."),
            std::string::npos);
  float read = 0.0f;
  EXPECT_EQ(zmGetCameraAttribute(find("Wide"), zmCameraAttrHeight, &read), -1);
  EXPECT_EQ(zmGetCameraAttribute(find("Flat"), zmCameraAttrHeightAngle, &read), -1);
  EXPECT_EQ(zmGetCameraAttribute(find("Flat"), zmCameraAttrBackgroundTexture, &read), -1);
  EXPECT_EQ(zmGetCameraAttribute(find("Sun"), zmCameraAttrPosition, &read), -1);
  const std::vector<std::string> expected = {
      "zmGetCameraAttribute : wrong attribute name", "zmGetCameraAttribute : wrong attribute name",
      "zmGetCameraAttribute : wrong attribute name", "zmGetCameraAttribute : not a camera object"};
  EXPECT_EQ(notes, expected);
}

TEST_F(Attributes, CameraPlacementAndTheWorldsBackground) {
  ZmObj* camera = find("Wide");
  const float position[3] = {1.0f, 2.0f, 3.0f};
  ASSERT_EQ(zmSetCameraAttribute(camera, zmCameraAttrPosition, position), 0);
  ZmVec3 read{};
  ASSERT_EQ(zmGetCameraAttribute(camera, zmCameraAttrPosition, &read), 0);
  EXPECT_FLOAT_EQ(read.x, 1.0f);
  EXPECT_FLOAT_EQ(read.z, 3.0f);
  const float down[3] = {0.0f, 0.0f, 1.0f};
  ASSERT_EQ(zmSetCameraAttribute(camera, zmCameraAttrLookAt, down), 0);
  ASSERT_EQ(zmGetCameraAttribute(camera, zmCameraAttrLookAt, &read), 0);
  EXPECT_NEAR(read.z, 1.0f, 1e-5);
  EXPECT_NEAR(zmGetWRT(camera)->t.y, 2.0f, 1e-5) << "turning keeps the position";

  const float sky[3] = {0.2f, 0.4f, 0.6f};
  ASSERT_EQ(zmSetCameraAttribute(camera, zmCameraAttrBackgroundColor, sky), 0);
  EXPECT_EQ(world->backgroundColor[1], 0.4f);
  float colour[3] = {};
  ASSERT_EQ(zmGetCameraAttribute(find("Flat"), zmCameraAttrBackgroundColor, colour), 0);
  EXPECT_EQ(colour[2], 0.6f);

  // An image that cannot be had leaves the camera without a backdrop and
  // the world's image as it was.
  int unreadable = 0;
  auto* entry = reinterpret_cast<ZmUrlHash*>(&unreadable);
  EXPECT_EQ(zmSetCameraAttribute(camera, zmCameraAttrBackgroundTexture, entry), -1);
  EXPECT_EQ(world->backgroundImage, nullptr);
  EXPECT_EQ(RwGetCameraBackdrop(zmRwGetCamera(camera->leaf)), nullptr);
  float focal = 0.0f;
  EXPECT_EQ(zmSetCameraAttribute(camera, zmCameraAttrFocalDistance, &focal), -1);
  EXPECT_EQ(zmSetCameraAttribute(camera, 9, &focal), -1);
  const std::vector<std::string> expected = {"zmRenderSetCameraAttribute : cannot set camera background texture",
                                             "zmRenderSetCameraAttribute : wrong attribute name(9)"};
  EXPECT_EQ(notes, expected);
}

}  // namespace
