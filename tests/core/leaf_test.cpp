// Leaves: defaults of every kind, the cube, cone and cylinder builders,
// chains and searches.
#include "tests/core/scene_fixture.h"

using LeafTest = SceneTest;

static std::vector<int32_t> kindsOf(ZmLeaf* chain) {
  std::vector<int32_t> kinds;
  for (; chain; chain = chain->next) kinds.push_back(chain->kind);
  return kinds;
}

TEST_F(LeafTest, ShapesLightsAndCamerasStartWithTheirDefaults) {
  ZmAsciiText* text = zmNewAsciiTextLeaf();
  EXPECT_EQ(text->kind, 1);
  EXPECT_EQ(text->textSize, 10.0f);
  EXPECT_EQ(text->textWord2, 1);
  EXPECT_EQ(text->spacing, 1.0f);
  EXPECT_EQ(text->leafFlags, ZM_LEAF_GOURAUD);
  EXPECT_EQ(text->texture.image->transform.m[0], 1.0f);
  EXPECT_EQ(text->texture.image->transform.m[3], 1.0f);
  EXPECT_EQ(text->texture.image->file, nullptr);
  EXPECT_EQ(text->material->count, 0);
  ZmSphere* sphere = zmNewSphereLeaf();
  EXPECT_EQ(sphere->radius, 1.0f);
  ZmFace* face = zmNewFaceLeaf();
  EXPECT_EQ(face->face_type, 1);

  ZmSpotLight* spot = zmNewSpotLight();
  EXPECT_EQ(spot->kind, 15);
  EXPECT_EQ(spot->on, 1);
  EXPECT_EQ(spot->intensity, 1.0f);
  EXPECT_EQ(spot->color[2], 1.0f);
  EXPECT_EQ(spot->cutOffAngle, 0.785398f);
  EXPECT_NE(spot->cutOffAngle, static_cast<float>(3.14159265358979 / 4));
  EXPECT_EQ(spot->dropOffRate, 0.0f);
  ZmLight* point = zmNewPointLight();
  ZmLight* directional = zmNewDirectionalLight();
  EXPECT_EQ(point->kind, 14);
  EXPECT_EQ(directional->kind, 16);
  ZmPerspectiveCamera* perspective = zmNewPerspectiveCameraLeaf();
  EXPECT_EQ(perspective->focalDistance, 5.0f);
  EXPECT_EQ(perspective->heightAngle, 0.785398f);
  ZmOrthographicCamera* ortho = ZmNewOrthographicCamera();
  EXPECT_EQ(ortho->kind, 19);
  EXPECT_EQ(ortho->height, 2.0f);

  EXPECT_TRUE(zmIsShapeLeaf(text) && zmIsLightLeaf(spot) && zmIsCameraLeaf(ortho));
  EXPECT_FALSE(zmIsShapeLeaf(spot) || zmIsLightLeaf(ortho) || zmIsCameraLeaf(nullptr));

  // One object owns them all and frees them with itself.
  ZmObj* holder = make("holder");
  for (ZmLeaf* leaf : std::initializer_list<ZmLeaf*>{text, sphere, face, spot, point, directional,
                                                      perspective, ortho}) {
    zmAddLeaf(holder, 0, leaf);
  }
  EXPECT_EQ(kindsOf(holder->leaf), (std::vector<int32_t>{1, 11, 8, 15, 14, 16, 20, 19}));
  EXPECT_EQ(holder->leaf->owner, holder);
  EXPECT_TRUE(zmIsShapeObj(holder));
}

TEST_F(LeafTest, CubeFacesRunCounterClockwiseFromOutside) {
  ZmLeaf* cube = zmNewCubeLeaf(2, 4, 6);
  ASSERT_EQ(kindsOf(cube), (std::vector<int32_t>(6, ZM_LEAF_FACE)));
  ZmFace* front = static_cast<ZmFace*>(cube);
  ASSERT_EQ(front->vertex.count, 4);
  EXPECT_EQ(front->face_type, 0);
  EXPECT_EQ(front->orthogonal_normal_valid, 1);
  const ZmVec3 corners[] = {{-1, -2, 3}, {1, -2, 3}, {1, 2, 3}, {-1, 2, 3}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(front->vertex.values[i].x, corners[i].x);
    EXPECT_EQ(front->vertex.values[i].y, corners[i].y);
    EXPECT_EQ(front->vertex.values[i].z, corners[i].z);
  }
  // Every face's winding agrees with its normal.
  for (ZmLeaf* leaf = cube; leaf; leaf = leaf->next) {
    ZmFace* f = static_cast<ZmFace*>(leaf);
    ZmVec3 n;
    zmCalcPolygonNormal(&f->vertex.values[0], &f->vertex.values[1], &f->vertex.values[2], &n);
    EXPECT_GT(zmVec3Dot(&n, &f->normal.values[0]), 0.99);
  }
  zmDeleteAllLeaf(cube);
}

