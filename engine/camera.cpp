// engine/camera.cpp -- cameras: records, settings, damage masks, the frame
// cycle, moves, the view matrix and the pick ray.
#include "engine/camera.h"

#include <algorithm>
#include <bit>
#include <iterator>

#include "engine/depthbuffer.h"
#include "engine/error.h"
#include "engine/material.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/renderstate.h"
#include "engine/scenerecords.h"

namespace {

constexpr float defaultNearClipping = 0.05f;
constexpr float defaultFarClipping = 3.4028235e38f;
constexpr intptr_t damageGridUnits = 1024;  // units per side of the damage grid
constexpr int cellUnitsShift = 5;           // a cell is 32 units
constexpr uintptr_t twoMaskFlag = 1;

bool twoMasks(const RwCamera* camera) { return (camera->flags & twoMaskFlag) != 0; }

void markViewChanged(RwCamera* camera) {
  camera->viewMatrix.changed = 1;
  ++camera->changeStamp;
}

// ---- damage masks

// Ones for cell columns first..last (0..31); a full row is built without
// shifting a 32-bit one by 32.
uint32_t columnMask(intptr_t first, intptr_t last) {
  intptr_t count = last - first + 1;
  uint32_t run = count >= rwDamageGridCells ? ~0u : (1u << count) - 1u;
  return run << first;
}

void clearMasks(RwCamera* camera) {
  std::fill(std::begin(camera->damageMaskA), std::end(camera->damageMaskA), 0u);
  if (twoMasks(camera)) std::fill(std::begin(camera->damageMaskB), std::end(camera->damageMaskB), 0u);
}

void damageWholeViewport(RwCamera* camera) {
  RwDamageCameraRect(camera, 0, 0, camera->viewport[2], camera->viewport[3]);
}

void clearAndDamageAll(RwCamera* camera) {
  clearMasks(camera);
  damageWholeViewport(camera);
}

bool rectIsEmpty(const RwRect& rect) { return rect.width < 1 || rect.height < 1; }

// ---- backdrop

RwRect intersection(const RwRect& a, const RwRect& b) {
  int32_t left = std::max(a.x, b.x);
  int32_t top = std::max(a.y, b.y);
  int32_t right = std::min(a.x + a.width, b.x + b.width);
  int32_t bottom = std::min(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

// Copies the raster, repeated, over `target` starting at raster position
// (sourceX, sourceY), in tiles that never cross the raster's edges.
void tileBackdrop(RwCamera* camera, const RwRect& target, int32_t sourceX, int32_t sourceY) {
  const RwRaster* raster = camera->backdrop;
  const int32_t rasterWidth = raster->width;
  const int32_t rasterHeight = raster->height;
  if (!rwDeviceRecord.drawBackdropRect || rasterWidth < 1 || rasterHeight < 1) return;
  for (int32_t rowOffset = 0; rowOffset < target.height;) {
    int32_t sourceRow = (sourceY + rowOffset) % rasterHeight;
    int32_t bandHeight = std::min(rasterHeight - sourceRow, target.height - rowOffset);
    for (int32_t columnOffset = 0; columnOffset < target.width;) {
      int32_t sourceColumn = (sourceX + columnOffset) % rasterWidth;
      int32_t tileWidth = std::min(rasterWidth - sourceColumn, target.width - columnOffset);
      const RwRect source = {sourceColumn, sourceRow, tileWidth, bandHeight};
      rwDeviceRecord.drawBackdropRect(camera, &source, target.x + columnOffset, target.y + rowOffset);
      columnOffset += tileWidth;
    }
    rowOffset += bandHeight;
  }
}

void clearRect(RwCamera* camera, const RwRect& rect) {
  if (rwDeviceRecord.clearRect) rwDeviceRecord.clearRect(camera, &rect);
}

// An offset into the raster, brought into 0..size (a negative one wraps).
int32_t wrapOffset(int32_t offset, int32_t size) {
  if (offset >= 0 || size < 1) return offset;
  return size - static_cast<int32_t>((-static_cast<int64_t>(offset)) % size);
}

void clearWithBackdrop(RwCamera* camera, const RwRect& damaged) {
  const RwRect backdrop = {camera->backdropRect[0], camera->backdropRect[1], camera->backdropRect[2],
                           camera->backdropRect[3]};
  const RwRect inside = intersection(damaged, backdrop);
  if (rectIsEmpty(inside)) {
    clearRect(camera, damaged);
    return;
  }
  // The parts of the damaged rectangle outside the backdrop, cleared last first.
  const RwRect outside[] = {
      {damaged.x, damaged.y, damaged.width, inside.y - damaged.y},
      {damaged.x, inside.y + inside.height, damaged.width, damaged.y + damaged.height - inside.y - inside.height},
      {damaged.x, inside.y, inside.x - damaged.x, inside.height},
      {inside.x + inside.width, inside.y, damaged.x + damaged.width - inside.x - inside.width, inside.height},
  };
  for (int i = 3; i >= 0; --i) {
    if (!rectIsEmpty(outside[i])) clearRect(camera, outside[i]);
  }
  int32_t offsetX = wrapOffset(camera->backdropOffset[0], camera->backdrop->width);
  int32_t offsetY = wrapOffset(camera->backdropOffset[1], camera->backdrop->height);
  tileBackdrop(camera, inside, inside.x - backdrop.x + offsetX, inside.y - backdrop.y + offsetY);
}

void damageBackdropRect(RwCamera* camera) {
  RwDamageCameraRect(camera, camera->backdropRect[0], camera->backdropRect[1], camera->backdropRect[2],
                     camera->backdropRect[3]);
}

// ---- moves

// Runs a matrix operation on the camera frame; a move succeeds only when
// the operation returned its matrix and raised no error of its own.
template <typename Operation>
RwCamera* move(RwCamera* camera, Operation operation) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  int pending = RwGetAndClearError();
  bool ok = operation(&camera->matrix) != nullptr && RwGetError() == rwErrNone;
  if (!ok) return nullptr;
  RwRestoreError(pending);
  markViewChanged(camera);
  return camera;
}

void resetFrame(RwCamera* camera) {
  RwScaleMatrix(&camera->matrix, -1.0f, 1.0f, -1.0f, RwReplace);
  camera->inverseViewWindow[0] = 1.0f;
  camera->inverseViewWindow[1] = 1.0f;
}

RwVector* copyRow(const RwCamera* camera, int row, RwVector* out) {
  if (!camera || !out) return failWith<RwVector>(rwErrInvalidArgument);
  *out = {camera->matrix.m[row][0], camera->matrix.m[row][1], camera->matrix.m[row][2]};
  return out;
}

// ---- view matrix

RwVector row(const RwMatrix& matrix, int index) {
  return {matrix.m[index][0], matrix.m[index][1], matrix.m[index][2]};
}

RwVector combination(const RwVector& a, float scaleA, const RwVector& b, float scaleB) {
  return {a.x * scaleA + b.x * scaleB, a.y * scaleA + b.y * scaleB, a.z * scaleA + b.z * scaleB};
}

void setColumn(RwMatrix& matrix, int column, const RwVector& value, float translation) {
  matrix.m[0][column] = value.x;
  matrix.m[1][column] = value.y;
  matrix.m[2][column] = value.z;
  matrix.m[3][column] = translation;
}

void buildViewMatrix(RwCamera* camera) {
  const RwVector right = row(camera->matrix, 0);
  const RwVector up = row(camera->matrix, 1);
  RwVector at = row(camera->matrix, 2);
  RwVector position = row(camera->matrix, 3);
  const float scaleX = -0.5f * camera->inverseViewWindow[0];
  const float scaleY = -0.5f * camera->inverseViewWindow[1];
  RwMatrix& view = camera->viewMatrix;
  if (camera->projection == rwPerspective) {
    RwVector columnX = combination(right, scaleX, at, 0.5f);
    RwVector columnY = combination(up, scaleY, at, 0.5f);
    setColumn(view, 0, columnX, -RwDotProduct(&position, &columnX));
    setColumn(view, 1, columnY, -RwDotProduct(&position, &columnY));
  } else {
    RwVector columnX = combination(right, scaleX, at, 0.0f);
    RwVector columnY = combination(up, scaleY, at, 0.0f);
    setColumn(view, 0, columnX, 0.5f - RwDotProduct(&position, &columnX));
    setColumn(view, 1, columnY, 0.5f - RwDotProduct(&position, &columnY));
  }
  setColumn(view, 2, at, -RwDotProduct(&position, &at));
  setColumn(view, 3, {0.0f, 0.0f, 0.0f}, 1.0f);
  view.identity = 0;
}

}  // namespace

// ---- module

int RwOpenCameraModule() {
  RwSceneRecords::CameraModule& cameras = rwSceneRecords().cameras;
  cameras.list = nullptr;
  cameras.nextChangeStamp = 0;
  RwResetRenderState();
  cameras.pool = RwCreatePool("cameralist", sizeof(RwCamera));
  if (!cameras.pool) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return 1;
}

int RwCloseCameraModule() {
  RwSceneRecords::CameraModule& cameras = rwSceneRecords().cameras;
  while (cameras.list) RwDestroyCamera(cameras.list);
  RwFreeDepthBuffer();
  RwDestroyPool(cameras.pool);
  cameras.pool = nullptr;
  RwResetRenderState();
  return 1;
}

// ---- creation and destruction

RwCamera* RwCreateCamera(intptr_t width, intptr_t height, void* descriptor) {
  RwSceneRecords::CameraModule& cameras = rwSceneRecords().cameras;
  auto* camera = static_cast<RwCamera*>(RwAllocRecord(cameras.pool));
  if (!camera) return nullptr;
  *camera = {};
  camera->descriptor = descriptor;
  camera->descriptorMadeByDevice = descriptor ? 0 : 1;
  camera->flags = rwDeviceRecord.flags & twoMaskFlag;
  camera->changeStamp = cameras.nextChangeStamp--;
  if (!rwDeviceRecord.createCameraImage || !rwDeviceRecord.createCameraImage(camera, width, height)) {
    RwFreeRecord(cameras.pool, camera);
    return nullptr;
  }
  resetFrame(camera);
  RwIdentityMatrix(&camera->viewMatrix);
  camera->viewMatrix.changed = 1;
  camera->projection = rwPerspective;
  RwSetCameraViewport(camera, 0, 0, 0, 0);
  camera->nearClipping = defaultNearClipping;
  camera->farClipping = defaultFarClipping;
  RwSetCameraBackColor(camera, 0.0f, 0.0f, 0.0f);
  camera->next = cameras.list;
  cameras.list = camera;
  return camera;
}

int RwDestroyCamera(RwCamera* camera) {
  RwSceneRecords::CameraModule& cameras = rwSceneRecords().cameras;
  if (!camera) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  rwCameraLinks().dropUserDrawQueue(camera);
  if (rwDeviceRecord.destroyCameraImage) rwDeviceRecord.destroyCameraImage(camera);
  for (RwCamera** link = &cameras.list; *link; link = &(*link)->next) {
    if (*link == camera) {
      *link = camera->next;
      break;
    }
  }
  if (rwRenderState.currentCamera == camera) rwRenderState.currentCamera = nullptr;
  RwFreeRecord(cameras.pool, camera);
  return 1;
}

// ---- settings

RwCamera* RwSetCameraProjection(RwCamera* camera, int32_t projection) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (projection != rwPerspective && projection != rwParallel) return failWith<RwCamera>(rwErrProjection);
  camera->projection = projection;
  camera->viewMatrix.changed = 1;
  return camera;
}

