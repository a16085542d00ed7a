// core/object.cpp -- scene objects, ids, extensions, names; see object.h.
#include "core/object.h"

#include <cstring>
#include <string>

#include "core/camera.h"
#include "core/hash.h"
#include "core/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/objvalue.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "platform/fatal.h"

// ---- Ids ------------------------------------------------------------------

namespace {

struct ZmIdRange {
  int requestOnly;
  ZmId first, last, next;
};

constexpr int kIdLevels = 5;

// The program-wide stack of id ranges: every new world resets it, a world's
// construction sets its base range, each inline file pushes one.
struct {
  ZmIdRange ranges[kIdLevels];
  int level;
} idStack;

}  // namespace

ZmId zmGetNullId() { return 0; }

void zmInitIdCounter() {
  for (ZmIdRange& range : idStack.ranges) range = {1, 0, 0, 0};
  idStack.level = 0;
}

int zmSetIdCounter(ZmId* first, ZmId* last, int requestOnly) {
  if (*last < *first) return -1;
  idStack.ranges[idStack.level] = {requestOnly, *first, *last, *first};
  return 0;
}

int zmPushIdCounter(ZmId* first, ZmId* last, int requestOnly) {
  if (idStack.level + 1 >= kIdLevels) return -1;
  ++idStack.level;
  if (zmSetIdCounter(first, last, requestOnly) != 0) {
    --idStack.level;
    return -1;
  }
  return 0;
}

int zmPopIdCounter() {
  if (idStack.level == 0) return -1;
  --idStack.level;
  return 0;
}

int zmAssignId(ZmId* id, int needId) {
  ZmIdRange& range = idStack.ranges[idStack.level];
  *id = zmGetNullId();
  if (range.requestOnly && !needId) return -1;
  if (range.next == zmGetNullId()) return -1;
  if (range.first > range.next || range.next > range.last) return -6;
  *id = range.next++;
  return 0;
}

int zmIdEq(ZmId* a, ZmId* b) { return *a == *b; }
int zmIsValidId(ZmId* id) { return *id != zmGetNullId(); }

// ---- Creation and tree ----------------------------------------------------

static void setObjDefaults(ZmObj* obj, ZmWorld* world, ZmId id) {
  obj->id = id;
  obj->world = world;
  zmRTIdentity(&obj->worldRT);
  zmRTIdentity(&obj->localRT);
  obj->scale[0] = obj->scale[1] = obj->scale[2] = 1.0f;
  obj->whichChild = -1;
  obj->obj_flags = ZM_OBJ_INITIAL_FLAGS;
}

int zmNewZmObj(ZmWorld* world, ZmObj** object, int needId) {
  ZmObj* obj = static_cast<ZmObj*>(zmSlabMalloc(sizeof(ZmObj)));
  if (obj == nullptr) {
    zmReportError("zmNewZmObj: zmMalloc failed");
    return -5;
  }
  ZmId id;
  int assigned = zmAssignId(&id, needId);
  if (assigned == -6) {
    zmFree(obj);
    return -6;
  }
  if (assigned == 0 &&
      (world->idTable == nullptr || (obj->idEntry = zmAddHashEntry(world->idTable, &id, sizeof id, obj)) == nullptr)) {
    zmFree(obj);
    zmReportError("zmNewZmObj: zmNewHashEntry failed");
    return -5;
  }
  setObjDefaults(obj, world, id);
  ++world->objectCount;
  *object = obj;
  return 0;
}

int zmAddChild(ZmObj* parent, ZmObj* child) {
  ZmChildList* node = static_cast<ZmChildList*>(zmSlabMalloc(sizeof(ZmChildList)));
  if (node == nullptr) {
    zmReportError("zmAddChild: zmMalloc failed\n");
    return -5;
  }
  node->object = child;
  node->previous = parent->childTail;
  if (parent->child == nullptr) {
    parent->child = node;
  } else {
    parent->childTail->next = node;
  }
  parent->childTail = node;
  child->parent = parent;
  child->childNode = node;
  return 0;
}

