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

inline void dumpExtensionBlock(ZmObj* object) {
  if (dumpIsNoScript(object) && dumpIsDefaultAttributes(object) && dumpIsNoEventHandler(object) &&
      dumpIsNoTimeOutHandler(object))
    return;
  zmDumpScript(object);
  zmDumpAttributes(object);
  zmDumpEventHandler(object);
  zmDumpSporadicTask(object);
  zmDumpPeriodicTask(object);
}

// Runs body (the writer's own nodes) inside the object's frame.
template <typename Body>
int dumpInFrame(ZmObj* object, Body body) {
  dumpPrintf("# S %s", dumpTypeName(object));
  dumpExtensionBlock(object);
  zmDumpLocalRT(object);
  body();
  dumpUndoLocalScale(object);
  dumpPrintf("# E %s", dumpTypeName(object));
  return 0;
}

// "DEF name Type{" one level up from its fields, the fields, "}".
template <typename Fields>
void dumpObjNode(ZmObj* object, Fields fields) {
  zmDumpNodeBegin(dumpObjName(object), dumpTypeName(object));
  dumpIndentLevel++;
  fields();
  dumpIndentLevel--;
  dumpPrintf("}");
}

// Writes each child through the dispatch, in child-list order.
inline void dumpChildren(ZmObj* object) {
  ZmChildList* cursor = object->child;
  while (ZmObj* child = zmGetNextChild(&cursor)) zmDumpZmObj(child);
}

#endif