int32_t RwGetCameraProjection(const RwCamera* camera) {
  if (!camera) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return camera->projection;
}

RwCamera* RwSetCameraViewwindow(RwCamera* camera, float halfWidth, float halfHeight) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (!(halfWidth > 0.0f) || !(halfHeight > 0.0f)) return failWith<RwCamera>(rwErrBadCount);
  camera->inverseViewWindow[0] = 1.0f / halfWidth;
  camera->inverseViewWindow[1] = 1.0f / halfHeight;
  camera->viewMatrix.changed = 1;
  return camera;
}

RwCamera* RwGetCameraViewwindow(const RwCamera* camera, float* halfWidth, float* halfHeight) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (halfWidth) *halfWidth = 1.0f / camera->inverseViewWindow[0];
  if (halfHeight) *halfHeight = 1.0f / camera->inverseViewWindow[1];
  return const_cast<RwCamera*>(camera);
}

RwCamera* RwSetCameraViewport(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  const intptr_t imageWidth = camera->image.width;
  const intptr_t imageHeight = camera->image.height;
  width = std::clamp<intptr_t>(width, 0, imageWidth);
  height = std::clamp<intptr_t>(height, 0, imageHeight);
  if (twoMasks(camera)) {
    x = std::clamp<intptr_t>(x, 0, std::max<intptr_t>(imageWidth - 1, 0));
    y = std::clamp<intptr_t>(y, 0, std::max<intptr_t>(imageHeight - 1, 0));
    width = std::max<intptr_t>(std::min(width, imageWidth - x), 0);
    height = std::max<intptr_t>(std::min(height, imageHeight - y), 0);
  }
  camera->viewport[0] = static_cast<int32_t>(x);
  camera->viewport[1] = static_cast<int32_t>(y);
  camera->viewport[2] = static_cast<int32_t>(width);
  camera->viewport[3] = static_cast<int32_t>(height);
  camera->viewportScale[0] = static_cast<float>(width) * 65536.0f;  // pixels to 16.16
  camera->viewportScale[1] = static_cast<float>(height) * 65536.0f;
  uintptr_t shift = 0;
  for (intptr_t side = std::max(width, height); side > damageGridUnits; side >>= 1) ++shift;
  camera->damageShift = shift;
  markViewChanged(camera);
  clearAndDamageAll(camera);
  return camera;
}

