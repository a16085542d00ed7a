// engine/damage.h -- damaged-rectangle lists.
//
// Owns: the pool "metarectlist" and the list records made from it. A list is
// a chain of rectangles that never overlap; cameras and scenes keep lists to
// limit clearing and showing to what changed. The caller owns each list and
// hands it back with RwFreeDamagedRects.
// It does not own what is cleared or shown for a list (engine/camera.h,
// engine/scene.h).
#ifndef LUMENFOLD_ENGINE_DAMAGE_H
#define LUMENFOLD_ENGINE_DAMAGE_H

#include <cstdint>

#include "engine/device.h"

struct RwDamagedRect {
  RwDamagedRect* next;
  int32_t x, y, width, height;
};

/*
 * RwAddDamagedRect --
 *   Adds a rectangle to the list so that the list covers the union and its
 *   rectangles still do not overlap: listed rectangles inside it are dropped,
 *   one that it crosses on a whole side is trimmed, and otherwise only the
 *   parts of the new rectangle outside the listed ones are added.
 * Results:
 *   The new list. An empty rectangle leaves the list unchanged. When the pool
 *   runs out, error 3 is set and the rectangles that found no record are dropped;
 *   the list returned is still whole and valid.
 */
RwDamagedRect* RwAddDamagedRect(RwDamagedRect* list, const RwRect* rect);
// Returns every record of the list to the pool; returns null (the empty list).
RwDamagedRect* RwFreeDamagedRects(RwDamagedRect* list);

int RwOpenDamagedRectModule();
int RwCloseDamagedRectModule();

#endif
