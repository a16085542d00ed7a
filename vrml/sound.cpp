// vrml/sound.cpp -- AmbientSound leaves and objects.
#include "vrml/sound.h"

#include <cstring>

#include "vrml/hooks.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "vrml/objcreate.h"
#include "vrml/qvnodes.h"
#include "vrml/texture.h"

namespace {

// Channel types of a sound leaf by the file name's last four characters.
struct SoundSuffix {
  const char* suffix;
  int32_t channelType;
};
constexpr SoundSuffix kSoundSuffixes[] = {{".wav", 1}, {".mid", 2}, {".sna", 3}};
constexpr int32_t kSuffixLength = 4;

// A sound leaf with media's defaults: no channel, no file, not playing,
// full volume and a distance of 20.
ZmSoundLeaf* newSoundLeaf() { return static_cast<ZmSoundLeaf*>(vrmlMedia().newSoundLeaf()); }

// The channel of the file name's suffix; 0 (warned) for any other. The
// suffix of a name shorter than four characters is the whole name.
int32_t channelTypeOf(const char* fileName) {
  size_t length = std::strlen(fileName);
  const char* suffix = fileName + (length > kSuffixLength ? length - kSuffixLength : 0);
  for (const SoundSuffix& known : kSoundSuffixes)
    if (std::strcmp(suffix, known.suffix) == 0) return known.channelType;
  zmReportWarning("%s: %s%s%s", "QvAmbientSound::createZmLeaf()", "Unknown '", suffix, "' suffixes of filename.");
  return 0;
}

}  // namespace

ZmLeaf* createZmAmbientSoundLeaf(const QvNode* node, QvState*) {
  const char* fn = "QvAmbientSound::createZmLeaf()";
  const auto* sound = static_cast<const QvAmbientSound*>(node);
  ZmSoundLeaf* leaf = newSoundLeaf();
  if (leaf == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for ZmSound.");
    return nullptr;
  }
  const char* fileName = sound->filename.value.getString();
  leaf->file = callZmWwwLoadFile("QvAmbientSound", fileName);
  if (leaf->file == nullptr) {
    zmDeleteLeaf(leaf);
    zmReportMessage("%s: %s", fn, "callZmWwwLoadFile() failed.");
    return nullptr;
  }
  leaf->autoPlay = sound->autoPlay.value == 1 ? 1 : 0;
  leaf->loop = sound->loop.value == 1 ? 1 : 0;
  leaf->channelType = channelTypeOf(fileName);
  return leaf;
}

ZmObj* setZmAmbientSoundSpecialNode(const QvNode* node, QvState*, ZmObj* object, ZmLeaf*) {
  const char* fn = "QvAmbientSound::setZmSpecialNode()";
  const auto* sound = static_cast<const QvAmbientSound*>(node);
  // The node's box stands: the own box is marked up to date so that it is
  // not computed from the leaves, and the parent-frame box follows it.
  object->obj_flags |= ZM_OBJ_LOCAL_CUBE_VALID | ZM_OBJ_HAS_CUBE;
  object->obj_flags &= ~ZM_OBJ_PARENT_CUBE_VALID;
  const float* size = sound->bboxSize.value;
  const float* center = sound->bboxCenter.value;
  ZmBoundingCube& cube = object->boundingCube;
  cube.local_min = {center[0] - size[0] / 2, center[1] - size[1] / 2, center[2] - size[2] / 2};
  cube.local_max = {center[0] + size[0] / 2, center[1] + size[1] / 2, center[2] + size[2] / 2};
  if (vrmlMedia().addSoundObj(object->world, object) != 0) {
    zmReportMessage("%s: %s", fn, "zmAddSoundObj() failed.");
    return discardZmObj(object, fn);
  }
  return object;
}
