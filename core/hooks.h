// core/hooks.h -- the calls the scene core makes up into the layers above it.
//
// Owns: one table of function pointers, `zmCoreHooks`, all null at start. The
// shell, viewer, scripting, media and multi-user layers fill their slots when
// they start; unit tests fill them with recorders. The core calls a slot only
// when it is set, and otherwise behaves as the comment of the slot says.
// It does not own the functions themselves: they keep their names in the
// layers that define them.
#ifndef LUMENFOLD_CORE_HOOKS_H
#define LUMENFOLD_CORE_HOOKS_H

#include <cstdint>

struct ZmUrlHash;  // the loading layer's URL-table entry; the core only keeps addresses
struct ZmUrlHashTable;  // the loading layer's URL table of a world
struct ZmObj;
struct ZmWorld;
struct ZmLeaf;
struct ZmTexture;
struct ZmHash;
struct ZmTimeOutHandlerList;
struct ZmEvent;
struct ZmTextureMovie;

struct ZmCoreHooks {
  // Shell: shows the notify window titled "Messages" and appends the text.
  // 0, or -1 when the window does not exist. Unset: the text is dropped (-1).
  int (*notifyMessage)(const char* text);

  // Loading: zmWwwLoadFile -- the URL-table entry for a URL of the world the
  // reader is building, else of the current world, made when the URL is new;
  // null when there is no such world. The VRML reader
  // takes each input file's entry from it. Unset: the reader keeps the file
  // name itself, and its errors and nodes name the file by that text.
  ZmUrlHash* (*wwwLoadFile)(const char* url);

  // Loading: zmGetUrl -- the URL text of an entry (owned by the entry).
  // Unset: an entry's URL is unknown and shown as an empty text.
  const char* (*getUrl)(ZmUrlHash* entry);

  // ---- Scene objects, worlds, leaves, materials, cameras -----------------
  // Each slot keeps the name of its function in the layer that fills it.

  // Viewer: zmDestroyObjInViewer -- removes the renderer part of an object's
  // subtree; 0 or -1 (the deletion then stops). Unset: nothing to remove (0).
  int (*destroyObjInViewer)(ZmObj* object);

  // Viewer: zmRenderDeleteBoundingBoxInViewer -- destroys the bounding-box
  // clump of extension 3 and removes the extension; 0 or -1. Unset: 0 (the
  // core frees the extension node with the others).
  int (*renderDeleteBoundingBoxInViewer)(ZmObj* object);

  // Viewer: zmRwAddObjToTransferedObjList -- queues a moved object for the
  // renderer (clearing its 0x40 mark); 0, -1 or -5. Unset: 0.
  int (*rwAddObjToTransferedObjList)(ZmObj* object);

  // Viewer: zmRwRemoveObjFromTransferedObjList -- takes a deleted object out
  // of its world's re-transform list; 0. Unset: nothing is queued (0).
  int (*rwRemoveObjFromTransferedObjList)(ZmObj* object);

  // Viewer: zmRenderDestroyWorldInViewer -- destroys a world's engine scene
  // and cameras; 0 or -1. Unset: 0.
  int (*renderDestroyWorldInViewer)(ZmWorld* world);

  // Viewer: zmRenderSetMaterial -- hands a shape leaf's material to its
  // engine structure; 0 or -1. Unset: 0.
  int (*renderSetMaterial)(ZmLeaf* leaf);

  // Viewer: zmInitTexture -- initialises the texture record of a new shape
  // leaf, after the core has set its defaults (no image, identity
  // transform). Unset: the defaults stand.
  void (*initTexture)(ZmTexture* texture);

  // Viewer: zmDeleteTexture -- releases a shape leaf's texture record.
  // Unset: the core frees the record's UV array (nothing else can be in it
  // without the upper layers).
  void (*deleteTexture)(ZmTexture* texture);

  // Viewer: camera forwards of the world's active camera (active id 1: the
  // renderer's own default camera) and of a camera object. Each answers 0,
  // or -1 with its own report. Unset: setting does nothing (0); a query
  // answers -1 and leaves its outputs untouched.
  int (*renderSetCameraViewport)(ZmWorld* world, int x, int y, int width, int height);
  int (*renderGetActiveCameraViewport)(ZmWorld* world, int* x, int* y, int* width, int* height);
  int (*renderGetActiveCameraViewWindow)(ZmWorld* world, float* width, float* height);
  int (*renderGetActiveCameraNearClipping)(ZmWorld* world, float* distance);
  int (*renderGetActiveCameraFarClipping)(ZmWorld* world, float* distance);
  int (*renderGetCameraViewport)(ZmObj* camera, int* x, int* y, int* width, int* height);
  int (*renderGetCameraViewWindow)(ZmObj* camera, float* width, float* height);
  int (*renderGetCameraNearClipping)(ZmObj* camera, float* distance);
  int (*renderGetCameraFarClipping)(ZmObj* camera, float* distance);

