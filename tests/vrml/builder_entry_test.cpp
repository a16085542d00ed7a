// tests/vrml/builder_entry_test.cpp -- the parse entry points, and the
// scenedump tool's summary lines on every fixture world.

#include <fstream>
#include <sstream>

#include "tests/tool_runner.h"
#include "tests/vrml/builder_fixture.h"
#include "core/bounds.h"
#include "core/camera.h"
#include "vrml/urlbase.h"

TEST_F(BuilderTest, AddToObjKeepsTheSeparatorUnderTheParent) {
  ZmObj* parent = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &parent, 0), 0);
  ASSERT_EQ(zmAddTopObject(parent, "parent.wrl"), 0);
  ZmObj* added = nullptr;
  ASSERT_EQ(zmParseVRMLAddToObj(worldFile("three_cubes.wrl").c_str(), parent, &added), 0);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->vrmlType, ZM_VRML_SEPARATOR);
  EXPECT_EQ(added->parent, parent);
  int children = 0;
  for (ZmChildList* node = added->child; node; node = node->next) ++children;
  EXPECT_EQ(children, 3);
}

TEST_F(BuilderTest, InZmObjUnwrapsTheSeparatorIntoTheParent) {
  ZmObj* parent = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &parent, 0), 0);
  ASSERT_EQ(zmAddTopObject(parent, "parent.wrl"), 0);
  ASSERT_EQ(zmParseVRMLInZmObj(worldFile("three_cubes.wrl").c_str(), parent), 0);
  int children = 0;
  for (ZmChildList* node = parent->child; node; node = node->next, ++children)
    EXPECT_EQ(node->object->vrmlType, ZM_VRML_CUBE);
  EXPECT_EQ(children, 3);
}

TEST_F(BuilderTest, AddToWorldGivesTheFirstPlacedObject) {
  ZmObj* added = nullptr;
  ASSERT_EQ(zmParseVRMLAddToWorld(worldFile("three_cubes.wrl").c_str(), &added), 0);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added, world->topObjects->object);
}

TEST_F(BuilderTest, InZmCameraFindsANestedCameraAndRestoresTheTable) {
  ZmObj* own = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &own, 0), 0);
  ASSERT_EQ(zmAddTopObject(own, "own.wrl"), 0);
  ASSERT_EQ(zmReginsterToCameraTable(own, 2), 0);
  ASSERT_EQ(zmSetActiveCameraID(world, 2), 0);
  std::string path = fileWith("Separator { DEF Body Cube { } Separator { DEF Eye PerspectiveCamera { } } }");
  ZmObj* camera = nullptr;
  ZmTopObjList* first = zmParseVRMLInZmCamera(world, path.c_str(), &camera);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(zmObjNameIs(first->object, "Body"));
  ASSERT_NE(camera, nullptr);
  EXPECT_TRUE(zmObjNameIs(camera, "Eye"));
  EXPECT_EQ(world->cameraTable->activeId, 2);
  ASSERT_NE(world->cameraTable->first, nullptr);
  EXPECT_EQ(world->cameraTable->first->camera, own);
  EXPECT_EQ(world->cameraTable->first->next, nullptr);
}

TEST_F(BuilderTest, FileWithOnlyTheHeaderFailsEveryEntryPoint) {
  std::string path = fileWith("");
  EXPECT_EQ(parseVRMLIntoWorld(path.c_str(), world), -1);
  ZmObj* added = nullptr;
  EXPECT_EQ(zmParseVRMLAddToWorld(path.c_str(), &added), -1);
  ZmObj* camera = nullptr;
  EXPECT_EQ(zmParseVRMLInZmCamera(world, path.c_str(), &camera), nullptr);
  EXPECT_EQ(parseVRMLIntoWorld("/nonexistent/world.wrl", world), -1);
  EXPECT_TRUE(sawMessage("parseVRML(): can not open '/nonexistent/world.wrl'"));
}

namespace {

std::string lastTwoLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (lines.size() < 2) return text;
  return lines[lines.size() - 2] + "\n" + lines.back() + "\n";
}

}  // namespace

TEST(SceneDumpTool, PrintsTheExpectedSummaryForEachFixture) {
  struct Case {
    const char* name;
    int status;
  } cases[] = {{"three_cubes", 0},     {"transforms", 0},   {"material_scope", 0},
               {"group_transform", 0}, {"textures", 0},     {"unknown_node", 1},
               {"faceset_quad_triangle", 0}, {"faceset_bindings", 0}, {"faceset_bad_indices", 0},
               {"lineset", 0},         {"lights_cameras", 0}, {"world_info", 0},
               {"inline_world", 0},    {"scales", 0}};
  for (const Case& c : cases) {
    std::string base = std::string(LUMENFOLD_TEST_DATA) + "/worlds/" + c.name;
    tool_runner::ToolRun run = tool_runner::runTool("scenedump", "'" + base + ".wrl'");
    std::ifstream expected(base + ".expected");
    std::stringstream want;
    want << expected.rdbuf();
    EXPECT_EQ(lastTwoLines(run.output), want.str()) << c.name;
    EXPECT_EQ(run.status, c.status) << c.name;
  }
}

