// engine/userdraw.cpp -- user-draw objects: lists, placement and drawing.
#include "engine/userdraw.h"

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/error.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/poolrecords.h"
#include "engine/vertexxform.h"

namespace {


void unlinkFromClump(RwUserDraw* userDraw) {
  RwClump* clump = userDraw->clump;
  if (!clump) return;
  for (RwUserDraw** link = &clump->userDraws; *link; link = &(*link)->clumpNext) {
    if (*link == userDraw) {
      *link = userDraw->clumpNext;
      break;
    }
  }
  userDraw->clump = nullptr;
  userDraw->clumpNext = nullptr;
}

void unlinkFromCamera(RwUserDraw* userDraw) {
  RwCamera* camera = userDraw->camera;
  if (!camera) return;
  for (RwUserDraw** link = &camera->userDrawQueue; *link; link = &(*link)->cameraNext) {
    if (*link == userDraw) {
      *link = userDraw->cameraNext;
      break;
    }
  }
  userDraw->camera = nullptr;
  userDraw->cameraNext = nullptr;
}

// Halving as the placement rules do it: an arithmetic shift.
intptr_t half(intptr_t value) { return value >> 1; }

// The point on a rectangle that edge flags choose (its centre without any).
void pointOnRect(uintptr_t flags, intptr_t x, intptr_t y, intptr_t width, intptr_t height, intptr_t* px,
                 intptr_t* py) {
  *px = flags & rwEdgeLeft ? x : flags & rwEdgeRight ? x + width : x + half(width);
  *py = flags & rwEdgeTop ? y : flags & rwEdgeBottom ? y + height : y + half(height);
}

// The projected clump origin, in whole pixels.
void projectedOrigin(RwClump* clump, RwCamera* camera, intptr_t* x, intptr_t* y) {
  RwMatrix work;
  RwMultiplyMatrix(&clump->worldMatrix, &camera->viewMatrix, &work);
  RwVertex origin = {};
  RwTransformVertices(&origin, 1, &work, camera, rwTransformAndProject);
  *x = origin.screenX >> 16;
  *y = origin.screenY >> 16;
}

// Places the user-draw; false when it has no place (a vertex that cannot be
// projected). An alignment outside the four is error 76 and keeps the
// user-draw's last position.
bool place(RwUserDraw* userDraw, RwClump* clump, const RwRect& rect, RwCamera* camera) {
  userDraw->placed.width = static_cast<int32_t>(userDraw->width);
  userDraw->placed.height = static_cast<int32_t>(userDraw->height);
  intptr_t px = 0, py = 0;
  switch (userDraw->alignment) {
    case rwAlignToClumpOrigin:
      projectedOrigin(clump, camera, &px, &py);
      userDraw->placed.x = static_cast<int32_t>(userDraw->offsetX + px);
      userDraw->placed.y = static_cast<int32_t>(userDraw->offsetY + py);
      return true;
    case rwAlignToClumpVertex:
      if (!RwGetVertexScreenPosition(clump, userDraw->reference, &px, &py)) return false;
      break;
    case rwAlignToClumpRect:
      pointOnRect(static_cast<uintptr_t>(userDraw->reference), rect.x, rect.y, rect.width, rect.height, &px, &py);
      break;
    case rwAlignToViewport:
      pointOnRect(static_cast<uintptr_t>(userDraw->reference), 0, 0, camera->viewport[2], camera->viewport[3], &px,
                  &py);
      break;
    default:
      // Drawn where it was last placed (its placed size is the new one).
      RwSetError(rwErrEnumValue);
      return true;
  }
  const uintptr_t anchor = userDraw->anchor;
  const intptr_t width = userDraw->width, height = userDraw->height;
  const intptr_t x = anchor & rwEdgeLeft ? px : anchor & rwEdgeRight ? px - width : px - half(width);
  const intptr_t y = anchor & rwEdgeTop ? py : anchor & rwEdgeBottom ? py - height : py - half(height);
  userDraw->placed.x = static_cast<int32_t>(x + userDraw->offsetX);
  userDraw->placed.y = static_cast<int32_t>(y + userDraw->offsetY);
  return true;
}

bool overlapsViewport(const RwRect& placed, const RwCamera* camera) {
  return placed.x < camera->viewport[2] && placed.x + placed.width >= 1 && placed.y < camera->viewport[3] &&
         placed.y + placed.height >= 1;
}

// ---- the clump's and the camera's slots

void destroyClumpUserDraws(RwClump* clump) {
  while (RwUserDraw* userDraw = clump->userDraws) RwDestroyUserDraw(userDraw);
}

int duplicateClumpUserDraws(RwClump* copy, const RwClump* source) {
  for (RwUserDraw* userDraw = source->userDraws; userDraw; userDraw = userDraw->clumpNext) {
    RwUserDraw* duplicate = RwDuplicateUserDraw(userDraw);
    if (!duplicate) return 0;
    RwAddUserDrawToClump(copy, duplicate);
  }
  return 1;
}

void drawQueue(RwCamera* camera) { RwDrawCameraUserDraws(camera); }

void dropQueue(RwCamera* camera) {
  while (RwUserDraw* userDraw = camera->userDrawQueue) unlinkFromCamera(userDraw);
}

constexpr RwClumpUserDrawLinks clumpUserDrawLinks = {
    .destroyUserDraws = destroyClumpUserDraws,
    .duplicateUserDraws = duplicateClumpUserDraws,
};

constexpr RwCameraLinks cameraUserDrawLinks = {
    .drawUserDrawQueue = drawQueue,
    .dropUserDrawQueue = dropQueue,
};

}  // namespace

