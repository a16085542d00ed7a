// Texture images of shape leaves: queued while a world is read, then mapped
// onto the engine polygons with their texture coordinates.
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "core/leaf.h"
#include "engine/clump.h"
#include "engine/imageconvert.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/texture.h"
#include "viewer/texture.h"
#include "viewer_fixture.h"

namespace {

// A stand-in URL table: each URL is an entry whose local file lies in a
// scratch folder (existing or not).
std::map<std::string, std::string> localFiles;
std::vector<std::string> notes;
std::string& entryText(ZmUrlHash* entry) { return *reinterpret_cast<std::string*>(entry); }

// The scratch folder of this test process: tests run in parallel processes
// and each writes its own image files.
std::string scratch() {
  const std::string folder = std::string(::testing::TempDir()) + "viewer-textures-" + std::to_string(getpid()) + "/";
  mkdir(folder.c_str(), 0700);
  return folder;
}

ZmUrlHash* loadFile(const char* url) {
  auto [it, added] = localFiles.emplace(url, scratch() + url);
  return reinterpret_cast<ZmUrlHash*>(&it->second);
}

const char* localFile(ZmUrlHash* entry) {
  FILE* file = std::fopen(entryText(entry).c_str(), "rb");
  if (file == nullptr) return entryText(entry).c_str();  // the name of a file that cannot be read
  std::fclose(file);
  return entryText(entry).c_str();
}

// A 128 x 128 24-bit BMP of one grey.
void writeBmp(const std::string& path) {
  const int side = 128, row = side * 3, size = 54 + row * side;
  std::vector<uint8_t> bytes(size, 0x80);
  auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; i++) bytes[at + i] = uint8_t(v >> (8 * i)); };
  bytes[0] = 'B'; bytes[1] = 'M';
  put32(2, size); put32(6, 0); put32(10, 54);
  put32(14, 40); put32(18, side); put32(22, side);
  bytes[26] = 1; bytes[27] = 0; bytes[28] = 24; bytes[29] = 0;
  for (int at : {30, 34, 38, 42, 46, 50}) put32(at, 0);
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

RwTexture* textureOn(ZmLeaf* leaf) {
  RwMaterial* material = RwGetPolygonMaterial(static_cast<RwPolygon*>(leaf->rendering));
  return material ? material->texture : nullptr;
}

