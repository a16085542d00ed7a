// Lights and fixed-point lighting: settings, the values the lighting gives
// at its boundaries, far lights, spot cones and when relighting happens.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "engine/clump.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"
#include "engine/scene.h"
#include "engine_fixture.h"

namespace {

constexpr RwFixed fullLevel = 2031616;  // 31.0

class Lights : public OpenEngine {
 protected:
  void SetUp() override {
    OpenEngine::SetUp();
    scene = RwCreateScene();
    clump = RwCreateClump(0, 0);
    RwAddVertexToClump(clump, 0, 0, 0);
    RwAddVertexToClump(clump, 1, 0, 0);
    RwAddVertexToClump(clump, 0, 0, 1);
    const int32_t triangle[] = {1, 2, 3};
    polygon = RwAddPolygonToClump(clump, 3, triangle);
    RwAddClumpToScene(scene, clump);
    RwUpdateClumpHierarchy(clump);
    facing(0, 16384, 0);
    at(0, 0, 0);
  }
  // The surface the tests light: normal (2.14) and centre (units).
  void facing(int16_t x, int16_t y, int16_t z) {
    polygon->normal[0] = x;
    polygon->normal[1] = y;
    polygon->normal[2] = z;
  }
  void at(double x, double y, double z) {
    polygon->centre[0] = static_cast<RwFixed>(x * 65536);
    polygon->centre[1] = static_cast<RwFixed>(y * 65536);
    polygon->centre[2] = static_cast<RwFixed>(z * 65536);
  }
  RwFixed lit() {
    clump->lightingStamp = 0;
    RwLightClump(clump);
    return polygon->intensity[0];
  }
  RwLight* light(intptr_t kind, float x, float y, float z) {
    RwLight* made = RwCreateLight(kind, x, y, z, 1.0f);
    RwAddLightToScene(scene, made);
    return made;
  }
  RwScene* scene = nullptr;
  RwClump* clump = nullptr;
  RwPolygon* polygon = nullptr;
};

TEST_F(Lights, WithoutLightsOnlyTheAmbientPartRemains) {
  RwSetPolygonSurface(polygon, 1.0f, 1.0f, 1.0f);  // coefficients 255
  EXPECT_EQ(lit(), 255 * fullLevel >> 8);
  EXPECT_EQ(polygon->intensity[2], 2023680);
  clump->lightSampling = rwVertex;
  RwVertex* vertex = RwVertexAt(clump->vertexArray, 1);
  vertex->ambient = 128;
  lit();
  EXPECT_EQ(vertex->intensity[1], 128 * fullLevel >> 8);
}

TEST_F(Lights, ColourComponentsBecomeLevels) {
  struct Case {
    float component;
    uint8_t level;
  };
  const Case cases[] = {{1.5f, 31}, {1.0f, 31}, {INFINITY, 31}, {0.5f, 16}, {0.2f, 6}, {-0.5f, 0}, {-0.0f, 0}, {NAN, 0}};
  RwLight* made = light(rwDirectionalLight, 0, -1, 0);
  for (const Case& c : cases) {
    RwSetLightColor(made, c.component, 0.0f, 1.0f);
    EXPECT_EQ(made->colour[0], c.level) << c.component;
  }
}

TEST_F(Lights, TheSpecularTableIsTheSixteenthPower) {
  for (int i : {0, 64, 128, 179, 230, 255}) {
    double expected = std::pow(i / 256.0, 16) * 65536.0;
    EXPECT_NEAR(RwSpecularTableEntry(i), expected, 8.0) << i;
  }
}

// A unit normal (2.14) whose cosine with the light direction l is exactly
// `cosine` in 16.16, or none.
bool normalGiving(const int16_t* l, int32_t cosine, int16_t* normal) {
  const int64_t least = int64_t{cosine} << 12;
  for (int32_t nx = 0; nx <= 16384; ++nx) {
    int64_t rest = least - int64_t{l[0]} * nx;
    int64_t ny = (rest + l[1] - 1) / l[1];
    if (ny > 16384) continue;
    if (((int64_t{l[0]} * nx + l[1] * ny) >> 12) == cosine) {
      normal[0] = static_cast<int16_t>(nx);
      normal[1] = static_cast<int16_t>(ny);
      normal[2] = 0;
      return true;
    }
  }
  return false;
}

TEST_F(Lights, SpecularStartsAboveSevenTenths) {
  RwSetPolygonSurface(polygon, 0.0f, 0.5f, 1.0f);  // kd 128, ks 255
  RwLight* made = light(rwDirectionalLight, -3, -4, 0);
  lit();
  struct Case {
    int32_t cosine;
    RwFixed expected;
  };
  const Case cases[] = {
      {45875, 31 * (128 * 45875 >> 8)},
      {45876, 31 * ((128 * 45876 >> 8) + (255 * RwSpecularTableEntry(179) >> 8))},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(normalGiving(made->localDirection, c.cosine, polygon->normal));
    EXPECT_EQ(lit(), c.expected) << c.cosine;
  }
  facing(0, -16384, 0);  // facing away: nothing but ambient (0)
  EXPECT_EQ(lit(), 0);
}

TEST_F(Lights, ASpotLightLightsOnlyInsideItsCone) {
  RwSetPolygonSurface(polygon, 0.0f, 0.5f, 0.0f);
  light(rwSpotLight, 0, 10, 0);  // shining down, 30-degree cone
  const double toRadians = 3.14159265358979 / 180.0;
  at(10 * std::tan(31 * toRadians), 0, 0);
  EXPECT_EQ(lit(), 0);
  at(10 * std::tan(29 * toRadians), 0, 0);
  EXPECT_GT(lit(), 0);
}

TEST_F(Lights, PointLightsSkipTheConeTest) {
  RwSetPolygonSurface(polygon, 0.0f, 0.5f, 0.0f);
  RwLight* made = light(rwPointLight, 0, 0.5f, 0);
  made->cone = 0x7FFFFFFF;  // no surface could pass a cone test
  EXPECT_EQ(lit(), 31 * (128 * 65280 >> 8));
}

TEST_F(Lights, FarLightsLightLikeNearOnes) {
  RwSetPolygonSurface(polygon, 0.0f, 0.5f, 0.0f);
  struct Case {
    intptr_t kind;
    float x, y;
    double cosine;
  };
  const Case cases[] = {
      {rwPointLight, 0, 200, 255.0 / 256.0},  // capped at 65280
      {rwPointLight, 300, 300, std::sqrt(0.5)},
      {rwPointLight, 3, 3, std::sqrt(0.5)},
      {rwSpotLight, 0, 5000, 255.0 / 256.0},
  };
  for (const Case& c : cases) {
    RwLight* made = light(c.kind, c.x, c.y, 0);
    double reference = 31.0 * 128.0 * c.cosine * 65536.0 / 256.0;
    EXPECT_NEAR(lit(), reference, reference * 0.002) << c.x << "," << c.y;
    RwDestroyLight(made);
  }
}

TEST_F(Lights, RelightingHappensOnlyWhenTheStampOrTheMatrixChanged) {
  RwSetPolygonSurface(polygon, 0.0f, 0.5f, 0.0f);
  RwLight* made = light(rwDirectionalLight, 0, -1, 0);
  lit();
  auto relit = [&] {
    polygon->intensity[0] = -1;
    RwLightClump(clump);
    return polygon->intensity[0] != -1;
  };
  EXPECT_FALSE(relit());
  RwSetLightState(made, rwLightOn);  // already on: no change
  EXPECT_FALSE(relit());
  RwSetLightColor(made, 0.5f, 0.5f, 0.5f);
  EXPECT_TRUE(relit());
  RwMatrix turn;
  RwRotateMatrix(&turn, 1, 0, 0, 90, RwReplace);
  RwTransformClump(clump, &turn, RwReplace);
  RwUpdateClumpHierarchy(clump);
  EXPECT_TRUE(relit());
  EXPECT_EQ(polygon->intensity[0], 0);  // turned edge-on to the light
  EXPECT_FALSE(relit());
}

TEST_F(Lights, SettersRefuseWhatTheKindDoesNotHave) {
  EXPECT_EQ(RwCreateLight(4, 0, 0, 0, 1.0f), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrLightKind);
  RwLight* point = light(rwPointLight, 0, 1, 0);
  EXPECT_EQ(RwSetLightVector(point, 0, -1, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrLightKind);
  EXPECT_EQ(RwSetLightConeAngle(point, 10), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrNone);
  EXPECT_EQ(RwSetLightState(point, 3), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrState);
  RwLight* directional = RwCreateLight(rwDirectionalLight, 0, 0, 0, 1.0f);
  EXPECT_NE(directional, nullptr);  // a zero direction still gives a light
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);
  EXPECT_EQ(RwSetLightPosition(directional, 1, 1, 1), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrLightKind);
  EXPECT_EQ(RwDestroyLight(directional), 1);
}

}  // namespace

