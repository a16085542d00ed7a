// engine/drawslots.h -- the software device's draw slot table and
// rasteriser selection.
//
// Owns: RwInstallRenderers, which gives a device record the software
// renderers of a colour depth (the 12 renderer pairs of DrawSlotTable), the
// slope table, the shade tables and the slots every software device shares
// (begin update, clear, backdrop, depth clear, colour values, control,
// close); the texture-mode table through which textured pairs pick their
// triangle routine; and the per-update set-up of the render target that
// the rasterisers read (engine/raster/rastertarget.h).
// It does not own the routines themselves (engine/raster/), the Windows
// back-ends (engine/windevice.h) nor a material's choice of pair
// (engine/material.h).
#ifndef LUMENFOLD_ENGINE_DRAWSLOTS_H
#define LUMENFOLD_ENGINE_DRAWSLOTS_H

#include <cstdint>

#include "engine/device.h"
#include "engine/raster/rastertarget.h"

struct RwCamera;

// The renderer words of the record, pair k = words 14 + 2k and 15 + 2k.
inline RwRendererPair* DrawSlotTable(RwDeviceRecord* record) { return record->renderers; }

/*
 * TextureModeTable --
 *   104 triangle routines in sixteen blocks, one per textured draw routine
 *   and depth. A block's routine calls entry (block start + index), index =
 *   texture-mode byte AND the current texture-mode mask, further masked
 *   with 3 in the blocks of four (entries 0..23), where the filter bit is
 *   ignored. Entries 0..39 serve depths 15 and 16, 40..103 depth 8; the
 *   install fills those of its depth and empties the others.
 */
constexpr int rwTextureModeEntries = 104;
// The installed device's table; the textured routines reach it through
// rwRasterTarget.textureModeTable.
const RwTriangleRoutine* RwGetTextureModeTable();
// The entry a textured routine uses: RwTextureModeEntry (rastertarget.h).

/*
 * RwInstallRenderers --
 *   Gives the record the software renderers and common slots of the depth
 *   (8, 15 or 16; depth 1 installs no renderer), builds the slope table and
 *   allocates and builds the shade tables.
 * Results:
 *   1; 0 without an error number for an unknown depth; 0 with error 3 when
 *   a table cannot be allocated.
 */
int RwInstallRenderers(RwDeviceRecord* record, intptr_t screenWidth, intptr_t screenHeight, intptr_t depth);

// Frees what the install allocated (slope, shade and depth tables).
void RwCloseRenderers();

// The renderers' begin update: points the render target at the camera's
// viewport (row addresses, strides, z-buffer, dither start entries, limits,
// texture-mode mask: 7 perspective, 5 parallel).
void RwBeginRender(RwCamera* camera, intptr_t argument);

// At image depth 8, sets the camera's background palette index from its
// background colour value (5:6:5 widened to bytes, nearest palette index).
void RwRefreshBackgroundIndex(RwCamera* camera);

#endif
