// viewer/api.h -- the viewer's programming interface: what the shell, the
// script commands, the multi-user client and media call to reach the
// renderer bridge.
//
// Owns: the program-wide start and end of the viewer (opening the engine,
// reading the bookmarks and registering their saving as an exit handler),
// reading a world file and mirroring it into the engine, bringing a subtree
// into the engine or taking it out with rendering paused around the work,
// and the small questions about objects (visible, solid, the shown child of
// a Switch). Each operation is a short sequence over world construction
// (viewer/construct.h), the frame (viewer/frame.h), transfer and states
// (viewer/transfer.h), textures (viewer/texture.h) and the reader; the
// viewer keeps no state of its own here. It does not own the avatar
// (viewer/person.h) nor the attributes (viewer/attributes.h).
//
// Operations returning "0 / -1" stop at the first failing step, which has
// reported itself. A subtree operation whose middle step fails skips the
// resume: the world stays paused (rendering disabled) until a later resume.
#ifndef LUMENFOLD_VIEWER_API_H
#define LUMENFOLD_VIEWER_API_H

#include <cstdint>

struct ZmLeaf;
struct ZmObj;
struct ZmUrlHash;
struct ZmWorld;

// ---- Start and end --------------------------------------------------------

int zmInitViewer();  // opens the 3-D engine: that of zmRenderInitViewer
/*
 * zmInit --
 *   Empties the exit handlers and opens the engine; then reads the
 *   bookmarks and registers their saving as an exit handler.
 * Results:
 *   0; -1 after "zmInit() : fails to initialize viewer." (the bookmarks are
 *   then neither read nor saved at exit).
 */
int zmInit();
int zmExit();         // runs the exit handlers, last registered first; 0
void zmExitViewer();  // closes the engine
int zmShowCredits();  // the acknowledgement in the message log

// ---- Worlds and subtrees ----------------------------------------------------

int zmReadWorld(const char* file, ZmWorld* world);  // zmConstructWorld
// Reads the file into the world (ids -10000 to -1) and builds it; 0 / -1.
int zmConstructWorld(const char* file, ZmWorld* world);
int zmConstructWorldInViewer(ZmWorld* world);
int zmConstructObjInViewer(ZmObj* object);
// The scene core calls it (through its hook) for every object deleted, cut
// out or emptied; a grab of the subtree is forgotten first (viewer/grab.h).
int zmDestroyObjInViewer(ZmObj* object);
int zmConstructPersonInViewer(ZmObj* person);
// Replaces the object's children by the file's contents, rebuilt; 0 / -1.
int zmReadObj(const char* file, ZmObj* object);
int zmShowWorld(ZmWorld* world);  // one frame: that of zmRenderShowWorld

// ---- Object state -----------------------------------------------------------

int zmShowObj(ZmObj* object);  // 0
int zmHideObj(ZmObj* object);  // 0
void zmSetObjSolid(ZmObj* object, int mode);  // 1 filled, else wireframe
void zmSetLeafSolid(ZmLeaf* leaf, int mode);
int zmSetBoundingBox(ZmObj* object);
int zmDeleteBoundingBox(ZmObj* object);
// The view-window pixel of a world point through the active camera; 0, and
// nothing written without a world or an active camera.
int zmProjectObjPoint(ZmWorld* world, const float point[3], int* x, int* y, int* onScreen);

// ---- Textures and movies ----------------------------------------------------

int zmSetObjTexture(ZmObj* object);
int zmSetLeafTexture(ZmLeaf* leaf);
int zmSetTexture(ZmLeaf* leaf);  // obsolete: warns, then the owner's textures
int zmViewerVideoNextFrame(ZmObj* object);
int zmViewerVideoSetFrame(ZmObj* object, intptr_t frame);
int zmViewerGetMovieFormat(ZmUrlHash* entry, int32_t* width, int32_t* height, int32_t* frames, float* rate,
                           ZmUrlHash** movie);

// ---- Queries ------------------------------------------------------------------

// 1 or 0. An object without leaves answers for its first child; wrong
// objects warn and give 0.
int zmIsVisible(ZmObj* object);
int zmIsSolid(ZmObj* object);
// On a Switch or LOD object with children; otherwise a warning and 0 (null).
int32_t zmGetSwitchObjNum(ZmObj* object);
int32_t zmGetSwitchObjNo(ZmObj* object);
ZmObj* zmGetSwitchObjByNo(ZmObj* object, int32_t n);
/*
 * zmSetSwitchObjNo --
 *   Shows child n of the Switch (of the first child, down the tree, when the
 *   object is no Switch) and hides the others; -3 shows every child, a
 *   number that names no child hides them all.
 * Results:
 *   0 (at once when n is already the stored choice); -1 without children
 *   or when the Switch itself is hidden.
 */
int zmSetSwitchObjNo(ZmObj* object, int32_t n);

#endif
