// Materials: float conversions, draw pairs, texture modes, the current
// material stack and the summary of a clump's materials.
#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "engine/clump.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"
#include "engine/rasters.h"
#include "engine/texture.h"
#include "engine_fixture.h"

namespace {

class Materials : public OpenEngine {
 protected:
  void SetUp() override {
    OpenEngine::SetUp();
    material = RwCreateMaterial();
    ASSERT_NE(material, nullptr);
  }
  void TearDown() override {
    RwDestroyMaterial(material);
    OpenEngine::TearDown();
  }
  RwMaterial* material = nullptr;
};

TEST_F(Materials, DefaultsAreSolidFacetOpaqueBlackAndLit) {
  EXPECT_EQ(material->pairIndex, 4);
  EXPECT_EQ(material->opacity, 255);
  EXPECT_EQ(material->colour, 0u);
  EXPECT_EQ(material->textureModes, rwTextureLit);
  EXPECT_EQ(material->referenceCount, 1u);
  EXPECT_EQ(material->drawRoutine, rwDeviceRecord.renderers[4].plain);
}

TEST_F(Materials, FloatsConvertByTheirBits) {
  struct Case {
    float value;
    uint8_t opacity;
    uint8_t coefficient;
  };
  const Case cases[] = {
      {0.5f, 128, 128}, {0.999f, 252, 255}, {1.0f, 255, 255}, {7.0f, 255, 255},
      {-0.25f, 0, 0},   {-0.0f, 0, 0},      {0.01f, 0, 2},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(RwSetMaterialOpacity(material, c.value), material);
    ASSERT_EQ(RwSetMaterialSurface(material, c.value, 0, c.value), material);
    EXPECT_EQ(material->opacity, c.opacity) << c.value;
    EXPECT_EQ(material->ambient, c.coefficient) << c.value;
    EXPECT_EQ(material->specular, c.coefficient) << c.value;
  }
  RwSetMaterialDiffuse(material, 0.25f);
  EXPECT_EQ(material->diffuse, 64);
  EXPECT_EQ(material->specular, 2);  // the single setters leave the others

  // A channel of 1.0 is 65535 (high byte 255); the null device keeps bytes
  // at bits 24, 16 and 8.
  RwSetMaterialColor(material, 1.0f, 0.5f, -3.0f);
  EXPECT_EQ(material->colour, 0xFF800000u);
}

TEST_F(Materials, PairFollowsSamplingOpacityAndTexture) {
  RwRaster raster = {};
  RwTexture texture = {};
  texture.raster = &raster;
  ASSERT_EQ(RwSetMaterialLightSampling(material, rwVertex), material);
  ASSERT_EQ(RwSetMaterialTexture(material, &texture), material);
  EXPECT_EQ(material->pairIndex, 9);
  RwSetMaterialOpacity(material, 0.5f);
  EXPECT_EQ(material->pairIndex, 11);
  RwSetMaterialTexture(material, nullptr);
  EXPECT_EQ(material->pairIndex, 7);
  RwSetMaterialGeometrySampling(material, rwWireframe);
  EXPECT_EQ(material->pairIndex, 3);
  RwSetMaterialOpacity(material, 1.0f);
  EXPECT_EQ(material->pairIndex, 3);
  RwSetMaterialLightSampling(material, rwFacet);
  EXPECT_EQ(material->pairIndex, 2);
  RwSetMaterialGeometrySampling(material, rwPointCloud);
  EXPECT_EQ(material->pairIndex, 0);
  EXPECT_EQ(material->zDrawRoutine, rwDeviceRecord.renderers[0].depthBuffered);
}

// Every renderer of the null device is the same routine: the classes must
// come from the remembered pair, not from routine addresses.
TEST_F(Materials, ClassesAreReadFromThePairIndexOnTheNullDevice) {
  RwSetMaterialGeometrySampling(material, rwWireframe);
  RwSetMaterialLightSampling(material, rwVertex);
  EXPECT_EQ(RwGetMaterialGeometrySampling(material), rwWireframe);
  EXPECT_EQ(RwGetMaterialLightSampling(material), rwVertex);
  EXPECT_EQ(material->pairIndex, 3);
  EXPECT_EQ(RwGetError(), 0);
}

TEST_F(Materials, RefusedValuesRaiseTheirErrorsAndChangeNothing) {
  RwTexture rasterless = {};
  struct Case {
    const char* what;
    RwMaterial* (*apply)(RwMaterial*, RwTexture*);
    int error;
  };
  const Case cases[] = {
      {"geometry 4", [](RwMaterial* m, RwTexture*) { return RwSetMaterialGeometrySampling(m, 4); }, rwErrGeometrySampling},
      {"light 3", [](RwMaterial* m, RwTexture*) { return RwSetMaterialLightSampling(m, 3); }, rwErrLightSampling},
      {"no raster", [](RwMaterial* m, RwTexture* t) { return RwSetMaterialTexture(m, t); }, rwErrorCap},  // 83 reads back as 71
      {"add 8", [](RwMaterial* m, RwTexture*) { return RwAddMaterialTextureModes(m, 8); }, rwErrTextureModes},
      {"set 9", [](RwMaterial* m, RwTexture*) { return RwSetMaterialTextureModes(m, 9); }, rwErrTextureModes},
      {"remove 8", [](RwMaterial* m, RwTexture*) { return RwRemoveMaterialTextureModes(m, 8); }, rwErrTextureModes},
      {"null", [](RwMaterial*, RwTexture*) { return RwSetMaterialOpacity(nullptr, 1); }, rwErrInvalidArgument},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.apply(material, &rasterless), nullptr) << c.what;
    EXPECT_EQ(RwGetAndClearError(), c.error) << c.what;
    EXPECT_EQ(material->pairIndex, 4) << c.what;
    EXPECT_EQ(material->textureModes, rwTextureLit) << c.what;
    EXPECT_EQ(material->texture, nullptr) << c.what;
  }
}

