// engine/drawingstate.h -- the state of one clump's pass through the clip
// chain (private to engine/).
//
// Owns the one record that holds the clip chain's stages and the records the
// chain's final stages report to: the box-extremes collector of a render and
// the pick window with its best hit. The chain is built for each clump that
// is rendered or picked, and the collectors are reset right before the chain
// is driven: their callbacks take no context, so the pass's state lives here.
// So does the save area of the clump's world matrix, which a render aligns
// for the pass and restores before the next clump. The record is defined in
// clip.cpp.
//
// Which module writes which member:
//   clip       clip.cpp    the stage after each of the x, y and z stages, and the final one
//   rendering  render.cpp  the world matrix save area and the box faces' extremes
//   pick       pick.cpp    the pick window and the best hit so far
// It does not own the render state (engine/renderstate.h), the clip scratch
// vertices, nor the polygons drawn.
#ifndef LUMENFOLD_ENGINE_DRAWINGSTATE_H
#define LUMENFOLD_ENGINE_DRAWINGSTATE_H

#include <cstdint>

#include "engine/clip.h"
#include "engine/fixed.h"
#include "engine/matrix.h"
#include "engine/polygon.h"

struct RwDrawingState {
  // The one chain (built per clump render or pick).
  struct ClipChain {
    RwDrawEntry finalEntry;  // called by the driver
    RwDrawEntry nextX;       // after the x stage
    RwDrawEntry nextY;       // after the y stage
    RwDrawEntry nextZ;       // after the z stage
  } clip;

  // The render module's part: the matrix save area, and the extremes that the clip
  // of the box faces reports to (its callback takes no context).
  struct RenderModule {
    // What survives clipping of the box faces, in the unit view window.
    struct Extremes {
      float minX, maxX, minY, maxY;
      bool perspective;
      bool reached;
    };
    RwMatrix savedMatrix = {};  // the one save area; alignment is undone before the next clump
    Extremes extremes = {};
  } rendering;

  // The query in progress: the pixel's window and the best hit so far.
  struct PickQuery {
    struct Window {  // the pixel, both edges inside (16.16)
      RwFixed xLow, xHigh, yLow, yHigh;
    };
    struct Hit {
      RwPolygon* polygon;  // parent of what reached the window, or null
      int32_t depth;       // screen depth of its first vertex
    };
    Window window;
    Hit hit;
  } pick;
};

RwDrawingState& rwDrawingState();

#endif
