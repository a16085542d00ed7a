// Texture images of shape leaves: queued while a world is read, then mapped
// onto the engine polygons with their texture coordinates.
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "core/leaf.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/imageconvert.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/texture.h"
#include "tests/hook_guard.h"
#include "viewer/hooks.h"
#include "viewer/construct.h"
#include "viewer/frame.h"
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
    coreHooks.messages->notifyMessage = [](const char* text) { notes.push_back(text); return 0; };
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
  EXPECT_FLOAT_EQ(sheet->texture.image->transform.t.x, 0.0f);
  EXPECT_EQ(zmRwSetFaceTexture(sheet), 0);
  EXPECT_FLOAT_EQ(sheet->texture.uv.values[1].x, 4.7f);
  // The second face was built with the same image and transform; the first
  // face's reset did not keep the transform from its coordinates.
  auto* second = static_cast<ZmFace*>(sheet->next);
  ASSERT_EQ(second->texture.uv.count, 3);
  EXPECT_FLOAT_EQ(second->texture.uv.values[1].x, 4.7f);
  EXPECT_FLOAT_EQ(second->texture.image->transform.t.x, 0.0f);
  EXPECT_EQ(second->texture.image->file, sheet->texture.image->file);

  // u 1.2 .. 4.7 keeps lowU 1; v -1.5 .. 0.5 is turned to 1 - v.
  const float expected[4][2] = {{0.2f, 2.5f}, {3.7f, 2.5f}, {3.7f, 0.5f}, {0.2f, 0.5f}};
  auto* polygon = static_cast<RwPolygon*>(sheet->rendering);
  ASSERT_EQ(polygon->vertexCount, 4u);
  for (int i = 0; i < 4; i++) {
    EXPECT_NEAR(polygon->vertices[i]->u / 65536.0, expected[i][0], 1.0 / 128) << i;
    EXPECT_NEAR(polygon->vertices[i]->v / 65536.0, expected[i][1], 1.0 / 128) << i;
  }
}

// Faces with equal coordinates (here the default (0, 0) of every vertex)
// share one list; projecting a face's own coordinates leaves the others'.
TEST_F(TexturedWorld, FacesSharingCoordinatesProjectTheirOwn) {
  ASSERT_EQ(buildAll(), 0);
  auto* first = static_cast<ZmFace*>(named("Lost")->leaf);
  auto* second = static_cast<ZmFace*>(first->next);
  EXPECT_EQ(first->texture.uv.values, second->texture.uv.values);
  ASSERT_EQ(zmSetDefaultUVFace(first), 0);
  ASSERT_EQ(zmSetDefaultUVFace(second), 0);
  ASSERT_NE(first->texture.uv.values, second->texture.uv.values);
  // The box is the unit square in x and y: u = x, v = y.
  EXPECT_FLOAT_EQ(first->texture.uv.values[1].x, 1.0f);
  EXPECT_FLOAT_EQ(first->texture.uv.values[1].y, 0.0f);
  EXPECT_FLOAT_EQ(second->texture.uv.values[1].x, 1.0f);
  EXPECT_FLOAT_EQ(second->texture.uv.values[1].y, 1.0f);
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

TEST_F(TexturedWorld, ASharedTextureGoesWithItsLastUserWithoutReadingTheImageAgain) {
  ASSERT_EQ(buildAll(), 0);
  ASSERT_EQ(zmVFloadAllPendingTextures(), 0);
  const std::string image = scratch() + "checker.bmp";
  ASSERT_NE(RwFindNamedTexture(image.c_str()), nullptr);
  ASSERT_EQ(zmDeleteZmObj(named("Box")), 0);
  EXPECT_NE(RwFindNamedTexture(image.c_str()), nullptr) << "the sheet still shows it";
  EXPECT_NE(textureOn(named("Sheet")->leaf), nullptr);
  // Destroying must not read the file: take it away before the last user goes.
  std::remove(image.c_str());
  ASSERT_EQ(zmDeleteZmObj(named("Sheet")), 0);
  EXPECT_EQ(RwFindNamedTexture(image.c_str()), nullptr);
}

TEST_F(TexturedWorld, ApplyingTexturesRestartsTheObjectsMovie) {
  static std::vector<std::string> calls;
  calls.clear();
  coreHooks.media->pause3DMovie = [](ZmObj*) { calls.push_back("pause"); };
  ServiceGuard<ZmViewerMedia> media(viewerMedia);
  media->setTextureMovie = [](ZmObj*) { calls.push_back("set"); };
  ASSERT_EQ(buildAll(), 0);
  ASSERT_EQ(zmVFloadAllPendingTextures(), 0);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "pause");
  EXPECT_EQ(calls[1], "set");
}

