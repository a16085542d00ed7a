// viewer/texture.cpp -- texture records, the pending-texture queue and the
// mapping of images onto the engine polygons of shape leaves.
#include "viewer/texture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/bounds.h"
#include "core/dirs.h"
#include "core/fields.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/vecmath.h"
#include "engine/clump.h"
#include "engine/imagefile.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/rasters.h"
#include "engine/texture.h"
#include "viewer/hooks.h"
#include "viewer/renderstate.h"
#include "vrml/hooks.h"

namespace {

ZmTexture* textureOf(ZmLeaf* leaf) { return &static_cast<ZmShape*>(leaf)->texture; }

bool isShapeKind(int32_t kind) { return kind >= ZM_LEAF_ASCII_TEXT && kind <= ZM_LEAF_SPHERE; }

const char* localFileOf(ZmUrlHash* entry) {
  return entry != nullptr ? vrmlLoading().getLocalFile(entry) : nullptr;
}

// The engine texture of the image, read once per local file and shared by name.
RwTexture* engineTextureOf(const char* file) {
  if (file == nullptr) return nullptr;
  if (zmIsNotRegularFile(file)) {
    zmReportWarning("'%s' is not a regular file: the texture is not read.\n", file);
    return nullptr;
  }
  if (RwTexture* known = RwFindNamedTexture(file)) return known;
  return RwReadNamedTexture(file);
}

// Attaches the mask image; false only when the mask does not fit the texture.
// A mask that cannot be had or read is ignored.
bool attachMask(RwTexture* texture, ZmUrlHash* maskEntry) {
  const char* file = localFileOf(maskEntry);
  if (file == nullptr) return true;
  RwRaster* mask = RwReadRasterTexture(file);
  if (mask == nullptr) return true;
  const bool fitted = RwSetTextureMask(texture, mask) != nullptr;
  RwDestroyRaster(mask);
  return fitted;
}

// N(value, min, max, scale) of the box projection.
float normalised(float value, float min, float max, float scale) {
  if (max < min) std::swap(min, max);
  if (max == min) return 0.5f;
  return (value - min) / (max - min) * scale;
}

float axis(const ZmVec3& p, int which) { return which == 0 ? p.x : which == 1 ? p.y : p.z; }

// Projects points of a box onto the plane of its two largest extents.
struct BoxProjection {
  ZmVec3 min, max;
  int uAxis, vAxis;
  float vScale;

  BoxProjection(const ZmVec3& lo, const ZmVec3& hi) : min(lo), max(hi) {
    const float dx = std::fabs(hi.x - lo.x), dy = std::fabs(hi.y - lo.y), dz = std::fabs(hi.z - lo.z);
    auto choose = [this](int u, int v, float second, float longest) {
      uAxis = u;
      vAxis = v;
      vScale = second / longest;
    };
    if (dx >= dy && dy >= dz) choose(0, 1, dy, dx);
    else if (dx >= dz && dz > dy) choose(0, 2, dz, dx);
    else if (dy > dx && dx >= dz) choose(1, 0, dx, dy);
    else if (dy >= dz && dz > dx) choose(1, 2, dz, dy);
    else if (dz > dx && dx >= dy) choose(2, 0, dx, dz);
    else choose(2, 1, dy, dz);
    // A point box (all extents 0) has no proportion to keep.
    if (!std::isfinite(vScale)) vScale = 1.0f;
  }

