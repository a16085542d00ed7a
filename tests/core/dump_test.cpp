// Debug dumps: the full text of a cone object, and delivery to a file or the
// notify window. Addresses are masked; the rest is compared exactly.
#include "core/dump.h"

#include <fstream>
#include <regex>
#include <sstream>

#include "core/bounds.h"
#include "core/event.h"
#include "core/objvalue.h"
#include "tests/core/scene_fixture.h"

namespace {

std::string masked(const std::string& text) {
  return std::regex_replace(text, std::regex("0x[0-9a-f]+"), "ADDR");
}

class DumpTest : public SceneTest {};

TEST_F(DumpTest, ConeObjectWithHandlersValuesAndTimeOuts) {
  ZmObj* cone = make("cone");
  zmAddLeaf(cone, 0, zmNewConeLeaf(ZM_PARTS_ALL, 1.5f, 4));
  zmGetBoundingCube(cone);
  ASSERT_NE(zmNewValue(cone, ZM_VALUE_STRING, "colour", "red", 1), nullptr);
  ASSERT_NE(zmNewValue(cone, ZM_VALUE_INT, "count", "3", 1), nullptr);
  ZmObj* other = make("other");

  // Handler and queue records belong to scripting; these live on the stack
  // and are unhooked before the world goes.
  char click[] = "onClick", data[] = "d1", tick[] = "onTick";
  ZmEventHandler native = {nullptr, 4, ZM_EVENT_KEY_DOWN, nullptr, nullptr, nullptr, nullptr};
  ZmEventHandler script = {&native, 1, ZM_EVENT_LEFT_BUTTON_DOWN | ZM_EVENT_COLLISION, data, click, nullptr, nullptr};
  ZmTimeOutHandlerList third = {nullptr, cone, 1, nullptr, tick, 100, 250, 500, 1, nullptr};
  ZmTimeOutHandlerList second = {&third, other, 1, nullptr, tick, 90, 0, 10, 0, nullptr};
  ZmTimeOutHandlerList first = {&second, cone, 1, data, tick, 80, 5, 0, 0, nullptr};
  cone->eventHandlers = &script;
  world->timeOutQueue = &first;

  const std::string expected =
      "<pZmObj = ADDR>\n"
      "id = -10000\n"
      "world = ADDR\n"
      "parent = (nil)\n"
      "child = (nil)\n"
      "event handlers:\n"
      "  function = (Tcl) onClick\n"
      "  event type = 14\n"
      "  user data = d1\n"
      "  script type = unsupported??\n"
      "  event type = 1\n"
      "  user data = null\n"
      "comment[0] = null\n"
      "comment[1] = 'cone'\n"
      "comment[2] = null\n"
      "comment[3] = null\n"
      "boundingCube.local_min = (-1.500000, -2.000000, -1.500000)\n"
      "boundingCube.local_max = (1.500000, 2.000000, 1.500000)\n"
      "boundingCube.p_local_min = (-1.500000, -2.000000, -1.500000)\n"
      "boundingCube.p_local_max = (1.500000, 2.000000, 1.500000)\n"
      "extensions:\n"
      "  zmObjectValue:\n"
      "    colour : red\n"
      "    unsupported value type!!!\n"
      "obj_flags = ef40\n"
      "rendering = (nil)\n"
      "timeout handlers:\n"
      "  function = (Tcl) onTick\n"
      "  user data = d1\n"
      "  expire = 80 sec 5 milli_sec\n"
      "  cycle = 0\n"
      "  task type = sporadic\n"
      "  function = (Tcl) onTick\n"
      "  user data = null\n"
      "  expire = 100 sec 250 milli_sec\n"
      "  cycle = 500\n"
      "  task type = periodic\n"
      "<pConeSide = ADDR>\n"
      "bottom_radius = 1.500000\n"
      "height = 4.000000\n"
      "rendering = (nil)\n"
      "<pCircle = ADDR>\n"
      "radius = 1.500000\n"
      "rendering = (nil)\n";
  EXPECT_EQ(masked(zmDumpZmObj(cone)), expected);

  cone->eventHandlers = nullptr;
  world->timeOutQueue = nullptr;
}

TEST_F(DumpTest, BareObjectKeepsItsHeadingsAndOtherLeavesAreNamedUnsupported) {
  ZmObj* tube = make("tube");
  zmAddLeaf(tube, 0, zmNewCylinderLeaf(ZM_PARTS_SIDES, 1, 1, 2));
  const std::string text = zmDumpZmObj(tube);
  EXPECT_NE(text.find("event handlers:\ncomment[0] = null\n"), std::string::npos);
  EXPECT_NE(text.find("extensions:\nobj_flags = "), std::string::npos);
  EXPECT_NE(text.find("timeout handlers:\n<a ZmLeaf .... (dump routine does not support yet)>\n"), std::string::npos);
}

TEST_F(DumpTest, FaceDumpListsFieldAddressesAndVertices) {
  ZmLeaf* faces = zmNewCubeLeaf(2, 2, 2);
  std::string text;
  zmDumpFace(text, static_cast<ZmFace*>(faces));
  EXPECT_EQ(masked(text),
            "<pFace = ADDR>\n&normal = ADDR\n&orthogonal_normal_valid = ADDR\n&face_type = ADDR\n&vertex = ADDR\n"
            "vertex[0] = (-1.000000, -1.000000, 1.000000)\nvertex[1] = (1.000000, -1.000000, 1.000000)\n"
            "vertex[2] = (1.000000, 1.000000, 1.000000)\nvertex[3] = (-1.000000, 1.000000, 1.000000)\n");
  zmDeleteAllLeaf(faces);
}

TEST_F(DumpTest, DeliveryToAFileOrTheNotifyWindow) {
  const std::string path = ::testing::TempDir() + "lumenfold_dump_test.txt";
  std::remove(path.c_str());
  EXPECT_EQ(zmDebugDumpMessage(path.c_str(), "one\n"), 0);
  EXPECT_EQ(zmDebugDumpMessage(path.c_str(), "two\n"), 0);
  std::ifstream file(path);
  std::stringstream contents;
  contents << file.rdbuf();
  EXPECT_EQ(contents.str(), "one\ntwo\n");
  std::remove(path.c_str());

  EXPECT_EQ(zmDebugDumpMessage("/nonexistent/dir/x.txt", "lost"), -1);
  zmDebugDumpMessage(nullptr, "shown\n");
  zmTurnOffFlag(ZM_FLAG_WARNING);
  zmDebugDumpMessage(nullptr, "hidden\n");
  EXPECT_EQ(sceneMessages,
            (std::vector<std::string>{"zmDebugDumpMessage : can not open '/nonexistent/dir/x.txt'.", "shown\n"}));
}

TEST_F(DumpTest, LongDumpsReachTheNotifyWindowWhole) {
  ZmObj* object = make("long");
  for (int i = 0; i < 300; ++i) {
    const std::string name = "value" + std::to_string(i);
    ASSERT_NE(zmNewValue(object, ZM_VALUE_STRING, name.c_str(), "abcdefghij", 1), nullptr);
  }
  ASSERT_EQ(zmDebugDumpZmObj(nullptr, object), 0);
  std::string joined;
  for (const std::string& chunk : sceneMessages) {
    EXPECT_LT(chunk.size(), static_cast<size_t>(ZM_REPORT_BUFFER));
    joined += chunk;
  }
  EXPECT_GT(sceneMessages.size(), 1u);
  EXPECT_EQ(joined, zmDumpZmObj(object));
}

}  // namespace