RwCamera* RwGetCameraViewport(const RwCamera* camera, intptr_t* x, intptr_t* y, intptr_t* width, intptr_t* height) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (x) *x = camera->viewport[0];
  if (y) *y = camera->viewport[1];
  if (width) *width = camera->viewport[2];
  if (height) *height = camera->viewport[3];
  return const_cast<RwCamera*>(camera);
}

float RwGetCameraNearClipping(const RwCamera* camera) {
  if (!camera) {
    RwSetError(rwErrInvalidArgument);
    return -1.0f;
  }
  return camera->nearClipping;
}

float RwGetCameraFarClipping(const RwCamera* camera) {
  if (!camera) {
    RwSetError(rwErrInvalidArgument);
    return -1.0f;
  }
  return camera->farClipping;
}

RwCamera* RwSetCameraBackColor(RwCamera* camera, float red, float green, float blue) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  const intptr_t bytes[3] = {RwRealToInt(red * 255.0f + 0.5f), RwRealToInt(green * 255.0f + 0.5f),
                             RwRealToInt(blue * 255.0f + 0.5f)};
  if (rwDeviceRecord.nearestPaletteIndex) camera->backgroundIndex = rwDeviceRecord.nearestPaletteIndex(bytes) & 0xFF;
  // The device colour comes the way a material's does.
  RwMaterial* material = RwPushCurrentMaterial();
  if (!material) return nullptr;
  RwSetMaterialColor(material, red, green, blue);
  camera->backgroundColour = material->colour;
  RwPopCurrentMaterial();
  clearAndDamageAll(camera);
  return camera;
}

