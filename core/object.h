// core/object.h -- scene objects: the nodes of a world's scene tree.
//
// Owns: the `ZmObj` record with its defaults, the child lists, the program's
// stack of object-id ranges and the world's id table entries, typed
// extensions, names and the lookup of objects by name and by dotted path,
// the node-type code table, the growable object array `ZmMFObj`, and the
// order in which an object and its subtree are deleted.
// It does not own: leaves (core/leaf.h), transforms (core/transform.h), the
// world and its top-object list (core/world.h), nor the records that upper
// layers hang on an object (handlers, labels, renderer parts, sounds), which
// it hands back to them through core/hooks.h when the object goes away.
//
// A deleted object's record is not freed at once: scripts and the multi-user
// client may still hold its address. Its fields are cleared and the record is
// retired to its world, which frees it when the world is emptied.
#ifndef LUMENFOLD_CORE_OBJECT_H
#define LUMENFOLD_CORE_OBJECT_H

#include <cstdint>

#include "core/vecmath.h"

struct ZmWorld;
struct ZmLeaf;
struct ZmHashEntry;
struct ZmTopObjList;
struct ZmEventHandler;

typedef int32_t ZmId;  // 0 is the null id
typedef int32_t ZmVRMLType;

// Node-type codes: 1 to 36 in the alphabetical order of their names, then 37
// and 38. 0 means none.
enum : ZmVRMLType {
  ZM_VRML_AMBIENT_SOUND = 1, ZM_VRML_CONE, ZM_VRML_COORDINATE3, ZM_VRML_CUBE, ZM_VRML_CYLINDER,
  ZM_VRML_DIRECTIONAL_LIGHT, ZM_VRML_GROUP, ZM_VRML_INDEXED_FACE_SET, ZM_VRML_INDEXED_LINE_SET,
  ZM_VRML_INFO, ZM_VRML_LOD, ZM_VRML_MATERIAL, ZM_VRML_MATERIAL_BINDING, ZM_VRML_MATRIX_TRANSFORM,
  ZM_VRML_NORMAL, ZM_VRML_NORMAL_BINDING, ZM_VRML_ORTHOGRAPHIC_CAMERA, ZM_VRML_PERSPECTIVE_CAMERA,
  ZM_VRML_POINT_LIGHT, ZM_VRML_POINT_SET, ZM_VRML_ROTATION, ZM_VRML_SCALE, ZM_VRML_SEPARATOR,
  ZM_VRML_SHAPE_HINTS, ZM_VRML_SPHERE, ZM_VRML_SPOT_LIGHT, ZM_VRML_SWITCH, ZM_VRML_TEXTURE2,
  ZM_VRML_TEXTURE2_TRANSFORM, ZM_VRML_TEXTURE_COORDINATE2, ZM_VRML_TRANSFORM,
  ZM_VRML_TRANSFORM_SEPARATOR, ZM_VRML_TRANSLATION, ZM_VRML_TRANSPARENT_TEXTURE2,
  ZM_VRML_WWW_ANCHOR, ZM_VRML_WWW_INLINE, ZM_VRML_ASCII_TEXT, ZM_VRML_KIN_JOINT,
};

// Bits of ZmObj::obj_flags.
enum : uint32_t {
  ZM_OBJ_NOT_QUEUED = 0x40,     // not waiting in the renderer's re-transform list
  ZM_OBJ_MOBILE = 0x80,         // the user may grab and drag it
  ZM_OBJ_COLLISION = 0x100,     // its geometry takes part in collision tests
  ZM_OBJ_SOLID = 0x200,         // receives and causes collision events
  ZM_OBJ_GRASP = 0x400,
  ZM_OBJ_VISIBLE = 0x800,
  ZM_OBJ_WRT_VALID = 0x1000,    // worldRT is up to date
  ZM_OBJ_PARENT_CUBE_VALID = 0x2000,
  ZM_OBJ_LOCAL_CUBE_VALID = 0x4000,
  ZM_OBJ_HAS_CUBE = 0x8000,
  ZM_OBJ_INITIAL_FLAGS = 0x0F40,
};

// Extension types; an object has at most one of each.
enum {
  zmKinemationBody = 0,
  zmKinemationSegment = 1,
  zmKinemationPosition = 2,
  zmRenderBoundingBox = 3,
  zmSwitchWhichChild = 4,  // Switch/LOD: address of an owned int32 child number; else the number
  zmAuthInfoId = 5,
  zmScriptNode = 6,        // ZmScriptNodeData
  zmObjectValue = 7,       // first ZmObjValue (core/objvalue.h)
  zmLODNode = 8,           // ZmLOD
  zmWWWInline = 9,         // ZmUrlHash entry
  zmWWWAnchor = 10,        // ZmUrlHash entry
};

