// vrml/switchlod.cpp -- Switch and LOD objects, and the LOD record.
#include "vrml/switchlod.h"

#include <cstring>

#include "core/camera.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/world.h"
#include "vrml/objcreate.h"
#include "vrml/qvnodes.h"
#include "vrml/traverse.h"

namespace {

bool hasCameraChild(const ZmObj* object) {
  for (const ZmChildList* node = object->child; node; node = node->next) {
    ZmVRMLType type = node->object->vrmlType;
    if (type == ZM_VRML_ORTHOGRAPHIC_CAMERA || type == ZM_VRML_PERSPECTIVE_CAMERA) return true;
  }
  return false;
}

// The ranges of a LOD node: none for an empty field.
bool copyRanges(const float* values, int32_t count, ZmLOD* lod) {
  lod->rangeCount = count > 0 ? count : 0;
  lod->ranges = nullptr;
  if (count <= 0) return true;
  lod->ranges = static_cast<float*>(zmMalloc(count * sizeof(float)));
  if (lod->ranges == nullptr) return false;
  std::memcpy(lod->ranges, values, count * sizeof(float));
  return true;
}

ZmObj* setZmLODSpecialNode(const QvLOD* node, ZmObj* object) {
  const char* fn = "QvLOD::setZmSpecialNode()";
  ZmLOD* lod = static_cast<ZmLOD*>(zmMalloc(sizeof(ZmLOD)));
  if (lod == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for ZmLOD.");
    return discardZmObj(object, fn);
  }
  if (!copyRanges(node->range.values, node->range.num, lod)) {
    zmFree(lod);
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for ZmScalar.");
    return discardZmObj(object, fn);
  }
  lod->centerX = node->center.value[0];
  lod->centerY = node->center.value[1];
  lod->centerZ = node->center.value[2];
  if (zmRegisterObjExtension(object, zmLODNode, reinterpret_cast<intptr_t>(lod)) != 0) {
    zmDeleteLODNode(&lod);
    zmReportMessage("%s: %s", fn, "zmRegisterObjExtension() failed.");
    return discardZmObj(object, fn);
  }
  return object;
}

}  // namespace

ZmObj* setZmSwitchSpecialNode(const QvNode* node, QvState*, ZmObj* object, ZmLeaf*) {
  const char* fn = "QvSwitch::setZmSpecialNode()";
  if (hasCameraChild(object) && zmReginsterToCameraTable(object, 3) != 0) {
    zmReportMessage("%s: %s", fn, "zmRegisterCamera() failed.");
    return discardZmObj(object, fn);
  }
  auto* whichChild = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  if (whichChild == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for whichChild.");
    return discardZmObj(object, fn);
  }
  *whichChild = static_cast<const QvSwitch*>(node)->whichChild.value;
  if (zmRegisterObjExtension(object, zmSwitchWhichChild, reinterpret_cast<intptr_t>(whichChild)) != 0) {
    zmFree(whichChild);
    zmReportMessage("%s: %s", fn, "zmRegisterObjExtension() failed.");
    return discardZmObj(object, fn);
  }
  return object;
}

int traverseLOD(QvNode* node, QvState* state, ZmObj** out) {
  const char* fn = "QvLOD::traverse";
  *out = nullptr;
  ZmObj* object = createZmObjFor(node, state, "LOD", fn);
  if (object == nullptr) return -1;
  if (traverseStacking(static_cast<QvGroup*>(node), state, object) == 1) {
    discardZmObj(object, fn);
    return -1;
  }
  object = setZmLODSpecialNode(static_cast<const QvLOD*>(node), object);
  if (object == nullptr) {
    zmReportMessage("%s: setZmSpecialNode() failed.", fn);
    return -1;
  }
  if (zmAddZmObjToZmMFObj(&object->world->lodObjects, object) != 0) {
    zmReportMessage("%s: zmAddZmObjToZmMFObj() failed.", fn);
    discardZmObj(object, fn);
    return -1;
  }
  *out = object;
  return 0;
}

// ------------------------------------------------------------ LOD record