RwCamera* RwSetCameraBackdrop(RwCamera* camera, RwRaster* raster) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  camera->backdrop = raster;
  damageBackdropRect(camera);
  return camera;
}

RwRaster* RwGetCameraBackdrop(const RwCamera* camera) {
  return camera ? camera->backdrop : failWith<RwRaster>(rwErrInvalidArgument);
}

RwCamera* RwSetCameraBackdropOffset(RwCamera* camera, intptr_t x, intptr_t y) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  camera->backdropOffset[0] = static_cast<int32_t>(x);
  camera->backdropOffset[1] = static_cast<int32_t>(y);
  if (camera->backdrop) damageBackdropRect(camera);
  return camera;
}

RwCamera* RwSetCameraBackdropViewportRect(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (camera->backdrop) damageBackdropRect(camera);
  camera->backdropRect[0] = static_cast<int32_t>(x);
  camera->backdropRect[1] = static_cast<int32_t>(y);
  camera->backdropRect[2] = static_cast<int32_t>(width);
  camera->backdropRect[3] = static_cast<int32_t>(height);
  if (camera->backdrop) damageBackdropRect(camera);
  return camera;
}

RwCamera* RwSetCameraData(RwCamera* camera, uintptr_t data) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  camera->userData = data;
  return camera;
}