int RwOpenUserDrawModule() {
  RwPool*& pool = rwPoolRecords().userDraws;
  pool = RwCreatePool("userdrawlist", sizeof(RwUserDraw));
  if (!pool) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  rwClumpLinks.userDraws.provide(clumpUserDrawLinks);
  rwCameraLinks.provide(cameraUserDrawLinks);
  return 1;
}

int RwCloseUserDrawModule() {
  rwClumpLinks.userDraws.withdraw();
  rwCameraLinks.withdraw();
  RwPool*& pool = rwPoolRecords().userDraws;
  RwDestroyPool(pool);
  pool = nullptr;
  return 1;
}

RwUserDraw* RwCreateUserDraw(intptr_t alignment, uintptr_t anchor, intptr_t reference, intptr_t offsetX,
                             intptr_t offsetY, intptr_t width, intptr_t height, RwUserDrawCallback callback,
                             uintptr_t data) {
  auto* userDraw = static_cast<RwUserDraw*>(RwAllocRecord(rwPoolRecords().userDraws));
  if (!userDraw) return nullptr;
  *userDraw = {};
  userDraw->callback = callback;
  userDraw->data = data;
  userDraw->offsetX = offsetX;
  userDraw->offsetY = offsetY;
  userDraw->width = width;
  userDraw->height = height;
  userDraw->alignment = alignment;
  userDraw->anchor = anchor;
  userDraw->reference = reference;
  return userDraw;
}

RwClump* RwAddUserDrawToClump(RwClump* clump, RwUserDraw* userDraw) {
  if (!clump || !userDraw) return failWith<RwClump>(rwErrInvalidArgument);
  if (userDraw->clump == clump) return clump;
  unlinkFromClump(userDraw);
  userDraw->clump = clump;
  userDraw->clumpNext = clump->userDraws;
  clump->userDraws = userDraw;
  return clump;
}

RwUserDraw* RwDuplicateUserDraw(RwUserDraw* userDraw) {
  if (!userDraw) return failWith<RwUserDraw>(rwErrInvalidArgument);
  RwUserDraw* copy =
      RwCreateUserDraw(userDraw->alignment, userDraw->anchor, userDraw->reference, userDraw->offsetX,
                       userDraw->offsetY, userDraw->width, userDraw->height, userDraw->callback, userDraw->data);
  if (copy && userDraw->clump) RwAddUserDrawToClump(userDraw->clump, copy);
  return copy;
}

int RwDestroyUserDraw(RwUserDraw* userDraw) {
  if (!userDraw) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  unlinkFromClump(userDraw);
  unlinkFromCamera(userDraw);
  RwFreeRecord(rwPoolRecords().userDraws, userDraw);
  return 1;
}

RwClump* RwPlaceClumpUserDraws(RwClump* clump, const RwRect* rect, RwCamera* camera) {
  if (!clump || !rect || !camera) return failWith<RwClump>(rwErrInvalidArgument);
  for (RwUserDraw* userDraw = clump->userDraws; userDraw; userDraw = userDraw->clumpNext) {
    if (userDraw->camera) return failWith<RwClump>(rwErrUserDraw);
    if (!place(userDraw, clump, *rect, camera) || !overlapsViewport(userDraw->placed, camera)) continue;
    userDraw->camera = camera;
    userDraw->cameraNext = camera->userDrawQueue;
    camera->userDrawQueue = userDraw;
  }
  return clump;
}

RwCamera* RwDrawCameraUserDraws(RwCamera* camera) {
  if (!camera) return failWith<RwCamera>(rwErrInvalidArgument);
  // Taken off the queue before its callback, so a callback may destroy any
  // user-draw, itself included.
  while (RwUserDraw* userDraw = camera->userDrawQueue) {
    camera->userDrawQueue = userDraw->cameraNext;
    userDraw->camera = nullptr;
    userDraw->cameraNext = nullptr;
    const RwRect rect = userDraw->placed;
    if (userDraw->callback) userDraw->callback(userDraw, &camera->image, &rect, userDraw->data);
    RwDamageCameraRect(camera, rect.x, rect.y, rect.width, rect.height);
  }
  return camera;
}
