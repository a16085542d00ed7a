// tests/vrml/builder_groups_test.cpp -- Switch, LOD, anchors, inline worlds
// and the articulated-body switch of a world file.
#include "tests/vrml/builder_ext_fixture.h"
#include "core/camera.h"
#include "vrml/switchlod.h"

#include <sys/stat.h>

using ::testing::ElementsAre;

namespace {

// The inline range of an id: 0 for the world's own -10000..-1, k for
// -(k+1)*10000 .. -(k+1)*10000+9999.
int rangeOf(ZmId id) { return (-(id + 1)) / 10000; }

}  // namespace

TEST_F(ExtensionTest, SwitchKeepsEveryChildAndItsChildNumber) {
  ASSERT_EQ(build("Separator { DEF S Switch { whichChild 1 DEF A Cube { } DEF B Cube { } DEF C Cube { } }"
                  " DEF Cams Switch { DEF Eye PerspectiveCamera { } } }"),
            0);
  // A Switch holding a camera directly is itself the camera of id 3 (after
  // the camera, which registered first); one holding it deeper is not.
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), named("Cams"));
  ASSERT_EQ(build("Separator { DEF Deep Switch { Separator { DEF Ortho OrthographicCamera { } } } }"), 0);
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), named("Ortho"));
  ZmObj* s = named("S");
  EXPECT_EQ(s->vrmlType, ZM_VRML_SWITCH);
  EXPECT_EQ(childrenOf(s).size(), 3u);
  auto* which = reinterpret_cast<int32_t*>(zmGetObjExtension(s, zmSwitchWhichChild));
  ASSERT_NE(which, nullptr);
  EXPECT_EQ(*which, 1);
  EXPECT_EQ(*reinterpret_cast<int32_t*>(zmGetObjExtension(named("Deep"), zmSwitchWhichChild)), -1);
}

TEST_F(ExtensionTest, LodKeepsRangesAndCentreAndJoinsTheWorldList) {
  ASSERT_EQ(build("Separator { DEF Near LOD { range [ 10, 20.5 ] center 1 2 3 Cube { } Sphere { } }"
                  " DEF Bare LOD { Cube { } } }"),
            0);
  ZmObj* lodObject = named("Near");
  EXPECT_EQ(childrenOf(lodObject).size(), 2u);
  ZmLOD* lod = nullptr;
  ASSERT_EQ(zmGetLODNode(lodObject, &lod), 0);
  ASSERT_EQ(lod->rangeCount, 2);
  EXPECT_FLOAT_EQ(lod->ranges[1], 20.5f);
  EXPECT_FLOAT_EQ(lod->centerZ, 3.0f);
  zmDeleteLODNode(&lod);
  EXPECT_EQ(lod, nullptr);
  ASSERT_EQ(zmGetLODNode(named("Bare"), &lod), 0);
  ASSERT_EQ(lod->rangeCount, 1);
  EXPECT_FLOAT_EQ(lod->ranges[0], 0.0f);
  zmDeleteLODNode(&lod);
  ASSERT_EQ(world->lodObjects.count, 2);
  EXPECT_EQ(world->lodObjects.objs[0], lodObject);
}

TEST_F(ExtensionTest, LodTakesNoAttachmentsButPassesThemToItsFirstObject) {
  ASSERT_EQ(build("Separator { Attributes { comment \"inner\" } EventHandler { scriptType TCL }"
                  " DEF L LOD { DEF In Cube { } } }"),
            0);
  EXPECT_EQ(named("L")->comment[3], nullptr);
  ASSERT_NE(named("In")->comment[3], nullptr);
  EXPECT_THAT(callsStartingWith("HANDLER"), ElementsAre(::testing::StartsWith("HANDLER In ")));
  EXPECT_THAT(callsStartingWith("CREATE_NOTIFY"), ElementsAre("CREATE_NOTIFY ", "CREATE_NOTIFY In"));
}

