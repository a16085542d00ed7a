// engine/scenerecords.h -- the engine's scene graph: scenes, their spatial
// trees, the cameras that view them and the lights that light them (private
// to engine/).
//
// Owns the one record that holds the four modules' pools and lists. A light
// is born in the default scene, a scene's tree is rebuilt as its clumps and
// lights move, and a camera renders a scene through the lights prepared for
// each clump; the library open opens them together (cameras, lights, then
// scenes with their trees) and its close closes them in the reverse order.
// The record is defined in light.cpp, where every lit vertex reads the
// prepared lights.
//
// Which module writes which member:
//   scenes    scene.cpp      the scene records, the default scene, the live ones
//   tree      scenetree.cpp  the tree's node records and the rebuild's root list
//   cameras   camera.cpp     the camera records, the live ones, the change stamps
//   lighting  light.cpp      the light records, the specular table, the prepared lights
// It does not own the clumps (engine/poolrecords.h holds their pool) nor what
// a scene's render leaves behind (engine/render.h).
#ifndef LUMENFOLD_ENGINE_SCENERECORDS_H
#define LUMENFOLD_ENGINE_SCENERECORDS_H

#include <cstdint>
#include <vector>

#include "engine/camera.h"
#include "engine/fixed.h"
#include "engine/light.h"
#include "engine/pool.h"
#include "engine/scene.h"

struct RwSceneRecords {
  // The scene module: its records, the default scene and the live ones.
  struct SceneModule {
    RwPool* pool = nullptr;
    RwScene* defaultScene = nullptr;  // every clump and light is born here
    RwScene* live = nullptr;          // every scene, newest first
  } scenes;

  // The tree module: the node records and the rebuild's scratch list.
  struct SceneTreeModule {
    RwPool* nodePool = nullptr;
    std::vector<RwClump*> rootClumps;  // the roots whose world matrices a rebuild brings up to date
  } tree;

  // The camera module: its records and the list of the live ones.
  struct CameraModule {
    RwPool* pool = nullptr;
    RwCamera* list = nullptr;     // newest first
    int32_t nextChangeStamp = 0;  // seeds each new camera's stamp, then decreases
  } cameras;

  // The light module: its records, the specular table and the prepared lights.
  struct LightModule {
    RwPool* pool = nullptr;
    RwFixed* specularTable = nullptr;         // 256 entries, 16.16
    const RwLight* preparedLights = nullptr;  // on-list whose local fields match the clump being lit
  } lighting;
};

RwSceneRecords& rwSceneRecords();

#endif
