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

void dumpLightFields(ZmLight* light, const LightLabels& labels) {
  if (light->on != 1) zmDumpBoolean(light->on, labels.on);
  QvTdouble intensity = dumpToDouble(light->intensity);
  if (dumpIsNotEqual(intensity, 1.0)) zmDumpSFFloat(labels.intensity, intensity);
  const float* color = light->color;
  if (!dumpIsEqualVec3f(color[0], color[1], color[2], 1.0, 1.0, 1.0)) zmDumpSFColor(color, labels.color);
}

// A float field left out when it holds its default.
void dumpFloatField(const char* label, float value, double defaultValue) {
  QvTdouble converted = dumpToDouble(value);
  if (dumpIsNotEqual(converted, defaultValue)) zmDumpSFFloat(label, converted);
}

template <typename Fields>
int dumpLight(ZmObj* object, const LightLabels& labels, Fields moreFields) {
  return dumpInFrame(object, [&] {
    auto* light = static_cast<ZmLight*>(object->leaf);
    if (light == nullptr) return;
    dumpObjNode(object, [&] {
      dumpLightFields(light, labels);
      moreFields(light);
    });
  });
}

template <typename Fields>
int dumpCamera(ZmObj* object, Fields ownField) {
  return dumpInFrame(object, [&] {
    for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
      dumpObjNode(object, [&] {
        dumpPrintf("position      0 0 0 # CAUTION! It's different from the VRML default.");
        dumpPrintf("# 'orientation' is realized above.");
        dumpFloatField("focalDistance ", static_cast<ZmCamera*>(leaf)->focalDistance, 5.0);
        ownField(leaf);
      });
    }
  });
}

// Runs body on a transform level of its own; nothing when none can be made.
template <typename Body>
void dumpOnOwnLevel(Body body) {
  if (dumpPushRT() != 0) return;
  ZmRT outer = dumpGetFrame(), identity;
  dumpSetFrame(zmRTIdentity(&identity));
  body();
  dumpSetFrame(&outer);
  dumpPopRT();
}

// A Group's children hold their transforms in the Group's frame.
void dumpGroupChildren(ZmObj* group) {
  ZmRT outer = dumpGetFrame(), inner;
  zmRTMult(&outer, zmGetLRT(group), &inner);
  dumpSetFrame(&inner);
  dumpChildren(group);
  dumpSetFrame(&outer);
}

void dumpLODFields(ZmObj* object) {
  auto* lod = reinterpret_cast<ZmLOD*>(zmGetObjExtension(object, zmLODNode));
  if (lod == nullptr) return;
  if (lod->rangeCount > 0) {
    // The line grows with the list, so no range count can overrun it.
    std::string line = "range  [";
    for (int32_t i = 0; i < lod->rangeCount; i++) {
      if (i > 0) line += ", ";
      line += dumpFloatText(lod->ranges[i]);
    }
    dumpPrintf("%s]", line.c_str());
  }
  if (!dumpIsEqualVec3f(lod->centerX, lod->centerY, lod->centerZ, 0.0, 0.0, 0.0))
    dumpPrintf("center %s %s %s", dumpFloatText(lod->centerX).c_str(), dumpFloatText(lod->centerY).c_str(),
               dumpFloatText(lod->centerZ).c_str());
}

}  // namespace

int zmDumpAmbientSound(ZmObj* object) {
  return dumpInFrame(object, [object] {
    auto* sound = static_cast<ZmSoundLeaf*>(object->leaf);
    if (sound == nullptr) return;
    if (sound->file == nullptr && sound->autoPlay == 1 && sound->loop == 1) return;
    dumpObjNode(object, [&] {
      dumpAbs2UrlOfFileName(sound->file, "filename   ");
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
      dumpPrintf("bboxSize   %s %s %s", size[0].c_str(), size[1].c_str(), size[2].c_str());
      dumpPrintf("bboxCenter %s %s %s", center[0].c_str(), center[1].c_str(), center[2].c_str());
      if (sound->autoPlay == 0) dumpPrintf("autoPlay   FALSE");
      if (sound->loop == 0) dumpPrintf("loop       FALSE");
    });
  });
}

int zmDumpDirectionalLight(ZmObj* object) {
  return dumpLight(object, directionalLabels, [](ZmLight*) {
    dumpPrintf("# 'direction' is realized by MatrixTransform above.");
  });
}