ZmObj* zmGetNextChild(ZmChildList** cursor) {
  if (*cursor == nullptr) return nullptr;
  ZmObj* child = (*cursor)->object;
  *cursor = (*cursor)->next;
  return child;
}

ZmObj* zmGetParentObj(ZmObj* object) { return object->parent; }

// Unlinks a node from a doubly linked list held by its first and last node.
template <typename Node>
static void unlinkNode(Node** first, Node** last, Node* node) {
  ZM_ASSERT((node->previous == nullptr) == (*first == node) && (node->next == nullptr) == (*last == node),
            "a node without a neighbour before or after it is its list's head or tail");
  if (node->previous == nullptr) *first = node->next; else node->previous->next = node->next;
  if (node->next == nullptr) *last = node->previous; else node->next->previous = node->previous;
}

int zmRemoveChild(ZmObj* object) {
  ZmObj* parent = object->parent;
  ZmChildList* node = object->childNode;
  if (parent == nullptr || node == nullptr || node->object != object) {
    zmReportError("zmDeleteZmObj: inconsistent object hierarchy.\n");
    return -1;
  }
  unlinkNode(&parent->child, &parent->childTail, node);
  object->childNode = nullptr;
  zmFree(node);
  return 0;
}

int zmRemoveTopObject(ZmWorld* world, ZmObj* object) {
  ZmTopObjList* node = object->topNode;
  if (node == nullptr || node->object != object || object->world != world) return -1;
  ZM_ASSERT(world->topObjectCount > 0, "the world counts every top object");
  unlinkNode(&world->topObjects, &world->topObjectsTail, node);
  object->topNode = nullptr;
  zmFree(node->fileName);
  zmFree(node);
  --world->topObjectCount;
  return 0;
}

// ---- Deletion -------------------------------------------------------------

// Takes the object's id out of its world's id table. An id written into the
// record directly, with no entry recorded, is looked for by value.
static void forgetId(ZmObj* object) {
  ZmHash* table = object->world->idTable;
  if (table == nullptr) {
    // nothing can hold the id
  } else if (object->idEntry != nullptr) {
    zmRemoveHashEntry(table, object->idEntry);
  } else if (object->id != zmGetNullId()) {
    zmDeleteHashEntryByValue(table, &object->id, object);
  }
  object->idEntry = nullptr;
  object->id = zmGetNullId();
}

// Takes the object out of the tree: a top object leaves the world's list
// (absence is ignored), any other its parent's children.
static int detach(ZmObj* object) {
  if (object->parent == nullptr) {
    zmRemoveTopObject(object->world, object);
    return 0;
  }
  return zmRemoveChild(object);
}

static void freeLOD(ZmLOD* lod) {
  if (lod == nullptr) return;
  zmFree(lod->ranges);
  zmFree(lod);
}

int zmFreeObjExtensions(ZmObj* object) {
  int result = 0;
  ZmObjValue* values = reinterpret_cast<ZmObjValue*>(zmGetObjExtension(object, zmObjectValue));
  zmFreeObjValueList(values);
  bool hasBody = zmGetObjExtension(object, zmKinemationBody) != 0 ||
                 zmGetObjExtension(object, zmKinemationPosition) != 0;
  if (hasBody && coreMedia().kinDeleteBodyAndPos(object) != 0) {
    result = -1;
  }
  if (object->vrmlType == ZM_VRML_LOD) {
    freeLOD(reinterpret_cast<ZmLOD*>(zmGetObjExtension(object, zmLODNode)));
  }
  if (object->vrmlType == ZM_VRML_LOD || object->vrmlType == ZM_VRML_SWITCH) {
    zmFree(reinterpret_cast<void*>(zmGetObjExtension(object, zmSwitchWhichChild)));
  }
  if (zmGetObjExtension(object, zmRenderBoundingBox) != 0 &&
      coreViewer().renderDeleteBoundingBoxInViewer(object) != 0) {
    result = -1;
  }
  // Every node goes, even after a failed step, so that nothing dangles; the
  // data of the other types belongs to others.
  while (object->extensions != nullptr) {
    ZmObjExtension* next = object->extensions->next;
    zmFree(object->extensions);
    object->extensions = next;
  }
  return result;
}