  ZmVec2 project(const ZmVec3& p) const {
    return {normalised(axis(p, uAxis), axis(min, uAxis), axis(max, uAxis), 1.0f),
            normalised(axis(p, vAxis), axis(min, vAxis), axis(max, vAxis), vScale)};
  }
};

ZmVec3 toZm(const RwVector& v) { return {v.x, v.y, v.z}; }

struct HierarchyTexturing {
  RwTexture* texture;  // null: take textures off
  bool failed;
};

RwPolygon* texturePolygon(RwPolygon* polygon, void* data) {
  auto* job = static_cast<HierarchyTexturing*>(data);
  if (RwSetPolygonTexture(polygon, job->texture) == nullptr ||
      RwSetPolygonTextureModes(polygon, zmViewerTextureModes) == nullptr) {
    job->failed = true;
    return nullptr;
  }
  return polygon;
}

RwClump* textureClump(RwClump* clump, void* data) {
  auto* job = static_cast<HierarchyTexturing*>(data);
  if (job->failed) return nullptr;
  RwForAllPolygonsInClumpWithData(clump, texturePolygon, job);
  if (!job->failed && job->texture != nullptr && zmRwSetDefaultUVClump(clump) == nullptr) job->failed = true;
  return job->failed ? nullptr : clump;
}

// Every polygon of every clump below `clump` (itself included) gets the
// texture (null: none) with the viewer's modes; textured clumps also get
// projected coordinates. False at the first failure.
bool textureHierarchy(RwClump* clump, RwTexture* texture) {
  HierarchyTexturing job = {texture, false};
  RwForAllClumpsInHierarchy(clump, textureClump, &job);
  return !job.failed;
}

// The messages of one clump applier.
struct ApplierTexts {
  const char* noClump;
  const char* badImage;
  const char* maskMismatch;
  const char* uvFailed;
};

#define ZM_APPLIER_TEXTS(name)                                                                 \
  ApplierTexts {                                                                               \
    name " : cannot find clump\n", name " : Texture filename is invalid.\n",                   \
        name " : Mismatch texture and mask.\n", name " : fail default texture.\n"              \
  }

int applyToClump(ZmLeaf* leaf, const ApplierTexts& texts) {
  auto* clump = static_cast<RwClump*>(leaf->rendering);
  if (clump == nullptr) return zmReportWarning("%s", texts.noClump), -1;
  const ZmTextureImage* record = textureOf(leaf)->image;
  if (record->file == nullptr) return textureHierarchy(clump, nullptr) ? 0 : -1;
  RwTexture* texture = engineTextureOf(localFileOf(record->file));
  if (texture == nullptr) return zmReportWarning("%s", texts.badImage), -1;
  if (record->mask != nullptr && !attachMask(texture, record->mask))
    return zmReportWarning("%s", texts.maskMismatch), -1;
  if (!textureHierarchy(clump, texture)) return zmReportWarning("%s", texts.uvFailed), -1;
  return 0;
}

// The cone and cylinder walks: each leaf by its kind, results ignored; a
// foreign kind stops the walk.
int walkRoundLeaves(ZmLeaf* leaf, int32_t sideKind, int (*side)(ZmLeaf*), const char* invalidText) {
  for (; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == sideKind) {
      side(leaf);
    } else if (leaf->kind == ZM_LEAF_CONE_BOTTOM || leaf->kind == ZM_LEAF_CYLINDER_BOTTOM ||
               leaf->kind == ZM_LEAF_CYLINDER_TOP) {
      zmRwSetCircleTexture(leaf);
    } else {
      zmReportWarning("%s", invalidText);
      return -1;
    }
  }
  return 0;
}

// Whether any coordinate pair differs from (0, 0).
bool hasCoordinates(const ZmMFVec2f& uv) {
  for (int32_t i = 0; i < uv.count; i++)
    if (uv.values[i].x != 0.0f || uv.values[i].y != 0.0f) return true;
  return false;
}

// Makes the face's texture coordinates its own before they are written in
// place (faces with equal ones share one list); false when no copy can be
// had.
bool ownCoordinates(ZmMFVec2f* uv) {
  auto* own = static_cast<ZmSFVec2f*>(zmOwnBlock(uv->values));
  if (own == nullptr && uv->values != nullptr) return false;
  uv->values = own;
  return true;
}

bool isIdentity(const ZmRT2& transform) {
  const ZmRT2& identity = zmNoTextureImage.transform;
  return std::equal(transform.m, transform.m + 4, identity.m) && transform.t.x == identity.t.x &&
         transform.t.y == identity.t.y;
}

