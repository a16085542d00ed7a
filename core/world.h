// core/world.h -- worlds: one loaded world and the program's current world.
//
// Owns: the `ZmWorld` record with its creation, initialisation, emptying and
// deletion; the top-object list; the program-wide current world; the world's
// bounding box; the world destroy handlers and the program's exit handlers.
// An emptied world has deleted its whole object tree (core/object.h) before
// its renderer and URL table went, so nothing outlives it.
// It does not own the records upper layers keep in it (renderer structure,
// URL table, script context, time-out queue, navigation state); it hands
// them back to their layers through core/hooks.h.
#ifndef LUMENFOLD_CORE_WORLD_H
#define LUMENFOLD_CORE_WORLD_H

#include <cstdint>

#include "core/fields.h"
#include "core/object.h"
#include "core/vecmath.h"

struct ZmHash;
struct ZmSlab;
struct ZmCameraTable;
struct ZmTimeOutHandlerList;
struct ZmUrlHash;
struct ZmUrlHashTable;  // the loading layer's URL table
struct RenderingStruct;  // the viewer's renderer record of a world

struct ZmTopObjList {
  ZmTopObjList* next;
  ZmObj* object;
  char* fileName;  // owned copy
  ZmTopObjList* previous;  // null at the head, so that a removal does not walk
};

enum {
  ZM_WORLD_MAX_DESTROY_HANDLERS = 10,
  ZM_MAX_EXIT_HANDLERS = 10,
  ZM_WORLD_ID_BUCKETS = 500,
  ZM_WORLD_URL_BUCKETS = 203,
};

typedef void (*ZmWorldDestroyHandler)(ZmWorld* world);
typedef void (*ZmExitHandler)();

struct ZmWorld {
  ZmTopObjList* topObjects;          // in the order of addition
  ZmMFObj soundObjects;              // objects with sound leaves
  ZmCameraTable* cameraTable;
  ZmTimeOutHandlerList* timeOutQueue;  // due-time ordered (scripting)
  ZmHash* idTable;                   // objects by id
  float backgroundColor[3];
  ZmObj* person;                     // the user's avatar (viewer)
  RenderingStruct* rendering;        // the viewer's renderer record
  void* scriptContext;               // scripting's interpreter context
  char* title;                       // owned
  float viewerSpeed;
  char* name;                        // owned: file name or URL
  ZmMFObj eventObjects[3];           // objects with WORLD_IN, WORLD_OUT, FRAME handlers
  ZmUrlHashTable* urlTable;          // the loading layer's URL table
  int32_t topObjectCount;
  int32_t objectCount;               // live objects
  intptr_t words[5];                 // kept by upper layers; zero at initialisation
  char* server;                      // owned "host:port"
  ZmWorldDestroyHandler destroyHandlers[ZM_WORLD_MAX_DESTROY_HANDLERS];
  int16_t destroyHandlerCount;
  ZmUrlHash* backgroundImage;
  ZmMFObj lodObjects;
  ZmRT worldRT;                      // home matrix
  ZmVec3 boundingBox[2];             // minimum and maximum corner
  void* navigation;                  // owned: the viewer's navigation state
  int32_t master;                    // multi-user "master" flag
  ZmMFString strings;
  int32_t backgroundTextureType;
  ZmTopObjList* topObjectsTail;      // last top-object node, so appends do not walk
  ZmObj* retiredObjects;             // deleted object records, freed when emptied
  ZmSlab* slab;                      // records built from files (core/memory.h), given back when emptied
};

// ---- Worlds ---------------------------------------------------------------

// A new world named `name` with a 500-bucket id table; resets the id stack.
// Null with "zmNewWorld() : can not allocate memory for ZmWorld.".
ZmWorld* zmNewWorld(const char* name);
// Fills a world record with its initial state (warnings for parts that fail).
void zmInitWorld(ZmWorld* world, uint32_t bucketCount, const char* name);
/*
 * zmEmptyWorld --
 *   Deletes the object tree, then runs the destroy handlers and releases
 *   every part of the world in order (settings, sounds, camera table,
 *   time-outs, id table, renderer, script context).
 * Results:
 *   0 (also for null); -1 when a step fails (what was released stays
 *   released), or the script context's non-zero result.
 */
int zmEmptyWorld(ZmWorld* world);
// zmEmptyWorld, then frees the record. 0 or -1 ("zmDeleteWorld : fail to
// delete contents.").
int zmDeleteWorld(ZmWorld* world);
// zmEmptyWorld, then zmInitWorld(world, 500, "foo"). 0 or -1
// ("zmClearWorld : fail to delete contents.").
int zmClearWorld(ZmWorld* world);
// The slab that the world's records built from files are carved from, made
// on first use; null when memory runs out. It lives until the world is
// emptied, so only records of this world may come from it.
ZmSlab* zmGetWorldSlab(ZmWorld* world);
// Destroys the renderer structures, clears `rendering`; that call's result.
int zmReleaseWorldRenderer(ZmWorld* world);

// Appends the object to its world's top objects with a copy of fileName.
// 0; -5 ("zmAddTopObject: can't allocate zmTopObjList" / "... file name").
int zmAddTopObject(ZmObj* object, const char* fileName);
// The object at the cursor (start with world->topObjects); advances; null
// at the end (the cursor then stays).
ZmObj* zmGetNextTopObject(ZmTopObjList** cursor);

void zmSetCurrentWorld(ZmWorld* world);
ZmWorld* zmGetCurrentWorld();

// The box of the parent-frame cubes of the top objects (brought up to date
// with zmGetBoundingCube), the person and objects without a box left out;
// kept as it was when no top object has a box.
void zmSetWorldBoundingCube(ZmWorld* world);

// ---- Handlers -------------------------------------------------------------

void zmInitExitHandlers();
int zmAddExitHandler(ZmExitHandler handler);  // -1 when 10 are registered
void zmCallExitHandlers();                    // the last registered first
void zmInitWorldDestroyHandlers(ZmWorld* world);
int zmAddWorldDestroyHandler(ZmWorld* world, ZmWorldDestroyHandler handler);
void zmCallWorldDestroyHandlers(ZmWorld* world);  // the last registered first

#endif