// However much light falls, a level stops at exactly 31.0: no higher, and
// not a step short of it.
TEST_F(Lights, SaturatedLightingGivesExactlyTheFullLevel) {
  struct Case {
    float ambient, diffuse, specular;
    int halfWhiteLights;  // straight above the surface, colour level 16
    RwFixed expected;
  };
  const RwFixed oneHalfLight = 16 * 65280;  // kd 255 x cosine 1.0, capped at 255/256
  const Case cases[] = {
      {0.0f, 1.0f, 0.0f, 1, oneHalfLight},  // below the top: untouched
      {0.0f, 1.0f, 0.0f, 2, fullLevel},     // two that alone stay below
      {1.0f, 1.0f, 0.0f, 1, fullLevel},     // ambient and one light
      {1.0f, 1.0f, 1.0f, 3, fullLevel},     // with highlights, far over
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.halfWhiteLights);
    std::vector<RwLight*> made;
    for (int i = 0; i < c.halfWhiteLights; ++i) {
      made.push_back(light(rwDirectionalLight, 0, -1, 0));
      RwSetLightColor(made.back(), 0.5f, 0.5f, 0.5f);
    }
    RwSetPolygonSurface(polygon, c.ambient, c.diffuse, c.specular);
    clump->lightSampling = rwFacet;
    lit();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(polygon->intensity[i], c.expected) << "facet channel " << i;
    // A vertex carries its own coefficients (255 for 1.0) and normal.
    clump->lightSampling = rwVertex;
    RwVertex* vertex = RwVertexAt(clump->vertexArray, 1);
    vertex->ambient = static_cast<uint8_t>(c.ambient * 255);
    vertex->diffuse = static_cast<uint8_t>(c.diffuse * 255);
    vertex->specular = static_cast<uint8_t>(c.specular * 255);
    vertex->normal[0] = vertex->normal[2] = 0;
    vertex->normal[1] = 16384;
    lit();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vertex->intensity[i], c.expected) << "vertex channel " << i;
    for (RwLight* one : made) RwDestroyLight(one);
  }
}
