// Model scripts: the tokenizer, real-world files (capitals, comments, CRLF),
// prototypes, includes, hints and texture modes, every error the keywords
// raise, and the stacks a script must leave as it found them.
#include "engine/rwxscript.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/clump.h"
#include "engine/material.h"
#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/polygon.h"
#include "engine/rwxtoken.h"
#include "engine/shapefile.h"
#include "shape_fixture.h"

namespace {

using Script = ShapeFiles;

const std::string fixtures = std::string(LUMENFOLD_TEST_DATA) + "/rwx";

struct Depths {
  intptr_t ctm, joint, material;
  bool operator==(const Depths&) const = default;
};
Depths stackDepths() { return {RwCTMDepth(), RwJointDepth(), RwCurrentMaterialDepth()}; }

RwClump* interpret(const std::string& text) {
  std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  RwClump* clump = RwInterpretScript(stream);
  std::fclose(stream);
  return clump;
}

// Every polygon of the hierarchy, as its vertices' positions through the
// clumps' world matrices, in iteration order.
using Triangle = std::vector<RwVector>;
std::vector<Triangle> worldPolygons(RwClump* root) {
  std::vector<Triangle> polygons;
  RwForAllClumpsInHierarchy(
      root,
      [](RwClump* clump, void* out) {
        RwMatrix world;
        RwGetClumpLocalMatrix(clump, &world);
        struct Walk {
          std::vector<Triangle>* polygons;
          RwMatrix* world;
        } walk = {static_cast<std::vector<Triangle>*>(out), &world};
        RwForAllPolygonsInClumpWithData(
            clump,
            [](RwPolygon* p, void* data) {
              auto* w = static_cast<Walk*>(data);
              Triangle points;
              for (uint32_t i = 0; i < p->vertexCount; ++i) {
                RwVector v = p->vertices[i]->model;
                points.push_back(*RwTransformPoint(&v, w->world));
              }
              w->polygons->push_back(points);
              return p;
            },
            &walk);
        return clump;
      },
      &polygons);
  return polygons;
}

TEST(ScriptTokens, QuotesEscapesAndLineEnds) {
  const char text[] = "  word\t\"two words\" \"a\\\"b\\\\c\" \"open\r\nnext\n";
  std::FILE* stream = fmemopen(const_cast<char*>(text), sizeof text - 1, "r");
  char token[8];
  std::vector<std::string> tokens;
  int result;
  while ((result = RwReadToken(stream, token, sizeof token)) != -1) {
    tokens.push_back(result == 1 ? token : "<end>");
    if (result == 0) RwSkipLine(stream);
  }
  std::fclose(stream);
  // Tokens are cut to 7 characters; a quoted token stops at the line end.
  const std::vector<std::string> expected = {"word", "two wor", "a\"b\\c", "open", "<end>", "next", "<end>"};
  EXPECT_EQ(tokens, expected);
}

TEST(ScriptTokens, NumbersIgnoreTheLocaleAndTakeTheLongestPrefix) {
  int32_t i;
  float f;
  EXPECT_TRUE(RwParseInteger("+12abc", &i));
  EXPECT_EQ(i, 12);
  EXPECT_FALSE(RwParseInteger("x1", &i));
  EXPECT_FALSE(RwParseInteger("99999999999", &i));
  EXPECT_TRUE(RwParseFloat("-1.5e2,", &f));
  EXPECT_EQ(f, -150.0f);
  EXPECT_TRUE(RwParseFloat("1e-999", &f));
  EXPECT_EQ(f, 0.0f);
  EXPECT_FALSE(RwParseFloat("#1", &f));
}

TEST_F(Script, RealWorldFileWithCapitalsCommentsAndWindowsLineEnds) {
  Depths before = stackDepths();
  RwClump* cube = RwReadShape((fixtures + "/cube.rwx").c_str());
  ASSERT_NE(cube, nullptr) << RwGetError();
  EXPECT_EQ(RwGetClumpNumVertices(cube), 8);
  EXPECT_EQ(RwGetClumpNumPolygons(cube), 6);
  std::vector<Triangle> polygons = worldPolygons(cube);
  ASSERT_EQ(polygons.size(), 6u);
  EXPECT_EQ(polygons[0][0].x, 0.5f);
  EXPECT_EQ(polygons[0][0].z, -0.5f);
  EXPECT_EQ(stackDepths(), before);
  EXPECT_FALSE(RwIsModelBuilding());
  RwDestroyClump(cube);
  EXPECT_EQ(RwGetError(), rwErrNone);
}

TEST_F(Script, PrototypesHintsAndTextureModes) {
  RwClump* table = RwReadShape((fixtures + "/protos.rwx").c_str());
  ASSERT_NE(table, nullptr) << RwGetError();
  EXPECT_EQ(RwGetClumpNumPolygons(table), 6 + 4 * 6);
  EXPECT_EQ(RwGetClumpFlags(table), rwContainer | rwEditable);
  RwVector low, high;
  RwGetClumpBounds(table, &low, &high);
  EXPECT_NEAR(low.y, -1.0f, 1e-6f);  // legs from y = -1 up to 0
  EXPECT_NEAR(high.x, 1.0f, 1e-6f);  // the top
  EXPECT_NEAR(low.z, -0.5f, 1e-6f);
  for (const Triangle& polygon : worldPolygons(table)) EXPECT_GE(polygon[0].y, -1.0f - 1e-5f);
  std::vector<RwMaterial*> materials;
  RwForAllPolygonsInClumpWithData(
      table,
      [](RwPolygon* p, void* out) {
        static_cast<std::vector<RwMaterial*>*>(out)->push_back(p->material);
        return p;
      },
      &materials);
  EXPECT_EQ(materials[0]->textureModes & 7, rwTextureLit | rwTextureFilter);  // the top, made after texturemodes
  RwDestroyClump(table);
}

TEST_F(Script, QuotedIncludesNestedClumpsAndTags) {
  RwSetShapePath(fixtures.c_str(), rwReplacePath);
  RwClump* clump = RwReadShape("withinclude.rwx");
  ASSERT_NE(clump, nullptr) << RwGetError();
  std::vector<Triangle> polygons = worldPolygons(clump);
  ASSERT_EQ(polygons.size(), 2u);
  for (const Triangle& t : polygons) EXPECT_EQ(t[2].y, 3.0f);  // (0, 1, 0) moved up by 2
  RwDestroyClump(clump);

  RwClump* nested = RwReadShape("nested.rwx");
  ASSERT_NE(nested, nullptr);
  RwClump* child = RwFindTaggedClump(nested, 42);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(RwGetClumpParent(child), nested);
  EXPECT_EQ(RwGetClumpNumPolygons(child), 32);
  RwVector origin;
  RwGetClumpOrigin(child, &origin);
  EXPECT_EQ(origin.y, 3.0f);
  RwDestroyClump(nested);
}

// Regression: a script including itself nested without end.
TEST_F(Script, SelfIncludeFailsCleanly) {
  RwSetShapePath(fixtures.c_str(), rwReplacePath);
  Depths before = stackDepths();
  EXPECT_EQ(RwReadShape("self.rwx"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(stackDepths(), before);
  EXPECT_EQ(RwScriptNestingDepth(), 0);
  EXPECT_FALSE(RwIsModelBuilding());
}

TEST_F(Script, ErrorNumbers) {
  struct Case {
    const char* name;
    std::string text;
    int error;
    bool yieldsClump;
  };
  const std::string open = "modelbegin\nclumpbegin\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n";
  const std::string close = "clumpend\nmodelend\n";
  std::string manyIndices = "polygon 300";
  for (int i = 0; i < 300; ++i) manyIndices += " 1";
  const Case cases[] = {
      {"unknown keyword", open + "frobnicate\n" + close, rwErrBadWord, false},
      {"unknown vertex clause", open + "vertex 1 1 1 colour 1\n" + close, rwErrBadWord, false},
      {"unknown polygon clause", open + "triangle 1 2 3 flag 1\n" + close, rwErrBadWord, false},
      {"unknown texture clause", open + "texture brick bump b\n" + close, rwErrBadWord, false},
      {"missing argument", open + "translate 1 2\n" + close, rwErrBadArguments, false},
      {"uv without numbers", open + "vertex 1 1 1 uv 0\n" + close, rwErrBadArguments, false},
      {"end of file before modelend", open + "clumpend\n", rwErrBadArguments, false},
      {"lower-case Intrinsic", open + "surface intrinsic 1 1\n" + close, rwErrBadArguments, false},
      {"geometry word", open + "geometrysampling dotted\n" + close, rwErrGeometrySamplingWord, false},
      {"light word", open + "lightsampling gouraud\n" + close, rwErrLightSamplingWord, false},
      {"unknown prototype", open + "protoinstance nothing\n" + close, rwErrPrototypeName, false},
      {"prototype used inside itself", "modelbegin\nprotobegin p\nprotoinstance p\nprotoend\nmodelend\n",
       rwErrEmptyPrototype, false},
      {"zero rotation axis", open + "rotate 0 0 0 45\n" + close, rwErrZeroVector, false},
      {"zero joint axis", open + "rotatejoint 0 0 0 45\n" + close, rwErrZeroVector, false},
      {"modelbegin twice", "modelbegin\nmodelbegin\n", rwErrModelling, false},
      {"modelend without modelbegin", "modelend\n", rwErrNotModelling, false},
      {"transformend without transformbegin", open + "transformend\n" + close, rwErrNotModelling, false},
      {"materialend without materialbegin", open + "materialend\n" + close, rwErrNotModelling, false},
      {"protoend without protobegin", "modelbegin\nprotoend\n", rwErrNotModelling, false},
      {"modelend with a clump open", open + "modelend\n", rwErrOpenClumps, false},
      {"clumpend where protoend is due", "modelbegin\nprotobegin p\nblock 1 1 1\nclumpend\n", rwErrOpenClumps, false},
      {"protobegin inside a clump", open + "protobegin p\n", rwErrScriptClumpState, false},
      {"protobegin outside a model", "protobegin p\n", rwErrScriptModelState, false},
      {"vertex outside a clump", "modelbegin\nvertex 0 0 0\n", rwErrOutsideClump, false},
      {"primitive outside a clump", "modelbegin\nsphere 1 2\n", rwErrOutsideClump, false},
      {"hints outside a clump", "modelbegin\nhints hs\n", rwErrOutsideClump, false},
      {"no clump", "modelbegin\ntrace on\nmodelend\n", rwErrNoClump, false},
      {"polygon of two", open + "polygon 2 1 2\n" + close, rwErrTooFewVertices, true},
      {"polygon of 300", open + manyIndices + "\n" + close, rwErrTooManyVertices, true},
      {"primitive too large", open + "hemisphere 1 2000\n" + close, rwErrTooManyVertices, true},
      {"first error wins", open + "polygon 2 1 2\nsphere 1 100000\n" + close, rwErrTooFewVertices, true},
      {"trace word", open + "trace maybe\n" + close, rwErrScriptWord52, false},
      {"hint word", open + "hints hs shiny\n" + close, rwErrScriptName53, false},
      {"null among hints", open + "hints null hs\n" + close, rwErrScriptName53, false},
      {"alignment word", open + "axisalignment sideways\n" + close, rwErrAlignmentWord, false},
      {"texture mode word", open + "texturemodes lit shiny\n" + close, rwErrScriptName57, false},
      {"empty hint list", open + "hints # none\n" + close, rwErrScriptNameMissing58, false},
      {"empty mode list", open + "addtexturemode\n" + close, rwErrScriptNameMissing59, false},
      {"dithering word", open + "texturedithering sometimes\n" + close, rwErrScriptWord67, false},
      {"gamma word", open + "texturegammacorrection auto\n" + close, rwErrScriptWord68, false},
      {"vertex index out of range", open + "triangle 1 2 9\n" + close, rwErrVertexIndex, false},
      {"primitive argument", open + "cone 1 1 2\n" + close, rwErrBadCount, false},
      {"empty clump", "modelbegin\nclumpbegin\nclumpend\n", rwErrDegenerateFrame, false},
  };
  Depths before = stackDepths();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RwClump* clump = interpret(c.text);
    EXPECT_EQ(clump != nullptr, c.yieldsClump);
    EXPECT_EQ(RwGetAndClearError(), c.error);
    if (clump) RwDestroyClump(clump);
    EXPECT_EQ(stackDepths(), before);
    EXPECT_FALSE(RwIsModelBuilding());
    EXPECT_EQ(RwScriptNestingDepth(), 0);
  }
}

// Blank and comment lines count: the line is the one a caller can show.
TEST_F(Script, FailureLineIsTheLineTheScriptStoppedAt) {
  EXPECT_EQ(interpret("modelbegin\n# a comment\n\nclumpbegin\nfrobnicate\nclumpend\nmodelend\n"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrBadWord);
  EXPECT_EQ(RwGetScriptFailureLine(), 5);
  RwClump* clump = interpret("modelbegin\nclumpbegin\nblock 1 1 1\nclumpend\nmodelend\n");
  ASSERT_NE(clump, nullptr);
  EXPECT_EQ(RwGetScriptFailureLine(), 0);
  RwDestroyClump(clump);
}

TEST_F(Script, KeywordsThatLeaveTheScriptsStateBehind) {
  Depths before = stackDepths();
  RwClump* clump = interpret(
      "# no modelbegin: the first top-level clumpend completes the script\n"
      "transformbegin\n"
      "materialbegin\n"
      "jointtransformbegin\n"
      "trace on\n"
      "clumpbegin\n"
      "  Vertex 0 0 0 UV 0 0 Normal 0 0 1\n"
      "  vertex 1 0 0 # a comment\n"
      "  vertex 0 1 0\n"
      "  surface Intrinsic\n"
      "  texture null\n"
      "  texturemodes null\n"
      "  opacity 0.5\n"
      "  triangle 1 2 3 tag 5\n"
      "  axisalignment ZOrientY\n"
      "  transform 1 0 0 0 0 2 0 0 0 0 1 0 0 0 0 1\n"
      "  hemisphere 1 1\n"
      "clumpend\n"
      "this line is never read\n");
  ASSERT_NE(clump, nullptr) << RwGetError();
  EXPECT_EQ(RwGetError(), rwErrNone);
  EXPECT_EQ(stackDepths(), before);
  EXPECT_EQ(RwGetModellingTag(), 0);  // the trace setting is put back
  EXPECT_EQ(clump->alignment, 3);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 1 + 4);
  RwVector low, high;
  RwGetClumpBounds(clump, &low, &high);
  EXPECT_EQ(high.y, 2.0f);  // the hemisphere scaled by the transform line
  RwVector normal;
  RwGetPolygonNormal(RwVertexAt(clump->vertexArray, 1)->polygons[0], &normal);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 1)->normal[2], 16384);  // the given normal
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 1)->polygons[0]->tag, 5);
  RwDestroyClump(clump);
}

// While no texture module lends its functions, the texture lines are read
// and the script goes on: the material keeps no texture, and nothing fails.
TEST_F(Script, TextureLinesAreIgnoredWithoutTheTextureModule) {
  const RwModellingTextureLinks& textureModule = rwModellingTextureLinks();
  rwModellingTextureLinks.withdraw();
  RwClump* clump = interpret(
      "modelbegin\nclumpbegin\n"
      "vertex 0 0 0 uv 0.5 0.5\nvertex 1 0 0 uv 1 0\nvertex 0 1 0\n"
      "texture nosuchtexture mask nosuchmask\n"
      "texturedithering on\ntexturegammacorrection on\n"
      "triangle 1 2 3\n"
      "clumpend\nmodelend\n");
  rwModellingTextureLinks.provide(textureModule);
  ASSERT_NE(clump, nullptr) << RwGetError();
  EXPECT_EQ(RwGetError(), rwErrNone);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 1)->polygons[0]->material->texture, nullptr);
  RwDestroyClump(clump);
}

}  // namespace
