// vrml/parse.cpp -- the parse entry points and the articulated-body switch.
#include "vrml/parse.h"

#include <cstdio>
#include <memory>
#include <new>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/dirs.h"
#include "vrml/hooks.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/transform.h"
#include "core/world.h"
#include "vrml/qvinput.h"
#include "vrml/qvnode.h"
#include "vrml/qvnodes.h"
#include "vrml/qvreaderror.h"
#include "vrml/buildlimits.h"
#include "vrml/qvstate.h"
#include "vrml/session.h"
#include "vrml/traverse.h"

namespace {

void resetKinemationSetting() {
  qvSession().kinemationFile.reset();
  qvSession().kinemationMode = 1;
}

struct FileCloser {
  void operator()(FILE* fp) const { std::fclose(fp); }
};

// Reads every top-level node into the list; false on any failure (the
// nodes read so far stay in the list).
bool readTopLevelNodes(const char* fileName, FILE* fp, QvStackList* list) {
  QvReadError::begin(fileName);
  QvDB::init();
  std::unique_ptr<QvInput> in(new (std::nothrow) QvInput(fileName, fp));
  if (in == nullptr) return false;
  for (;;) {
    QvNode* node = nullptr;
    if (!QvDB::read(in.get(), node) || node == nullptr) {
      // Unknown nodes are skipped silently inside groups; here one ends the file.
      if (QvReadError::getLevel() == kQvUnknownNodeLevel)
        zmReportMessage("parseVRML(): '%s': an unknown node at top level ends the read at line %ld.", fileName,
                        qvSession().currentNodeLine);
      return false;
    }
    if (addQvNodeInStackList(list, node) != 0) {
      node->unref();
      return false;
    }
    int more = in->isDataInFile();
    if (more != 1) return more == 0;
  }
}

// Carves the records built inside its scope from the world's slab.
class BuildInSlab {
 public:
  explicit BuildInSlab(ZmWorld* world) : before(zmUseSlab(world ? zmGetWorldSlab(world) : nullptr)) {}
  ~BuildInSlab() { zmUseSlab(before); }
  BuildInSlab(const BuildInSlab&) = delete;
  BuildInSlab& operator=(const BuildInSlab&) = delete;

 private:
  ZmSlab* before;
};

// The nodes of one file are carved from a slab of their own while it is
// read and converted, and given back together when its parse ends (every
// node has been released by then): a world of many small groups makes as
// many nodes as objects.
class NodeSlabScope {
 public:
  NodeSlabScope() : slab(zmNewSlab()), before(qvSession().nodeSlab) { qvSession().nodeSlab = slab; }
  ~NodeSlabScope() {
    qvSession().nodeSlab = before;
    zmDeleteSlab(slab);
  }
  NodeSlabScope(const NodeSlabScope&) = delete;
  NodeSlabScope& operator=(const NodeSlabScope&) = delete;

