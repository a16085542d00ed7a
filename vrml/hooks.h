// vrml/hooks.h -- the calls the VRML reader and scene builder make up into
// the layers above them.
//
// Owns: one service record per providing layer (loading, scripting, media,
// viewer; core/service.h), each with its constant default record, holding
// what the reader and the builder get while that layer is absent, and the
// service the reader, the builder and the layers that share a service with
// them (the viewer and the writer) call it through. A member `fooBar`
// stands for the provider's `zmFooBar`. A service that several layers call
// lives in the lowest layer below all of them: getLocalFile is here because
// both the viewer and the writer call it. It does not own the functions
// behind the records, nor the core's own services.
#ifndef LUMENFOLD_VRML_HOOKS_H
#define LUMENFOLD_VRML_HOOKS_H

#include <cstdint>

#include "core/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/service.h"

struct ZmUrlHash;
struct ZmWorld;
struct ZmTimeOutHandlerList;

// ---- Loading ----------------------------------------------------------------

struct ZmVrmlLoading {
  // zmWwwLoadFile -- the URL-table entry for a URL of the world the reader
  // is building, else of the current world, made when the URL is new; null
  // when there is no such world. The reader takes each
  // input file's entry from it. Default: there are no entries (null); the
  // reader keeps each file name itself, and its errors and nodes name the
  // file by that text (see zmHasUrlEntries).
  ZmUrlHash* (*wwwLoadFile)(const char* url);

  // zmGetUrl -- the URL text of an entry (owned by the entry). Default: an
  // entry's URL is unknown (null).
  const char* (*getUrl)(ZmUrlHash* entry);

  // zmGetLocalFile -- the local file name of a URL entry (owned by the
  // entry), fetched first when it is not yet local; null when it cannot be
  // had. Default: nothing can be fetched (null); the viewer shows no image and
  // the writer leaves the file field out with its warning.
  const char* (*getLocalFile)(ZmUrlHash* entry);

  // zmSetNameOfWWW -- enters a URL in the URL table of the world being
  // built, else the current world's, and
  // attaches its entry to the object as extension 9 (inline) or 10 (anchor);
  // 0 or -1, reported. Default: the entry wwwLoadFile gives is attached (-1
  // when there is none).
  int (*setNameOfWWW)(ZmObj* object, int type, const char* url);

  // zmGetLocalNameOfWWW -- the local file of the URL entry held in the
  // object's extension 9 or 10, fetched first when it has none; 0 with the
  // name (owned by the entry) in *localFile, or -1. A URL that cannot be
  // fetched is a warning, never a fatal error: a world file's failures do
  // not close the program. Default: nothing can be fetched (-1).
  int (*getLocalNameOfWWW)(ZmObj* object, int type, const char** localFile);

  // zmExtractLha -- unpacks the named LHA archive into the temporary folder
  // and enters its members in the URL table of the world being built (else
  // the current world's), reporting its
  // own failures; it takes over `owned`, an allocated copy of the name
  // (zmFree). Default: nothing is unpacked; the copy is freed.
  void (*extractLha)(const char* archive, char* owned);
};
// Declared ahead for the default of setNameOfWWW.
extern ZmService<ZmVrmlLoading> vrmlLoading;
inline constexpr ZmVrmlLoading kVrmlLoadingDefaults = {
    .wwwLoadFile = [](const char*) -> ZmUrlHash* { return nullptr; },
    .getUrl = [](ZmUrlHash*) -> const char* { return nullptr; },
    .getLocalFile = [](ZmUrlHash*) -> const char* { return nullptr; },
    .setNameOfWWW = [](ZmObj* object, int type, const char* url) {
      ZmUrlHash* entry = vrmlLoading().wwwLoadFile(url);
      if (entry == nullptr) return -1;
      return zmRegisterObjExtension(object, type, reinterpret_cast<intptr_t>(entry)) == 0 ? 0 : -1;
    },
    .getLocalNameOfWWW = [](ZmObj*, int, const char**) { return -1; },
    .extractLha = [](const char*, char* owned) { zmFree(owned); },
};
inline constinit ZmService<ZmVrmlLoading> vrmlLoading{"loading", "vrmlLoading", kVrmlLoadingDefaults};

// Whether URL entries exist at all: while they do not, the reader names an
// input file by the text it was given.
inline bool zmHasUrlEntries() { return vrmlLoading().wwwLoadFile != vrmlLoading.fallback().wwwLoadFile; }

// ---- Scripting --------------------------------------------------------------