TEST_F(Materials, TextureModesSetAddAndRemoveKeepingTheHighBits) {
  material->textureModes = 0x80 | rwTextureLit;
  RwAddMaterialTextureModes(material, rwTextureFilter);
  EXPECT_EQ(material->textureModes, 0x80 | rwTextureLit | rwTextureFilter);
  RwRemoveMaterialTextureModes(material, rwTextureLit);
  EXPECT_EQ(material->textureModes, 0x80 | rwTextureFilter);
  RwSetMaterialTextureModes(material, rwTextureForeshorten);
  EXPECT_EQ(material->textureModes, 0x80 | rwTextureForeshorten);
}

TEST_F(Materials, CloneCopiesTheLookButNotTheCount) {
  RwSetMaterialColor(material, 1, 1, 1);
  RwSetMaterialOpacity(material, 0.5f);
  material->referenceCount = 3;
  RwMaterial* copy = RwCloneMaterial(material);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->colour, material->colour);
  EXPECT_EQ(copy->pairIndex, 6);
  EXPECT_EQ(copy->referenceCount, 1u);
  material->referenceCount = 1;
  RwDestroyMaterial(copy);
  EXPECT_EQ(RwCloneMaterial(nullptr), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
}

TEST_F(Materials, StackPushesCopiesPopsAndMakesTheTopWritable) {
  RwMaterial* base = RwCurrentMaterial();
  EXPECT_EQ(RwPopCurrentMaterial(), base);  // depth 0: nothing changes
  EXPECT_EQ(RwCurrentMaterialDepth(), 0);
  RwSetMaterialOpacity(base, 0.5f);
  RwMaterial* top = RwPushCurrentMaterial();
  ASSERT_NE(top, base);
  EXPECT_EQ(top->pairIndex, 6);
  EXPECT_EQ(RwCurrentMaterialDepth(), 1);

  // A shared top is replaced by a private copy; RwSetColor works on it.
  ++top->referenceCount;
  ASSERT_EQ(RwSetColor(1, 0, 0), 1);
  RwMaterial* writable = RwCurrentMaterial();
  EXPECT_NE(writable, top);
  EXPECT_EQ(writable->colour, 0xFF000000u);
  EXPECT_EQ(top->referenceCount, 1u);
  EXPECT_EQ(top->colour, 0u);
  RwDestroyMaterial(top);  // the reference this test took

  EXPECT_EQ(RwPopCurrentMaterial(), base);
  // The popped top stays in its slot and the next push reuses it.
  EXPECT_EQ(RwPushCurrentMaterial(), writable);
  EXPECT_EQ(writable->colour, base->colour);
  for (int i = 0; i < 40; ++i) ASSERT_NE(RwPushCurrentMaterial(), nullptr);  // past the 32 slots
  EXPECT_EQ(RwCurrentMaterialDepth(), 41);
}

