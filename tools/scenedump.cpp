// tools/scenedump.cpp -- reads one VRML 1.0 world and prints its scene tree.
//
// Reads FILE into a fresh world through parseVRMLIntoWorld and prints every
// message of the reader as it comes, then the world settings, the camera
// table and each top object with its subtree: id, node-type name, name,
// world translation and scale, flags, leaves by kind with counts, and
// texture URLs; an inline's URL is read as a file name relative to FILE's
// folder (or as a "file:" URL) through the loading layer's URL table. The last two lines are "objects N faces F" (every object
// and every face leaf of the world) and "box X0 Y0 Z0 X1 Y1 Z1", the union
// of the top objects' bounding cubes in world coordinates ("box none" when
// no top object has one). Exit status 0 when the world was built, 1 when
// the parse failed, 2 for a wrong command line.
#include <cstdio>
#include <map>
#include <string>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/transform.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "tools/worldfile.h"

namespace {

const char* leafKindName(int32_t kind) {
  switch (kind) {
    case ZM_LEAF_ASCII_TEXT: return "text";
    case ZM_LEAF_CONE_SIDE: return "cone-side";
    case ZM_LEAF_CONE_BOTTOM: return "cone-bottom";
    case ZM_LEAF_CYLINDER_SIDE: return "cylinder-side";
    case ZM_LEAF_CYLINDER_BOTTOM: return "cylinder-bottom";
    case ZM_LEAF_CYLINDER_TOP: return "cylinder-top";
    case ZM_LEAF_DISC: return "disc";
    case ZM_LEAF_FACE: return "face";
    case ZM_LEAF_LINE: return "line";
    case ZM_LEAF_POINT_SET: return "point-set";
    case ZM_LEAF_SPHERE: return "sphere";
    case ZM_LEAF_POINT_LIGHT: return "point-light";
    case ZM_LEAF_SPOT_LIGHT: return "spot-light";
    case ZM_LEAF_DIRECTIONAL_LIGHT: return "directional-light";
    case ZM_LEAF_ORTHOGRAPHIC_CAMERA: return "orthographic-camera";
    case ZM_LEAF_PERSPECTIVE_CAMERA: return "perspective-camera";
    case ZM_LEAF_SOUND: return "sound";
    default: return "unknown";
  }
}

struct Totals {
  long objects = 0;
  long faces = 0;
};

// " kind xN" for each run of leaves of one kind, then the texture URLs.
std::string describeLeaves(const ZmObj* object, Totals& totals) {
  std::string leaves, textures;
  std::map<std::string, bool> seen;
  for (const ZmLeaf* leaf = object->leaf; leaf;) {
    int32_t kind = leaf->kind;
    int count = 0;
    for (; leaf && leaf->kind == kind; leaf = leaf->next) {
      ++count;
      if (kind == ZM_LEAF_FACE) ++totals.faces;
      if (!zmIsShapeLeaf(const_cast<ZmLeaf*>(leaf)) || kind == ZM_LEAF_SOUND) continue;
      const ZmTextureImage& texture = *static_cast<const ZmShape*>(leaf)->texture.image;
      for (ZmUrlHash* entry : {texture.file, texture.mask}) {
        if (entry == nullptr || seen[entry->url]) continue;
        seen[entry->url] = true;
        textures += std::string(" ") + entry->url;
      }
      if (texture.movie) textures += " (movie)";
    }
    leaves += std::string(" ") + leafKindName(kind) + " x" + std::to_string(count);
  }
  if (leaves.empty()) leaves = " none";
  return " leaves:" + leaves + (textures.empty() ? "" : " textures:" + textures);
}

void printObject(ZmObj* object, int depth, Totals& totals) {
  ++totals.objects;
  const ZmRT* world = zmGetWRT(object);
  const char* type = zmGetVRMLTypeName(object->vrmlType);
  std::printf("%*s#%d %s \"%s\" at (%g %g %g) scale (%g %g %g) flags 0x%x%s\n", 2 * depth, "", object->id,
              type ? type : "?", object->comment[1] ? object->comment[1] : "", world->t.x, world->t.y,
              world->t.z, object->scale[0], object->scale[1], object->scale[2], object->obj_flags,
              describeLeaves(object, totals).c_str());
  for (ZmChildList* child = object->child; child; child = child->next) printObject(child->object, depth + 1, totals);
}

void printSettings(const ZmWorld* world) {
  std::printf("world \"%s\" title \"%s\" server \"%s\" background (%g %g %g) image \"%s\" type %d speed %g\n",
              world->name ? world->name : "", world->title ? world->title : "", world->server ? world->server : "",
              world->backgroundColor[0], world->backgroundColor[1], world->backgroundColor[2],
              world->backgroundImage ? world->backgroundImage->url : "", world->backgroundTextureType,
              world->viewerSpeed);
  const ZmCameraTable* cameras = world->cameraTable;
  if (cameras == nullptr) {
    std::printf("cameras none\n");
    return;
  }
  std::printf("cameras active %d\n", cameras->activeId);
  for (const ZmCameraList* node = cameras->first; node; node = node->next)
    std::printf("  camera %d #%d \"%s\"\n", node->id, node->camera->id,
                node->camera->comment[1] ? node->camera->comment[1] : "");
}

void printBox(ZmWorld* world) {
  bool any = false;
  ZmVec3 lo{}, hi{};
  for (ZmTopObjList* node = world->topObjects; node; node = node->next) {
    const ZmBoundingCube* cube = zmGetBoundingCube(node->object);
    if (cube == nullptr) continue;
    const ZmVec3& a = cube->p_local_min;
    const ZmVec3& b = cube->p_local_max;
    if (!any) {
      lo = a;
      hi = b;
      any = true;
      continue;
    }
    lo = {std::min(lo.x, a.x), std::min(lo.y, a.y), std::min(lo.z, a.z)};
    hi = {std::max(hi.x, b.x), std::max(hi.y, b.y), std::max(hi.z, b.z)};
  }
  if (!any) {
    std::printf("box none\n");
    return;
  }
  std::printf("box %g %g %g %g %g %g\n", lo.x, lo.y, lo.z, hi.x, hi.y, hi.z);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  worldfile::startLayers();
  int result = 0;
  ZmWorld* world = worldfile::readWorld(argv[1], &result);
  if (world == nullptr) return 1;
  printSettings(world);
  Totals totals;
  for (ZmTopObjList* node = world->topObjects; node; node = node->next) printObject(node->object, 0, totals);
  std::printf("objects %ld faces %ld\n", totals.objects, totals.faces);
  printBox(world);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  return result == 0 ? 0 : 1;
}
