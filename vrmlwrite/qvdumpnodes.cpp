// vrmlwrite/qvdumpnodes.cpp -- the node writers of objects that are no
// shapes: lights, cameras, AmbientSound, Info and the grouping nodes.
//
// Lights and cameras are placed by the transform written ahead of them, so
// their own position and direction fields are fixed values or comments.
// Grouping writers hand each child back to the dispatch; all but Group
// write their children on a transform level of their own.
#include <cmath>
#include <string>

#include "core/leaf.h"
#include "core/transform.h"
#include "vrmlwrite/qvdumpframe.h"

namespace {

struct LightLabels {
  const char* on;
  const char* intensity;
  const char* color;
};

constexpr LightLabels directionalLabels = {"on        ", "intensity ", "color     "};
constexpr LightLabels pointLabels = {"on          ", "intensity   ", "color       "};

void dumpLightFields(DumpContext& dump, ZmLight* light, const LightLabels& labels) {
  if (light->on != 1) zmDumpBoolean(dump, light->on, labels.on);
  QvTdouble intensity = dumpToDouble(light->intensity);
  if (dumpIsNotEqual(intensity, 1.0)) zmDumpSFFloat(dump, labels.intensity, intensity);
  const float* color = light->color;
  if (!dumpIsEqualVec3f(color[0], color[1], color[2], 1.0, 1.0, 1.0)) zmDumpSFColor(dump, color, labels.color);
}

// A float field left out when it holds its default.
void dumpFloatField(DumpContext& dump, const char* label, float value, double defaultValue) {
  QvTdouble converted = dumpToDouble(value);
  if (dumpIsNotEqual(converted, defaultValue)) zmDumpSFFloat(dump, label, converted);
}

template <typename Fields>
int dumpLight(DumpContext& dump, ZmObj* object, const LightLabels& labels, Fields moreFields) {
  return dumpInFrame(dump, object, [&] {
    auto* light = static_cast<ZmLight*>(object->leaf);
    if (light == nullptr) return;
    dumpObjNode(dump, object, [&] {
      dumpLightFields(dump, light, labels);
      moreFields(light);
    });
  });
}

template <typename Fields>
int dumpCamera(DumpContext& dump, ZmObj* object, Fields ownField) {
  return dumpInFrame(dump, object, [&] {
    for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
      dumpObjNode(dump, object, [&] {
        dumpPrintf(dump, "position      0 0 0 # CAUTION! It's different from the VRML default.");
        dumpPrintf(dump, "# 'orientation' is realized above.");
        dumpFloatField(dump, "focalDistance ", static_cast<ZmCamera*>(leaf)->focalDistance, 5.0);
        ownField(leaf);
      });
    }
  });
}

// Runs body on a transform level of its own; nothing when none can be made.
template <typename Body>
void dumpOnOwnLevel(DumpContext& dump, Body body) {
  if (dumpPushRT(dump) != 0) return;
  ZmRT outer = dumpGetFrame(dump), identity;
  dumpSetFrame(dump, zmRTIdentity(&identity));
  body();
  dumpSetFrame(dump, &outer);
  dumpPopRT(dump);
}

// A Group's children hold their transforms in the Group's frame.
void dumpGroupChildren(DumpContext& dump, ZmObj* group) {
  ZmRT outer = dumpGetFrame(dump), inner;
  zmRTMult(&outer, zmGetLRT(group), &inner);
  dumpSetFrame(dump, &inner);
  dumpChildren(dump, group);
  dumpSetFrame(dump, &outer);
}

void dumpLODFields(DumpContext& dump, ZmObj* object) {
  auto* lod = reinterpret_cast<ZmLOD*>(zmGetObjExtension(object, zmLODNode));
  if (lod == nullptr) return;
  if (lod->rangeCount > 0) {
    // The line grows with the list, so no range count can overrun it.
    std::string line = "range  [";
    for (int32_t i = 0; i < lod->rangeCount; i++) {
      if (i > 0) line += ", ";
      line += dumpFloatText(lod->ranges[i]);
    }
    dumpPrintf(dump, "%s]", line.c_str());
  }
  if (!dumpIsEqualVec3f(lod->centerX, lod->centerY, lod->centerZ, 0.0, 0.0, 0.0))
    dumpPrintf(dump, "center %s %s %s", dumpFloatText(lod->centerX).c_str(), dumpFloatText(lod->centerY).c_str(),
               dumpFloatText(lod->centerZ).c_str());
}

}  // namespace

