// The scene commands end to end on the fixture world: what a script
// changes is what the scene core holds afterwards.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/material.h"
#include "core/objvalue.h"
#include "core/transform.h"
#include "core/vecmath.h"
#include "tests/script/command_fixture.h"

namespace {

std::vector<float> numbers(const std::string& text) {
  std::istringstream words(text);
  std::vector<float> values;
  for (float value; words >> value;) values.push_back(value);
  return values;
}

class SceneCommandTest : public CommandTest {
 protected:
  std::string ok(const std::string& script) {
    std::string text;
    EXPECT_EQ(run(script, &text), TCL_OK) << script << " -> " << text;
    return text;
  }
  ZmObj* cube() { return zmGetChildObjByPath(boxObject(), "cube"); }
};

TEST_F(SceneCommandTest, FoundObjectsMoveAndTurnAsReadBack) {
  EXPECT_EQ(ok("expr {[zmGetObjByName box.cube] == $cube && [zmGetObjByName $box cube] == $cube}"), "1");
  // The box moves in world axes; its child follows.
  EXPECT_EQ(ok("zmTranslate $box 0 0 -3 1 1"), "0");
  EXPECT_EQ(ok("zmGetObjWRT $cube x y z; list $x $y $z"), "1.000000 2.000000 0.000000");
  // The cube turns in its own axes, absolutely: its place stays.
  EXPECT_EQ(ok("zmRotateAngle $cube 0 0 90 0 0"), "0");
  std::vector<float> local =
      numbers(ok("zmGetObjLRT $cube x y z a b c d e f g h i; list $x $y $z $a $b $c $d $e $f $g $h $i"));
  ASSERT_EQ(local.size(), 12u);
  float turn[9];
  zmMat3FromAngles(0, 0, 3.14159265358979323846 / 2, turn);
  EXPECT_NEAR(local[0], 1, 1e-5);
  EXPECT_NEAR(local[1], 2, 1e-5);
  EXPECT_NEAR(local[2], 3, 1e-5);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(local[3 + i], turn[i], 1e-5) << i;
  const ZmRT* held = zmGetLRT(cube());
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(held->m[i], turn[i], 1e-5) << i;
}

TEST_F(SceneCommandTest, MaterialsSetOnAScopeAreReadOnItsLeaves) {
  EXPECT_EQ(ok("zmSetObjAllMaterial $box 1 0.2 0.3 0.4"), "0");  // the whole subtree: the cube's faces too
  EXPECT_EQ(ok("zmGetPartAmbient $face r g b; list $r $g $b"), "0.200000 0.300000 0.400000");
  EXPECT_EQ(ok("zmSetPartSpecular $face 0.5 0.6 0.7 0.1 0.2 0.3"), "0");
  auto* specular = static_cast<ZmMFColor*>(zmGetLeafMaterial(cube()->leaf, 3));
  ASSERT_NE(specular, nullptr);
  ASSERT_EQ(specular->count, 2);
  EXPECT_FLOAT_EQ(specular->values[1].g, 0.2f);
  EXPECT_EQ(ok("zmGetPartSpecular $face r g b r2 g2 b2; list $r2 $g2 $b2"), "0.100000 0.200000 0.300000");
  EXPECT_EQ(ok("zmSetObjMaterial $cube 6 0.5 0.25; zmGetObjMaterial $cube 6 t0 t1; list $t0 $t1"),
            "0.500000 0.250000");
}

TEST_F(SceneCommandTest, ObjectsAddedFromFilesAndTextsLeaveNoTemporaryFile) {
  std::filesystem::path temporary = folder / "tmp";
  std::filesystem::create_directories(temporary);
  setenv("TEMP", temporary.c_str(), 1);
  std::string added = ok("zmAddObjFromFile $box " LUMENFOLD_TEST_DATA "/added.wrl");
  ASSERT_NE(added, "0");
  EXPECT_EQ(reinterpret_cast<ZmObj*>(std::stoull(added))->parent, boxObject());
  EXPECT_EQ(ok("expr {[zmGetObjByName $box added -r] != 0}"), "1");
  std::string fromText = ok("zmAddObjFromStr 0 {#VRML V1.0 ascii\nSeparator { DEF pebble Separator { Sphere { } } }}");
  EXPECT_EQ(ok("expr {[zmGetObjByName pebble] == " + fromText + "}"), "1");
  EXPECT_EQ(reinterpret_cast<ZmObj*>(std::stoull(fromText))->parent, nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
  unsetenv("TEMP");
}

TEST_F(SceneCommandTest, NamedValuesAndReadOnlyOnes) {
  EXPECT_EQ(ok("zmNewVariable $box door open ro"), "open");
  std::string text;
  EXPECT_EQ(run("zmSetVariable $box door shut", &text), TCL_ERROR);
  EXPECT_EQ(text, "zmSetVariable [door] failed.");
  EXPECT_EQ(ok("zmGetVariable $box door"), "open");
  EXPECT_EQ(ok("zmNewVariable $box lamp off; zmSetVariable $box lamp on"), "on");
  EXPECT_STREQ(zmGetObjValue(boxObject(), ZM_VALUE_STRING, "lamp"), "on");
  EXPECT_EQ(ok("zmDelVariable $box lamp"), "");
  EXPECT_EQ(run("zmGetVariable $box lamp", &text), TCL_ERROR);
  EXPECT_EQ(text, "zmGetVariable [lamp] failed.");
}

}  // namespace
