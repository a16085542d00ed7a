// Materials: copying lists into leaves, the object and subtree forms.
#include "tests/core/scene_fixture.h"

#include "core/material.h"

using MaterialTest = SceneTest;

static ZmMFColor colours(std::vector<ZmSFColor>& values) {
  return {static_cast<int32_t>(values.size()), values.empty() ? nullptr : values.data()};
}

TEST_F(MaterialTest, SettingCopiesAndResizes) {
  ZmLeaf* leaf = zmNewSphereLeaf();
  sceneNames[leaf] = "sphere";
  std::vector<ZmSFColor> one = {{0.1f, 0.2f, 0.3f}};
  std::vector<ZmSFColor> two = {{1, 0, 0}, {0, 1, 0}};
  ZmMFColor list = colours(one);
  ASSERT_EQ(zmSetLeafDiffuseColor(leaf, &list), 0);
  ZmMFColor* stored = zmGetLeafDiffuseColor(leaf);
  ASSERT_EQ(stored->count, 1);
  EXPECT_NE(stored->values, one.data());
  EXPECT_EQ(stored->values[0].g, 0.2f);
  ZmSFColor* firstArray = stored->values;

  list = colours(two);
  ASSERT_EQ(zmSetLeafMaterial(leaf, &list, ZM_MATERIAL_DIFFUSE), 0);
  ASSERT_EQ(stored->count, 2);
  EXPECT_EQ(stored->values[1].g, 1.0f);
  (void)firstArray;

  // The same count only copies.
  two[0] = {0.5f, 0.5f, 0.5f};
  ZmSFColor* before = stored->values;
  ASSERT_EQ(zmSetLeafDiffuseColor(leaf, &list), 0);
  EXPECT_EQ(stored->values, before);
  EXPECT_EQ(stored->values[0].r, 0.5f);

  // An empty list stores {0, null} without allocating.
  ZmMFColor empty = {0, nullptr};
  ASSERT_EQ(zmSetLeafDiffuseColor(leaf, &empty), 0);
  EXPECT_EQ(stored->count, 0);
  EXPECT_EQ(stored->values, nullptr);
  EXPECT_TRUE(sceneMessages.empty());

  float shine[] = {0.25f};
  ZmMFFloat floats = {1, shine};
  ASSERT_EQ(zmSetLeafShininess(leaf, &floats), 0);
  EXPECT_EQ(zmGetLeafShininess(leaf)->values[0], 0.25f);
  EXPECT_EQ(sceneCalls, std::vector<std::string>(5, "renderSetMaterial sphere"));
  zmDeleteLeaf(leaf);
}

TEST_F(MaterialTest, RefusalsLeaveTheRecordAlone) {
  ZmLeaf* leaf = zmNewSphereLeaf();
  ZmLight* light = zmNewPointLight();
  std::vector<ZmSFColor> one = {{1, 1, 1}};
  ZmMFColor list = colours(one);
  struct { ZmLeaf* leaf; int attribute; const char* message; } cases[] = {
      {light, 2, "zmSetLeafMaterialColor: LeafType is invalid\n"},
      {leaf, 5, "zmSetLeafMaterialColor: attribute is invalid\n"},
      {leaf, 7, "zmSetLeafMaterial: attribute is invalid\n"},
  };
  for (const auto& c : cases) {
    sceneMessages.clear();
    int result = c.attribute == 5 ? zmSetLeafMaterialColor(c.leaf, &list, c.attribute)
                                  : zmSetLeafMaterial(c.leaf, &list, c.attribute);
    EXPECT_EQ(result, -1) << c.message;
    EXPECT_EQ(sceneMessages, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(static_cast<ZmShape*>(leaf)->material->ambient_color.count, 0);
  sceneMessages.clear();
  EXPECT_EQ(zmGetLeafMaterial(leaf, 7), nullptr);
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"zmGetLeafMaterial: attribute is invalid\n"});
  EXPECT_EQ(zmGetLeafMaterial(light, 2), nullptr);

  // A count without an array is reported when the material goes.
  ZmMaterial broken = {};
  broken.transparency.count = 3;
  sceneMessages.clear();
  zmDeleteMaterial(&broken);
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"zmDeleteMaterial: transparency is invalid\n"});
  zmDeleteLeaf(leaf);
  zmFree(light);
}