int zmDumpAmbientSound(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    auto* sound = static_cast<ZmSoundLeaf*>(object->leaf);
    if (sound == nullptr) return;
    if (sound->file == nullptr && sound->autoPlay == 1 && sound->loop == 1) return;
    dumpObjNode(dump, object, [&] {
      dumpAbs2UrlOfFileName(dump, sound->file, "filename   ");
      const ZmBoundingCube& cube = object->boundingCube;
      const float low[3] = {cube.local_min.x, cube.local_min.y, cube.local_min.z};
      const float high[3] = {cube.local_max.x, cube.local_max.y, cube.local_max.z};
      std::string size[3], center[3];
      for (int axis = 0; axis < 3; axis++) {
        QvTdouble a = dumpToDouble(low[axis]);
        QvTdouble b = dumpToDouble(high[axis]);
        size[axis] = dumpNumberText(b + std::fabs(a));
        center[axis] = dumpNumberText((b - std::fabs(a)) / 2);
      }
      dumpPrintf(dump, "bboxSize   %s %s %s", size[0].c_str(), size[1].c_str(), size[2].c_str());
      dumpPrintf(dump, "bboxCenter %s %s %s", center[0].c_str(), center[1].c_str(), center[2].c_str());
      if (sound->autoPlay == 0) dumpPrintf(dump, "autoPlay   FALSE");
      if (sound->loop == 0) dumpPrintf(dump, "loop       FALSE");
    });
  });
}

int zmDumpDirectionalLight(DumpContext& dump, ZmObj* object) {
  return dumpLight(dump, object, directionalLabels, [&](ZmLight*) {
    dumpPrintf(dump, "# 'direction' is realized by MatrixTransform above.");
  });
}

int zmDumpPointLight(DumpContext& dump, ZmObj* object) {
  return dumpLight(dump, object, pointLabels, [&](ZmLight*) {
    dumpPrintf(dump, "location    0 0 0 # CAUTION! It's different from the VRML default.");
  });
}

int zmDumpSpotLight(DumpContext& dump, ZmObj* object) {
  return dumpLight(dump, object, pointLabels, [&](ZmLight* light) {
    dumpPrintf(dump, "location    0 0 0 # CAUTION! It's different from the VRML default.");
    auto* spot = static_cast<ZmSpotLight*>(light);
    dumpFloatField(dump, "dropOffRate ", spot->dropOffRate, 0.0);
    dumpFloatField(dump, "cutOffAngle ", spot->cutOffAngle, 0.785398);
  });
}

int zmDumpOrthographicCamera(DumpContext& dump, ZmObj* object) {
  return dumpCamera(dump, object, [&](ZmLeaf* leaf) {
    dumpFloatField(dump, "height        ", static_cast<ZmOrthographicCamera*>(leaf)->height, 2.0);
  });
}

int zmDumpPerspectiveCamera(DumpContext& dump, ZmObj* object) {
  return dumpCamera(dump, object, [&](ZmLeaf* leaf) {
    dumpFloatField(dump, "heightAngle   ", static_cast<ZmPerspectiveCamera*>(leaf)->heightAngle, 0.785398);
  });
}

int zmDumpGroup(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    if (object->child == nullptr)
      zmDumpEmptyNode(dump, dumpObjName(object), "Group");
    else
      dumpObjNode(dump, object, [&] { dumpGroupChildren(dump, object); });
  });
}

// An empty Separator is written too: left out, its object would be gone
// from the world read back, and an empty last child of a LOD (nothing shown
// far away) would be lost with it.
int zmDumpSeparator(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    dumpOnOwnLevel(dump, [&] {
      if (object->child == nullptr)
        zmDumpEmptyNode(dump, dumpObjName(object), "Separator");
      else
        dumpObjNode(dump, object, [&] { dumpChildren(dump, object); });
    });
  });
}

int zmDumpTransformSeparator(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    dumpOnOwnLevel(dump, [&] {
      if (object->child == nullptr)
        zmDumpEmptyNode(dump, dumpObjName(object), "TransformSeparator");
      else
        dumpObjNode(dump, object, [&] { dumpChildren(dump, object); });
    });
  });
}

int zmDumpLOD(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    dumpOnOwnLevel(dump, [&] {
      if (object->child == nullptr) {
        zmDumpEmptyNode(dump, dumpObjName(object), "LOD");
        return;
      }
      dumpObjNode(dump, object, [&] {
        if (object->extensions != nullptr) dumpLODFields(dump, object);
        dumpChildren(dump, object);
      });
    });
  });
}

int zmDumpSwitch(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    dumpOnOwnLevel(dump, [&] {
      if (object->child == nullptr) {
        zmDumpEmptyNode(dump, dumpObjName(object), "Switch");
        return;
      }
      dumpObjNode(dump, object, [&] {
        for (ZmObjExtension* e = object->extensions; e != nullptr; e = e->next) {
          if (e->type != zmSwitchWhichChild) continue;
          // A Switch keeps the address of its owned child number.
          long which = e->data != 0 ? *reinterpret_cast<const int32_t*>(e->data) : 0;
          dumpPrintf(dump, "whichChild %ld", which);
        }
        dumpChildren(dump, object);
      });
    });
  });
}

int zmDumpWWWAnchor(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    dumpOnOwnLevel(dump, [&] {
      dumpObjNode(dump, object, [&] {
        zmDumpWWWName(dump, object, zmWWWAnchor);
        dumpChildren(dump, object);
      });
    });
  });
}

int zmDumpWWWInline(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    dumpOnOwnLevel(dump, [&] {
      dumpObjNode(dump, object, [&] {
        dumpInlineName(dump, object);
        dumpPrintf(dump, "# 'bboxSize'   is unsupported yet.");
        dumpPrintf(dump, "# 'bboxCenter' is unsupported yet.");
      });
    });
  });
}

int zmDumpInfo(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [] {});
}
