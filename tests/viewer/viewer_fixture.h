// tests/viewer/viewer_fixture.h -- a world read from a fixture file, with the
// engine open on the recording device and the world's engine scene made, and
// the bridge's builders run over every object without children.
//
// Owns: the world with its renderer record and scene, and the engine; the
// world's own teardown releases what the builders made, then the engine
// closes.
#ifndef LUMENFOLD_TESTS_VIEWER_FIXTURE_H
#define LUMENFOLD_TESTS_VIEWER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/pool.h"
#include "engine/scene.h"
#include "platform/recorder.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/builders.h"
#include "viewer/install.h"
#include "viewer/construct.h"
#include "viewer/rendering.h"
#include "vrml/parse.h"

inline std::vector<RwMetaTriangle> viewerTriangles;

inline RwMetaCallbacks viewerCallbacks() {
  RwMetaCallbacks callbacks = {};
  // Every camera image of the bridge is 1024 x 768.
  callbacks.createImage = [](intptr_t, intptr_t) -> uintptr_t { return 1; };
  callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
    image->width = 1024;
    image->height = 768;
    image->depth = 16;
  };
  callbacks.colourToDeviceValue = [](const uint16_t* rgb) -> uintptr_t {
    return (uintptr_t{rgb[0]} >> 8 << 16) | (uintptr_t{rgb[1]} >> 8 << 8) | (rgb[2] >> 8);
  };
  callbacks.drawTriangle = [](const RwMetaTriangle* triangle) { viewerTriangles.push_back(*triangle); };
  return callbacks;
}

class ViewerWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    zmInstallViewerHooks();
    RwGetAndClearError();
    ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
    world = zmNewWorld("viewer.wrl");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
    ASSERT_EQ(zmRwInitRWStruct(world), 0);
    world->rendering->scene = RwCreateScene();
    zmSetViewWindowSize(64, 48);
  }

  // The world's teardown destroys every engine record it made, each once
  // (the sanitizers see any second destruction), before the engine closes.
  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    EXPECT_EQ(zmDeleteWorld(world), 0);
    RwClose();
    RwFailAllocationsAfter(-1);
    RwGetAndClearError();
    zmSetViewWindowSize(0, 0);
    zmResetReportStateForTest();
  }

  void read(const char* name) {
    ASSERT_EQ(parseVRMLIntoWorld((std::string(LUMENFOLD_TEST_DATA) + "/" + name).c_str(), world), 0);
  }

  // The builder that world construction picks by the first leaf's kind.
  static int buildObject(ZmObj* object) {
    switch (object->leaf->kind) {
      case ZM_LEAF_ASCII_TEXT: return zmRwSetAsciiText(object);
      case ZM_LEAF_CONE_SIDE: case ZM_LEAF_CONE_BOTTOM: return zmRwSetCone(object);
      case ZM_LEAF_CYLINDER_SIDE: case ZM_LEAF_CYLINDER_BOTTOM: case ZM_LEAF_CYLINDER_TOP:
        return zmRwSetCylinder(object);
      case ZM_LEAF_FACE: return zmRwSetFace(object);
      case ZM_LEAF_LINE: return zmRwSetLine(object);
      case ZM_LEAF_POINT_SET: return zmRwSetPointSet(object);
      case ZM_LEAF_SPHERE: return zmRwSetSphere(object);
      case ZM_LEAF_POINT_LIGHT: return zmRwSetPointLight(object);
      case ZM_LEAF_SPOT_LIGHT: return zmRwSetSpotLight(object);
      case ZM_LEAF_DIRECTIONAL_LIGHT: return zmRwSetDirectionalLight(object);
      case ZM_LEAF_ORTHOGRAPHIC_CAMERA: return zmRwSetOrthographicCamera(object);
      case ZM_LEAF_PERSPECTIVE_CAMERA: return zmRwSetPerspectiveCamera(object);
      default: return 0;
    }
  }

  static void collectBuildable(ZmObj* object, std::vector<ZmObj*>& out) {
    if (object->child == nullptr) {
      if (object->leaf != nullptr) out.push_back(object);
      return;
    }
    for (ZmChildList* node = object->child; node; node = node->next) collectBuildable(node->object, out);
  }

  std::vector<ZmObj*> buildable() const {
    std::vector<ZmObj*> objects;
    for (ZmTopObjList* node = world->topObjects; node; node = node->next) collectBuildable(node->object, objects);
    return objects;
  }

  // Runs every builder; the number that failed.
  int buildAll() {
    int failures = 0;
    for (ZmObj* object : buildable())
      if (buildObject(object) != 0) failures++;
    return failures;
  }

  ZmObj* named(const char* name) const {
    for (ZmObj* object : buildable())
      if (zmObjNameIs(object, name)) return object;
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  std::vector<RwCamera*> cameras() const {
    std::vector<RwCamera*> found;
    for (ZmObj* object : buildable())
      if (zmIsCameraLeaf(object->leaf) && object->leaf->rendering)
        found.push_back(static_cast<RwCamera*>(object->leaf->rendering));
    return found;
  }

  static std::vector<std::string> errorBoxes() {
    std::vector<std::string> texts;
    for (const auto& event : platform::recordedEvents("MessageBox")) texts.push_back(event.detail);
    return texts;
  }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  RwMetaCallbacks callbacks = viewerCallbacks();
  ZmWorld* world = nullptr;
};

#endif
