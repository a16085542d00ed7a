// tests/vrml/builder_faceset_test.cpp -- IndexedFaceSet conversion: faces,
// vertex order, material and normal bindings, and indices that lie outside
// their lists.
#include <algorithm>
#include <vector>

#include "tests/vrml/builder_fixture.h"
#include "core/bounds.h"

namespace {

std::vector<const ZmFace*> facesOf(const ZmObj* object) {
  std::vector<const ZmFace*> faces;
  for (const ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    EXPECT_EQ(leaf->kind, ZM_LEAF_FACE);
    faces.push_back(static_cast<const ZmFace*>(leaf));
  }
  return faces;
}

std::vector<ZmVec3> points(const ZmMFVec3f& list) { return {list.values, list.values + list.count}; }

void expectVec(const ZmVec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5);
  EXPECT_NEAR(v.y, y, 1e-5);
  EXPECT_NEAR(v.z, z, 1e-5);
}

// Red, green and blue diffuse components of material entry i.
std::vector<float> diffuse(const ZmFace* face, int i) {
  const ZmSFColor& c = face->material->diffuse_color.values[i];
  return {c.r, c.g, c.b};
}

const std::vector<float> kRed = {1, 0, 0}, kGreen = {0, 1, 0}, kBlue = {0, 0, 1};

}  // namespace

TEST_F(BuilderTest, QuadAndTriangleWithDefaultBindings) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("faceset_quad_triangle.wrl").c_str(), world), 0);
  ZmObj* object = named("QuadAndTriangle");
  EXPECT_EQ(object->vrmlType, ZM_VRML_INDEXED_FACE_SET);
  std::vector<const ZmFace*> faces = facesOf(object);
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[0]->vertex.count, 4);
  EXPECT_EQ(faces[1]->vertex.count, 3);
  expectVec(faces[1]->vertex.values[1], 2, 0, 0);
  for (const ZmFace* face : faces) {
    EXPECT_EQ(face->materialBinding, 1);
    EXPECT_EQ(face->material->count, 1);
    EXPECT_FLOAT_EQ(face->material->ambient_color.values[0].r, 0.2f);
    EXPECT_FLOAT_EQ(face->material->diffuse_color.values[0].g, 0.8f);
    EXPECT_FLOAT_EQ(face->material->shininess.values[0], 0.2f);
    EXPECT_EQ(face->normalBinding, 7);
    EXPECT_EQ(face->face_type, 1);
    ASSERT_EQ(face->normal.count, face->vertex.count);
    for (const ZmVec3& n : points(face->normal)) expectVec(n, 0, 0, 1);
    ASSERT_EQ(face->texture.uv.count, face->vertex.count);
    EXPECT_FLOAT_EQ(face->texture.uv.values[2].x, 0.0f);  // the one default texture coordinate
  }
  const ZmBoundingCube* cube = zmGetBoundingCube(object);
  expectVec(cube->local_max, 2, 1, 0);
}

TEST_F(BuilderTest, PerFaceMaterialsWrapAndIndexedOnesTakeRecordZeroForNegatives) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("faceset_bindings.wrl").c_str(), world), 0);
  std::vector<const ZmFace*> perFace = facesOf(named("PerFace"));
  ASSERT_EQ(perFace.size(), 4u);
  const std::vector<float> wanted[] = {kRed, kGreen, kBlue, kRed};
  for (size_t f = 0; f < perFace.size(); ++f) {
    EXPECT_EQ(perFace[f]->materialBinding, 5);
    EXPECT_EQ(diffuse(perFace[f], 0), wanted[f]) << "face " << f;
  }
  std::vector<const ZmFace*> indexed = facesOf(named("PerFaceIndexed"));
  ASSERT_EQ(indexed.size(), 2u);
  EXPECT_EQ(diffuse(indexed[0], 0), kBlue);
  EXPECT_EQ(diffuse(indexed[1], 0), kRed);
  // Normal 1 for face 0; face 1's index 7 is past the list, so it is calculated.
  EXPECT_EQ(indexed[0]->normalBinding, 5);
  ASSERT_EQ(indexed[0]->normal.count, 1);
  expectVec(indexed[0]->normal.values[0], 0, 0, -1);
  expectVec(indexed[1]->normal.values[0], 0, 0, 1);
}

