// viewer/construct.h -- the engine for the whole program, and a world's
// object tree mirrored into engine objects.
//
// Owns: opening and closing the engine, each world's `RenderingStruct` with
// its scene, default camera and backdrop raster, and the walk that calls the
// leaf builder of every leaf (showing only the chosen child of a Switch) and
// destroys the engine part of a subtree again. It does not own the leaf
// builders (viewer/builders.h) nor the frame (viewer/frame.h).
// Every failure is reported "operation() : text" where it happens.
#ifndef LUMENFOLD_VIEWER_CONSTRUCT_H
#define LUMENFOLD_VIEWER_CONSTRUCT_H

struct ZmLeaf;
struct ZmObj;
struct ZmWorld;

int zmRenderInitViewer();  // 0; -5 when the engine runs out of memory; -1
int zmRenderExitViewer();  // 0

int zmRwInitRWStruct(ZmWorld* world);      // a new zero-filled record; 0 or -5
int zmRwSetDefaultCamera(ZmWorld* world);  // 0 or -1
int zmRwSetScene(ZmWorld* world);          // the scene and every top object; 0 or -1
// A fresh record, default camera and scene with every object built; 0 or -1.
int zmRenderConstructWorldInViewer(ZmWorld* world);
// Destroys the scene, backdrop and default camera and frees the record; 0 or -1.
int zmRenderDestroyWorldInViewer(ZmWorld* world);
// As construction, but the new scene stays empty.
int zmRenderBeforeIncrementalLoading(ZmWorld* world);

// The engine part of a subtree; 0 or -1. An object with children never has
// its own leaves built. The avatar's shapes get no engine objects.
int zmRenderConstructPartInViewer(ZmObj* object);
int zmRenderConstructPersonInViewer(ZmObj* object);
int zmRenderDestroyPartInViewer(ZmObj* object);
// Destroys the engine textures of the leaf's image and mask when no other
// material uses them; 0 or -1.
int zmRenderDestroyLeafTexture(ZmLeaf* leaf);

int zmRenderPause(ZmWorld* world);   // rendering-enabled word := 0
int zmRenderResume(ZmWorld* world);  // reloads the backdrop, then := 1
int zmRenderIsEnabled(ZmWorld* world);
void zmRenderBeginIncrementalLoading();
void zmRenderEndIncrementalLoading();

#endif