ZmLOD* zmNewLODNode() {
  ZmLOD* lod = static_cast<ZmLOD*>(zmMalloc(sizeof(ZmLOD)));
  if (lod == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for ZmLOD.", "zmNewLODNode");
    return nullptr;
  }
  lod->centerX = lod->centerY = lod->centerZ = 1.0f;
  return lod;
}

void zmDeleteLODNode(ZmLOD** lod) {
  if (lod == nullptr || *lod == nullptr) return;
  zmFree((*lod)->ranges);
  zmFree(*lod);
  *lod = nullptr;
}

int zmCpyRangeInZmLOD(ZmLOD* destination, const ZmLOD* source) {
  if (destination == nullptr || source == nullptr) {
    zmReportMessage("%s: Invalid argument.", "zmCpyRangeInZmLOD");
    return -1;
  }
  if (destination == source) return 0;
  zmFree(destination->ranges);
  if (!copyRanges(source->ranges, source->rangeCount, destination)) {
    destination->rangeCount = 0;
    zmReportMessage("%s: Couldn't allocate memory for ZmScalar.", "zmCpyRangeInZmLOD");
    return -5;
  }
  return 0;
}

int zmCpyCenterInZmLOD(ZmLOD* destination, const ZmLOD* source) {
  if (destination == nullptr || source == nullptr) {
    zmReportMessage("%s: Invalid argument.", "zmCpyCenterInZmLOD");
    return -1;
  }
  destination->centerX = source->centerX;
  destination->centerY = source->centerY;
  destination->centerZ = source->centerZ;
  return 0;
}

int zmCpyLODNode(ZmLOD* destination, const ZmLOD* source) {
  if (destination == nullptr || source == nullptr) {
    zmReportMessage("%s: Invalid argument.", "zmCpyLODNode");
    return -1;
  }
  if (int result = zmCpyRangeInZmLOD(destination, source); result != 0) return result;
  return zmCpyCenterInZmLOD(destination, source);
}

int zmSetLODNode(ZmLOD* lod, ZmMFFloat range, const float center[3]) {
  if (lod == nullptr || center == nullptr) {
    zmReportMessage("%s: Invalid argument.", "zmSetLODNode");
    return -1;
  }
  lod->rangeCount = range.count;
  lod->ranges = range.values;
  lod->centerX = center[0];
  lod->centerY = center[1];
  lod->centerZ = center[2];
  return 0;
}

int zmGetLODNode(ZmObj* object, ZmLOD** copy) {
  const char* fn = "zmGetLODNode";
  if (object == nullptr || copy == nullptr) {
    zmReportMessage("%s: Invalid argument.", fn);
    return -1;
  }
  *copy = nullptr;
  const auto* lod = reinterpret_cast<const ZmLOD*>(zmGetObjExtension(object, zmLODNode));
  if (lod == nullptr) {
    zmReportWarning("%s: ZmLOD not found in ZmObjExtension.", fn);
    return -1;
  }
  ZmLOD* made = zmNewLODNode();
  if (made == nullptr) return -5;
  if (int result = zmCpyLODNode(made, lod); result != 0) {
    zmDeleteLODNode(&made);
    return result;
  }
  *copy = made;
  return 0;
}

int zmAddLODNode(ZmObj* object, const ZmLOD* lod) {
  const char* fn = "zmAddLODNode";
  if (object == nullptr || lod == nullptr) {
    zmReportMessage("%s: Invalid argument.", fn);
    return -1;
  }
  ZmLOD* copy = zmNewLODNode();
  if (copy == nullptr) return -5;
  if (int result = zmCpyLODNode(copy, lod); result != 0) {
    zmDeleteLODNode(&copy);
    return result;
  }
  if (zmGetObjExtension(object, zmLODNode) != 0 && zmDeleteObjExtension(object, zmLODNode) != 0) {
    zmReportMessage("%s: zmDeleteObjExtension() failed.", fn);
    zmDeleteLODNode(&copy);
    return -1;
  }
  if (zmRegisterObjExtension(object, zmLODNode, reinterpret_cast<intptr_t>(copy)) != 0) {
    zmReportMessage("%s: zmRegisterObjExtension() failed.", fn);
    zmDeleteLODNode(&copy);
    return -1;
  }
  return 0;
}