TEST_F(MaterialTest, ObjectAndSubtreeForms) {
  ZmObj* group = make("group");
  ZmObj* lamp = make("lamp", group);
  ZmObj* box = make("box", group);
  ZmObj* inner = make("inner", box);
  zmAddLeaf(lamp, 0, zmNewPointLight());
  zmAddLeaf(box, 0, zmNewCubeLeaf(1, 1, 1));
  zmAddLeaf(inner, 0, zmNewSphereLeaf());
  std::vector<ZmSFColor> red = {{1, 0, 0}};
  ZmMFColor list = colours(red);

  EXPECT_EQ(zmSetObjEmissiveColor(lamp, &list), 0);  // a light: nothing changes
  EXPECT_TRUE(sceneCalls.empty());
  EXPECT_EQ(zmGetSubtreeEmissiveColor(group)->count, 0);  // first shape found below: the cube

  EXPECT_EQ(zmSetSubtreeEmissiveColor(group, &list), 0);
  EXPECT_EQ(sceneCalls.size(), 7u);  // six faces and the sphere
  EXPECT_EQ(zmGetObjEmissiveColor(inner)->values[0].r, 1.0f);
  EXPECT_EQ(zmGetSubtreeEmissiveColor(group), zmGetLeafEmissiveColor(box->leaf));

  sceneCalls.clear();
  EXPECT_EQ(zmReapplyObjAndChildrenMaterial(group), 0);
  EXPECT_EQ(sceneCalls.size(), 6u);  // the cube only: the grandchild is not reached

  hooks.viewer->renderSetMaterial = [](ZmLeaf*) { return -1; };
  EXPECT_EQ(zmSetSubtreeEmissiveColor(group, &list), -1);
  EXPECT_EQ(zmReapplyObjMaterial(box), -1);
}

TEST_F(MaterialTest, ColourLists) {
  ZmMFColor* list = zmNewZmMFColor(3);
  ASSERT_NE(list, nullptr);
  zmSetZmMFColorAt(list, 2, 0.5f, 0.25f, 1.0f);
  float r, g, b;
  zmGetZmMFColorAt(list, 2, &r, &g, &b);
  EXPECT_EQ(g, 0.25f);
  zmGetZmMFColorAt(list, 0, &r, &g, &b);
  EXPECT_EQ(r + g + b, 0.0f);
  zmDeleteZmMFColorList(list);
  zmDeleteZmMFColorList(nullptr);
  EXPECT_EQ(zmNewZmMFColor(0), nullptr);
  EXPECT_EQ(fatalTexts(), std::vector<std::string>{"zmNewZmMFColor: zmMalloc failed\n"});
}

// Leaves built in bulk share equal material lists; a change made to one of
// them through any writer stays with that leaf.
TEST_F(MaterialTest, SharedListsAreCopiedBeforeAWrite) {
  ZmSlab* slab = zmNewSlab();
  ASSERT_NE(slab, nullptr);
  ZmSlab* before = zmUseSlab(slab);
  auto* first = static_cast<ZmShape*>(zmNewShape(ZM_LEAF_SPHERE));
  auto* second = static_cast<ZmShape*>(zmNewShape(ZM_LEAF_SPHERE));
  std::vector<ZmSFColor> grey = {{0.5f, 0.5f, 0.5f}};
  std::vector<ZmSFColor> red = {{1, 0, 0}};
  ZmMFColor greyList = colours(grey), redList = colours(red);
  ASSERT_EQ(zmSetLeafDiffuseColor(first, &greyList), 0);
  ASSERT_EQ(zmSetLeafAmbientColor(first, &greyList), 0);

  // Each writer in turn: the material setter, and the field copy that
  // writes into an array of the same length in place.
  using Writer = void (*)(ZmShape*, const ZmMFColor*);
  const Writer writers[] = {
      [](ZmShape* leaf, const ZmMFColor* list) { ASSERT_EQ(zmSetLeafDiffuseColor(leaf, list), 0); },
      [](ZmShape* leaf, const ZmMFColor* list) {
        ASSERT_EQ(zmGFcopyMFColor(&zmOwnLeafMaterial(leaf)->diffuse_color, list), 0);
      },
  };
  for (Writer write : writers) {
    ASSERT_EQ(zmShareMaterial(zmOwnLeafMaterial(second), first->material), 0);
    EXPECT_EQ(second->material->count, first->material->count);
    EXPECT_EQ(second->material->diffuse_color.values, first->material->diffuse_color.values);
    write(second, &redList);
    EXPECT_NE(second->material->diffuse_color.values, first->material->diffuse_color.values);
    EXPECT_EQ(second->material->diffuse_color.values[0].r, 1.0f);
    EXPECT_EQ(first->material->diffuse_color.values[0].r, 0.5f);
    EXPECT_EQ(second->material->ambient_color.values, first->material->ambient_color.values);
  }
  // Deleting one leaf leaves the other's lists readable (the sanitizers
  // would catch a read of a fenced-off block).
  zmDeleteLeaf(first);
  EXPECT_EQ(second->material->ambient_color.values[0].g, 0.5f);
  zmDeleteLeaf(second);
  zmUseSlab(before);
  zmDeleteSlab(slab);
}