 private:
  ZmSlab* slab;
  ZmSlab* before;
};

// True while a failed traversal is to fail the whole file: a body file was
// named, and the file is to be loaded as that body instead.
bool kinemationAwaitsFailure() {
  return qvSession().kinemationFile != nullptr && qvSession().kinemationMode == 1;
}

// Converts each entry with one state. A top-level node whose traversal fails
// is left out with a warning and the others are kept, except when the
// failure asks for the articulated body: then false.
bool traverseEntries(QvStackList* list, ZmWorld* world) {
  std::unique_ptr<QvState> state(new (std::nothrow) QvState(world));
  if (state == nullptr || !state->isUsable()) {
    zmReportMessage("parseVRML(): cannot new for QvState.");
    return false;
  }
  BuildInSlab slab(world);
  for (STACKLIST* entry = list->first; entry; entry = entry->next) {
    ZmObj* object = nullptr;
    if (traverse(entry->node, state.get(), &object) != 0) {
      if (kinemationAwaitsFailure()) return false;
      zmReportWarning("parseVRML(): the top-level %s node of line %ld failed and is left out.",
                      entry->node->getTypeName(), entry->node->lineNum);
      continue;
    }
    entry->object = object;
  }
  return true;
}

void deleteEntryObjects(QvStackList* list) {
  for (STACKLIST* entry = list->first; entry; entry = entry->next)
    if (entry->object && zmDeleteZmObj(entry->object) != 0) zmReportMessage("parseVRML(): zmDeleteZmObj() failed.");
}

QvStackList* newStackList() { return static_cast<QvStackList*>(zmMalloc(sizeof(QvStackList))); }

// The file as an articulated body, or again as a plain world when the body
// cannot be loaded; the body setting is at rest afterwards.
QvStackList* parseAsKinemation(const char* fileName, ZmWorld* world) {
  qvSession().kinemationMode = 0;
  QvStackList* result = nullptr;
  if (ZmObj* body = parseKinemation(fileName, world)) {
    result = newStackList();
    if (result == nullptr || addQvNodeInStackList(result, nullptr) != 0) {
      zmFree(result);
      result = nullptr;
      zmDeleteZmObj(body);
    } else {
      result->first->object = body;
    }
  } else {
    result = parseVRML(fileName, world);
  }
  resetKinemationSetting();
  return result;
}

// The child's transform relative to the Separator becomes relative to the
// Separator's parent: the child's own, then the Separator's. Its box in the
// parent's frame was made for the old transform and is made again.
void moveOutOfSeparator(ZmObj* child, const ZmObj* separator) {
  ZmRT local;
  zmRTMult(&separator->localRT, &child->localRT, &local);
  child->localRT = local;
  zmInvalidateBoundingCube(child);
}

// Takes the first child out of the Separator; its matrix follows.
ZmObj* takeFirstChild(ZmObj* separator) {
  ZmObj* child = separator->child->object;
  zmRemoveChild(child);
  // Loose until placed: deleting it when it cannot be placed must not look
  // for it among the Separator's children again.
  child->parent = nullptr;
  moveOutOfSeparator(child, separator);
  return child;
}

void deleteFailed(ZmObj* object) { zmDeleteZmObj(object); }

// Hands each entry's object to place(); stops at the first failure, after
// which the objects of the later entries, never placed, are deleted.
template <class Place> int placeEntries(QvStackList* list, Place place) {
  for (STACKLIST* entry = list->first; entry; entry = entry->next) {
    int result = place(entry);
    if (result == 0) continue;
    for (STACKLIST* later = entry->next; later; later = later->next) deleteFailed(later->object);
    return result;
  }
  return 0;
}

}  // namespace

// ------------------------------------------------------------ the list

int addQvNodeInStackList(QvStackList* list, QvNode* node) {
  if (list == nullptr) {
    zmReportMessage("addQvNodeInStackList(): argument's STACKLIST is null.");
    return -1;
  }
  STACKLIST* entry = static_cast<STACKLIST*>(zmMalloc(sizeof(STACKLIST)));
  if (entry == nullptr) {
    zmReportMessage("%s: %s", "addQvNodeInStackList()", "Couldn't allocate memory for STACKLIST.");
    return -5;
  }
  entry->node = node;
  entry->prev = list->last;
  if (list->last) list->last->next = entry; else list->first = entry;
  list->last = entry;
  return 0;
}

void deleteStackList(QvStackList* list) {
  if (list == nullptr) return;
  for (STACKLIST* entry = list->last; entry;) {
    STACKLIST* prev = entry->prev;
    if (entry->node) entry->node->unref();
    zmFree(entry);
    entry = prev;
  }
  zmFree(list);
}

// ------------------------------------------------------------ parseVRML

// The build that the limits count starts with the first file read while no
// other parse is under way; the files read inside it (inline worlds, strings
// added from hooks) belong to it.
void startBuildOfOutermostParse(const char* fileName) {
  if (qvSession().buildStarted) return;
  for (const QvParseSession* outer = qvSession().outer; outer; outer = outer->outer)
    if (outer->world != nullptr) return;
  qvSession().buildStarted = true;
  zmStartBuild(fileName);
}