class TexturedWorld : public ViewerWorld {
 protected:
  void SetUp() override {
    ViewerWorld::SetUp();
    // The recording device has neither a depth nor an image conversion of
    // its own; give it the 16-bit renderers' so that textures can be read.
    rwDeviceRecord.depth = 16;
    rwDeviceRecord.convertImage = RwConvertImage;
    localFiles.clear();
    notes.clear();
    coreHooks.shell->notifyMessage = [](const char* text) { notes.push_back(text); return 0; };
    zmTurnOnFlagByName("warning");
    zmTurnOnFlagByName("error");
    vrmlHooks.loading->wwwLoadFile = loadFile;
    vrmlHooks.loading->getLocalFile = localFile;
    writeBmp(scratch() + "checker.bmp");
    zmVFclearPendingTextures();
    read("textured.wrl");
  }
  void TearDown() override {
    zmVFclearPendingTextures();
    ViewerWorld::TearDown();
    std::filesystem::remove_all(scratch());
  }
  static bool warned(const std::string& text) {
    for (const auto& note : notes)
      if (note.find(text) != std::string::npos) return true;
    for (const auto& box : errorBoxes())
      if (box.find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(TexturedWorld, RequestsWaitUntilLoadedThenShareOneEngineTexture) {
  ASSERT_EQ(buildAll(), 0);
  EXPECT_EQ(zmVFcountPendingTextures(), 3);
  for (ZmLeaf* face = named("Box")->leaf; face; face = face->next) EXPECT_EQ(textureOn(face), nullptr);

  EXPECT_EQ(zmVFloadAllPendingTextures(), 0);
  RwTexture* shared = textureOn(named("Box")->leaf);
  ASSERT_NE(shared, nullptr);
  int faces = 0;
  for (ZmLeaf* face = named("Box")->leaf; face; face = face->next, faces++) {
    EXPECT_EQ(textureOn(face), shared);
    EXPECT_EQ(RwGetPolygonMaterial(static_cast<RwPolygon*>(face->rendering))->textureModes, zmViewerTextureModes);
  }
  EXPECT_EQ(faces, 6);
  EXPECT_EQ(textureOn(named("Sheet")->leaf), shared);

  // Once loading is on, a new request is carried out at once, not queued.
  EXPECT_EQ(zmRenderSetObjTexture(named("Box")), 0);
  EXPECT_EQ(zmVFcountPendingTextures(), 3);
  // Clearing turns loading off again: the next request waits.
  zmVFclearPendingTextures();
  EXPECT_EQ(zmRenderSetObjTexture(named("Box")), 0);
  EXPECT_EQ(zmVFcountPendingTextures(), 1);
}

TEST_F(TexturedWorld, FaceCoordinatesAreTransformedOnceAndShiftedIntoTheEngineRange) {
  ASSERT_EQ(buildAll(), 0);
  zmVFloadAllPendingTextures();
  auto* sheet = static_cast<ZmFace*>(named("Sheet")->leaf);
  // The transform moved u by 1 and was then reset, so reapplying keeps the coordinates.
  ASSERT_EQ(sheet->texture.uv.count, 4);
  EXPECT_FLOAT_EQ(sheet->texture.uv.values[1].x, 4.7f);
  EXPECT_FLOAT_EQ(sheet->texture.transform.t.x, 0.0f);
  EXPECT_EQ(zmRwSetFaceTexture(sheet), 0);
  EXPECT_FLOAT_EQ(sheet->texture.uv.values[1].x, 4.7f);

  // u 1.2 .. 4.7 keeps lowU 1; v -1.5 .. 0.5 is turned to 1 - v.
  const float expected[4][2] = {{0.2f, 2.5f}, {3.7f, 2.5f}, {3.7f, 0.5f}, {0.2f, 0.5f}};
  auto* polygon = static_cast<RwPolygon*>(sheet->rendering);
  ASSERT_EQ(polygon->vertexCount, 4u);
  for (int i = 0; i < 4; i++) {
    EXPECT_NEAR(polygon->vertices[i]->u / 65536.0, expected[i][0], 1.0 / 128) << i;
    EXPECT_NEAR(polygon->vertices[i]->v / 65536.0, expected[i][1], 1.0 / 128) << i;
  }
}

TEST_F(TexturedWorld, MissingImageLeavesTheFaceUntexturedWithItsWarnings) {
  ASSERT_EQ(buildAll(), 0);
  zmVFloadAllPendingTextures();
  EXPECT_EQ(textureOn(named("Lost")->leaf), nullptr);
  EXPECT_TRUE(warned("zmRwSetFaceTexture : Texture filename " + scratch() +
                     "missing.bmp is invalid."));
  EXPECT_TRUE(warned("zmRwSetFaceSetTexture : fail first texture."));
  EXPECT_TRUE(warned("zmVFloadAllPendingTextures() : cannot load textures"));
}

TEST_F(TexturedWorld, FaceRangesOverThirtyTwoUnitsAreRefused) {
  ASSERT_EQ(buildAll(), 0);
  zmVFloadAllPendingTextures();
  auto* sheet = static_cast<ZmFace*>(named("Sheet")->leaf);
  sheet->texture.uv.values[1].x = 40.0f;
  EXPECT_EQ(zmRwTexturizePolygon(static_cast<RwPolygon*>(sheet->rendering), &sheet->texture), nullptr);
  EXPECT_TRUE(warned("zmRwTexturizePolygon : It is impossible to mapping texture for u range."));
}

TEST_F(TexturedWorld, TheQueueRefusesTheObjectAfterTheLast) {
  ZmObj* box = named("Box");
  for (int i = 0; i < zmMaxPendingTextures; i++) ASSERT_EQ(zmVFaddPendingTextures(box), 0);
  EXPECT_EQ(zmVFaddPendingTextures(box), -1);
  EXPECT_TRUE(warned("zmVFaddPendingTextures() : cannot add pending textures"));
}

}  // namespace
