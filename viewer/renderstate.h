// viewer/renderstate.h -- the record of the program-wide rendering state
// (private to viewer/).
//
// Owns: RenderState, what the viewer keeps for every world's engine
// counterpart rather than per world: the view-window size new cameras take
// as their viewport, whether constructing a world pumps the window queue,
// and the textures that wait while a world is read. The three belong to
// making a world's engine objects, which a world load drives from start to
// end. Each module writes only its own member: `viewWindow`
// viewer/rendering.cpp, `incremental` viewer/construct.cpp,
// `pendingTextures` viewer/texture.cpp. The record is defined in
// viewer/rendering.cpp. It does not own the per-world renderer records
// (the world's rendering field).
#ifndef LUMENFOLD_VIEWER_RENDERSTATE_H
#define LUMENFOLD_VIEWER_RENDERSTATE_H

#include <cstdint>

#include "core/dirs.h"
#include "viewer/texture.h"

struct ZmObj;

// ---- viewer/rendering.cpp --------------------------------------------------

struct ViewWindowSize {
  int width;   // client pixels of the view window
  int height;
};

// ---- viewer/construct.cpp --------------------------------------------------

// Whether construction pumps the window queue between objects, and when next.
struct IncrementalLoading {
  int on;               // 0 at start; nothing in the program switches it on
  ZmTimeStamp nextPump;
};

// ---- viewer/texture.cpp ----------------------------------------------------

// One per program, cleared before every world load.
struct PendingTextures {
  ZmObj* queue[zmMaxPendingTextures];  // objects whose textures wait
  int32_t count;                       // 0 .. zmMaxPendingTextures
  int32_t loading;                     // 0: requests are queued; 1: carried out at once
};

struct RenderState {
  ViewWindowSize viewWindow;
  IncrementalLoading incremental;
  PendingTextures pendingTextures;
};
RenderState& renderState();

#endif