// The object's own contents, in the order the upper layers expect.
static int freeZmObjContents(ZmObj* object) {
  ZmWorld* world = object->world;
  int result = 0;
  coreShell().viewInputForgetObj(object);
  forgetId(object);
  coreScript().deleteObjTimeOutHandler(object);
  zmForgetCameraObj(object);
  // A deleted avatar leaves its world without one, not with a stale address.
  if (world->person == object) world->person = nullptr;
  if (object->vrmlType == ZM_VRML_LOD && world->lodObjects.count > 0) {
    zmRemoveObjToZmMFObj(&world->lodObjects, object);
  }
  if (object->eventHandlers != nullptr) {
    coreScript().deleteAllEventHandler(object);
    object->eventHandlers = nullptr;
    object->eventMask = 0;
  }
  for (char*& text : object->comment) {
    zmFree(text);
    text = nullptr;
  }
  if (object->leaf != nullptr) {
    zmDeleteAllLeaf(object->leaf);
    object->leaf = nullptr;
    object->leafTail = nullptr;
  }
  if (object->extensions != nullptr && zmFreeObjExtensions(object) != 0) result = -1;
  coreShell().deleteObjLabels(object);
  if (world->rendering != nullptr) coreViewer().rwRemoveObjFromTransferedObjList(object);
  return result;
}

// Clears what is left of a deleted object and hands the record to its world,
// which frees it when emptied: stale addresses still reach a harmless record.
static void retire(ZmObj* object) {
  ZmWorld* world = object->world;
  memset(static_cast<void*>(object), 0, sizeof *object);
  object->world = world;
  object->nextRetired = world->retiredObjects;
  world->retiredObjects = object;
}

// Deletes the children, then the object's own contents.
static int deleteZmObjTree(ZmObj* object) {
  int result = 0;
  while (object->child != nullptr) {
    ZmChildList* node = object->child;
    unlinkNode(&object->child, &object->childTail, node);
    if (node->object != nullptr) {
      node->object->childNode = nullptr;
      if (deleteZmObjTree(node->object) != 0) result = -1;
    }
    zmFree(node);
  }
  if (freeZmObjContents(object) == 0) {
    ZM_ASSERT(object->world->objectCount > 0, "the world counts every live object");
    --object->world->objectCount;
  } else {
    result = -1;
  }
  retire(object);
  return result;
}

int zmDeleteZmObj(ZmObj* object) {
  if (object == nullptr) return 0;
  if (coreViewer().destroyObjInViewer(object) != 0) {
    zmReportWarning("zmDeleteZmObj: fail to delete RW structure.");
    return -1;
  }
  if (detach(object) != 0) return -1;
  return deleteZmObjTree(object);
}

int zmCutZmObj(ZmObj* object) {
  if (coreViewer().destroyObjInViewer(object) != 0) {
    zmReportWarning("zmCutZmObj: fail to delete RW structure.");
    return -1;
  }
  return detach(object);
}

int zmClearZmObjContents(ZmObj* object) {
  if (coreViewer().destroyObjInViewer(object) != 0) {
    zmReportWarning("zmClearZmObjContents: fail to delete RW structure.");
    return -1;
  }
  return freeZmObjContents(object);
}

// ---- Ids of objects -------------------------------------------------------

ZmObj* zmGetZmObjById(ZmWorld* world, ZmId* id) {
  void* value = nullptr;
  if (world->idTable == nullptr || zmGetHashValue(world->idTable, id, &value) != 0) return nullptr;
  return static_cast<ZmObj*>(value);
}