int zmDumpPointLight(ZmObj* object) {
  return dumpLight(object, pointLabels, [](ZmLight*) {
    dumpPrintf("location    0 0 0 # CAUTION! It's different from the VRML default.");
  });
}

int zmDumpSpotLight(ZmObj* object) {
  return dumpLight(object, pointLabels, [](ZmLight* light) {
    dumpPrintf("location    0 0 0 # CAUTION! It's different from the VRML default.");
    auto* spot = static_cast<ZmSpotLight*>(light);
    dumpFloatField("dropOffRate ", spot->dropOffRate, 0.0);
    dumpFloatField("cutOffAngle ", spot->cutOffAngle, 0.785398);
  });
}

int zmDumpOrthographicCamera(ZmObj* object) {
  return dumpCamera(object, [](ZmLeaf* leaf) {
    dumpFloatField("height        ", static_cast<ZmOrthographicCamera*>(leaf)->height, 2.0);
  });
}

int zmDumpPerspectiveCamera(ZmObj* object) {
  return dumpCamera(object, [](ZmLeaf* leaf) {
    dumpFloatField("heightAngle   ", static_cast<ZmPerspectiveCamera*>(leaf)->heightAngle, 0.785398);
  });
}

int zmDumpGroup(ZmObj* object) {
  return dumpInFrame(object, [object] {
    if (object->child == nullptr)
      zmDumpEmptyNode(dumpObjName(object), "Group");
    else
      dumpObjNode(object, [object] { dumpGroupChildren(object); });
  });
}

// An empty Separator is written too: left out, its object would be gone
// from the world read back, and an empty last child of a LOD (nothing shown
// far away) would be lost with it.
int zmDumpSeparator(ZmObj* object) {
  return dumpInFrame(object, [object] {
    dumpOnOwnLevel([object] {
      if (object->child == nullptr)
        zmDumpEmptyNode(dumpObjName(object), "Separator");
      else
        dumpObjNode(object, [object] { dumpChildren(object); });
    });
  });
}

int zmDumpTransformSeparator(ZmObj* object) {
  return dumpInFrame(object, [object] {
    dumpOnOwnLevel([object] {
      if (object->child == nullptr)
        zmDumpEmptyNode(dumpObjName(object), "TransformSeparator");
      else
        dumpObjNode(object, [object] { dumpChildren(object); });
    });
  });
}

int zmDumpLOD(ZmObj* object) {
  return dumpInFrame(object, [object] {
    dumpOnOwnLevel([object] {
      if (object->child == nullptr) {
        zmDumpEmptyNode(dumpObjName(object), "LOD");
        return;
      }
      dumpObjNode(object, [object] {
        if (object->extensions != nullptr) dumpLODFields(object);
        dumpChildren(object);
      });
    });
  });
}

int zmDumpSwitch(ZmObj* object) {
  return dumpInFrame(object, [object] {
    dumpOnOwnLevel([object] {
      if (object->child == nullptr) {
        zmDumpEmptyNode(dumpObjName(object), "Switch");
        return;
      }
      dumpObjNode(object, [object] {
        for (ZmObjExtension* e = object->extensions; e != nullptr; e = e->next) {
          if (e->type != zmSwitchWhichChild) continue;
          // A Switch keeps the address of its owned child number.
          long which = e->data != 0 ? *reinterpret_cast<const int32_t*>(e->data) : 0;
          dumpPrintf("whichChild %ld", which);
        }
        dumpChildren(object);
      });
    });
  });
}

int zmDumpWWWAnchor(ZmObj* object) {
  return dumpInFrame(object, [object] {
    dumpOnOwnLevel([object] {
      dumpObjNode(object, [object] {
        zmDumpWWWName(object, zmWWWAnchor);
        dumpChildren(object);
      });
    });
  });
}

int zmDumpWWWInline(ZmObj* object) {
  return dumpInFrame(object, [object] {
    dumpOnOwnLevel([object] {
      dumpObjNode(object, [object] {
        dumpInlineName(object);
        dumpPrintf("# 'bboxSize'   is unsupported yet.");
        dumpPrintf("# 'bboxCenter' is unsupported yet.");
      });
    });
  });
}

int zmDumpInfo(ZmObj* object) {
  return dumpInFrame(object, [] {});
}