// zmApplyUVTransform: the texture transform, applied once. The image part
// that then holds the identity is the leaf's own: the other faces sharing
// it still have their coordinates to transform.
void zmApplyUVTransform(ZmTexture* texture) {
  if (isIdentity(texture->image->transform)) return;
  ZmTextureImage* image = zmOwnTextureImage(texture);
  if (image == nullptr || !ownCoordinates(&texture->uv)) {
    zmReportWarning("zmApplyUVTransform : cannot copy the texture record.\n");
    return;
  }
  for (int32_t i = 0; i < texture->uv.count; i++) zmRT2TransformPointSelf(&image->transform, &texture->uv.values[i]);
  zmRT2Identity(&image->transform);
}

int applyByFirstLeafKind(ZmLeaf* first) {
  switch (first->kind) {
    case ZM_LEAF_ASCII_TEXT: return zmRwSetAsciiTextTexture(first);
    case ZM_LEAF_CONE_SIDE: case ZM_LEAF_CONE_BOTTOM: return zmRwSetConeTexture(first);
    case ZM_LEAF_CYLINDER_SIDE: case ZM_LEAF_CYLINDER_BOTTOM: case ZM_LEAF_CYLINDER_TOP:
      return zmRwSetCylinderTexture(first);
    case ZM_LEAF_FACE: return zmRwSetFaceSetTexture(first);
    case ZM_LEAF_LINE: case ZM_LEAF_POINT_SET: return 0;
    case ZM_LEAF_SPHERE: return zmRwSetSphereTexture(first);
    default: return zmReportWarning("zmRenderSetObjTexture : shape type is invalid.\n"), -1;
  }
}

// The engine texture that shows the first leaf's image, or null after the
// warning of `function`.
RwTexture* movieTextureOf(ZmObj* object, const char* function) {
  ZmLeaf* leaf = object != nullptr ? object->leaf : nullptr;
  if (leaf == nullptr || !isShapeKind(leaf->kind))
    return zmReportWarning("%s : invalid leaf type.\n", function), nullptr;
  const char* file = localFileOf(textureOf(leaf)->image->file);
  if (file == nullptr) return zmReportWarning("%s : Texture is not mapped.\n", function), nullptr;
  RwTexture* texture = RwFindNamedTexture(file);
  if (texture == nullptr) zmReportWarning("%s : invalid Texture Name.\n", function);
  return texture;
}

// The last share of an image part: its entries, its movie and itself.
void releaseImage(ZmTextureImage* image) {
  if (image->file != nullptr) coreLoading().releaseUrlHashEntry(image->file);
  if (image->mask != nullptr) coreLoading().releaseUrlHashEntry(image->mask);
  if (image->movie != nullptr) vrmlMedia().deleteTextureMovie(image->movie);
  zmFree(image);
}

}  // namespace

// ------------------------------------------------------------ the record

void zmInitTexture(ZmTexture* texture) { *texture = {&zmNoTextureImage, {}}; }

void zmDeleteTexture(ZmTexture* texture) {
  if (texture == nullptr) {
    zmReportWarning("zmDeleteTexture: NULL specified\n");
    return;
  }
  if (ZmTextureImage* image = zmDropTextureImage(texture)) releaseImage(image);
  if (texture->uv.count > 0 && texture->uv.values == nullptr) {
    zmReportWarning("zmDeleteTexture: uv data invalid\n");
  } else {
    zmFree(texture->uv.values);
  }
  texture->uv = {};
}

// ------------------------------------------------------------- the queue

int zmVFaddPendingTextures(ZmObj* object) {
  PendingTextures& pending = renderState().pendingTextures;
  if (pending.count >= zmMaxPendingTextures) {
    zmReportError("%s : %s", "zmVFaddPendingTextures()", "cannot add pending textures");
    return -1;
  }
  pending.queue[pending.count++] = object;
  return 0;
}

void zmVFclearPendingTextures() {
  PendingTextures& pending = renderState().pendingTextures;
  pending.count = 0;
  pending.loading = 0;
}

int zmVFloadAllPendingTextures() {
  PendingTextures& pending = renderState().pendingTextures;
  pending.loading = 1;
  for (int32_t i = 0; i < pending.count; i++)
    if (zmRenderSetObjTexture(pending.queue[i]) != 0)
      zmReportWarning("%s : %s", "zmVFloadAllPendingTextures()", "cannot load textures");
  return 0;
}