QvStackList* parseVRML(const char* fileName, ZmWorld* world) {
  NodeSlabScope nodeSlab;
  startBuildOfOutermostParse(fileName);
  if (zmIsNotRegularFile(fileName)) {
    zmReportMessage("parseVRML(): '%s' is not a regular file", fileName);
    return nullptr;
  }
  std::unique_ptr<FILE, FileCloser> fp(std::fopen(fileName, "rb"));
  if (fp == nullptr) {
    zmReportMessage("parseVRML(): can not open '%s'", fileName);
    return nullptr;
  }
  QvStackList* list = newStackList();
  if (list == nullptr) {
    zmReportMessage("parseVRML(): Couldn't allocate memory for QvStackList.");
    return nullptr;
  }
  if (!readTopLevelNodes(fileName, fp.get(), list)) {
    deleteStackList(list);
    return nullptr;
  }
  fp.reset();
  // The nodes stay alive until every entry is traversed: property nodes at
  // top level stay pushed for the later entries.
  bool converted = traverseEntries(list, world);
  for (STACKLIST* entry = list->first; entry; entry = entry->next) {
    entry->node->unref();
    entry->node = nullptr;
  }
  if (converted) return list;
  deleteEntryObjects(list);
  deleteStackList(list);
  if (kinemationAwaitsFailure()) return parseAsKinemation(fileName, world);
  return nullptr;
}

void zmParseSetKinemationFile(const char* fileName) {
  auto& kinemationFile = qvSession().kinemationFile;
  kinemationFile.reset();
  if (fileName == nullptr) {
    zmReportWarning("zmParseSetKinemationFile(): pointer of filename is null.");
    return;
  }
  kinemationFile.reset(zmStrdup(fileName));
  if (kinemationFile == nullptr)
    zmReportMessage("%s: %s", "zmParseSetKinemationFile()", "Coudln't allocate memory for kinemation filename.");
}

ZmObj* parseKinemation(const char* fileName, ZmWorld* world) {
  const char* url = qvFAbs2UrlOfFileName(fileName);
  if (url == nullptr) {
    zmReportMessage("parseKinemation(): qvFAbs2UrlOfFileName() failed.");
    return nullptr;
  }
  char* urlCopy = zmStrdup(url);
  if (urlCopy == nullptr) {
    zmReportMessage("parseKinemation(): zmStrdup() failed.");
    return nullptr;
  }
  const char* kinemationFile = qvSession().kinemationFile.get();
  ZmObj* body = nullptr;
  int result = vrmlMedia().kinNew(world, kinemationFile, urlCopy, &body);
  zmFree(urlCopy);
  if (result != 0 || body == nullptr) {
    zmReportMessage("parseKinemation(): zmKinNew() failed.");
    return nullptr;
  }
  return body;
}

// True while the file is read inside a parse that loads it, or another
// file, as a body or re-reads it as a plain world: a skin names the body
// being loaded, which must not be loaded again from inside itself.
static bool insideABodysParse() {
  for (const QvParseSession* session = &qvSession(); session; session = session->outer)
    if (session->kinemationMode != 1) return true;
  return false;
}

int setKinemation(const QvInfo* node, QvState*) {
  if (insideABodysParse()) return 0;
  const char* bodyFile = node->string.value.getString();
  if (bodyFile == nullptr || bodyFile[0] == '\0') return 0;
  zmParseSetKinemationFile(bodyFile);
  return 1;
}

// ------------------------------------------------------------- placing

int makeItTopObjInWorld(ZmObj* object, const char* fileName, ZmObj** placed) {
  if (placed) *placed = nullptr;
  if (object == nullptr) return 0;
  if (object->vrmlType != ZM_VRML_SEPARATOR) {
    if (zmAddTopObject(object, fileName) != 0) {
      zmReportMessage("makeItTopObjInWorld2(): zmMakeItTopObj() failed.");
      deleteFailed(object);
      return -1;
    }
    if (placed) *placed = object;
    return 0;
  }
  if (object->child == nullptr) {
    zmReportWarning("%s: pointer to child of ZmObj is null.", "makeItTopObjInWorld1");
    deleteFailed(object);
    return 0;
  }
  for (bool first = true; object->child; first = false) {
    ZmObj* child = takeFirstChild(object);
    if (zmAddTopObject(child, fileName) != 0) {
      zmReportMessage("%s: zmMakeItTopObj() failed.", "makeItTopObjInWorld1");
      deleteFailed(child);
      deleteFailed(object);
      return -1;
    }
    if (first && placed) *placed = child;
  }
  deleteFailed(object);
  return 0;
}

