// vrmlwrite/qvdump.h -- the VRML writer: a whole world back into a VRML 1.0
// ascii file, with the program's extension nodes.
//
// Owns: the dump file and its line writer (dumpPrintf with the indentation
// level), the header and the world's Info nodes, the walk over the top
// objects, the dispatch by node type, the stack of transform levels from
// which each object's transform is written relative to the last one put
// into effect, the node frame ("# S"/"# E" lines, extension block,
// transform) and every node writer: property, extension, shape, light,
// camera, sound and grouping nodes.
// It reads the scene core's records and changes nothing in them; values are
// printed by vrmlwrite/qvdumps.h. The writer's state is program-wide, so one
// dump runs at a time and it must not be entered again while it runs.
#ifndef LUMENFOLD_VRMLWRITE_QVDUMP_H
#define LUMENFOLD_VRMLWRITE_QVDUMP_H

#include <cstdint>
#include <cstdio>

#include "core/vecmath.h"

struct ZmWorld;
struct ZmObj;
struct ZmLeaf;
struct ZmTexture;
struct ZmMaterial;
struct ZmMFVec3f;
struct ZmMFVec2f;

// ---- Entry, file and lines --------------------------------------------------

extern FILE* dumpFile;          // the file being written; null: lines are dropped
extern int32_t dumpIndentLevel;  // tabs in front of every line

/*
 * zmDumpZmWorld --
 *   Writes the header, the world's Info nodes and every top object (the
 *   user's avatar and authoring helpers left out) inside one Separator.
 * Results:
 *   The number of objects that could not be written (of a type without a
 *   writer, with what hangs under them); -1 when the file could not be
 *   opened or the writer could not start.
 * Side effects:
 *   The named file is replaced. Without a name the walk runs and every line
 *   is dropped ("zmSFdumpFileOpen: filename is null."); a file that cannot
 *   be opened is reported and nothing else happens. The file is closed on
 *   every path.
 */
int zmDumpZmWorld(ZmWorld* world, const char* fileName);
int zmSFdumpFileOpen(const char* fileName);  // 0, or -1 (reported)
void zmSFdumpFileClose();
int dumpInit();  // 0, or -5 when the base transform level cannot be made
void dumpTerminate();
void dumpHeader();
void zmDumpWorldInfo(ZmWorld* world);
bool dumpIsAuthoringObj(ZmObj* object);
// One line: the indentation, the formatted text (never cut), a line feed.
void dumpPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Dispatch and transforms -------------------------------------------------

// One transform level: the transform last put into effect on it.
struct STACKRT {
  STACKRT* down;  // the enclosing level, null at the base
  STACKRT* up;    // the level pushed on this one
  int32_t SW;     // 0: nothing stored yet; 1: RT holds a transform
  ZmRT RT;
};

// The node writer's result, or -1 with a warning for a type without one
// (counted among the objects left out of the dump).
int zmDumpZmObj(ZmObj* object);
// The objects zmDumpZmObj has left out since the count was last reset.
int32_t dumpObjectsLeftOut();
void dumpResetObjectsLeftOut();
void zmDumpLocalRT(ZmObj* object);
// Writes the inverse of the Scale that zmDumpLocalRT wrote for the object,
// after its node: an object's scale applies to its own leaves only.
void dumpUndoLocalScale(ZmObj* object);
// The frame of the local transforms written on the current level: identity
// on a fresh level; a Group composes its own transform onto it for its
// children, since a Group separates no state.
ZmRT dumpGetFrame();
void dumpSetFrame(const ZmRT* frame);
int dumpPushRT();  // 0, or -5 ("dumpPushRT(): Couldn't allocate memory for STACKRT.")
void dumpPopRT();
void dumpClearRT();
void dumpFreeRT();
int dumpIsRT();  // the top level's SW, -1 (warned) when the stack is empty
void dumpSetSW(int32_t value);
void dumpGetRT(ZmRT* rt);
void dumpSetRT(const ZmRT* rt);
// -1 for an empty stack, 1 when nothing had to be written, else 0.
int dumpRelativeRT(const ZmRT* rt);
void dumpTranslationRotation(const ZmRT* rt);
void dumpRotationAxis(const ZmVec3* angles, int* x, int* y, int* z, double* angle);

// ---- Property nodes ------------------------------------------------------------

void zmDumpTexture2(ZmTexture* texture);
int zmDumpMovie2(ZmTexture* texture);  // 0 when written, -1 without a movie
void zmDumpTransparentTexture2(ZmTexture* texture);
void zmDumpMaterial(const ZmMaterial* material);
void zmDumpMaterialBinding(int32_t binding, int32_t skip);
void zmDumpNormalBinding(int32_t binding, int32_t skip);
void zmDumpNormal(ZmMFVec3f* normals);
void zmDumpTextureCoordinate2(ZmMFVec2f* points);
// The points of the face (or line) leaf and of every leaf chained after
// it, as one list.
void zmDumpCoordinate3(ZmLeaf* first);
// The same node with a point set's points, every one of them (a single
// point at the origin too).
void dumpCoordinate3OfPoints(ZmMFVec3f* points);

// ---- Extension nodes -------------------------------------------------------------

void zmDumpScript(ZmObj* object);
void zmDumpAttributes(ZmObj* object);
void zmDumpLeafAttributes(ZmLeaf* leaf);
void zmDumpEventHandler(ZmObj* object);
void zmDumpSporadicTask(ZmObj* object);
void zmDumpPeriodicTask(ZmObj* object);

// ---- Node writers (each inside the node frame) --------------------------------------

int zmDumpCone(ZmObj* object);
int zmDumpCube(ZmObj* object);
int zmDumpCylinder(ZmObj* object);
int zmDumpSphere(ZmObj* object);
int zmDumpIndexedFaceSet(ZmObj* object);
// Every polyline of the object in one node, over one Coordinate3.
int zmDumpIndexedLineSet(ZmObj* object);
int zmDumpPointSet(ZmObj* object);
// The text leaf's string, spacing, justification and width; the leaf takes
// no material or texture from the file, so none is written.
int zmDumpAsciiText(ZmObj* object);
int zmDumpAmbientSound(ZmObj* object);
int zmDumpDirectionalLight(ZmObj* object);
int zmDumpPointLight(ZmObj* object);
int zmDumpSpotLight(ZmObj* object);
int zmDumpOrthographicCamera(ZmObj* object);
int zmDumpPerspectiveCamera(ZmObj* object);
int zmDumpGroup(ZmObj* object);
int zmDumpSeparator(ZmObj* object);
// Like Separator, and written also without children: the file keeps the
// object either way.
int zmDumpTransformSeparator(ZmObj* object);
int zmDumpLOD(ZmObj* object);
int zmDumpSwitch(ZmObj* object);
int zmDumpWWWAnchor(ZmObj* object);
int zmDumpWWWInline(ZmObj* object);
int zmDumpInfo(ZmObj* object);

void zmDumpIndexedFaceSetCoordIndex(ZmLeaf* firstFace);
void zmDumpIndexedFaceSetTextureCoordIndex(ZmLeaf* firstFace);
// The index lines of all the polylines from the first line leaf on.
void zmDumpIndexedLineSetCoordIndex(ZmLeaf* firstLine);
void zmDumpIndexedLineSetMaterialIndex(ZmLeaf* firstLine);
void zmDumpIndexedLineSetNormalIndex(ZmLeaf* firstLine);
void zmDumpIndexedLineSetTextureCoordIndex(ZmLeaf* firstLine);

#endif