int32_t zmVFcountPendingTextures() { return renderState().pendingTextures.count; }

// ----------------------------------------------------------- entry points

int zmRenderSetObjTexture(ZmObj* object) {
  PendingTextures& pending = renderState().pendingTextures;
  ZmLeaf* first = object != nullptr ? object->leaf : nullptr;
  if (first == nullptr || !isShapeKind(first->kind) || textureOf(first)->image->file == nullptr) return 0;
  if (pending.loading == 0) return zmVFaddPendingTextures(object) == 0 ? 0 : -1;
  coreMedia().pause3DMovie(object);
  viewerMedia().setTextureMovie(object);
  return applyByFirstLeafKind(first);
}

int zmRenderSetLeafTexture(ZmLeaf* leaf) {
  PendingTextures& pending = renderState().pendingTextures;
  if (leaf == nullptr || !isShapeKind(leaf->kind) || textureOf(leaf)->image->file == nullptr) return 0;
  if (pending.loading == 0) return zmVFaddPendingTextures(leaf->owner) == 0 ? 0 : -1;
  switch (leaf->kind) {
    case ZM_LEAF_ASCII_TEXT: return zmRwSetAsciiTextTexture(leaf);
    case ZM_LEAF_CONE_SIDE: return zmRwSetConeSideTexture(leaf);
    case ZM_LEAF_CONE_BOTTOM: case ZM_LEAF_CYLINDER_BOTTOM: case ZM_LEAF_CYLINDER_TOP:
      return zmRwSetCircleTexture(leaf);
    case ZM_LEAF_CYLINDER_SIDE: return zmRwSetCylinderSideTexture(leaf);
    case ZM_LEAF_FACE: return zmRwSetFaceTexture(leaf);
    case ZM_LEAF_LINE: case ZM_LEAF_POINT_SET: return 0;
    case ZM_LEAF_SPHERE: return zmRwSetSphereTexture(leaf);
    default: return zmReportWarning("zmRenderSetLeafTexture : shape type is invalid.\n"), -1;
  }
}

// ------------------------------------------------------- clump appliers

int zmRwSetAsciiTextTexture(ZmLeaf* leaf) { return applyToClump(leaf, ZM_APPLIER_TEXTS("zmRwSetAsciiTextTexture")); }
int zmRwSetConeSideTexture(ZmLeaf* leaf) { return applyToClump(leaf, ZM_APPLIER_TEXTS("zmRwSetConeSideTexture")); }
int zmRwSetCircleTexture(ZmLeaf* leaf) { return applyToClump(leaf, ZM_APPLIER_TEXTS("zmRwSetCircleTexture")); }
int zmRwSetCylinderSideTexture(ZmLeaf* leaf) {
  return applyToClump(leaf, ZM_APPLIER_TEXTS("zmRwSetCylinderSideTexture"));
}
int zmRwSetSphereTexture(ZmLeaf* leaf) { return applyToClump(leaf, ZM_APPLIER_TEXTS("zmRwSetSphereTexture")); }

int zmRwSetConeTexture(ZmLeaf* leaf) {
  return walkRoundLeaves(leaf, ZM_LEAF_CONE_SIDE, zmRwSetConeSideTexture, "zmRwSetConeTexture: invalid leafType.\n");
}

int zmRwSetCylinderTexture(ZmLeaf* leaf) {
  return walkRoundLeaves(leaf, ZM_LEAF_CYLINDER_SIDE, zmRwSetCylinderSideTexture,
                         "zmRwSetCylinderTexture: invalid leafType.\n");
}

RwClump* zmRwSetDefaultUVClump(RwClump* clump) {
  RwVector lo, hi;
  if (RwGetClumpBounds(clump, &lo, &hi) == nullptr) return nullptr;
  const BoxProjection box(toZm(lo), toZm(hi));
  const intptr_t vertices = RwGetClumpNumVertices(clump);
  for (intptr_t i = 1; i <= vertices; i++) {
    RwVector p;
    if (RwGetVertexPosition(clump, i, &p) == nullptr) return nullptr;
    const ZmVec2 uv = box.project(toZm(p));
    if (!RwSetVertexTextureCoords(clump, i, uv.x, uv.y)) return nullptr;
  }
  return clump;
}

