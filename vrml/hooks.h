// vrml/hooks.h -- the calls the VRML reader and scene builder make up into
// the layers above them.
//
// Owns: one table of function pointers per providing layer (loading,
// scripting, media, viewer), all null at start, and the one inline wrapper
// per slot through which the reader and the builder (and the layers that
// share a slot with them, the viewer and the writer) call it. The naming
// follows core/hooks.h: slot `fooBar` stands for the provider's `zmFooBar`,
// and its wrapper `hookFooBar` calls it when set or does what the slot's
// comment says. A slot that several layers call lives in the lowest layer
// below all of them: getLocalFile is here because both the viewer and the
// writer call it. It does not own the functions behind the slots, nor the
// core's own hook tables.
#ifndef LUMENFOLD_VRML_HOOKS_H
#define LUMENFOLD_VRML_HOOKS_H

#include <cstdint>
#include <span>

#include "core/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"

struct ZmUrlHash;
struct ZmWorld;
struct ZmTimeOutHandlerList;

// ---- Loading ----------------------------------------------------------------

struct ZmVrmlLoadingHooks {
  // zmWwwLoadFile -- the URL-table entry for a URL of the world the reader
  // is building, else of the current world, made when the URL is new; null
  // when there is no such world. The reader takes each
  // input file's entry from it. Unset: there are no entries (null); the
  // reader keeps each file name itself, and its errors and nodes name the
  // file by that text (see hookHasWwwLoadFile).
  ZmUrlHash* (*wwwLoadFile)(const char* url);

  // zmGetUrl -- the URL text of an entry (owned by the entry). Unset: an
  // entry's URL is unknown (null).
  const char* (*getUrl)(ZmUrlHash* entry);

  // zmGetLocalFile -- the local file name of a URL entry (owned by the
  // entry), fetched first when it is not yet local; null when it cannot be
  // had. Unset: nothing can be fetched (null); the viewer shows no image and
  // the writer leaves the file field out with its warning.
  const char* (*getLocalFile)(ZmUrlHash* entry);

  // zmSetNameOfWWW -- enters a URL in the URL table of the world being
  // built, else the current world's, and
  // attaches its entry to the object as extension 9 (inline) or 10 (anchor);
  // 0 or -1, reported. Unset: the entry hookWwwLoadFile gives is attached (-1
  // when there is none).
  int (*setNameOfWWW)(ZmObj* object, int type, const char* url);

  // zmGetLocalNameOfWWW -- the local file of the URL entry held in the
  // object's extension 9 or 10, fetched first when it has none; 0 with the
  // name (owned by the entry) in *localFile, or -1. A URL that cannot be
  // fetched is a warning, never a fatal error: a world file's failures do
  // not close the program. Unset: nothing can be fetched (-1).
  int (*getLocalNameOfWWW)(ZmObj* object, int type, const char** localFile);

  // zmExtractLha -- unpacks the named LHA archive into the temporary folder
  // and enters its members in the URL table of the world being built (else
  // the current world's), reporting its
  // own failures; it takes over `owned`, an allocated copy of the name
  // (zmFree). Unset: nothing is unpacked; the copy is freed.
  void (*extractLha)(const char* archive, char* owned);
};
extern ZmVrmlLoadingHooks zmVrmlLoadingHooks;

inline ZmUrlHash* hookWwwLoadFile(const char* url) {
  return zmVrmlLoadingHooks.wwwLoadFile ? zmVrmlLoadingHooks.wwwLoadFile(url) : nullptr;
}

// Whether URL entries exist at all: while they do not, the reader names an
// input file by the text it was given.
inline bool hookHasWwwLoadFile() { return zmVrmlLoadingHooks.wwwLoadFile != nullptr; }

inline const char* hookGetUrl(ZmUrlHash* entry) {
  return zmVrmlLoadingHooks.getUrl ? zmVrmlLoadingHooks.getUrl(entry) : nullptr;
}

inline const char* hookGetLocalFile(ZmUrlHash* entry) {
  return zmVrmlLoadingHooks.getLocalFile ? zmVrmlLoadingHooks.getLocalFile(entry) : nullptr;
}

inline int hookSetNameOfWWW(ZmObj* object, int type, const char* url) {
  if (zmVrmlLoadingHooks.setNameOfWWW) return zmVrmlLoadingHooks.setNameOfWWW(object, type, url);
  ZmUrlHash* entry = hookWwwLoadFile(url);
  if (entry == nullptr) return -1;
  return zmRegisterObjExtension(object, type, reinterpret_cast<intptr_t>(entry)) == 0 ? 0 : -1;
}

inline int hookGetLocalNameOfWWW(ZmObj* object, int type, const char** localFile) {
  auto slot = zmVrmlLoadingHooks.getLocalNameOfWWW;
  return slot ? slot(object, type, localFile) : -1;
}

inline void hookExtractLha(const char* archive, char* owned) {
  if (zmVrmlLoadingHooks.extractLha) {
    zmVrmlLoadingHooks.extractLha(archive, owned);
  } else {
    zmFree(owned);
  }
}

// ---- Scripting --------------------------------------------------------------

struct ZmVrmlScriptHooks {
  // zmScriptEvalStr -- evaluates a Script node's text in the world's
  // interpreter; 0 on success, with the interpreter's result text (owned by
  // the interpreter) in *result. Unset: no interpreter exists, the text is
  // not evaluated and the builder reports the failure (-1).
  int (*scriptEvalStr)(ZmWorld* world, int scriptType, const char* script, char** result);