TEST_F(ExtensionTest, LodRecordCopyAndSet) {
  ZmLOD* fresh = zmNewLODNode();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->rangeCount, 0);
  EXPECT_FLOAT_EQ(fresh->centerX, 1.0f);
  auto* values = static_cast<float*>(zmMalloc(2 * sizeof(float)));
  values[0] = 5;
  values[1] = 50;
  const float center[3] = {7, 8, 9};
  ASSERT_EQ(zmSetLODNode(fresh, ZmMFFloat{2, values}, center), 0);
  ZmObj* object = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &object, 0), 0);
  object->vrmlType = ZM_VRML_LOD;
  ASSERT_EQ(zmAddTopObject(object, "lod.wrl"), 0);
  ASSERT_EQ(zmAddLODNode(object, fresh), 0);
  ASSERT_EQ(zmAddLODNode(object, fresh), 0);  // replaces the first copy
  ZmLOD* copy = nullptr;
  ASSERT_EQ(zmGetLODNode(object, &copy), 0);
  EXPECT_NE(copy->ranges, values);
  EXPECT_FLOAT_EQ(copy->ranges[1], 50.0f);
  EXPECT_FLOAT_EQ(copy->centerY, 8.0f);
  EXPECT_EQ(zmCpyLODNode(nullptr, copy), -1);
  EXPECT_TRUE(sawMessage("zmCpyLODNode: Invalid argument."));
  zmDeleteLODNode(&copy);
  zmDeleteLODNode(&fresh);
  ZmObj* plain = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &plain, 0), 0);
  ASSERT_EQ(zmAddTopObject(plain, "plain.wrl"), 0);
  EXPECT_EQ(zmGetLODNode(plain, &copy), -1);
  EXPECT_TRUE(sawMessage("zmGetLODNode: ZmLOD not found in ZmObjExtension."));
}

TEST_F(ExtensionTest, AnchorCarriesItsUrlAndItsChildren) {
  ASSERT_EQ(build("Separator { EventHandler { scriptType TCL }"
                  " DEF Link WWWAnchor { name \"http://example.org/next.wrl\" description \"next\""
                  "   Material { diffuseColor 1 0 0 } DEF Door Cube { } }"
                  " DEF Outside Cube { } }"),
            0);
  ZmObj* link = named("Link");
  EXPECT_EQ(link->vrmlType, ZM_VRML_WWW_ANCHOR);
  auto* url = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(link, zmWWWAnchor));
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(url->url, "http://example.org/next.wrl");
  EXPECT_THAT(childrenOf(link), ElementsAre(named("Door")));
  EXPECT_THAT(callsStartingWith("HANDLER"), ElementsAre(::testing::StartsWith("HANDLER Link ")));
  // The anchor's level ends with it: its Material does not reach Outside.
  auto* outside = static_cast<ZmShape*>(named("Outside")->leaf);
  EXPECT_FLOAT_EQ(outside->material->diffuse_color.values[0].r, 0.8f);
}

TEST_F(ExtensionTest, InlineWorldsGetFreshIdRangesAndAnUnfetchableOneIsLeftOut) {
  for (const char* name : {"inline_child.wrl", "inline_leaf.wrl"})
    fetchableUrls[name] = worldFile(name);
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("inline_world.wrl").c_str(), world), 0);
  EXPECT_TRUE(sawMessage("QvWWWInline::traverse: zmGetLocalNameOfWWW() failed."));
  std::vector<std::string> topNames;
  for (ZmObj* top : topObjects()) topNames.push_back(nameOf(top));
  EXPECT_THAT(topNames, ElementsAre("Before", "First", "Second", "After"));

  ZmObj* first = named("First");
  auto* url = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(first, zmWWWInline));
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(url->url, "inline_child.wrl");
  std::vector<ZmObj*> inFirst = childrenOf(first);
  ASSERT_EQ(inFirst.size(), 2u);
  EXPECT_EQ(nameOf(inFirst[0]), "Ball");
  std::vector<ZmObj*> inNested = childrenOf(inFirst[1]);
  ASSERT_EQ(inNested.size(), 1u);
  EXPECT_EQ(nameOf(inNested[0]), "Leaf");

  // Every inline read has a range of its own, nested ones included.
  ZmObj* second = named("Second");
  std::vector<ZmObj*> inSecond = childrenOf(second);
  ASSERT_EQ(inSecond.size(), 2u);
  EXPECT_EQ(rangeOf(named("Before")->id), 0);
  EXPECT_EQ(rangeOf(second->id), 0);
  EXPECT_EQ(rangeOf(inFirst[0]->id), 1);
  EXPECT_EQ(rangeOf(inNested[0]->id), 2);
  EXPECT_EQ(rangeOf(inSecond[0]->id), 3);
  EXPECT_EQ(rangeOf(childrenOf(inSecond[1])[0]->id), 4);
  std::set<ZmId> ids;
  for (ZmObj* object : allObjects()) {
    EXPECT_NE(object->id, zmGetNullId()) << nameOf(object);
    EXPECT_TRUE(ids.insert(object->id).second) << "shared id " << object->id;
    EXPECT_EQ(zmGetZmObjById(world, &object->id), object);
  }
  // The inline object takes the pending transform; its world starts at it.
  EXPECT_FLOAT_EQ(second->localRT.t.x, 5.0f);
  EXPECT_FLOAT_EQ(inSecond[0]->localRT.t.x, 0.0f);
}