// ------------------------------------------------------------------ faces

int zmSetDefaultUVFace(ZmLeaf* leaf) {
  auto* face = static_cast<ZmFace*>(leaf);
  ZmMFVec2f& uv = face->texture.uv;
  if (face->vertex.count != uv.count) {
    zmReportWarning("zmSetDefaultUVFace : number of vetex and uv are different.\n");
    return -1;
  }
  ZmBoundingCube* cube = face->owner != nullptr ? zmGetBoundingCube(face->owner) : nullptr;
  if (cube == nullptr) {
    zmReportWarning("zmSetDefaultUVFace : cannot get bounding cube.");
    return -1;
  }
  if (!ownCoordinates(&uv)) {
    zmReportWarning("zmSetDefaultUVFace : cannot copy the texture coordinates.");
    return -1;
  }
  const BoxProjection box(cube->local_min, cube->local_max);
  for (int32_t i = 0; i < uv.count; i++) uv.values[i] = box.project(face->vertex.values[i]);
  return 0;
}

int zmRwSetFaceTexture(ZmLeaf* leaf) {
  auto* polygon = static_cast<RwPolygon*>(leaf->rendering);
  if (polygon == nullptr) return zmReportWarning("zmRwSetFaceTexture : cannot find polygon\n"), -1;
  ZmTexture* record = textureOf(leaf);
  if (record->image->file == nullptr) {
    RwSetPolygonTexture(polygon, nullptr);
    RwSetPolygonTextureModes(polygon, zmViewerTextureModes);
    return 0;
  }
  if (!hasCoordinates(record->uv) && zmSetDefaultUVFace(leaf) != 0)
    return zmReportWarning("zmRwSetFaceTexture : cannot set default UV.\n"), -1;
  zmApplyUVTransform(record);
  const ZmTextureImage* image = record->image;
  const char* file = localFileOf(image->file);
  RwTexture* texture = engineTextureOf(file);
  if (texture == nullptr)
    return zmReportWarning("zmRwSetFaceTexture : Texture filename %s is invalid.\n", file ? file : "(null)"), -1;
  if (image->mask != nullptr && !attachMask(texture, image->mask))
    return zmReportWarning("zmRwSetFaceTexture : Mismatch texture and mask.\n"), -1;
  if (RwSetPolygonTexture(polygon, texture) == nullptr ||
      RwSetPolygonTextureModes(polygon, zmViewerTextureModes) == nullptr)
    return zmReportWarning("zmRwSetFaceTexture : cannot map texture\n"), -1;
  if (zmRwTexturizePolygon(polygon, record) == nullptr)
    return zmReportWarning("zmRwSetFaceTexture : cannot set uv\n"), -1;
  return 0;
}

RwPolygon* zmRwTexturizePolygon(RwPolygon* polygon, ZmTexture* texture) {
  const ZmMFVec2f& uv = texture->uv;
  // The engine reads one pair per polygon corner.
  if (uv.count <= 0 || uv.count != static_cast<int32_t>(polygon->vertexCount)) {
    zmReportWarning("zmRwTexturizePolygon : cannot mapping texture.\n");
    return nullptr;
  }
  float minU = 9999.0f, maxU = -9999.0f, minV = 9999.0f, maxV = -9999.0f;
  for (int32_t i = 0; i < uv.count; i++) {
    minU = std::min(minU, uv.values[i].x);
    maxU = std::max(maxU, uv.values[i].x);
    minV = std::min(minV, uv.values[i].y);
    maxV = std::max(maxV, uv.values[i].y);
  }
  const float lowU = std::floor(minU), highU = std::ceil(maxU), lowV = std::floor(minV), highV = std::ceil(maxV);
  if (highU - lowU > 32.0f) {
    zmReportWarning("zmRwTexturizePolygon : It is impossible to mapping texture for u range.");
    return nullptr;
  }
  if (highV - lowV > 32.0f) {
    zmReportWarning("zmRwTexturizePolygon : It is impossible to mapping texture for v range.");
    return nullptr;
  }
  std::vector<float> pairs;
  pairs.reserve(2 * static_cast<size_t>(uv.count));
  for (int32_t i = 0; i < uv.count; i++) {
    pairs.push_back(uv.values[i].x - lowU);
    pairs.push_back(highV - uv.values[i].y);
  }
  if (RwSetPolygonTextureCoords(polygon, pairs.data()) == nullptr) {
    zmReportWarning("zmRwTexturizePolygon : cannot mapping texture.\n");
    return nullptr;
  }
  return polygon;
}