uintptr_t RwGetCameraData(const RwCamera* camera) {
  if (!camera) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return camera->userData;
}

HDC RwGetCameraImage(const RwCamera* camera) {
  if (!camera) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  return camera->image.memoryDc;
}

RwMatrix* RwCameraMatrix(RwCamera* camera) {
  return camera ? &camera->matrix : failWith<RwMatrix>(rwErrInvalidArgument);
}

// ---- frame cycle

RwCamera* RwInvalidateCameraViewport(RwCamera* camera) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  clearAndDamageAll(camera);
  return camera;
}

RwCamera* RwBeginCameraUpdate(RwCamera* camera, intptr_t deviceArgument) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  rwRenderState.currentCamera = camera;
  if (rwDeviceRecord.beginUpdate) rwDeviceRecord.beginUpdate(camera, deviceArgument);
  return camera;
}

RwCamera* RwClearCameraViewport(RwCamera* camera) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  RwDamageRects damaged;
  RwDamageMaskRects(camera, camera->damageMaskA, &damaged);
  for (int i = 0; i < damaged.count; ++i) {
    if (camera->backdrop) {
      clearWithBackdrop(camera, damaged.rects[i]);
    } else {
      clearRect(camera, damaged.rects[i]);
    }
  }
  for (int r = 0; r < rwDamageGridCells; ++r) {
    if (!twoMasks(camera)) camera->damageMaskB[r] |= camera->damageMaskA[r];
    camera->damageMaskA[r] = 0;
  }
  return camera;
}

RwCamera* RwEndCameraUpdate(RwCamera* camera) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (rwRenderState.currentCamera == camera) {
    rwCameraLinks().drawUserDrawQueue(camera);
    if (rwDeviceRecord.endUpdate) rwDeviceRecord.endUpdate(camera);
  }
  rwRenderState.currentCamera = nullptr;
  return camera;
}

RwCamera* RwShowCameraImage(RwCamera* camera, HDC windowDc) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (rwRenderState.currentCamera != camera) {
    uint32_t showMask[rwDamageGridCells] = {};
    if (!twoMasks(camera)) {
      for (int r = 0; r < rwDamageGridCells; ++r) {
        showMask[r] = camera->damageMaskA[r] | camera->damageMaskB[r];
        camera->damageMaskB[r] = 0;
      }
    }
    RwDamageRects shown;
    RwDamageMaskRects(camera, showMask, &shown);
    if (rwDeviceRecord.showImage) {
      for (int i = 0; i < shown.count; ++i) rwDeviceRecord.showImage(camera, &shown.rects[i], windowDc);
      const RwRect endOfSequence = {0, 0, 0, 0};
      rwDeviceRecord.showImage(camera, &endOfSequence, windowDc);
    }
  }
  if (twoMasks(camera)) std::swap(camera->damageMaskA, camera->damageMaskB);
  return camera;
}