int makeItTopObjInZmObj(ZmObj* object, ZmObj* parent) {
  if (object == nullptr) return 0;
  if (object->vrmlType != ZM_VRML_SEPARATOR) {
    if (zmAddChild(parent, object) != 0) {
      zmReportMessage("makeItTopObjInZmObj2(): zmAddChild() failed.");
      deleteFailed(object);
      return -1;
    }
    return 0;
  }
  while (object->child) {
    ZmObj* child = takeFirstChild(object);
    if (zmAddChild(parent, child) != 0) {
      zmReportMessage("%s: zmAddChild() failed.", "makeItTopObjInZmObj1");
      deleteFailed(child);
      deleteFailed(object);
      return -1;
    }
  }
  deleteFailed(object);
  return 0;
}

ZmObj* findZmCameraObj(ZmObj* object) {
  if (object == nullptr) return nullptr;
  if (object->vrmlType == ZM_VRML_ORTHOGRAPHIC_CAMERA || object->vrmlType == ZM_VRML_PERSPECTIVE_CAMERA ||
      object->vrmlType == ZM_VRML_SWITCH)
    return object;
  for (ZmChildList* node = object->child; node; node = node->next)
    if (ZmObj* found = findZmCameraObj(node->object)) return found;
  return nullptr;
}

// -------------------------------------------------------- entry points
//
// Each entry point holds a session for all of its work, placing included:
// a parse it interrupts resumes with its own state, and one it starts
// itself (an inline file, a message pump inside a hook) cannot disturb it.

namespace {

// The first inline number of a file read for itself, and of a file read
// as an inline: a world file numbers its inlines 1, 2, 3, ..., an inline
// file -1, 0, 1, ...
constexpr int32_t kWorldFileInlineNumbers = 1;
constexpr int32_t kInlineFileInlineNumbers = -1;

}  // namespace

int parseVRMLIntoWorld(const char* fileName, ZmWorld* world) {
  QvSessionGuard session(world, kWorldFileInlineNumbers);
  QvStackList* list = parseVRML(fileName, world);
  if (list == nullptr) return -1;
  int result = placeEntries(list, [&](STACKLIST* e) { return makeItTopObjInWorld(e->object, fileName, nullptr); });
  deleteStackList(list);
  return result;
}

int zmParseVRMLInZmObj(const char* fileName, ZmObj* parent) {
  QvSessionGuard session(parent->world, kInlineFileInlineNumbers);
  QvStackList* list = parseVRML(fileName, parent->world);
  if (list == nullptr) return -1;
  int result = placeEntries(list, [&](STACKLIST* e) { return makeItTopObjInZmObj(e->object, parent); });
  deleteStackList(list);
  if (result != 0) return result;
  if (int invalidated = zmInvalidateChildWRT(parent); invalidated != 0) {
    zmReportMessage("zmParseVRMLInZmObj(): invalidateChildWRT() failed.");
    return invalidated;
  }
  return 0;
}

namespace {

// The camera table of a world emptied for the cameras of one file and put
// back afterwards; the nodes the file registered are freed, their objects stay.
class CameraTableSwap {
 public:
  explicit CameraTableSwap(ZmWorld* w) : table(w->cameraTable) {
    if (table == nullptr) return;
    savedFirst = table->first;
    savedActive = table->activeId;
    table->first = nullptr;
    table->activeId = 1;
  }
  ~CameraTableSwap() {
    if (table == nullptr) return;
    for (ZmCameraList* node = table->first; node;) {
      ZmCameraList* next = node->next;
      zmFree(node);
      node = next;
    }
    table->first = savedFirst;
    table->activeId = savedActive;
  }

 private:
  ZmCameraTable* table;
  ZmCameraList* savedFirst = nullptr;
  int32_t savedActive = 1;
};

}  // namespace

