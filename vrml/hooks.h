// vrml/hooks.h -- the calls the VRML reader and scene builder make up into
// loading, scripting, media and the viewer (core/service.h). A service
// several layers call lives in the lowest layer below all of them: the
// viewer and the writer call getLocalFile from here. "The world" in the
// records: the world being built, else the current world.
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

struct ZmVrmlLoading {
  // zmWwwLoadFile -- the world's URL-table entry for a URL, made when new;
  // null without a world. Default: no entries (null); the reader then names
  // each input file by the text it was given (zmHasUrlEntries).
  ZmUrlHash* (*wwwLoadFile)(const char* url);
  // zmGetUrl -- an entry's URL text (owned by the entry), null when unknown.
  const char* (*getUrl)(ZmUrlHash* entry);
  // zmGetLocalFile -- an entry's local file name (owned by the entry), fetched
  // first when not yet local; null when it cannot be had. Unset, the viewer
  // shows no image and the writer leaves the file field out, with a warning.
  const char* (*getLocalFile)(ZmUrlHash* entry);
  // zmSetNameOfWWW -- enters a URL in the world's URL table and attaches its
  // entry to the object as extension 9 (inline) or 10 (anchor); 0 or -1,
  // reported. Default: attaches wwwLoadFile's entry (-1 without one).
  int (*setNameOfWWW)(ZmObj* object, int type, const char* url);
  // zmGetLocalNameOfWWW -- the local file of the URL entry in the object's
  // extension 9 or 10, fetched when needed; 0 with the name (owned by the
  // entry) in *localFile, or -1 (the default). A URL that cannot be fetched
  // is a warning, never fatal: a world's failures do not close the program.
  int (*getLocalNameOfWWW)(ZmObj* object, int type, const char** localFile);
  // zmExtractLha -- unpacks the LHA archive into the temporary folder and
  // enters its members in the world's URL table, reporting its own failures;
  // takes over `owned`, an allocated copy of the name. Default: frees it.
  void (*extractLha)(const char* archive, char* owned);
};
// Declared ahead for the default of setNameOfWWW.
extern ZmService<ZmVrmlLoading> vrmlLoading;
inline constexpr ZmVrmlLoading kVrmlLoadingDefaults = {
    .wwwLoadFile = zmReturns<nullptr>,
    .getUrl = zmReturns<nullptr>,
    .getLocalFile = zmReturns<nullptr>,
    .setNameOfWWW = [](ZmObj* object, int type, const char* url) {
      ZmUrlHash* entry = vrmlLoading().wwwLoadFile(url);
      if (entry == nullptr) return -1;
      return zmRegisterObjExtension(object, type, reinterpret_cast<intptr_t>(entry)) == 0 ? 0 : -1;
    },
    .getLocalNameOfWWW = zmReturns<-1>,
    .extractLha = [](const char*, char* owned) { zmFree(owned); },
};
inline constinit ZmService<ZmVrmlLoading> vrmlLoading{"loading", "vrmlLoading", kVrmlLoadingDefaults};

// Whether URL entries exist at all: while they do not, the reader names an
// input file by the text it was given.
inline bool zmHasUrlEntries() { return vrmlLoading().wwwLoadFile != vrmlLoading.fallback().wwwLoadFile; }

// Unset, each fails (-1 or null) and the builder reports the failure.
struct ZmVrmlScript {
  // zmScriptEvalStr -- evaluates a Script node's text in the world's
  // interpreter; 0 with the interpreter's result text (owned by it) in
  // *result.
  int (*scriptEvalStr)(ZmWorld* world, int scriptType, const char* script, char** result);
  // zmAddEventHandler -- adds an EventHandler node's handler to the object;
  // 0, -1 or -5. Unset, the node stays pending.
  int (*addEventHandler)(ZmObj* object, const char* fileName, uint32_t eventMask, int scriptType,
                         const char* function, const char* userData, const char* actionObject);
  // zmAddTimeOutHandler -- queues a task node's time-out (repeating 0 once,
  // 1 periodic); the new record or null.
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, const char* fileName, long milliseconds,
                                             int scriptType, const char* function, const char* userData,
                                             int repeating);
};
inline constexpr ZmVrmlScript kVrmlScriptDefaults = {
    .scriptEvalStr = zmReturns<-1>, .addEventHandler = zmReturns<-1>, .addTimeOutHandler = zmReturns<nullptr>};
inline constinit ZmService<ZmVrmlScript> vrmlScript{"script", "vrmlScript", kVrmlScriptDefaults};

struct ZmVrmlMedia {
  // zmNewMovie -- a new movie record with its defaults, or null (always,
  // unset: a Movie2 texture is reported as failed).
  ZmTextureMovie* (*newMovie)();
  // zmDeleteTextureMovie -- frees a movie record. Default: zmFree on it and
  // on its sound file name.
  void (*deleteTextureMovie)(ZmTextureMovie* movie);
  // zmKinNew -- loads an articulated body from its file, with the naming
  // VRML file's URL as its skin; 0 with the object, non-zero on failure
  // (-1 unset: the file is read as a plain world).
  int (*kinNew)(ZmWorld* world, const char* bodyFile, const char* url, ZmObj** object);
  // zmNewSoundLeaf -- a new sound leaf (kind 22) with media's defaults, or
  // null. Default: made with zmNewShape and the same defaults (channel 0,
  // volumes 255, distance 20).
  ZmLeaf* (*newSoundLeaf)();
  // zmAddSoundObj -- enters an object whose first leaf is a sound leaf in the
  // world's sound objects and asks for its sound file; 0 or non-zero.
  int (*addSoundObj)(ZmWorld* world, ZmObj* object);
};
inline constexpr ZmVrmlMedia kVrmlMediaDefaults = {
    .newMovie = zmReturns<nullptr>,
    .deleteTextureMovie = [](ZmTextureMovie* movie) {
      zmFree(movie->soundFile);
      zmFree(movie);
    },
    .kinNew = zmReturns<-1>,
    .newSoundLeaf = []() -> ZmLeaf* {
      auto* leaf = static_cast<ZmSoundLeaf*>(zmNewShape(ZM_LEAF_SOUND));
      if (leaf == nullptr) return nullptr;
      leaf->volume = leaf->effectiveVolume = leaf->appliedVolume = 255;
      leaf->range = 20.0f;
      return leaf;
    },
    .addSoundObj = zmReturns<0>,
};
inline constinit ZmService<ZmVrmlMedia> vrmlMedia{"media", "vrmlMedia", kVrmlMediaDefaults};

struct ZmVrmlViewer {
  // zmNavSetGravity -- stores the gravity kind and switch (0 or 1) in the
  // world's navigation state, made with its defaults when there is none.
  void (*navSetGravity)(intptr_t kind, int on);
};
inline constexpr ZmVrmlViewer kVrmlViewerDefaults = {.navSetGravity = zmNothing};
inline constinit ZmService<ZmVrmlViewer> vrmlViewer{"viewer", "vrmlViewer", kVrmlViewerDefaults};

#endif