RwCamera* RwDamageCameraRect(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  const intptr_t viewportWidth = camera->viewport[2];
  const intptr_t viewportHeight = camera->viewport[3];
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  width = std::min(width, viewportWidth - x);
  height = std::min(height, viewportHeight - y);
  if (width < 1 || height < 1) return camera;
  // Cells are 32 units of 1 << shift pixels; every cell holding a pixel counts.
  const uintptr_t shift = camera->damageShift;
  const intptr_t firstColumn = (x >> shift) >> cellUnitsShift;
  const intptr_t lastColumn = ((x + width - 1) >> shift) >> cellUnitsShift;
  const intptr_t firstRow = (y >> shift) >> cellUnitsShift;
  const intptr_t lastRow = ((y + height - 1) >> shift) >> cellUnitsShift;
  const uint32_t columns = columnMask(firstColumn, lastColumn);
  for (intptr_t r = firstRow; r <= lastRow; ++r) {
    camera->damageMaskA[r] |= columns;
    if (twoMasks(camera)) camera->damageMaskB[r] |= columns;
  }
  return camera;
}

RwCamera* RwGetCurrentCamera() { return rwRenderState.currentCamera; }

void RwDamageMaskRects(const RwCamera* camera, const uint32_t* mask, RwDamageRects* out) {
  out->count = 0;
  const int shift = static_cast<int>(camera->damageShift);
  const int32_t viewportWidth = camera->viewport[2];
  const int32_t viewportHeight = camera->viewport[3];
  constexpr int32_t cellUnits = 1 << cellUnitsShift;
  for (int r = 0; r < rwDamageGridCells; ++r) {
    const uint32_t word = mask[r];
    const int top = r;
    for (int bit = 0; bit < rwDamageGridCells;) {
      uint32_t rest = word >> bit;
      if (!rest) break;
      bit += std::countr_zero(rest);
      const int runLength = std::countr_one(word >> bit);
      const int runEnd = bit + runLength;
      const bool onlyRun = (word & ((1u << bit) - 1u)) == 0 && (runEnd >= 32 || (word >> runEnd) == 0);
      int rowsDown = 1;
      if (onlyRun) {
        while (r + 1 < rwDamageGridCells && mask[r + 1] == word) {
          ++r;
          ++rowsDown;
        }
      }
      RwRect rect = {(bit * cellUnits) << shift, (top * cellUnits) << shift, (runLength * cellUnits) << shift,
                     (rowsDown * cellUnits) << shift};
      rect.width = std::min(rect.width, viewportWidth - rect.x);
      const bool pastBottom = rect.y + rect.height > viewportHeight;
      if (pastBottom) rect.height = viewportHeight - rect.y;
      if (!rectIsEmpty(rect)) out->rects[out->count++] = rect;
      if (pastBottom) return;
      bit = runEnd;
    }
  }
}

// ---- moves

RwCamera* RwResetCamera(RwCamera* camera) {
  return move(camera, [camera](RwMatrix*) {
    resetFrame(camera);
    return &camera->matrix;
  });
}

RwMatrix* RwGetCameraMatrix(const RwCamera* camera, RwMatrix* out) {
  if (!camera || !out) return failWith<RwMatrix>(rwErrInvalidArgument);
  *out = camera->matrix;
  return out;
}

RwCamera* RwTransformCamera(RwCamera* camera, const RwMatrix* matrix, int32_t mode) {
  if (!matrix) return failWith<RwCamera>(rwErrInvalidArgument);
  return move(camera, [=](RwMatrix* frame) { return RwTransformOrthoNormal(frame, matrix, mode); });
}