int zmObjAssignId(ZmObj* object, ZmId* id) {
  if (object->id != zmGetNullId()) {
    if (object->world == nullptr || object->world->idTable == nullptr) {
      zmReportError("zmObjAssignId: world or object structure is wrong.");
      return -1;
    }
    forgetId(object);
  }
  object->id = *id;
  if (object->world == nullptr || object->world->idTable == nullptr ||
      (object->idEntry = zmAddHashEntry(object->world->idTable, id, sizeof *id, object)) == nullptr) {
    object->id = zmGetNullId();
    zmReportError("zmObjAssignId: zmNewHashEntry failed.");
    return -1;
  }
  return 0;
}

int zmIsGrabbable(ZmObj* object) { return (object->obj_flags & ZM_OBJ_MOBILE) ? 1 : 0; }

// ---- Object arrays --------------------------------------------------------

static int indexInArray(const ZmMFObj* array, const ZmObj* object) {
  for (int32_t i = 0; i < array->count; ++i) {
    if (array->objs[i] == object) return i;
  }
  return -1;
}

int zmAddZmObjToZmMFObj(ZmMFObj* array, ZmObj* object) {
  if (indexInArray(array, object) >= 0) return 0;
  ZmObj** grown = static_cast<ZmObj**>(zmRealloc(array->objs, (array->count + 1) * sizeof(ZmObj*)));
  if (grown == nullptr) {
    zmReportWarning("zmAddZmObjToZmMFObj: can not allocate memory for sound node");
    return -1;
  }
  grown[array->count++] = object;
  array->objs = grown;
  return 0;
}

int zmRemoveObjToZmMFObj(ZmMFObj* array, ZmObj* object) {
  if (array->count == 0) {
    zmReportWarning("zmRemoveObjToZmMFObj: try to remove obj from empty zmMFobj");
    return -1;
  }
  int index = indexInArray(array, object);
  if (index < 0) return 0;
  if (array->count == 1) {
    // The last entry goes with its block, so that an empty array holds none.
    zmFree(array->objs);
    array->objs = nullptr;
    array->count = 0;
    return 0;
  }
  ZmObj** smaller = static_cast<ZmObj**>(zmMalloc((array->count - 1) * sizeof(ZmObj*)));
  if (smaller == nullptr) {
    zmReportWarning("zmAddSoundLeaf: can not allocate memory for sound node");
    return -1;
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < array->count; ++i) {
    if (i != index) smaller[kept++] = array->objs[i];
  }
  zmFree(array->objs);
  array->objs = smaller;
  array->count = kept;
  return 0;
}

// ---- Extensions -----------------------------------------------------------

static ZmObjExtension* findExtension(ZmObj* object, int32_t type, ZmObjExtension** previous) {
  ZmObjExtension* before = nullptr;
  for (ZmObjExtension* node = object->extensions; node; before = node, node = node->next) {
    if (node->type == type) {
      if (previous) *previous = before;
      return node;
    }
  }
  return nullptr;
}

int zmRegisterObjExtension(ZmObj* object, int32_t type, intptr_t data) {
  if (object == nullptr || findExtension(object, type, nullptr) != nullptr) return -1;
  ZmObjExtension* node = static_cast<ZmObjExtension*>(zmMalloc(sizeof(ZmObjExtension)));
  if (node == nullptr) return -5;
  node->type = type;
  node->data = data;
  ZmObjExtension** link = &object->extensions;
  while (*link != nullptr) link = &(*link)->next;
  *link = node;
  return 0;
}

intptr_t zmGetObjExtension(ZmObj* object, int32_t type) {
  if (object == nullptr) return 0;
  ZmObjExtension* node = findExtension(object, type, nullptr);
  return node ? node->data : 0;
}

int zmDeleteObjExtension(ZmObj* object, int32_t type) {
  if (object == nullptr) return -1;
  ZmObjExtension* previous = nullptr;
  ZmObjExtension* node = findExtension(object, type, &previous);
  if (node == nullptr) return -1;
  if (previous == nullptr) object->extensions = node->next; else previous->next = node->next;
  if (type == zmLODNode) freeLOD(reinterpret_cast<ZmLOD*>(node->data));
  zmFree(node);
  return 0;
}