TEST_F(BuilderTest, PerVertexBindingsCountVerticesAcrossFaces) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("faceset_bindings.wrl").c_str(), world), 0);
  std::vector<const ZmFace*> faces = facesOf(named("PerVertex"));
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[0]->materialBinding, 7);
  ASSERT_EQ(faces[1]->material->count, 3);
  // Vertices 3, 4, 5 in file order: materials 0, 1, 2 modulo three.
  EXPECT_EQ(diffuse(faces[1], 0), kRed);
  EXPECT_EQ(diffuse(faces[1], 2), kBlue);
  // PER_VERTEX normals go by the position in coordIndex, and only to faces
  // that start inside normalIndex; the second face gets its own normal.
  EXPECT_EQ(faces[0]->normalBinding, 7);
  expectVec(faces[0]->normal.values[0], 1, 0, 0);
  expectVec(faces[0]->normal.values[2], 0, 0, 1);
  for (const ZmVec3& n : points(faces[1]->normal)) expectVec(n, 0, 0, 1);
}

TEST_F(BuilderTest, ClockwiseFaceIsStoredReversedAndIndexedListsFollowTheirVertex) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("faceset_bindings.wrl").c_str(), world), 0);
  std::vector<const ZmFace*> faces = facesOf(named("Clockwise"));
  ASSERT_EQ(faces.size(), 1u);
  const ZmFace* face = faces[0];
  EXPECT_EQ(face->face_type, 0);
  std::vector<ZmVec3> corners = points(face->vertex);
  ASSERT_EQ(corners.size(), 4u);
  expectVec(corners[0], 0, 1, 0);  // coordinate 3 first
  expectVec(corners[3], 0, 0, 0);
  // Stored vertex 0 came from position 3: material index -4 (record 0) and
  // normal index 9 (past the list: the face normal, which now faces -z).
  EXPECT_EQ(diffuse(face, 0), kRed);
  EXPECT_EQ(diffuse(face, 1), kBlue);
  EXPECT_EQ(diffuse(face, 3), kRed);
  expectVec(face->normal.values[0], 0, 0, -1);
  expectVec(face->normal.values[1], 0, 0, 1);
  expectVec(face->normal.values[3], 1, 0, 0);
}

TEST_F(BuilderTest, UnsupportedOrInsufficientBindingsDropTheFaceSetWithTheirWarnings) {
  struct Case {
    const char* body;
    const char* warning;
  } cases[] = {
      {"NormalBinding { value OVERALL }",
       "QvFaceTable::setNormalsOfFacesOrVertices(): no normal is defined when normalBinding = OVERALL."},
      {"MaterialBinding { value NONE } NormalBinding { value NONE } Coordinate3 { point [ ] }",
       "QvFaceTable::setCoords(): Coordinate3 has no coordinates."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    builderMessages.clear();
    ASSERT_EQ(build(std::string("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] } ") + c.body +
                    " DEF F IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 0, 2, 1 ] materialIndex [ 0 ] } Cube { } }"),
              0);
    EXPECT_TRUE(sawMessage(c.warning));
    EXPECT_TRUE(sawMessage("IndexedFaceSet::traverse(): createAndAddLeaves() failed."));
    for (ZmObj* top : topObjects()) EXPECT_EQ(zmFindObjInSubtree(top, "F"), nullptr);
  }
  EXPECT_TRUE(sawMessage("QvFaceTable::setInfoInQvMaterialBinding(): invalid value."));
  EXPECT_TRUE(sawMessage("QvFaceTable::setInfoInQvNormalBinding(): invalid value."));
}

// DEFAULT is one material for all; an index list left out means the faces in
// order or, per vertex, coordIndex; a short list warns once and goes round.
TEST_F(BuilderTest, MaterialIndexListsLeftOutOrShortKeepTheFaceSet) {
  using Colours = std::vector<std::vector<float>>;
  struct Case {
    const char* binding;
    const char* materialIndex;
    int32_t leafBinding;
    std::vector<Colours> faces;  // per face: one colour, or one per vertex
    const char* warning;
  } cases[] = {
      {"MaterialBinding { }", "", 1, {{kRed}, {kRed}, {kRed}}, nullptr},
      {"MaterialBinding { value PER_FACE_INDEXED }", "", 5, {{kRed}, {kGreen}, {kBlue}}, nullptr},
      {"MaterialBinding { value PER_PART_INDEXED }", "materialIndex [ 2, 1 ]", 5, {{kBlue}, {kGreen}, {kBlue}},
       "QvFaceTable::setMaterialsPerFaceIndexed(): not enough color info for all faces."},
      {"MaterialBinding { value PER_VERTEX_INDEXED }", "", 7,
       {{kRed, kGreen, kBlue}, {kGreen, kBlue, kRed}, {kBlue, kRed, kRed}}, nullptr},
      {"MaterialBinding { value PER_VERTEX_INDEXED }", "materialIndex [ 1, 2, 0, -1, 2 ]", 7,
       {{kGreen, kBlue, kRed}, {kBlue, kGreen, kBlue}, {kRed, kBlue, kGreen}},
       "QvFaceTable::setMaterialsPerVertexIndexedInFace(): run out of materialIndex."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.binding) + " " + c.materialIndex);
    builderMessages.clear();
    ASSERT_EQ(build(std::string("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
                                " Material { diffuseColor [ 1 0 0, 0 1 0, 0 0 1 ] } ") +
                    c.binding + " DEF F IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 1, 2, 3, -1, 2, 3, 0 ] " +
                    c.materialIndex + " } }"),
              0);
    ZmObj* object = named("F");
    ASSERT_NE(object, nullptr);
    std::vector<const ZmFace*> faces = facesOf(object);
    ASSERT_EQ(faces.size(), c.faces.size());
    for (size_t f = 0; f < faces.size(); ++f) {
      EXPECT_EQ(faces[f]->materialBinding, c.leafBinding);
      ASSERT_EQ(faces[f]->material->count, static_cast<int32_t>(c.faces[f].size())) << "face " << f;
      for (size_t i = 0; i < c.faces[f].size(); ++i) EXPECT_EQ(diffuse(faces[f], i), c.faces[f][i]) << f << "/" << i;
    }
    if (c.warning) {
      EXPECT_EQ(std::count(builderMessages.begin(), builderMessages.end(), c.warning), 1);
    }
    EXPECT_FALSE(sawMessage("IndexedFaceSet::traverse(): createAndAddLeaves() failed."));
    zmDeleteZmObj(object);
  }
}