// A child taken out of the file's Separator keeps its place, and so does its
// box in the frame it now hangs in, for both ways of placing a file.
TEST_F(BuilderTest, UnwrappedChildrenGetTheBoxOfTheirNewPlace) {
  std::string path = fileWith("Translation { translation 5 0 0 } Separator { DEF C Cube { } }");
  ZmObj* parent = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &parent, 0), 0);
  ASSERT_EQ(zmAddTopObject(parent, "parent.wrl"), 0);
  for (bool intoWorld : {true, false}) {
    SCOPED_TRACE(intoWorld ? "into the world" : "into an object");
    ASSERT_EQ(intoWorld ? parseVRMLIntoWorld(path.c_str(), world) : zmParseVRMLInZmObj(path.c_str(), parent), 0);
    ZmObj* cube = intoWorld ? world->topObjects->next->object : parent->child->object;
    const ZmBoundingCube* box = zmGetBoundingCube(cube);
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->p_local_min.x, 4.0f);
    EXPECT_FLOAT_EQ(box->p_local_max.x, 6.0f);
  }
}

// One top-level node that fails is left out with a warning; the rest of the
// world is built.
TEST_F(BuilderTest, FailingTopLevelNodeIsLeftOutAndTheRestKept) {
  ASSERT_EQ(build("DEF A Cube { }\nWWWInline { name \"missing.wrl\" }\nDEF B Sphere { }"), 0);
  ASSERT_EQ(topObjects().size(), 2u);
  EXPECT_NE(named("A"), nullptr);
  EXPECT_NE(named("B"), nullptr);
  bool warned = false;
  for (const std::string& text : builderMessages)
    warned |= text.rfind("parseVRML(): the top-level WWWInline node of line ", 0) == 0 &&
              text.find("failed and is left out.") != std::string::npos;
  EXPECT_TRUE(warned);
}

TEST_F(BuilderTest, UnknownTopLevelNodeEndsTheReadAndSaysSo) {
  std::string path = fileWith("Cube { }\nCuboid { size 1 }");
  EXPECT_EQ(parseVRMLIntoWorld(path.c_str(), world), -1);
  EXPECT_TRUE(topObjects().empty());
  bool logged = false;
  for (const std::string& text : builderMessages)
    logged |= text.find("an unknown node at top level ends the read") != std::string::npos &&
              text.find(path) != std::string::npos;
  EXPECT_TRUE(logged);
}

// Three inlined worlds in sibling folders, each naming the next (and a
// texture) relative to itself, are all found.
TEST(SceneDumpTool, NamesInInlinedWorldsAreTakenFromTheirOwnFolder) {
  tool_runner::ToolRun run = tool_runner::runTool(
      "scenedump", "'" + std::string(LUMENFOLD_TEST_DATA) + "/worlds/nested/top.wrl'");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("Cube \"\" at (0 0 0) scale (1 1 1) flags 0xdf40 leaves: face x6 textures: one/skin.bmp"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("Cone \"\" at (0 0 0) scale (1 1 1) flags 0xff40 leaves: cone-side x1 cone-bottom x1"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(lastTwoLines(run.output), "objects 7 faces 6\nbox -1 -1 -1 1 1 1\n");
}

TEST(UrlBase, NamesResolveAgainstTheInlineFileBeingRead) {
  EXPECT_EQ(qvResolveUrl("a/b.wrl"), "a/b.wrl");  // the top world's own names stay
  struct Case {
    const char* base;
    const char* name;
    const char* resolved;
  } cases[] = {
      {"one/a.wrl", "b.wrl", "one/b.wrl"},
      {"one/a.wrl", "../two/b.wrl", "two/b.wrl"},
      {"one/a.wrl", "..\\two\\.\\b.wrl", "two/b.wrl"},
      {"a.wrl", "../up.wrl", "../up.wrl"},
      {"/w/one/a.wrl", "/abs/t.bmp", "/abs/t.bmp"},
      {"file:///w/one/a.wrl", "../t.bmp", "file:///w/t.bmp"},
      {"http://host/d/a.wrl", "/x/t.gif", "http://host/x/t.gif"},
      {"http://host/d/a.wrl", "http://other/t.gif", "http://other/t.gif"},
      {"http://host", "t.gif", "http://host/t.gif"},
      {"one/a.wrl", "C:\\t.bmp", "C:\\t.bmp"},
  };
  for (const Case& c : cases) {
    qvPushBaseUrl(c.base);
    EXPECT_EQ(qvResolveUrl(c.name), c.resolved) << c.base << " + " << c.name;
    qvPopBaseUrl();
  }
}