TEST_F(ExtensionTest, InlineFileAddedLaterDoesNotReuseALiveRange) {
  fetchableUrls["leaf"] = worldFile("inline_leaf.wrl");
  std::string path = fileWith("Separator { DEF I WWWInline { name \"leaf\" } }");
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  ZmObj* added = nullptr;
  ASSERT_EQ(zmParseVRMLAddToWorld(path.c_str(), &added), 0);
  std::set<ZmId> ids;
  for (ZmObj* object : allObjects()) EXPECT_TRUE(ids.insert(object->id).second) << "shared id " << object->id;
  EXPECT_EQ(ids.size(), 4u);
}

TEST_F(ExtensionTest, InlineWithAnEmptyLocalNameIsAnEmptyObject) {
  fetchableUrls["empty"] = "";
  ASSERT_EQ(build("Separator { DEF E WWWInline { name \"empty\" } Cube { } }"), 0);
  EXPECT_TRUE(childrenOf(named("E")).empty());
}

TEST_F(ExtensionTest, InlineThatCannotBeReadLeavesNoObject) {
  fetchableUrls["broken"] = "/nonexistent/broken.wrl";
  ASSERT_EQ(build("Separator { DEF Gone WWWInline { name \"broken\" } DEF Kept Cube { } }"), 0);
  EXPECT_TRUE(sawMessage("QvWWWInline::traverse: zmParseVRMLInZmObj(\"/nonexistent/broken.wrl\") failed."));
  EXPECT_EQ(topObjects().size(), 1u);
  EXPECT_EQ(world->objectCount, 1);
}

TEST_F(ExtensionTest, InlinesAndWorldsAreReadOnlyFromRegularFiles) {
  std::string fifo = ::testing::TempDir() + "builder_inline_fifo";
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = ::testing::TempDir();
  for (const std::string& local : {std::string("/dev/zero"), fifo, folder}) {
    builderMessages.clear();
    fetchableUrls["odd"] = local;
    ASSERT_EQ(build("Separator { DEF Odd WWWInline { name \"odd\" } DEF Kept Cube { } }"), 0) << local;
    EXPECT_TRUE(sawMessage("parseVRML(): '" + local + "' is not a regular file")) << local;
    EXPECT_TRUE(sawMessage("zmParseVRMLInZmObj(\"" + local + "\") failed.")) << local;
    EXPECT_NE(named("Kept"), nullptr);
  }
  builderMessages.clear();
  EXPECT_NE(parseVRMLIntoWorld(fifo.c_str(), world), 0);
  EXPECT_TRUE(sawMessage("parseVRML(): '" + fifo + "' is not a regular file"));
  std::remove(fifo.c_str());
}

TEST_F(ExtensionTest, InlineOfItselfStopsAtTheIdStackDepth) {
  std::string path = fileWith("Separator { DEF Self WWWInline { name \"self\" } DEF Box Cube { } }");
  fetchableUrls["self"] = path;
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  EXPECT_TRUE(sawMessage("QvWWWInline::traverse: zmPushIdCounter() failed."));
  // The world's own inline and the three read inside it; the fifth range
  // does not fit the id stack, so that read is left out.
  int inlines = 0;
  for (ZmObj* object : allObjects()) inlines += nameOf(object) == "Self";
  EXPECT_EQ(inlines, 4);
}

TEST_F(ExtensionTest, KinemationInfoTurnsTheFileIntoABody) {
  std::string path = worldFile("kinemation.wrl");
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  EXPECT_THAT(callsStartingWith("KINNEW"), ElementsAre("KINNEW walker.kin"));
  std::vector<ZmObj*> tops = topObjects();
  ASSERT_EQ(tops.size(), 1u);
  EXPECT_EQ(nameOf(tops[0]), "Body");
  EXPECT_EQ(world->objectCount, 1);
}

TEST_F(ExtensionTest, KinemationBodyThatFailsFallsBackToAPlainWorld) {
  kinNewResult = -1;
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("kinemation.wrl").c_str(), world), 0);
  EXPECT_TRUE(sawMessage("parseKinemation(): zmKinNew() failed."));
  std::vector<std::string> topNames;
  for (ZmObj* top : topObjects()) topNames.push_back(nameOf(top));
  EXPECT_THAT(topNames, ElementsAre("Skin", "Tail"));
  // The setting is at rest again: the next file is read as it is.
  builderCalls.clear();
  ASSERT_EQ(build("Separator { DEF Again Cube { } }"), 0);
  EXPECT_TRUE(callsStartingWith("KINNEW").empty());
}