TEST_F(LeafTest, ConeAndCylinderPartsComeInTheirOrder) {
  struct { int parts; std::vector<int32_t> kinds; } cylinders[] = {
      {ZM_PARTS_ALL, {4, 6, 5}},
      {ZM_PARTS_SIDES | ZM_PARTS_TOP | ZM_PARTS_BOTTOM, {4, 6, 5}},
      {ZM_PARTS_TOP | ZM_PARTS_BOTTOM, {6, 5}},
      {ZM_PARTS_BOTTOM, {5}},
  };
  for (const auto& c : cylinders) {
    ZmLeaf* chain = zmNewCylinderLeaf(c.parts, 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(kindsOf(chain), c.kinds) << c.parts;
    zmDeleteAllLeaf(chain);
  }
  ZmLeaf* cylinder = zmNewCylinderLeaf(ZM_PARTS_ALL, 1.0f, 2.0f, 3.0f);
  auto* side = static_cast<ZmCylinderSide*>(cylinder);
  EXPECT_EQ(side->top_radius, 1.0f);
  EXPECT_EQ(side->bottom_radius, 2.0f);
  EXPECT_EQ(side->height, 3.0f);
  EXPECT_EQ(static_cast<ZmCircle*>(cylinder->next)->radius, 1.0f);
  EXPECT_EQ(static_cast<ZmCircle*>(cylinder->next->next)->radius, 2.0f);
  EXPECT_EQ(static_cast<ZmCircle*>(cylinder->next->next)->height, 3.0f);
  zmDeleteAllLeaf(cylinder);

  ZmLeaf* cone = zmNewConeLeaf(ZM_PARTS_SIDES | ZM_PARTS_BOTTOM, 2.0f, 5.0f);
  EXPECT_EQ(kindsOf(cone), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(static_cast<ZmConeSide*>(cone)->bottom_radius, 2.0f);
  EXPECT_EQ(static_cast<ZmCircle*>(cone->next)->height, 5.0f);
  zmDeleteAllLeaf(cone);
}

TEST_F(LeafTest, UnknownKindsAndNullLeaves) {
  EXPECT_EQ(zmGetLeafSize(12), 0u);
  EXPECT_EQ(sceneMessages.back(), "Undefined ZM leaf 12");
  EXPECT_EQ(zmNewShape(12), nullptr);
  EXPECT_EQ(fatalTexts(), std::vector<std::string>{"zmNewShape: zmMalloc failed\n 12"});
  EXPECT_EQ(zmDeleteLeaf(nullptr), nullptr);
  EXPECT_EQ(sceneMessages.back(), "zmDeleteLeaf: NULL leaf pointer argument.\n");
  zmDeleteAllLeaf(nullptr);
  EXPECT_EQ(sceneMessages.back(), "zmDeleteAllLeaf: NULL specified.\n");
  ZmLeaf stray = {13, nullptr, nullptr, nullptr};
  EXPECT_EQ(zmDeleteLeaf(&stray), nullptr);
  EXPECT_EQ(sceneMessages.back(), "zmDeleteLeaf: unknown leaf type.\n");
}

TEST_F(LeafTest, SearchesByKindAndNumber) {
  ZmObj* top = make("top");
  ZmObj* first = make("first", top);
  ZmObj* second = make("second", top);
  zmAddLeaf(top, 0, zmNewSphereLeaf());
  zmAddLeaf(first, 0, zmNewConeLeaf(ZM_PARTS_ALL, 1, 1));
  zmAddLeaf(second, 0, zmNewCubeLeaf(1, 1, 1));
  EXPECT_EQ(zmFindLeafByType(top, ZM_LEAF_SPHERE), top->leaf);
  EXPECT_EQ(zmFindLeafByType(top, ZM_LEAF_CONE_BOTTOM), first->leaf->next);
  EXPECT_EQ(zmFindLeafByType(top, ZM_LEAF_FACE), second->leaf);
  EXPECT_EQ(zmFindLeafByType(top, ZM_LEAF_LINE), nullptr);
  EXPECT_EQ(zmFindLeafByNo(top, 0), top->leaf);
  EXPECT_EQ(zmFindLeafByNo(top, 1), first->leaf->next);   // top has one: its children
  EXPECT_EQ(zmFindLeafByNo(top, 5), second->leaf->next->next->next->next->next);
  EXPECT_EQ(zmFindLeafByNo(top, 6), nullptr);
  EXPECT_EQ(zmFindLeafByNo(top, -1), nullptr);
}

TEST_F(LeafTest, AppendingManyFacesKeepsTheChainWhole) {
  ZmObj* mesh = make("mesh");
  for (int i = 0; i < 1000; ++i) zmAddLeaf(mesh, 0, zmNewFaceLeaf());
  zmAddLeaf(mesh, 0, zmNewCubeLeaf(1, 1, 1));
  EXPECT_EQ(kindsOf(mesh->leaf).size(), 1006u);
  EXPECT_EQ(mesh->leafTail->next, nullptr);
  EXPECT_EQ(zmFindLeafByNo(mesh, 1005), mesh->leafTail);
}
