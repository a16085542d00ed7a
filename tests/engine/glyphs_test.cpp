// The glyph shapes of 3-D text that the build generates: every code reads as
// a shape, the tag is the advance, and filled glyphs keep their holes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/clump.h"
#include "engine/matrix.h"
#include "engine/render.h"
#include "engine/scene.h"
#include "engine/shapefile.h"
#include "render_fixture.h"

namespace {

// Where the viewer finds them from a program's folder: "../lib/fonts".
std::string glyphPath(int code) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d.rwx", static_cast<signed char>(code));
  return std::string(LUMENFOLD_TOOLS_DIR) + "/../lib/fonts/" + name;
}

class Glyphs : public render_fixture::RecordingEngine {
 protected:
  RwClump* read(int code) {
    RwClump* glyph = RwReadShape(glyphPath(code).c_str());
    EXPECT_NE(glyph, nullptr) << glyphPath(code);
    return glyph;
  }

  // Moves the glyph so the middle of its box is at the origin, in front of
  // the camera, and tells whether the middle pixel picks it.
  bool middleIsFilled(int code) {
    RwClump* glyph = read(code);
    if (!glyph) return false;
    RwVector low, high;
    RwGetClumpBounds(glyph, &low, &high);
    RwMatrix* m = RwPushScratchMatrix();
    RwTranslateMatrix(m, -(low.x + high.x) / 2, -(low.y + high.y) / 2, 0, 1);
    RwTransformClump(glyph, m, 1);
    RwPopScratchMatrix();
    RwAddClumpToScene(RwGetDefaultScene(), glyph);
    lookAt(0.0f, 0.0f, 2.0f);
    RwPickRecord record = {};
    RwPickScene(RwGetDefaultScene(), width / 2, height / 2, camera, &record);
    RwDestroyClump(glyph);
    return record.kind == 1;
  }
};

TEST_F(Glyphs, EveryCodeReadsAndOnlyDrawableCharactersHavePolygons) {
  for (int code = 0; code < 256; ++code) {
    RwClump* glyph = read(code);
    ASSERT_NE(glyph, nullptr);
    const intptr_t polygons = RwGetClumpNumPolygons(glyph);
    const bool blank = code < 0x21 || code == 0x7F || code == 0xA0;
    if (blank) {
      EXPECT_EQ(polygons, 0) << code;
    } else if (code < 0x7F) {
      EXPECT_GT(polygons, 0) << code;
    }
    EXPECT_EQ(polygons % 2, 0) << "every face has its back face: " << code;
    RwDestroyClump(glyph);
  }
}

TEST_F(Glyphs, TagIsTheAdvanceInHundredthsOfTheEm) {
  struct Case {
    int code, lowest, highest;
  } cases[] = {{0, 0, 0}, {' ', 25, 40}, {'i', 20, 35}, {'A', 60, 75}, {'W', 90, 110}};
  for (const Case& c : cases) {
    RwClump* glyph = read(c.code);
    ASSERT_NE(glyph, nullptr);
    EXPECT_GE(RwGetClumpTag(glyph), c.lowest) << c.code;
    EXPECT_LE(RwGetClumpTag(glyph), c.highest) << c.code;
    RwDestroyClump(glyph);
  }
}

TEST_F(Glyphs, CountersStayOpenAndStrokesAreFilled) {
  EXPECT_FALSE(middleIsFilled('O'));
  EXPECT_FALSE(middleIsFilled('0'));
  EXPECT_TRUE(middleIsFilled('I'));
  EXPECT_TRUE(middleIsFilled('+'));
}

}  // namespace