struct ZmObj;

struct ZmChildList {
  ZmChildList* next;
  ZmObj* object;
  ZmChildList* previous;  // null at the head, so that a removal does not walk
};

struct ZmObjExtension {
  ZmObjExtension* next;
  int32_t type;
  intptr_t data;  // a pointer or an integer, by type
};

// Data of a zmScriptNode extension.
struct ZmScriptNodeData {
  char* script;    // owned text
  intptr_t word;   // the script type
};

// Data of a zmLODNode extension: five words, the second an owned array.
struct ZmLOD {
  int32_t rangeCount;
  float* ranges;   // owned, rangeCount floats
  float centerX, centerY, centerZ;
};

struct ZmBoundingCube {
  ZmVec3 local_min, local_max;       // own frame, scale included
  ZmVec3 p_local_min, p_local_max;   // parent frame
};

struct ZmObj {
  ZmId id;
  ZmWorld* world;
  ZmObj* parent;                  // null for a top object
  ZmChildList* child;             // first child node
  ZmChildList* childTail;         // last child node, so appends do not walk
  ZmRT worldRT;                   // cache, valid while ZM_OBJ_WRT_VALID
  ZmRT localRT;                   // relative to the parent
  float scale[3];                 // applies to its own leaves only
  uint32_t eventMask;             // OR of its handlers' masks
  ZmEventHandler* eventHandlers;
  int32_t whichChild;
  char* comment[4];               // [1] name, [3] Attributes comment, [0] [2] free
  ZmVRMLType vrmlType;
  ZmLeaf* leaf;                   // first leaf of its chain
  ZmLeaf* leafTail;               // last leaf, so appends do not walk
  ZmBoundingCube boundingCube;
  ZmObjExtension* extensions;
  uint32_t obj_flags;
  void* rendering;                // the renderer's part of the object
  ZmObj* nextRetired;             // chain of deleted records kept by the world
  // Where the object is held, so that taking it out costs the same however
  // many siblings, top objects or ids there are.
  ZmChildList* childNode;         // its node in the parent's children, or null
  ZmTopObjList* topNode;          // its node in the world's top objects, or null
  ZmHashEntry* idEntry;           // its entry in the world's id table, or null
};

// A growable array holding each object at most once.
struct ZmMFObj {
  int32_t count;
  ZmObj** objs;  // exactly count entries
};

// ---- Creation and tree ----------------------------------------------------

/*
 * zmNewZmObj --
 *   A new object with the defaults in `world` (whose id table must exist),
 *   with an id from the current range as zmAssignId(needId) gives it.
 * Results:
 *   0; -5 when memory runs out ("zmNewZmObj: zmMalloc failed" or
 *   "zmNewZmObj: zmNewHashEntry failed"); -6 when the range is used up.
 * Side effects:
 *   The world's object count grows by one; the id enters the id table.
 */
int zmNewZmObj(ZmWorld* world, ZmObj** object, int needId);

// Appends child to parent's children and sets its parent. 0, or -5 with
// "zmAddChild: zmMalloc failed\n". The child must be in no other list.
int zmAddChild(ZmObj* parent, ZmObj* child);
// The object at the cursor (start with obj->child); advances; null at the end.
ZmObj* zmGetNextChild(ZmChildList** cursor);
ZmObj* zmGetParentObj(ZmObj* object);
// Takes the object out of its parent's children. 0, or -1 with the error
// "zmDeleteZmObj: inconsistent object hierarchy.\n".
int zmRemoveChild(ZmObj* object);
// Takes the object out of its world's top objects. 0, or -1 when absent.
int zmRemoveTopObject(ZmWorld* world, ZmObj* object);

/*
 * zmDeleteZmObj --
 *   Deletes an object and its subtree: the renderer part goes first, then
 *   the object leaves its parent (or the top objects), then its children are
 *   deleted and finally its own contents, in the order upper layers expect
 *   (id, time-outs, LOD list, handlers, names, leaves, extensions, labels,
 *   re-transform list).
 * Results:
 *   0 (also for null); -1 when the renderer refuses (the warning
 *   "zmDeleteZmObj: fail to delete RW structure.", nothing changed) or a
 *   part of the tree fails.
 * Side effects:
 *   Each deleted object lowers its world's count by one; its record is
 *   cleared and retired to its world.
 */