namespace {

ZmTopObjList* parseInZmCamera(ZmWorld* world, const char* fileName, ZmObj** camera, bool fromPeer) {
  if (world == nullptr) {
    zmReportMessage("zmParseVRMLInZmCamera(): argument pointer of ZmWorld is null.");
    return nullptr;
  }
  if (camera == nullptr) {
    zmReportMessage("zmParseVRMLInZmCamera(): argument pointer of camera is null.");
    return nullptr;
  }
  *camera = nullptr;
  ZmTopObjList* lastBefore = world->topObjectsTail;
  CameraTableSwap swap(world);
  QvSessionGuard session(world, kWorldFileInlineNumbers);
  qvSession().fromPeer = fromPeer;
  QvStackList* list = parseVRML(fileName, world);
  if (list == nullptr) return nullptr;
  int result = placeEntries(list, [&](STACKLIST* e) { return makeItTopObjInWorld(e->object, fileName, nullptr); });
  deleteStackList(list);
  if (result != 0) return nullptr;
  ZmTopObjList* firstNew = lastBefore ? lastBefore->next : world->topObjects;
  if (firstNew == nullptr) {
    zmReportMessage("zmParseVRMLInZmCamera(): pTopObjList->next is null.");
    return nullptr;
  }
  for (ZmTopObjList* node = firstNew; node && *camera == nullptr; node = node->next)
    *camera = findZmCameraObj(node->object);
  return firstNew;
}

}  // namespace

ZmTopObjList* zmParseVRMLInZmCamera(ZmWorld* world, const char* fileName, ZmObj** camera) {
  return parseInZmCamera(world, fileName, camera, false);
}

ZmTopObjList* zmParsePeerVRMLInZmCamera(ZmWorld* world, const char* fileName, ZmObj** camera) {
  return parseInZmCamera(world, fileName, camera, true);
}

int zmParseVRMLAddToWorld(const char* fileName, ZmObj** object) {
  if (fileName == nullptr || object == nullptr) {
    zmReportMessage("zmParseVRMLAddToWorld(): argument pointers is null.");
    return -1;
  }
  *object = nullptr;
  ZmWorld* world = zmGetWorldBeingBuiltOrCurrent();
  if (world == nullptr) {
    zmReportMessage("zmParseVRMLAddToWorld(): zmGetCurrentWorld() failed.");
    return -1;
  }
  QvSessionGuard session(world, kWorldFileInlineNumbers);
  QvStackList* list = parseVRML(fileName, world);
  if (list == nullptr) return -1;
  int result = placeEntries(list, [&](STACKLIST* e) {
    ZmObj* placed = nullptr;
    int placing = makeItTopObjInWorld(e->object, fileName, &placed);
    if (e == list->first) *object = placed;
    return placing;
  });
  deleteStackList(list);
  if (result != 0) {
    zmReportMessage("zmParseVRMLAddToWorld(): makeItTopObjInWorld() failed.");
    return -1;
  }
  return 0;
}

int zmParseVRMLAddToObj(const char* fileName, ZmObj* parent, ZmObj** object) {
  if (fileName == nullptr || parent == nullptr || object == nullptr) {
    zmReportMessage("zmParseVRMLAddToObj(): argument pointers is null.");
    return -1;
  }
  *object = nullptr;
  if (parent->world == nullptr) {
    zmReportMessage("zmParseVRMLAddToObj(): the parent object has no world.");
    return -1;
  }
  QvSessionGuard session(parent->world, kWorldFileInlineNumbers);
  QvStackList* list = parseVRML(fileName, parent->world);
  if (list == nullptr) return -1;
  ZmObj* first = list->first->object;
  int result = placeEntries(list, [&](STACKLIST* e) {
    if (e->object == nullptr || zmAddChild(parent, e->object) == 0) return 0;
    zmReportMessage("makeItTopObjInZmObj2(): zmAddChild() failed.");
    deleteFailed(e->object);
    return -1;
  });
  deleteStackList(list);
  if (result != 0) return result;
  if (zmInvalidateChildWRT(parent) != 0) {
    zmReportMessage("zmParseVRMLAddToObj(): invalidateChildWRT() failed.");
    return -1;
  }
  *object = first;
  return 0;
}