struct ZmVrmlScript {
  // zmScriptEvalStr -- evaluates a Script node's text in the world's
  // interpreter; 0 on success, with the interpreter's result text (owned by
  // the interpreter) in *result. Default: no interpreter exists, the text is
  // not evaluated and the builder reports the failure (-1).
  int (*scriptEvalStr)(ZmWorld* world, int scriptType, const char* script, char** result);

  // zmAddEventHandler -- adds an EventHandler node's handler to the object;
  // 0, -1 or -5. Default: handlers cannot be added; the builder reports the
  // failure (-1) and leaves the node pending.
  int (*addEventHandler)(ZmObj* object, const char* fileName, uint32_t eventMask, int scriptType,
                         const char* function, const char* userData, const char* actionObject);

  // zmAddTimeOutHandler -- queues a task node's time-out (repeating 0 once,
  // 1 periodic); the new record or null. Default: tasks cannot be queued; the
  // builder reports the failure (null).
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, const char* fileName, long milliseconds,
                                             int scriptType, const char* function, const char* userData,
                                             int repeating);
};
inline constexpr ZmVrmlScript kVrmlScriptDefaults = {
    .scriptEvalStr = [](ZmWorld*, int, const char*, char**) { return -1; },
    .addEventHandler = [](ZmObj*, const char*, uint32_t, int, const char*, const char*, const char*) { return -1; },
    .addTimeOutHandler = [](ZmObj*, const char*, long, int, const char*, const char*,
                            int) -> ZmTimeOutHandlerList* { return nullptr; },
};
inline constinit ZmService<ZmVrmlScript> vrmlScript{"script", "vrmlScript", kVrmlScriptDefaults};

// ---- Media ------------------------------------------------------------------

struct ZmVrmlMedia {
  // zmNewMovie -- a new movie record with its defaults, or null. Default: no
  // movie can be made (null); a Movie2 texture is reported as failed.
  ZmTextureMovie* (*newMovie)();

  // zmDeleteTextureMovie -- frees a movie record. Default: the record and its
  // sound file name are freed with zmFree.
  void (*deleteTextureMovie)(ZmTextureMovie* movie);

  // zmKinNew -- loads an articulated body from its file, with the naming
  // VRML file's URL as its skin; 0 with the object, non-zero on failure.
  // Default: no body can be loaded (-1); the file is read as a plain world.
  int (*kinNew)(ZmWorld* world, const char* bodyFile, const char* url, ZmObj** object);

  // zmNewSoundLeaf -- a new sound leaf (kind 22) with media's defaults, or
  // null. Default: made with zmNewShape and the same defaults (channel 0,
  // volumes 255, distance 20).
  ZmLeaf* (*newSoundLeaf)();

  // zmAddSoundObj -- enters an object whose first leaf is a sound leaf in
  // the world's sound objects and asks for its sound file; 0 or non-zero.
  // Default: nothing plays, the object is not entered (0).
  int (*addSoundObj)(ZmWorld* world, ZmObj* object);
};
inline constexpr ZmVrmlMedia kVrmlMediaDefaults = {
    .newMovie = []() -> ZmTextureMovie* { return nullptr; },
    .deleteTextureMovie = [](ZmTextureMovie* movie) {
      zmFree(movie->soundFile);
      zmFree(movie);
    },
    .kinNew = [](ZmWorld*, const char*, const char*, ZmObj**) { return -1; },
    .newSoundLeaf = []() -> ZmLeaf* {
      auto* leaf = static_cast<ZmSoundLeaf*>(zmNewShape(ZM_LEAF_SOUND));
      if (leaf == nullptr) return nullptr;
      leaf->volume = leaf->effectiveVolume = leaf->appliedVolume = 255;
      leaf->range = 20.0f;
      return leaf;
    },
    .addSoundObj = [](ZmWorld*, ZmObj*) { return 0; },
};
inline constinit ZmService<ZmVrmlMedia> vrmlMedia{"media", "vrmlMedia", kVrmlMediaDefaults};

// ---- Viewer -----------------------------------------------------------------

struct ZmVrmlViewer {
  // zmNavSetGravity -- stores the gravity kind and switch (0 or 1) in the
  // navigation state of the world being built, else the current world's, made with its defaults when the world
  // has none. Default: there is no navigation; the setting is lost.
  void (*navSetGravity)(intptr_t kind, int on);
};
inline constexpr ZmVrmlViewer kVrmlViewerDefaults = {
    .navSetGravity = [](intptr_t, int) {},
};
inline constinit ZmService<ZmVrmlViewer> vrmlViewer{"viewer", "vrmlViewer", kVrmlViewerDefaults};

#endif