// A BMP header of the given size (no pixels are needed to tell the format).
void writeBmpHeader(const std::string& path, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes(54, 0);
  auto put32 = [&](int at, int32_t v) { for (int i = 0; i < 4; i++) bytes[at + i] = uint8_t(uint32_t(v) >> (8 * i)); };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

TEST_F(TexturedWorld, MovieTexturesAreImagesOfStackedFrames) {
  struct Case {
    int32_t width, height;
    int result, frames;
  } cases[] = {{128, 640, 0, 5}, {128, 256, 0, 2}, {128, 128, -1, 0}, {256, 512, -1, 0}, {128, 200, -1, 0}};
  for (const Case& c : cases) {
    writeBmpHeader(scratch() + "movie.bmp", c.width, c.height);
    int32_t width = 0, height = 0, frames = 0;
    float rate = 0;
    ZmUrlHash* entry = loadFile("movie.bmp");
    ZmUrlHash* movie = nullptr;
    EXPECT_EQ(zmViewerMovieFormat(entry, &width, &height, &frames, &rate, &movie), c.result) << c.height;
    if (c.result != 0) continue;
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 128);
    EXPECT_EQ(frames, c.frames);
    EXPECT_FLOAT_EQ(rate, 4.0f);
    EXPECT_EQ(movie, entry);
  }
  // A raster file's header is big-endian.
  const uint8_t raster[32] = {0x59, 0xA6, 0x6A, 0x95, 0, 0, 0, 0x80, 0, 0, 0x01, 0x80};
  FILE* file = std::fopen((scratch() + "movie.ras").c_str(), "wb");
  std::fwrite(raster, 1, sizeof raster, file);
  std::fclose(file);
  int32_t frames = 0;
  EXPECT_EQ(zmViewerMovieFormat(loadFile("movie.ras"), nullptr, nullptr, &frames, nullptr, nullptr), 0);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(zmViewerMovieFormat(loadFile("absent.bmp"), nullptr, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_TRUE(warned("zmViewerMovieFormat:Can't open file"));
}

TEST_F(TexturedWorld, TheBackdropHasOneOwnerAndIsReadOncePerImage) {
  writeBmp(scratch() + "second.bmp");
  ASSERT_EQ(zmRenderConstructWorldInViewer(world), 0);
  auto rasters = [] {
    for (RwPool* p = RwGetPoolState().head; p; p = p->next)
      if (std::string(p->name) == "rasterlist") return p->recordsInUse;
    return uintptr_t{0};
  };
  const uintptr_t before = rasters();
  world->backgroundImage = loadFile("checker.bmp");
  ASSERT_EQ(zmRenderLoadBackground(world), 0);
  RwRaster* first = world->rendering->backdrop;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(rasters(), before + 1);
  ASSERT_EQ(zmRenderResume(world), 0);
  EXPECT_EQ(world->rendering->backdrop, first) << "the same image is not read again";

  RwSetCameraBackdrop(world->rendering->defaultCamera, first);
  world->backgroundImage = loadFile("second.bmp");
  ASSERT_EQ(zmRenderLoadBackground(world), 0);
  EXPECT_NE(world->rendering->backdrop, first);
  EXPECT_EQ(rasters(), before + 1) << "the replaced raster is released";
  EXPECT_EQ(RwGetCameraBackdrop(world->rendering->defaultCamera), world->rendering->backdrop);
  world->backgroundImage = nullptr;
}