int allocAndCopyZmObjExtensionForObjVal(ZmObj* target, ZmObjExtension* extension) {
  if (extension == nullptr || extension->type != zmObjectValue) {
    zmReportWarning("allocAndCopyZmObjExtensionForObjVal : not object value.");
    return -1;
  }
  bool failed = false;
  ZmObjValue* copy = zmCopyObjValueList(reinterpret_cast<ZmObjValue*>(extension->data), &failed);
  if (failed) return -5;
  if (zmRegisterObjExtension(target, zmObjectValue, reinterpret_cast<intptr_t>(copy)) != 0) {
    zmFreeObjValueList(copy);
    return -1;
  }
  return 0;
}

int allocAndCopyZmObjExtensionForLOD(ZmObj* target, ZmObjExtension* extension) {
  if (extension == nullptr || extension->type != zmLODNode) {
    zmReportWarning("allocAndCopyZmObjExtensionForLOD : not LOD.");
    return -1;
  }
  const ZmLOD* source = reinterpret_cast<const ZmLOD*>(extension->data);
  ZmLOD* copy = static_cast<ZmLOD*>(zmMalloc(sizeof(ZmLOD)));
  if (copy == nullptr) {
    zmReportWarning("allocAndCopyZmObjExtensionForLOD : cannot allocate memory.");
    return -5;
  }
  if (source != nullptr) {
    // The range array is owned by each record, so the copy gets its own.
    *copy = *source;
    copy->ranges = nullptr;
    if (source->rangeCount > 0 && source->ranges != nullptr) {
      copy->ranges = static_cast<float*>(zmMalloc(source->rangeCount * sizeof(float)));
      if (copy->ranges == nullptr) {
        zmFree(copy);
        zmReportWarning("allocAndCopyZmObjExtensionForLOD : cannot allocate memory.");
        return -5;
      }
      memcpy(copy->ranges, source->ranges, source->rangeCount * sizeof(float));
    }
  }
  if (zmRegisterObjExtension(target, zmLODNode, reinterpret_cast<intptr_t>(copy)) != 0) {
    freeLOD(copy);
    return -1;
  }
  return 0;
}

int allocAndCopyZmObjExtensionForScript(ZmObj* target, ZmObjExtension* extension) {
  if (extension == nullptr || extension->type != zmScriptNode) {
    zmReportWarning("allocAndCopyZmObjExtensionForScript : not Script.");
    return -1;
  }
  const ZmScriptNodeData* source = reinterpret_cast<const ZmScriptNodeData*>(extension->data);
  ZmScriptNodeData* copy = static_cast<ZmScriptNodeData*>(zmMalloc(sizeof(ZmScriptNodeData)));
  char* script = (source && source->script) ? zmStrdup(source->script) : nullptr;
  if (copy == nullptr || (source && source->script && script == nullptr)) {
    zmFree(copy);
    zmFree(script);
    zmReportWarning("allocAndCopyZmObjExtensionForScript : cannot allocate memory.");
    return -5;
  }
  copy->script = script;
  copy->word = source ? source->word : 0;
  if (zmRegisterObjExtension(target, zmScriptNode, reinterpret_cast<intptr_t>(copy)) != 0) {
    zmFree(script);
    zmFree(copy);
    return -1;
  }
  return 0;
}

// ---- Names and lookup -----------------------------------------------------

char* zmNameObject(ZmObj* object, const char* name) {
  char* copy = zmStrdup(name);
  if (copy == nullptr) return nullptr;
  zmFree(object->comment[1]);
  object->comment[1] = copy;
  return copy;
}

int zmObjNameIs(ZmObj* object, const char* name) {
  return object->comment[1] != nullptr && name != nullptr && strcmp(object->comment[1], name) == 0;
}

