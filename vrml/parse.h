// vrml/parse.h -- the parse entry points: VRML files into worlds and objects.
//
// Owns: parseVRML (read every top-level node of a file, convert each with
// one traversal state, hand back what was built), the entry points through
// which the program brings a file into a world, under an object or as an
// avatar with its camera, the placing of built objects (a top-level
// Separator is unwrapped into its children), and the articulated-body
// setting that turns a world file into a body.
// Each parse owns its nodes, input and state until it returns; the objects
// pass to the world or the parent when placed. Each entry point reads in a
// session of its own (vrml/session.h), so parses nested in it, or it in
// them, keep apart their body setting, stop flag and inline numbers.
// It does not own the reading of nodes (vrml/qvnode.h), the conversion
// (vrml/traverse.h), nor the loading of bodies (media, through vrml/hooks.h).
#ifndef LUMENFOLD_VRML_PARSE_H
#define LUMENFOLD_VRML_PARSE_H

class QvInfo;
class QvNode;
class QvState;
struct ZmObj;
struct ZmWorld;
struct ZmTopObjList;

// One top-level node of a file and the object its traversal built.
struct STACKLIST {
  STACKLIST* prev;
  STACKLIST* next;
  QvNode* node;     // one reference, owned; null once released
  ZmObj* object;    // not owned by the list
};

// The entries of one file, in file order.
struct QvStackList {
  STACKLIST* first;
  STACKLIST* last;
};

// Appends {node, no object}. 0; -1 for a null list; -5 when memory runs out.
int addQvNodeInStackList(QvStackList* list, QvNode* node);
// Releases every entry's node (last first) and the list; objects stay.
void deleteStackList(QvStackList* list);

/*
 * parseVRML --
 *   Reads and converts the whole file into the world.
 * Results:
 *   The list of top-level entries, or null on any failure (the objects
 *   built before it are deleted). A file that names an articulated body
 *   gives one entry with the body's object, or is read again as a plain
 *   world when the body cannot be loaded.
 */
QvStackList* parseVRML(const char* fileName, ZmWorld* world);

// 0, -1 when the parse failed, or the failure code of placing an object.
int parseVRMLIntoWorld(const char* fileName, ZmWorld* world);
int zmParseVRMLInZmObj(const char* fileName, ZmObj* parent);
// The top-object node of the first object the file added (null on
// failure); *camera the first camera among the new objects, or null. The
// world's camera table is as before afterwards.
ZmTopObjList* zmParseVRMLInZmCamera(ZmWorld* world, const char* fileName, ZmObj** camera);
// As zmParseVRMLInZmCamera, for a file another user added: its Script,
// EventHandler and task nodes (and those of the files it inlines) are
// dropped with a warning, and an anchor of it to a local file leads nowhere.
ZmTopObjList* zmParsePeerVRMLInZmCamera(ZmWorld* world, const char* fileName, ZmObj** camera);
// Into the world being built, else the current world; *object the first
// object placed. 0 or -1.
int zmParseVRMLAddToWorld(const char* fileName, ZmObj** object);
// Each top-level object appended to parent as it is; *object the first.
int zmParseVRMLAddToObj(const char* fileName, ZmObj* parent, ZmObj** object);

// Names the articulated-body file that the parse under way loads instead
// when it fails (null clears it, with a warning). The name lasts until that
// parse's entry point returns.
void zmParseSetKinemationFile(const char* fileName);
// The body object for the VRML file, or null (reported).
ZmObj* parseKinemation(const char* fileName, ZmWorld* world);

/*
 * setKinemation --
 *   The "Kinemation" Info node: while bodies are honoured (not during the
 *   re-read of a file as a plain world), a non-empty string names the body
 *   file for the parse under way.
 * Results:
 *   1 when it named a body file (the caller then sets the stop flag), else 0.
 */
int setKinemation(const QvInfo* node, QvState* state);

// Placing: a Separator is unwrapped into its children; an empty one is
// deleted and gives no object. 0 or -1 (the object deleted).
int makeItTopObjInWorld(ZmObj* object, const char* fileName, ZmObj** placed);
int makeItTopObjInZmObj(ZmObj* object, ZmObj* parent);
// The first OrthographicCamera, PerspectiveCamera or Switch object in a
// depth-first walk of the object and its subtree, or null.
ZmObj* findZmCameraObj(ZmObj* object);

#endif
