// vrmlwrite/qvdumpframe.h -- the node frame shared by the writer's node
// writers (private to vrmlwrite/).
//
// Owns: the lines every object gets around its own node -- "# S Type", the
// extension block, the object's transform, and "# E Type" -- and the
// opening and closing of a node with the object's DEF name. It does not own
// what a node writer puts inside the frame.
#ifndef LUMENFOLD_VRMLWRITE_QVDUMPFRAME_H
#define LUMENFOLD_VRMLWRITE_QVDUMPFRAME_H

#include "core/object.h"
#include "vrmlwrite/qvdump.h"
#include "vrmlwrite/qvdumps.h"

// The object's DEF name, null when it has none.
inline const char* dumpObjName(ZmObj* object) { return object->comment[1]; }
inline const char* dumpTypeName(ZmObj* object) { return zmGetVRMLTypeName(object->vrmlType); }

inline void dumpExtensionBlock(DumpContext& dump, ZmObj* object) {
  if (dumpIsNoScript(object) && dumpIsDefaultAttributes(object) && dumpIsNoEventHandler(object) &&
      dumpIsNoTimeOutHandler(object))
    return;
  zmDumpScript(dump, object);
  zmDumpAttributes(dump, object);
  zmDumpEventHandler(dump, object);
  zmDumpSporadicTask(dump, object);
  zmDumpPeriodicTask(dump, object);
}

// Runs body (the writer's own nodes) inside the object's frame.
template <typename Body>
int dumpInFrame(DumpContext& dump, ZmObj* object, Body body) {
  dumpPrintf(dump, "# S %s", dumpTypeName(object));
  dumpExtensionBlock(dump, object);
  zmDumpLocalRT(dump, object);
  body();
  dumpUndoLocalScale(dump, object);
  dumpPrintf(dump, "# E %s", dumpTypeName(object));
  return 0;
}

// "DEF name Type{" one level up from its fields, the fields, "}".
template <typename Fields>
void dumpObjNode(DumpContext& dump, ZmObj* object, Fields fields) {
  zmDumpNodeBegin(dump, dumpObjName(object), dumpTypeName(object));
  dump.indent++;
  fields();
  dump.indent--;
  dumpPrintf(dump, "}");
}

// Writes each child through the dispatch, in child-list order.
inline void dumpChildren(DumpContext& dump, ZmObj* object) {
  ZmChildList* cursor = object->child;
  while (ZmObj* child = zmGetNextChild(&cursor)) zmDumpZmObj(dump, child);
}

#endif