  // Scripting: zmDeleteAllEventHandler -- frees an object's handlers.
  // Unset: none can exist; the core clears the list head and the mask.
  int (*deleteAllEventHandler)(ZmObj* object);

  // Scripting: zmDeleteObjTimeOutHandler -- removes and frees the object's
  // entries of its world's time-out queue. Unset: nothing is queued.
  void (*deleteObjTimeOutHandler)(ZmObj* object);

  // Scripting: zmDeleteAllTimeOutHandler -- frees a world's whole queue.
  // Unset: nothing is queued; the core clears the queue head.
  int (*deleteAllTimeOutHandler)(ZmTimeOutHandlerList* first);

  // Scripting: zmScriptInit(world, 1) -- creates the world's script context;
  // non-zero on failure. Unset: the world runs without one (0).
  int (*scriptInit)(ZmWorld* world, int kind);

  // Scripting: ZmScriptExit(world, 1) -- deletes the world's script context;
  // 0, or non-zero which the emptying returns. Unset: 0.
  int (*scriptExit)(ZmWorld* world, int kind);

  // Multi-user: zmDeleteObjLabels -- destroys an object's labels. Unset:
  // there are none.
  void (*deleteObjLabels)(ZmObj* object);

  // Media: zmDeleteSoundLeaf -- stops a sound leaf's sound, takes its owner
  // out of the world's sound objects and releases its URL entry; 0 or -1.
  // Unset: nothing plays (0); the core still frees the leaf.
  int (*deleteSoundLeaf)(ZmLeaf* leaf);

  // Media: zmPause3DMovie -- pauses the owner's texture movie and removes
  // its time-out. Unset: no movie runs.
  void (*pause3DMovie)(ZmObj* object);

  // Media: zmKinDeleteBodyAndPos -- frees the articulated body and position
  // of extensions 0 and 2; 0 or -1. Unset: there are none (0).
  int (*kinDeleteBodyAndPos)(ZmObj* object);

  // Media: zmSoundSetWorld -- the world whose sounds are scheduled (null:
  // none). Unset: nothing is scheduled.
  void (*soundSetWorld)(ZmWorld* world);

  // Loading: zmNewUrlHash -- makes a world's URL table; 0 or non-zero.
  // Unset: the world has no URL table.
  int (*newUrlHash)(int32_t bucketCount, ZmUrlHashTable** table);

  // Loading: zmDeleteUrlHash -- deletes a world's URL table (run as the
  // world's first destroy handler). Unset: there is no table to delete.
  void (*deleteUrlHash)(ZmWorld* world);

  // Loading: zmReleaseUrlHashEntry -- releases a URL entry handed out (a
  // world's background image). Unset: nothing to release.
  void (*releaseUrlHashEntry)(ZmUrlHash* entry);

  // Scripting: zmCallEventHandler -- delivers an event to the object's
  // matching handlers, or up to its ancestors when it has none; writes the
  // object into the event first. 0 when handled or unhandled, -1 on failure.
  // Unset: no handler can exist; the core writes the object and answers 0.
  int (*callEventHandler)(ZmObj* object, ZmEvent* event);

  // Viewer: zmGetSwitchObjNo -- the active child number of a Switch or LOD
  // object (-3: all children), 0 with its own warning. Unset: the core reads
  // the number from the object's Switch extension (0 when it has none).
  int32_t (*getSwitchObjNo)(ZmObj* object);

  // Viewer: zmGetSwitchObjByNo -- child number n of a Switch or LOD object,
  // null with its own warning. Unset: the core walks the child list (null
  // for a negative n or one past the last child).
  ZmObj* (*getSwitchObjByNo)(ZmObj* object, int32_t n);

  // ---- The VRML scene builder's calls ------------------------------------

  // Scripting: zmScriptEvalStr -- evaluates a Script node's text in the
  // world's interpreter; 0 on success, with the interpreter's result text
  // (owned by the interpreter) in *result. Unset: no interpreter exists, the
  // text is not evaluated and the builder reports the failure (-1).
  int (*scriptEvalStr)(ZmWorld* world, int scriptType, const char* script, char** result);