int zmDeleteZmObj(ZmObj* object);
// Renderer part and detachment only: the object keeps subtree, contents and
// parent field. 0 or -1 ("zmCutZmObj: fail to delete RW structure.").
int zmCutZmObj(ZmObj* object);
// Renderer part and the object's own contents; children stay. 0 or -1
// ("zmClearZmObjContents: fail to delete RW structure.").
int zmClearZmObjContents(ZmObj* object);
// Frees the extensions in the order their owners need. 0 or -1.
int zmFreeObjExtensions(ZmObj* object);

// The object with that id in the world's id table, or null.
ZmObj* zmGetZmObjById(ZmWorld* world, ZmId* id);
// Gives the object a new id and re-keys the id table. 0, or -1 with
// "zmObjAssignId: world or object structure is wrong." or
// "zmObjAssignId: zmNewHashEntry failed.".
int zmObjAssignId(ZmObj* object, ZmId* id);
int zmIsGrabbable(ZmObj* object);

// ---- Object arrays --------------------------------------------------------

// Appends the object unless it is there already. 0, or -1 with the warning
// "zmAddZmObjToZmMFObj: can not allocate memory for sound node".
int zmAddZmObjToZmMFObj(ZmMFObj* array, ZmObj* object);
// Removes the object. 0 (also when absent); -1 for an empty array
// ("zmRemoveObjToZmMFObj: try to remove obj from empty zmMFobj") or when the
// smaller array cannot be made ("zmAddSoundLeaf: can not allocate memory for
// sound node", nothing changed).
int zmRemoveObjToZmMFObj(ZmMFObj* array, ZmObj* object);

// ---- Ids ------------------------------------------------------------------

ZmId zmGetNullId();
// Five empty request-only ranges, level 0.
void zmInitIdCounter();
// Replaces the current range. -1 when *last < *first, else 0.
int zmSetIdCounter(ZmId* first, ZmId* last, int requestOnly);
// A new range one level up. -1 (level unchanged) at the fifth level or for
// a refused range, else 0.
int zmPushIdCounter(ZmId* first, ZmId* last, int requestOnly);
// One level down; -1 at level 0.
int zmPopIdCounter();
/*
 * zmAssignId --
 *   Takes the next id of the current range into *id.
 * Results:
 *   0 with an id; -1 with the null id for a request-only range asked with
 *   needId 0 or for an empty range; -6 with the null id when used up.
 */
int zmAssignId(ZmId* id, int needId);
int zmIdEq(ZmId* a, ZmId* b);
int zmIsValidId(ZmId* id);

// ---- Extensions -----------------------------------------------------------

// Appends {type, data}. 0; -1 for a null object or a type it has; -5.
int zmRegisterObjExtension(ZmObj* object, int32_t type, intptr_t data);
// The data of that type, 0 when absent.
intptr_t zmGetObjExtension(ZmObj* object, int32_t type);
// Unlinks and frees that extension (and a LOD record's data). 0 or -1.
int zmDeleteObjExtension(ZmObj* object, int32_t type);
// Deep copies of a named-value list, a LOD record or a script record onto
// another object. 0; -1 for a wrong type or a refused registration; -5.
int allocAndCopyZmObjExtensionForObjVal(ZmObj* target, ZmObjExtension* extension);
int allocAndCopyZmObjExtensionForLOD(ZmObj* target, ZmObjExtension* extension);
int allocAndCopyZmObjExtensionForScript(ZmObj* target, ZmObjExtension* extension);

// ---- Names and lookup -----------------------------------------------------

// Stores a copy of name as the object's name; the old one is freed after
// the copy is made. Returns the copy, null when it failed.
char* zmNameObject(ZmObj* object, const char* name);
int zmObjNameIs(ZmObj* object, const char* name);
ZmObj* zmFindChildByName(ZmChildList* children, const char* name);
ZmObj* zmFindTopObjByName(const char* name);  // in the current world
ZmObj* zmFindObjInSubtree(ZmObj* object, const char* name);
ZmObj* zmGetChildObjByPath(ZmObj* object, const char* path);  // "a.b.c"
ZmObj* zmGetTopObjByPath(const char* path);
ZmObj* zmGetObjByName(ZmObj* object, const char* name);
// Code of a node-type name, 0 for others; the name of a code, null outside
// 1 to 38.
ZmVRMLType zmGetVRMLTypeByName(const char* name);
const char* zmGetVRMLTypeName(ZmVRMLType code);

#endif
