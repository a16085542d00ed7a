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
// printed by vrmlwrite/qvdumps.h. A dump's state (file, indentation, transform
// levels, column widths) is its DumpContext, passed to every writer.
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

// One transform level: the transform last put into effect on it.
struct STACKRT {
  STACKRT* down;  // the enclosing level, null at the base
  STACKRT* up;    // the level pushed on this one
  int32_t SW;     // 0: nothing stored yet; 1: RT holds a transform
  ZmRT RT;
};

// The column widths of the value list being written: valid from its
// measure to the end of its writer.
struct DumpColumn {
  int intWidth;  // characters before the point, sign included
  int decWidth;  // characters after it
};

// One dump's state, from the opened file to its close: every writer below
// takes it, so dumps never share state and a writer's output channel is
// visible at its call.
struct DumpContext {
  FILE* file = nullptr;  // the file being written; null: lines are dropped
  int32_t indent = 0;    // tabs in front of every line
  STACKRT* stackBottom = nullptr;
  STACKRT* stackTop = nullptr;
  // The frame in which the objects now written hold their local transforms,
  // relative to the current level: identity on a fresh level, the composed
  // transforms of the enclosing Groups otherwise (a Group separates no state).
  ZmRT frame = {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
  int32_t objectsLeftOut = 0;  // objects of a type without a writer, since the last reset
  DumpColumn columns[3] = {};  // measured by dumpMeasureMF*, used by zmDumpMF*
};

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
int zmSFdumpFileOpen(DumpContext& dump, const char* fileName);  // 0, or -1 (reported)
void zmSFdumpFileClose(DumpContext& dump);
int dumpInit(DumpContext& dump);  // 0, or -5 when the base transform level cannot be made
void dumpTerminate(DumpContext& dump);
void dumpHeader(DumpContext& dump);
void zmDumpWorldInfo(DumpContext& dump, ZmWorld* world);
bool dumpIsAuthoringObj(ZmObj* object);
// One line: the indentation, the formatted text (never cut), a line feed.
void dumpPrintf(DumpContext& dump, const char* format, ...) __attribute__((format(printf, 2, 3)));

// ---- Dispatch and transforms -------------------------------------------------

// The node writer's result, or -1 with a warning for a type without one
// (counted among the objects left out of the dump).
int zmDumpZmObj(DumpContext& dump, ZmObj* object);
// The objects zmDumpZmObj has left out since the count was last reset.
int32_t dumpObjectsLeftOut(DumpContext& dump);
void dumpResetObjectsLeftOut(DumpContext& dump);
void zmDumpLocalRT(DumpContext& dump, ZmObj* object);
// Writes the inverse of the Scale that zmDumpLocalRT wrote for the object,
// after its node: an object's scale applies to its own leaves only.
void dumpUndoLocalScale(DumpContext& dump, ZmObj* object);
// The frame of the local transforms written on the current level: identity
// on a fresh level; a Group composes its own transform onto it for its
// children, since a Group separates no state.
ZmRT dumpGetFrame(DumpContext& dump);
void dumpSetFrame(DumpContext& dump, const ZmRT* frame);
int dumpPushRT(DumpContext& dump);  // 0, or -5 ("dumpPushRT(): Couldn't allocate memory for STACKRT.")
void dumpPopRT(DumpContext& dump);
void dumpClearRT(DumpContext& dump);
void dumpFreeRT(DumpContext& dump);
int dumpIsRT(DumpContext& dump);  // the top level's SW, -1 (warned) when the stack is empty
void dumpSetSW(DumpContext& dump, int32_t value);
void dumpGetRT(DumpContext& dump, ZmRT* rt);
void dumpSetRT(DumpContext& dump, const ZmRT* rt);
// -1 for an empty stack, 1 when nothing had to be written, else 0.
int dumpRelativeRT(DumpContext& dump, const ZmRT* rt);
void dumpTranslationRotation(DumpContext& dump, const ZmRT* rt);
void dumpRotationAxis(const ZmVec3* angles, int* x, int* y, int* z, double* angle);

// ---- Property nodes ------------------------------------------------------------

void zmDumpTexture2(DumpContext& dump, ZmTexture* texture);
int zmDumpMovie2(DumpContext& dump, ZmTexture* texture);  // 0 when written, -1 without a movie
void zmDumpTransparentTexture2(DumpContext& dump, ZmTexture* texture);
void zmDumpMaterial(DumpContext& dump, const ZmMaterial* material);
void zmDumpMaterialBinding(DumpContext& dump, int32_t binding, int32_t skip);
void zmDumpNormalBinding(DumpContext& dump, int32_t binding, int32_t skip);
void zmDumpNormal(DumpContext& dump, ZmMFVec3f* normals);
void zmDumpTextureCoordinate2(DumpContext& dump, ZmMFVec2f* points);
// The points of the face (or line) leaf and of every leaf chained after
// it, as one list.
void zmDumpCoordinate3(DumpContext& dump, ZmLeaf* first);
// The same node with a point set's points, every one of them (a single
// point at the origin too).
void dumpCoordinate3OfPoints(DumpContext& dump, ZmMFVec3f* points);

// ---- Extension nodes -------------------------------------------------------------

void zmDumpScript(DumpContext& dump, ZmObj* object);
void zmDumpAttributes(DumpContext& dump, ZmObj* object);
void zmDumpLeafAttributes(DumpContext& dump, ZmLeaf* leaf);
void zmDumpEventHandler(DumpContext& dump, ZmObj* object);
void zmDumpSporadicTask(DumpContext& dump, ZmObj* object);
void zmDumpPeriodicTask(DumpContext& dump, ZmObj* object);

// ---- Node writers (each inside the node frame) --------------------------------------

int zmDumpCone(DumpContext& dump, ZmObj* object);
int zmDumpCube(DumpContext& dump, ZmObj* object);
int zmDumpCylinder(DumpContext& dump, ZmObj* object);
int zmDumpSphere(DumpContext& dump, ZmObj* object);
int zmDumpIndexedFaceSet(DumpContext& dump, ZmObj* object);
// Every polyline of the object in one node, over one Coordinate3.
int zmDumpIndexedLineSet(DumpContext& dump, ZmObj* object);
int zmDumpPointSet(DumpContext& dump, ZmObj* object);
// The text leaf's string, spacing, justification and width; the leaf takes
// no material or texture from the file, so none is written.
int zmDumpAsciiText(DumpContext& dump, ZmObj* object);
int zmDumpAmbientSound(DumpContext& dump, ZmObj* object);
int zmDumpDirectionalLight(DumpContext& dump, ZmObj* object);
int zmDumpPointLight(DumpContext& dump, ZmObj* object);
int zmDumpSpotLight(DumpContext& dump, ZmObj* object);
int zmDumpOrthographicCamera(DumpContext& dump, ZmObj* object);
int zmDumpPerspectiveCamera(DumpContext& dump, ZmObj* object);
int zmDumpGroup(DumpContext& dump, ZmObj* object);
int zmDumpSeparator(DumpContext& dump, ZmObj* object);
// Like Separator, and written also without children: the file keeps the
// object either way.
int zmDumpTransformSeparator(DumpContext& dump, ZmObj* object);
int zmDumpLOD(DumpContext& dump, ZmObj* object);
int zmDumpSwitch(DumpContext& dump, ZmObj* object);
int zmDumpWWWAnchor(DumpContext& dump, ZmObj* object);
int zmDumpWWWInline(DumpContext& dump, ZmObj* object);
int zmDumpInfo(DumpContext& dump, ZmObj* object);

void zmDumpIndexedFaceSetCoordIndex(DumpContext& dump, ZmLeaf* firstFace);
void zmDumpIndexedFaceSetTextureCoordIndex(DumpContext& dump, ZmLeaf* firstFace);
// The index lines of all the polylines from the first line leaf on.
void zmDumpIndexedLineSetCoordIndex(DumpContext& dump, ZmLeaf* firstLine);
void zmDumpIndexedLineSetMaterialIndex(DumpContext& dump, ZmLeaf* firstLine);
void zmDumpIndexedLineSetNormalIndex(DumpContext& dump, ZmLeaf* firstLine);
void zmDumpIndexedLineSetTextureCoordIndex(DumpContext& dump, ZmLeaf* firstLine);

#endif