  // Scripting: zmAddEventHandler -- adds an EventHandler node's handler to
  // the object; 0, -1 or -5. Unset: handlers cannot be added; the builder
  // reports the failure (-1) and leaves the node pending.
  int (*addEventHandler)(ZmObj* object, const char* fileName, uint32_t eventMask, int scriptType,
                         const char* function, const char* userData, const char* actionObject);

  // Scripting: zmAddTimeOutHandler -- queues a task node's time-out
  // (repeating 0 once, 1 periodic); the new record or null. Unset: tasks
  // cannot be queued; the builder reports the failure (null).
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, const char* fileName, long milliseconds,
                                             int scriptType, const char* function,
                                             const char* userData, int repeating);

  // Media: zmNewMovie -- a new movie record with its defaults, or null.
  // Unset: no movie can be made; a Movie2 texture is reported as failed.
  ZmTextureMovie* (*newMovie)();

  // Media: zmDeleteTextureMovie -- frees a movie record. Unset: the VRML
  // builder frees the record and its sound file name with zmFree.
  void (*deleteTextureMovie)(ZmTextureMovie* movie);

  // Media: zmKinNew -- loads an articulated body from its file, with the
  // naming VRML file's URL as its skin; 0 with the object, non-zero on
  // failure. Unset: no body can be loaded (-1); the file is read as a plain
  // world.
  int (*kinNew)(ZmWorld* world, const char* bodyFile, const char* url, ZmObj** object);

  // Viewer: zmNavSetGravity -- stores the gravity kind and switch (0 or 1)
  // in the navigation state of the world the reader is building, else of
  // the current world, made with its defaults when
  // the world has none. Unset: there is no navigation; the setting is lost.
  void (*navSetGravity)(intptr_t kind, int on);

  // Loading: zmExtractLha -- unpacks the named LHA archive into the
  // temporary folder and enters its members in the URL table of the world
  // the reader is building (else the current world's), reporting its own
  // failures; it takes over `owned`, an allocated
  // copy of the name (zmFree). Unset: nothing is unpacked; the builder frees
  // the copy.
  void (*extractLha)(const char* archive, char* owned);

  // Loading: zmSetNameOfWWW -- enters a URL in the URL table of the world the
  // reader is building, else the current world's,
  // and attaches its entry to the object as extension 9 (inline) or 10
  // (anchor); 0 or -1, reported. Unset: the builder attaches the entry that
  // wwwLoadFile gives (-1 when that is unset too).
  int (*setNameOfWWW)(ZmObj* object, int type, const char* url);

  // Loading: zmGetLocalNameOfWWW -- the local file of the URL entry held in
  // the object's extension 9 or 10, fetched first when it has none; 0 with
  // the name (owned by the entry) in *localFile, or -1. A URL that cannot be
  // fetched is a warning, never a fatal error: a world file's failures do
  // not close the program. Unset: nothing can be fetched (-1).
  int (*getLocalNameOfWWW)(ZmObj* object, int type, const char** localFile);

  // Media: zmNewSoundLeaf -- a new sound leaf (kind 22) with media's
  // defaults, or null. Unset: the builder makes it with zmNewShape and the
  // same defaults (channel 0, volumes 255, distance 20).
  ZmLeaf* (*newSoundLeaf)();

  // Media: zmAddSoundObj -- enters an object whose first leaf is a sound
  // leaf in the world's sound objects and asks for its sound file; 0 or
  // non-zero. Unset: nothing plays, the object is not entered (0).
  int (*addSoundObj)(ZmWorld* world, ZmObj* object);

  // ---- The VRML writer's calls -------------------------------------------

  // Loading: zmGetLocalFile -- the local file name of a URL entry (owned by
  // the entry), fetched first when it is not yet local; null when it cannot
  // be had. Unset: nothing can be fetched; the writer leaves the file field
  // out with its warning.
  const char* (*getLocalFile)(ZmUrlHash* entry);

  // Loading: zmGetUrlNameOfWWW -- the URL of the object's extension 9
  // (inline) or 10 (anchor) in *url; 0, or -1 (reported, except for an
  // object without that extension). Unset: the writer reads the extension's
  // entry and asks getUrl for its text.
  int (*getUrlNameOfWWW)(ZmObj* object, int kind, const char** url);
};

extern ZmCoreHooks zmCoreHooks;

#endif
