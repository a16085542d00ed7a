// engine/library.cpp -- opening and closing the engine.
#include "engine/library.h"

#include <cstdlib>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/damage.h"
#include "engine/depthsort.h"
#include "engine/librarystate.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/mathtables.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/render.h"
#include "engine/scene.h"
#include "engine/shapefile.h"
#include "engine/shapepath.h"
#include "engine/texture.h"
#include "engine/userdraw.h"

namespace {

// Whether the engine is open, its modelling tag and its error number (engine/librarystate.h).
RwLibraryState libraryState;

constexpr char buildIdentification[] = "Lumenfold 3-D engine, procedural library";

// The engine's modules. A module that this build does not hold keeps null
// slots and is passed over by the open and the close.
struct Module {
  int (*open)();
  int (*close)();
};

const Module mathsTables = {RwOpenMathsTables, RwCloseMathsTables};
const Module matrices = {RwOpenMatrixModule, RwCloseMatrixModule};
const Module depthSortSingles = {RwOpenPlaneSinglesModule, RwClosePlaneSinglesModule};
const Module depthSortBuffers = {nullptr, nullptr};  // closed only: made while sorting
const Module materials = {RwOpenMaterialModule, RwCloseMaterialModule};
const Module trianglesAndQuads = {RwOpenPolygonModule, RwClosePolygonModule};
const Module depthSortPlanes = {RwOpenPlaneOrderModule, RwClosePlaneOrderModule};
const Module rasters = {RwOpenRasterModule, RwCloseRasterModule};
const Module textures = {RwOpenTextureModule, RwCloseTextureModule};
const Module userDraws = {RwOpenUserDrawModule, RwCloseUserDrawModule};
const Module damagedRects = {RwOpenDamagedRectModule, RwCloseDamagedRectModule};
const Module clumps = {RwOpenClumpModule, RwCloseClumpModule};
const Module cameras = {RwOpenCameraModule, RwCloseCameraModule};
const Module lights = {RwOpenLightModule, RwCloseLightModule};
const Module shapesAndModelling = {RwOpenShapeReader, RwCloseShapeReader};
const Module scenes = {RwOpenSceneModule, RwCloseSceneModule};
// Fills the scenes' pipeline slots; holds no records.
const Module renderPipeline = {RwOpenRenderPipeline, RwCloseRenderPipeline};

const Module* const openOrder[] = {
    &mathsTables, &matrices, &depthSortSingles, &materials, &trianglesAndQuads,
    &depthSortPlanes, &rasters, &textures, &userDraws, &damagedRects,
    &clumps, &cameras, &lights, &shapesAndModelling, &scenes, &renderPipeline,
};

const Module* const closeOrder[] = {
    &depthSortBuffers, &renderPipeline, &shapesAndModelling, &scenes, &lights, &cameras,
    &clumps, &damagedRects, &userDraws, &textures, &rasters,
    &depthSortPlanes, &trianglesAndQuads, &materials, &depthSortSingles, &matrices,
    &mathsTables,
};

bool openModules() {
  for (const Module* module : openOrder) {
    if (module->open && !module->open()) return false;
  }
  return true;
}

bool everyOptionRecognised(int optionCount, const RwOpenOption* options) {
  for (int i = 0; i < optionCount; ++i) {
    if (options[i].id != rwOptionRecognised) return false;
  }
  return true;
}

}  // namespace

int RwOpen(const char* deviceName, intptr_t reserved, int optionCount, RwOpenOption* options) {
  RwLibraryState::LibraryState& library = libraryState.library;
  if (!deviceName) deviceName = std::getenv("RWDEVICE");
  if (!deviceName) {
    RwSetError(rwErrNoDeviceName);
    return 0;
  }
  const RwDeviceEntry* device = RwChooseDevice(deviceName);
  if (!device) return 0;
  if (library.opened) RwClose();
  RwDeviceReset();
  library.opened = true;
  if (!RwDeviceOpen(&rwDeviceRecord, device->open, reserved, optionCount, options)) return 0;
  if (!openModules()) return 0;
  if (!everyOptionRecognised(optionCount, options)) {
    RwSetError(rwErrUnknownOption);
    return 0;
  }
  const char* shapePath = std::getenv("RWSHAPEPATH");
  if (shapePath) RwSetShapePath(shapePath, rwReplacePath);
  return 1;
}

int RwOpenDefault(const char* deviceName, intptr_t reserved) { return RwOpen(deviceName, reserved, 0, nullptr); }

int RwClose() {
  RwLibraryState::LibraryState& library = libraryState.library;
  if (!library.opened) return 1;
  for (const Module* module : closeOrder) {
    if (module->close) module->close();
  }
  RwCallDeviceClose();
  RwFreeAllPools();
  library.opened = false;
  return RwDeviceClose();
}

intptr_t RwDeviceControl(intptr_t request, void* buffer, intptr_t size) {
  if (!rwDeviceRecord.control) return 0;
  return rwDeviceRecord.control(request, buffer, size);
}

void RwSetModellingTag(intptr_t tag) { libraryState.library.modellingTag = tag; }
intptr_t RwGetModellingTag() { return libraryState.library.modellingTag; }

const char* RwGetBuildIdentification() { return buildIdentification; }

RwLibraryState& rwLibraryState() { return libraryState; }