int zmRwSetFaceSetTexture(ZmLeaf* leaf) {
  for (ZmLeaf* face = leaf; face != nullptr; face = face->next) {
    if (zmRwSetFaceTexture(face) == 0) continue;
    zmReportWarning(face == leaf ? "zmRwSetFaceSetTexture : fail first texture.\n"
                                 : "zmRwSetFaceSetTexture : fail texturize.\n");
    return -1;
  }
  return 0;
}

// ---------------------------------------------------------- movie frames

namespace {

constexpr int32_t kMovieFrameSide = 128;
constexpr float kMovieFrameRate = 4.0f;

int32_t littleEndian32(const unsigned char* b) {
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
}

int32_t bigEndian32(const unsigned char* b) {
  return static_cast<int32_t>(uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | uint32_t{b[3]});
}

// The image size from a BMP's information header or a raster file's header,
// told apart by their first bytes (the local file of an entry is one of the
// two once loading has converted it). False for anything else.
bool readImageSize(std::FILE* file, int32_t* width, int32_t* height) {
  unsigned char header[54];
  const size_t read = std::fread(header, 1, sizeof header, file);
  if (read >= 26 && header[0] == 'B' && header[1] == 'M') {
    *width = littleEndian32(header + 14 + 4);
    *height = littleEndian32(header + 14 + 8);
    return true;
  }
  constexpr unsigned char rasterMagic[4] = {0x59, 0xA6, 0x6A, 0x95};
  if (read >= 32 && std::memcmp(header, rasterMagic, 4) == 0) {
    *width = bigEndian32(header + 4);
    *height = bigEndian32(header + 8);
    return true;
  }
  return false;
}

}  // namespace

int zmViewerMovieFormat(ZmUrlHash* entry, int32_t* width, int32_t* height, int32_t* frames, float* rate,
                        ZmUrlHash** movie) {
  const char* file = localFileOf(entry);
  std::FILE* stream = file ? std::fopen(file, "rb") : nullptr;
  if (stream == nullptr) {
    zmReportWarning("zmViewerMovieFormat:Can't open file");
    return -1;
  }
  int32_t imageWidth = 0, imageHeight = 0;
  const bool known = readImageSize(stream, &imageWidth, &imageHeight);
  std::fclose(stream);
  if (!known || imageWidth != kMovieFrameSide || imageHeight % kMovieFrameSide != 0 ||
      imageHeight == kMovieFrameSide)
    return -1;
  if (width) *width = kMovieFrameSide;
  if (height) *height = kMovieFrameSide;
  if (frames) *frames = imageHeight / kMovieFrameSide;
  if (rate) *rate = kMovieFrameRate;
  if (movie) *movie = entry;
  return 0;
}

int zmRenderVideoNextFrame(ZmObj* object) {
  RwTexture* texture = movieTextureOf(object, "zmRenderVideoNextFrame");
  if (texture == nullptr) return -1;
  if (RwTextureNextFrame(texture) == nullptr)
    return zmReportWarning("zmRenderVideoNextFrame : fail in the 3-D engine.\n"), -1;
  return 0;
}

int zmRenderVideoSetFrame(ZmObj* object, intptr_t frame) {
  RwTexture* texture = movieTextureOf(object, "zmRenderVideoSetFrame");
  if (texture == nullptr) return -1;
  if (RwSetTextureFrame(texture, frame) == nullptr)
    return zmReportWarning("zmRenderVideoSetFrame : fail in the 3-D engine.\n"), -1;
  return 0;
}