TEST_F(Materials, ClassifyingAClumpSummarisesItsPolygonsPairs) {
  RwClump* clump = RwCreateClump(0, 0);
  RwAddVertexToClump(clump, 0, 0, 0);
  RwAddVertexToClump(clump, 1, 0, 0);
  RwAddVertexToClump(clump, 0, 1, 0);
  const int32_t triangle[] = {1, 2, 3};
  RwPolygon* first = RwAddPolygonToClump(clump, 3, triangle);
  RwPolygon* second = RwAddPolygonToClump(clump, 3, triangle);
  ASSERT_TRUE(first && second);

  RwClassifyClumpMaterials(clump);
  EXPECT_EQ(clump->drawChoice.uniform, 1u);
  EXPECT_EQ(clump->drawChoice.reevaluate, 0u);
  EXPECT_EQ(clump->lightSampling, rwFacet);

  RwSetPolygonLightSampling(second, rwVertex);
  EXPECT_EQ(clump->drawChoice.reevaluate, 1u);
  RwClassifyClumpMaterials(clump);
  EXPECT_EQ(clump->drawChoice.uniform, 0u);
  EXPECT_EQ(clump->lightSampling, rwFacet | rwVertex);
  RwDestroyClump(clump);
}

// The polygons a material lists as its users, as a set.
std::set<RwPolygon*> usersOf(RwMaterial* material) {
  std::set<RwPolygon*> users;
  if (!material->users) return users;
  for (uintptr_t i = 0; i < material->users->count; ++i)
    users.insert(static_cast<RwPolygon*>(RwPtrArrayEntry(material->users, i)));
  return users;
}

TEST_F(Materials, UserListsStayExactWhateverOrderPolygonsLeaveIn) {
  RwMaterial* other = RwCreateMaterial();
  RwClump* clump = RwCreateClump(0, 0);
  RwAddVertexToClump(clump, 0, 0, 0);
  RwAddVertexToClump(clump, 1, 0, 0);
  RwAddVertexToClump(clump, 0, 1, 0);
  const int32_t triangle[] = {1, 2, 3};
  constexpr int count = 64;
  std::vector<RwPolygon*> polygons;
  std::set<RwPolygon*> onMaterial, onOther;
  for (int i = 0; i < count; ++i) {
    RwPolygon* polygon = RwAddPolygonToClump(clump, 3, triangle);
    ASSERT_NE(polygon, nullptr);
    ASSERT_EQ(RwAssignPolygonMaterial(polygon, material), 1);
    polygons.push_back(polygon);
    onMaterial.insert(polygon);
  }
  // Every third moves to the other material, and one of them back again.
  for (int i = 0; i < count; i += 3) {
    ASSERT_EQ(RwAssignPolygonMaterial(polygons[i], other), 1);
    onMaterial.erase(polygons[i]);
    onOther.insert(polygons[i]);
  }
  ASSERT_EQ(RwAssignPolygonMaterial(polygons[30], material), 1);
  onOther.erase(polygons[30]);
  onMaterial.insert(polygons[30]);
  EXPECT_EQ(usersOf(material), onMaterial);
  EXPECT_EQ(usersOf(other), onOther);
  // Destroyed in a scattered order, neither first nor last first.
  for (int step = 0; step < count; ++step) {
    RwPolygon* polygon = polygons[(step * 37) % count];
    onMaterial.erase(polygon);
    onOther.erase(polygon);
    ASSERT_EQ(RwDestroyPolygon(polygon), 1);
    ASSERT_EQ(usersOf(material), onMaterial) << "after " << step + 1;
    ASSERT_EQ(usersOf(other), onOther) << "after " << step + 1;
  }
  RwDestroyClump(clump);
  RwDestroyMaterial(other);
}

#ifndef NDEBUG
TEST_F(Materials, DestroyingMoreOftenThanReferencedStops) {
  material->referenceCount = 0;  // every reference already given back
  EXPECT_DEATH(RwDestroyMaterial(material), "^RwDestroyMaterial: a material is destroyed once per reference");
  material->referenceCount = 1;
}
#endif

}  // namespace