  // zmAddEventHandler -- adds an EventHandler node's handler to the object;
  // 0, -1 or -5. Unset: handlers cannot be added; the builder reports the
  // failure (-1) and leaves the node pending.
  int (*addEventHandler)(ZmObj* object, const char* fileName, uint32_t eventMask, int scriptType,
                         const char* function, const char* userData, const char* actionObject);

  // zmAddTimeOutHandler -- queues a task node's time-out (repeating 0 once,
  // 1 periodic); the new record or null. Unset: tasks cannot be queued; the
  // builder reports the failure (null).
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, const char* fileName, long milliseconds,
                                             int scriptType, const char* function, const char* userData,
                                             int repeating);
};
extern ZmVrmlScriptHooks zmVrmlScriptHooks;

inline int hookScriptEvalStr(ZmWorld* world, int scriptType, const char* script, char** result) {
  auto slot = zmVrmlScriptHooks.scriptEvalStr;
  return slot ? slot(world, scriptType, script, result) : -1;
}

inline int hookAddEventHandler(ZmObj* object, const char* fileName, uint32_t eventMask, int scriptType,
                               const char* function, const char* userData, const char* actionObject) {
  auto slot = zmVrmlScriptHooks.addEventHandler;
  return slot ? slot(object, fileName, eventMask, scriptType, function, userData, actionObject) : -1;
}

inline ZmTimeOutHandlerList* hookAddTimeOutHandler(ZmObj* object, const char* fileName, long milliseconds,
                                                   int scriptType, const char* function, const char* userData,
                                                   int repeating) {
  auto slot = zmVrmlScriptHooks.addTimeOutHandler;
  return slot ? slot(object, fileName, milliseconds, scriptType, function, userData, repeating) : nullptr;
}

// ---- Media ------------------------------------------------------------------

struct ZmVrmlMediaHooks {
  // zmNewMovie -- a new movie record with its defaults, or null. Unset: no
  // movie can be made (null); a Movie2 texture is reported as failed.
  ZmTextureMovie* (*newMovie)();

  // zmDeleteTextureMovie -- frees a movie record. Unset: the record and its
  // sound file name are freed with zmFree.
  void (*deleteTextureMovie)(ZmTextureMovie* movie);

  // zmKinNew -- loads an articulated body from its file, with the naming
  // VRML file's URL as its skin; 0 with the object, non-zero on failure.
  // Unset: no body can be loaded (-1); the file is read as a plain world.
  int (*kinNew)(ZmWorld* world, const char* bodyFile, const char* url, ZmObj** object);

  // zmNewSoundLeaf -- a new sound leaf (kind 22) with media's defaults, or
  // null. Unset: made with zmNewShape and the same defaults (channel 0,
  // volumes 255, distance 20).
  ZmLeaf* (*newSoundLeaf)();

  // zmAddSoundObj -- enters an object whose first leaf is a sound leaf in
  // the world's sound objects and asks for its sound file; 0 or non-zero.
  // Unset: nothing plays, the object is not entered (0).
  int (*addSoundObj)(ZmWorld* world, ZmObj* object);
};
extern ZmVrmlMediaHooks zmVrmlMediaHooks;

inline ZmTextureMovie* hookNewMovie() { return zmVrmlMediaHooks.newMovie ? zmVrmlMediaHooks.newMovie() : nullptr; }

inline void hookDeleteTextureMovie(ZmTextureMovie* movie) {
  if (zmVrmlMediaHooks.deleteTextureMovie) {
    zmVrmlMediaHooks.deleteTextureMovie(movie);
    return;
  }
  zmFree(movie->soundFile);
  zmFree(movie);
}

inline int hookKinNew(ZmWorld* world, const char* bodyFile, const char* url, ZmObj** object) {
  return zmVrmlMediaHooks.kinNew ? zmVrmlMediaHooks.kinNew(world, bodyFile, url, object) : -1;
}

inline ZmLeaf* hookNewSoundLeaf() {
  if (zmVrmlMediaHooks.newSoundLeaf) return zmVrmlMediaHooks.newSoundLeaf();
  auto* leaf = static_cast<ZmSoundLeaf*>(zmNewShape(ZM_LEAF_SOUND));
  if (leaf == nullptr) return nullptr;
  leaf->volume = leaf->effectiveVolume = leaf->appliedVolume = 255;
  leaf->range = 20.0f;
  return leaf;
}

inline int hookAddSoundObj(ZmWorld* world, ZmObj* object) {
  return zmVrmlMediaHooks.addSoundObj ? zmVrmlMediaHooks.addSoundObj(world, object) : 0;
}

// ---- Viewer -----------------------------------------------------------------

struct ZmVrmlViewerHooks {
  // zmNavSetGravity -- stores the gravity kind and switch (0 or 1) in the
  // navigation state of the world being built, else the current world's, made with its defaults when the world
  // has none. Unset: there is no navigation; the setting is lost.
  void (*navSetGravity)(intptr_t kind, int on);
};
extern ZmVrmlViewerHooks zmVrmlViewerHooks;

inline void hookNavSetGravity(intptr_t kind, int on) {
  if (zmVrmlViewerHooks.navSetGravity) zmVrmlViewerHooks.navSetGravity(kind, on);
}

// Every slot of the tables above, for the start-up's check.
std::span<const ZmHookSlot> zmVrmlHookSlots();

#endif