// The faces of a face set hold one material record; whichever writes first
// gets a record of its own, the others keep theirs, and the record (with
// its lists) lives until its last holder goes. Shapes made outside a slab
// take copies instead of shares.
TEST_F(MaterialTest, LeavesShareOneRecordUntilOneWrites) {
  std::vector<ZmSFColor> grey = {{0.5f, 0.5f, 0.5f}};
  std::vector<ZmSFColor> red = {{1, 0, 0}};
  ZmMFColor greyList = colours(grey), redList = colours(red);
  for (bool inSlab : {true, false}) {
    ZmSlab* slab = inSlab ? zmNewSlab() : nullptr;
    ZmSlab* before = zmUseSlab(slab);
    std::vector<ZmShape*> leaves;
    for (int i = 0; i < 3; ++i) leaves.push_back(static_cast<ZmShape*>(zmNewShape(ZM_LEAF_FACE)));
    EXPECT_EQ(leaves[0]->material, &zmNoMaterial) << inSlab;
    ASSERT_EQ(zmSetLeafDiffuseColor(leaves[0], &greyList), 0);
    EXPECT_EQ(zmNoMaterial.diffuse_color.count, 0) << "the shared empty record is never written";
    for (int i = 1; i < 3; ++i) ASSERT_EQ(zmSetLeafMaterialRecord(leaves[i], leaves[0]->material), 0);
    EXPECT_EQ(leaves[1]->material == leaves[0]->material, inSlab);
    EXPECT_EQ(leaves[1]->material->diffuse_color.values[0].g, 0.5f) << inSlab;

    ASSERT_EQ(zmSetLeafDiffuseColor(leaves[1], &redList), 0);
    EXPECT_NE(leaves[1]->material, leaves[0]->material);
    EXPECT_EQ(leaves[1]->material->diffuse_color.values[0].r, 1.0f);
    for (int i : {0, 2}) EXPECT_EQ(leaves[i]->material->diffuse_color.values[0].r, 0.5f) << i << inSlab;

    zmDeleteLeaf(leaves[0]);
    EXPECT_EQ(leaves[2]->material->diffuse_color.values[0].b, 0.5f) << inSlab;
    zmDeleteLeaf(leaves[2]);
    zmDeleteLeaf(leaves[1]);
    zmUseSlab(before);
    zmDeleteSlab(slab);
  }
}

TEST_F(MaterialTest, AFailedCopyLeavesTheSharedRecordInPlace) {
  std::vector<ZmSFColor> red = {{1, 0, 0}};
  ZmMFColor redList = colours(red);
  ZmSlab* slab = zmNewSlab();
  ZmSlab* before = zmUseSlab(slab);
  auto* first = static_cast<ZmShape*>(zmNewShape(ZM_LEAF_FACE));
  auto* second = static_cast<ZmShape*>(zmNewShape(ZM_LEAF_FACE));
  ASSERT_EQ(zmSetLeafDiffuseColor(first, &redList), 0);
  ASSERT_EQ(zmSetLeafMaterialRecord(second, first->material), 0);
  zmFailAllocationsAfter(0);
  EXPECT_EQ(zmOwnLeafMaterial(second), nullptr);
  EXPECT_EQ(zmSetLeafDiffuseColor(second, &redList), -1);
  zmFailAllocationsAfter(-1);
  EXPECT_EQ(second->material, first->material);
  zmDeleteLeaf(first);
  EXPECT_EQ(second->material->diffuse_color.values[0].r, 1.0f);
  zmDeleteLeaf(second);
  zmUseSlab(before);
  zmDeleteSlab(slab);
}