TEST_F(BuilderTest, DefaultMaterialBindingKeepsLaterFaceAndLineSets) {
  ASSERT_EQ(build("Separator { MaterialBinding { } Coordinate3 { point [0 0 0, 1 0 0, 1 1 0] }"
                  " DEF F IndexedFaceSet { coordIndex [0,1,2,-1] } DEF L IndexedLineSet { coordIndex [0, 1] } }"),
            0);
  ASSERT_EQ(facesOf(named("F")).size(), 1u);
  ASSERT_NE(named("L"), nullptr);
  EXPECT_EQ(static_cast<const ZmLine*>(named("L")->leaf)->materialBinding, 1);
}

TEST_F(BuilderTest, FacesWithoutThreeUsableVerticesMakeNoLeafAndRefusedVerticesAreLeftOut) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("faceset_bad_indices.wrl").c_str(), world), 0);
  std::vector<const ZmFace*> faces = facesOf(named("Faces"));
  // Six faces in the file: empty, (0 1 2), empty, (0 1), (0 9 1 -7 2), (9 8 0).
  ASSERT_EQ(faces.size(), 2u);
  for (const ZmFace* face : faces) {
    ASSERT_EQ(face->vertex.count, 3);
    EXPECT_EQ(face->normal.count, 3);
    ASSERT_EQ(face->texture.uv.count, 3);
    expectVec(face->vertex.values[2], 1, 1, 0);
    // Texture coordinates run with the coordinates, clamped to the last one.
    EXPECT_FLOAT_EQ(face->texture.uv.values[1].x, 1.0f);
    EXPECT_FLOAT_EQ(face->texture.uv.values[2].x, 1.0f);
    for (const ZmVec3& n : points(face->normal)) expectVec(n, 0, 0, 1);
  }
  EXPECT_TRUE(sawMessage("QvFaceTable::initFaces(): 0 found a face with less than three vertices."));
  EXPECT_TRUE(sawMessage("QvFaceTable::initFaces(): 2 found a face with less than three vertices."));
  EXPECT_TRUE(sawMessage("QvFaceTable::initFace(): invalid coordinate index."));
  EXPECT_TRUE(sawMessage("QvFaceTable::calcNormalOfFace(): a face has less than three vertices."));
}

TEST_F(BuilderTest, TextureCoordinateIndicesOutsideTheListFallBackToTheFirst) {
  ASSERT_EQ(build("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
                  " TextureCoordinate2 { point [ 0 0, 1 0, 1 1 ] }"
                  " DEF F IndexedFaceSet { coordIndex [ 0, 1, 2, 3 ] textureCoordIndex [ 2, 7, -3, 1 ] } }"),
            0);
  std::vector<const ZmFace*> faces = facesOf(named("F"));
  ASSERT_EQ(faces.size(), 1u);
  const ZmMFVec2f& uv = faces[0]->texture.uv;
  ASSERT_EQ(uv.count, 4);
  const float wantedU[] = {1, 0, 0, 1}, wantedV[] = {1, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(uv.values[i].x, wantedU[i]) << i;
    EXPECT_FLOAT_EQ(uv.values[i].y, wantedV[i]) << i;
  }
}