ZmObj* zmFindChildByName(ZmChildList* children, const char* name) {
  for (ZmChildList* node = children; node; node = node->next) {
    if (node->object != nullptr && zmObjNameIs(node->object, name)) return node->object;
  }
  return nullptr;
}

ZmObj* zmFindTopObjByName(const char* name) {
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr) return nullptr;
  for (ZmTopObjList* node = world->topObjects; node; node = node->next) {
    if (node->object != nullptr && zmObjNameIs(node->object, name)) return node->object;
  }
  return nullptr;
}

ZmObj* zmFindObjInSubtree(ZmObj* object, const char* name) {
  if (zmObjNameIs(object, name)) return object;
  for (ZmChildList* node = object->child; node; node = node->next) {
    if (node->object == nullptr) continue;
    if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
  }
  return nullptr;
}

ZmObj* zmGetChildObjByPath(ZmObj* object, const char* path) {
  if (path == nullptr) return nullptr;
  const std::string copy(path);
  ZmObj* current = object;
  size_t cursor = 0;
  while (cursor < copy.size()) {
    if (copy[cursor] == '.') {  // leading, doubled and trailing dots are skipped
      ++cursor;
      continue;
    }
    size_t end = copy.find('.', cursor);
    if (end == std::string::npos) end = copy.size();
    if (object->child == nullptr) return nullptr;
    current = zmFindChildByName(current->child, copy.substr(cursor, end - cursor).c_str());
    if (current == nullptr) return nullptr;
    cursor = end;
  }
  return current;
}

ZmObj* zmGetTopObjByPath(const char* path) {
  if (path == nullptr || path[0] == '\0' || path[0] == '.') return nullptr;
  const char* dot = strchr(path, '.');
  std::string first = dot ? std::string(path, dot - path) : std::string(path);
  ZmObj* top = zmFindTopObjByName(first.c_str());
  if (top == nullptr || dot == nullptr) return top;
  return zmGetChildObjByPath(top, dot);
}

ZmObj* zmGetObjByName(ZmObj* object, const char* name) {
  if (object->child != nullptr) return zmFindObjInSubtree(object, name);
  if (zmObjNameIs(object, name)) return object;
  if (object->parent == nullptr) return nullptr;
  ZmChildList* node = object->parent->child;
  while (node != nullptr && node->object != object) node = node->next;
  for (node = node ? node->next : nullptr; node; node = node->next) {
    if (node->object == nullptr) continue;
    if (ZmObj* found = zmFindObjInSubtree(node->object, name)) return found;
  }
  return nullptr;
}

static constexpr const char* kVRMLTypeNames[] = {
    nullptr,          "AmbientSound",     "Cone",              "Coordinate3",
    "Cube",           "Cylinder",         "DirectionalLight",  "Group",
    "IndexedFaceSet", "IndexedLineSet",   "Info",              "LOD",
    "Material",       "MaterialBinding",  "MatrixTransform",   "Normal",
    "NormalBinding",  "OrthographicCamera", "PerspectiveCamera", "PointLight",
    "PointSet",       "Rotation",         "Scale",             "Separator",
    "ShapeHints",     "Sphere",           "SpotLight",         "Switch",
    "Texture2",       "Texture2Transform", "TextureCoordinate2", "Transform",
    "TransformSeparator", "Translation",  "TransparentTexture2", "WWWAnchor",
    "WWWInline",      "AsciiText",        "KinJoint",
};
static constexpr ZmVRMLType kVRMLTypeCount = sizeof kVRMLTypeNames / sizeof kVRMLTypeNames[0];

ZmVRMLType zmGetVRMLTypeByName(const char* name) {
  if (name == nullptr) return 0;
  for (ZmVRMLType code = 1; code < kVRMLTypeCount; ++code) {
    if (strcmp(kVRMLTypeNames[code], name) == 0) return code;
  }
  return 0;
}

const char* zmGetVRMLTypeName(ZmVRMLType code) {
  return (code >= 1 && code < kVRMLTypeCount) ? kVRMLTypeNames[code] : nullptr;
}
