// tests/media/body_fixture.h -- shared set-up of the body and movie suites: a world
// with the real URL table whose fetches find local files, the body and
// movie hooks installed, and a recorder of the reports.
//
// Owns: the world of each test, the private folder of the files a test
// writes (removed afterwards), and the recorded reports. It does not own
// the hook tables: the guards give them back as they were.
#ifndef LUMENFOLD_TESTS_MEDIA_BODY_FIXTURE_H
#define LUMENFOLD_TESTS_MEDIA_BODY_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/loadhooks.h"
#include "loading/urltable.h"
#include "media/install.h"
#include "media/timeouthooks.h"
#include "tests/hook_guard.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "engine/camera.h"
#include "engine/device.h"
#include "engine/imageconvert.h"
#include "engine/library.h"
#include "engine/scene.h"
#include "viewer/install.h"
#include "viewer/construct.h"
#include "viewer/hooks.h"
#include "viewer/rendering.h"
#include "viewer/texture.h"
#include "vrmlwrite/hooks.h"
#include "tests/temp_folder.h"

class BodyMediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    zmTurnOnFlag(ZM_FLAG_WARNING);
    // Allocation failures are injected on purpose: no fatal box.
    zmTurnOffFlag(ZM_FLAG_ERROR);
    reports().clear();
    coreHooks.messages->notifyMessage = [](const char* text) {
      reports().push_back(text);
      return 0;
    };
    zmInstallLoadingHooks();
    zmSetUrlFetch(fetchLocalFile);
    zmInstallMediaHooks();
    world = zmNewWorld("media-test");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
  }

  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    if (world != nullptr) zmDeleteWorld(world);
  }

  // Fetches find local files only: a "file:" URL is its path, a relative
  // one is taken from `baseFolder`.
  static const char* fetchLocalFile(ZmUrlHash* entry) {
    static std::string fetched;
    const char* url = zmGetUrl(entry);
    if (url == nullptr) return nullptr;
    if (zmGetUrlScheme(url) == ZM_SCHEME_FILE) {
      const char* path = zmFileUrlToPath(url);
      if (path == nullptr) return nullptr;
      fetched = path;
    } else {
      fetched = url[0] == '/' ? std::string(url) : baseFolder() + url;
    }
    return access(fetched.c_str(), R_OK) == 0 ? fetched.c_str() : nullptr;
  }

  static std::string& baseFolder() {
    static std::string folder;
    return folder;
  }

  static std::vector<std::string>& reports() {
    static std::vector<std::string> texts;
    return texts;
  }

  static bool reported(const std::string& part) {
    for (const std::string& text : reports())
      if (text.find(part) != std::string::npos) return true;
    return false;
  }

  static std::string allReports() {
    std::string all;
    for (const std::string& text : reports()) all += text + " | ";
    return all;
  }

  // Writes the bytes to a file of the test's folder; its path.
  std::string writeFile(const std::string& name, const std::string& bytes) const {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ServiceGuard<ZmViewerMedia> viewerMediaHooks{viewerMedia};
  ServiceGuard<ZmMediaScript> mediaScriptHooks{mediaScript};
  UrlFetchGuard urlFetch;
  ServiceGuard<ZmWriterLoading> writerHooks{writerLoading};
  ZmWorld* world = nullptr;
  TempFolder temp{"lumenfold-media"};
  std::filesystem::path folder = temp.path();
};

// The viewer over a test's world: its hooks installed, the engine open on the
// recording device (converting images as the 16-bit renderers do, so that
// textures can be read) and the world's renderer record with a scene. Make
// it after the world and let it go after the world is deleted.
class ViewerForWorld {
 public:
  explicit ViewerForWorld(ZmWorld* world) {
    zmInstallViewerHooks();
    RwGetAndClearError();
    callbacks.createImage = [](intptr_t, intptr_t) -> uintptr_t { return 1; };
    callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
      image->width = 64;
      image->height = 48;
      image->depth = 16;
    };
    callbacks.colourToDeviceValue = [](const uint16_t* rgb) -> uintptr_t {
      return (uintptr_t{rgb[0]} >> 8 << 16) | (uintptr_t{rgb[1]} >> 8 << 8) | (rgb[2] >> 8);
    };
    callbacks.drawTriangle = [](const RwMetaTriangle*) {};
    open = RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)) == 1;
    if (!open) return;
    rwDeviceRecord.depth = 16;
    rwDeviceRecord.convertImage = RwConvertImage;
    open = zmRwInitRWStruct(world) == 0;
    if (open) world->rendering->scene = RwCreateScene();
    zmSetViewWindowSize(64, 48);
  }
  ~ViewerForWorld() {
    zmVFclearPendingTextures();
    RwClose();
    RwGetAndClearError();
    zmSetViewWindowSize(0, 0);
  }
  ViewerForWorld(const ViewerForWorld&) = delete;
  ViewerForWorld& operator=(const ViewerForWorld&) = delete;

  bool open = false;

 private:
  RwMetaCallbacks callbacks = {};
};

#endif