TEST_F(BuilderTest, FaceSetWithoutCoordinatesFailsAndItsObjectIsDeleted) {
  ASSERT_EQ(build("Separator { DEF Kept Cube { } DEF F IndexedFaceSet { coordIndex [ 0, 1, 2 ] } }"), 0);
  EXPECT_TRUE(sawMessage("QvFaceTable::setCoords(): no Coordinate3 is defined."));
  EXPECT_TRUE(sawMessage("QvIndexedFaceSet::createAndAddLeaves(): state info is insufficient."));
  EXPECT_TRUE(sawMessage("IndexedFaceSet::traverse(): at line 2"));
  ASSERT_EQ(topObjects().size(), 1u);
  EXPECT_EQ(world->objectCount, 1);
}

TEST_F(BuilderTest, PerFaceNormalsRunOutIntoCalculatedOnes) {
  ASSERT_EQ(build("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 0 1 0 ] }"
                  " Normal { vector [ 0 1 0 ] } NormalBinding { value PER_FACE }"
                  " DEF F IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 0, 2, 1 ] } }"),
            0);
  std::vector<const ZmFace*> faces = facesOf(named("F"));
  ASSERT_EQ(faces.size(), 2u);
  for (const ZmFace* face : faces) {
    EXPECT_EQ(face->normalBinding, 5);
    ASSERT_EQ(face->normal.count, 1);
  }
  expectVec(faces[0]->normal.values[0], 0, 1, 0);
  expectVec(faces[1]->normal.values[0], 0, 0, -1);
}

// The last point is the highest index a face may use; the point count itself
// is one past the coordinate list and is refused like any other bad index.
TEST_F(BuilderTest, CoordinateIndexEqualToThePointCountIsRefused) {
  ASSERT_EQ(build("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] }"
                  " DEF F IndexedFaceSet { coordIndex [ 0, 1, 2, 3, -1, 3, 2, 1, 0 ] }"
                  " DEF L IndexedLineSet { coordIndex [ 3, 2, 3 ] } }"),
            0);
  std::vector<const ZmFace*> faces = facesOf(named("F"));
  ASSERT_EQ(faces.size(), 2u);
  for (const ZmFace* face : faces) ASSERT_EQ(face->vertex.count, 3);
  expectVec(faces[0]->vertex.values[2], 1, 1, 0);
  expectVec(faces[1]->vertex.values[0], 1, 1, 0);
  const auto* line = reinterpret_cast<const ZmLine*>(named("L")->leaf);
  ASSERT_EQ(line->vertex.count, 1);
  expectVec(line->vertex.values[0], 1, 1, 0);
  EXPECT_TRUE(sawMessage("QvFaceTable::initFace(): invalid coordinate index."));
  EXPECT_TRUE(sawMessage("QvLineTable::initLine(): Invalid coordinate index."));
}

// Faces that use the same material record hold that record; a change to
// one face's colour is its own.
TEST_F(BuilderTest, FacesOfOneMaterialRecordShareItsListsUntilOneIsChanged) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("faceset_bindings.wrl").c_str(), world), 0);
  std::vector<const ZmFace*> perFace = facesOf(named("PerFace"));
  ASSERT_EQ(perFace.size(), 4u);
  EXPECT_EQ(perFace[0]->material, perFace[3]->material);
  EXPECT_NE(perFace[0]->material->diffuse_color.values, perFace[1]->material->diffuse_color.values);
  std::vector<const ZmFace*> perVertex = facesOf(named("PerVertex"));
  ASSERT_EQ(perVertex.size(), 2u);
  EXPECT_NE(perVertex[0]->material->diffuse_color.values, perVertex[1]->material->diffuse_color.values);

  ZmSFColor white = {1, 1, 1};
  ZmMFColor list = {1, &white};
  ASSERT_EQ(zmSetLeafDiffuseColor(const_cast<ZmFace*>(perFace[3]), &list), 0);
  EXPECT_EQ(diffuse(perFace[3], 0), std::vector<float>({1, 1, 1}));
  EXPECT_EQ(diffuse(perFace[0], 0), kRed);
  // The world is deleted after the test: each face frees its lists once,
  // and the sanitizers catch a list freed too often or read after it went.
}