RwCamera* RwSetCameraPosition(RwCamera* camera, float x, float y, float z) {
  return move(camera, [=](RwMatrix* frame) { return RwSetMatrixPosition(frame, x, y, z); });
}

RwVector* RwGetCameraPosition(const RwCamera* camera, RwVector* out) { return copyRow(camera, 3, out); }

RwCamera* RwPointCamera(RwCamera* camera, float x, float y, float z) {
  return move(camera, [=](RwMatrix* frame) { return RwSetMatrixAt(frame, x, y, z); });
}

RwVector* RwGetCameraLookAt(const RwCamera* camera, RwVector* out) { return copyRow(camera, 2, out); }

RwCamera* RwSetCameraLookUp(RwCamera* camera, float x, float y, float z) {
  return move(camera, [=](RwMatrix* frame) { return RwSetMatrixUp(frame, x, y, z); });
}

RwVector* RwGetCameraLookUp(const RwCamera* camera, RwVector* out) { return copyRow(camera, 1, out); }

RwCamera* RwPanCamera(RwCamera* camera, float angle) {
  return move(camera, [=](RwMatrix* frame) { return RwRotateMatrixY(frame, angle); });
}

RwCamera* RwTiltCamera(RwCamera* camera, float angle) {
  return move(camera, [=](RwMatrix* frame) { return RwRotateMatrixX(frame, angle); });
}

RwCamera* RwRevolveCamera(RwCamera* camera, float angle) {
  return move(camera, [=](RwMatrix* frame) { return RwRotateMatrixZ(frame, angle); });
}

RwCamera* RwVCMoveCamera(RwCamera* camera, float x, float y, float z) {
  // The right vector points to the screen's left: +x moves against it.
  return move(camera, [=](RwMatrix* frame) { return RwPreTranslateMatrix(frame, -x, y, z); });
}

RwCamera* RwWCMoveCamera(RwCamera* camera, float x, float y, float z) {
  return move(camera, [=](RwMatrix* frame) { return RwPostTranslateMatrix(frame, x, y, z); });
}

// ---- for the pipeline

RwCamera* RwUpdateCameraView(RwCamera* camera) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  if (!camera->viewMatrix.changed) return camera;
  buildViewMatrix(camera);
  camera->viewMatrix.changed = 0;
  ++camera->changeStamp;
  return camera;
}

RwVector* RwCameraPickRay(const RwCamera* camera, intptr_t x, intptr_t y, RwVector* origin, RwVector* direction) {
  if (!camera || !origin || !direction) return failWith<RwVector>(rwErrInvalidArgument);
  if (camera->projection != rwPerspective && camera->projection != rwParallel) {
    return failWith<RwVector>(rwErrEnumValue);
  }
  const float width = static_cast<float>(camera->viewport[2]);
  const float height = static_cast<float>(camera->viewport[3]);
  const float halfWidth = 1.0f / camera->inverseViewWindow[0];
  const float halfHeight = 1.0f / camera->inverseViewWindow[1];
  // Through pixel centres, in view-window units at distance 1.
  float fx = 0.0f, fy = 0.0f;
  if (width != 0.0f) fx = (2.0f * static_cast<float>(x) - width + 1.0f) * halfWidth / width;
  if (height != 0.0f) fy = (height - 2.0f * static_cast<float>(y) - 1.0f) * halfHeight / height;
  const RwVector right = row(camera->matrix, 0);
  const RwVector up = row(camera->matrix, 1);
  const RwVector at = row(camera->matrix, 2);
  const RwVector position = row(camera->matrix, 3);
  const RwVector offset = combination(right, -fx, up, fy);
  if (camera->projection == rwPerspective) {
    *origin = position;
    RwAddVector(&at, &offset, direction);
  } else {
    RwAddVector(&position, &offset, origin);
    *direction = at;
  }
  return direction;
}
