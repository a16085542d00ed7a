// tests/media/media_fixture.h -- a world with a camera and a main window
// that hands wave notices to the player, on the virtual clock, for the
// media suites.
//
// Owns: the world of each test (made with the loading and media layers
// installed, so that the reader can build sounds into it) with its camera
// and sound objects, the URL table the objects a test makes enter their
// files in, the files written into a temporary folder, the main window, and
// the messages shown. Everything is given back
// at the end of a test: the world deleted, the outputs shut, the hooks and
// the clock restored.
#ifndef LUMENFOLD_TESTS_MEDIA_MEDIA_FIXTURE_H
#define LUMENFOLD_TESTS_MEDIA_MEDIA_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/apphandles.h"
#include "core/camera.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"
#include "loading/loadhooks.h"
#include "loading/urltable.h"
#include "media/install.h"
#include "media/midi.h"
#include "media/sound.h"
#include "media/wave.h"
#include "platform/recorder.h"
#include "platform/windows.h"
#include "tests/hook_guard.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "vrmlwrite/hooks.h"
#include "tests/temp_folder.h"

// A RIFF WAVE file in memory: 16-bit mono PCM at 8000 Hz by default (for
// 8 bits the samples must lie in -128..127).
struct WaveLayout {
  std::vector<int16_t> samples;
  uint32_t claimedDataBytes = 0;  // 0: the real size
  uint16_t bits = 16;
  uint32_t rate = 8000;
  bool withData = true;
  uint32_t fmtBytes = 16;         // of the 16 the "fmt " chunk claims, those written
};

inline void appendLE(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i)));
}

inline std::string waveBytes(const WaveLayout& layout) {
  std::string fmt;
  uint16_t align = uint16_t(layout.bits / 8);
  appendLE(fmt, WAVE_FORMAT_PCM, 2);
  appendLE(fmt, 1, 2);
  appendLE(fmt, layout.rate, 4);
  appendLE(fmt, layout.rate * align, 4);
  appendLE(fmt, align, 2);
  appendLE(fmt, layout.bits, 2);
  std::string data;
  for (int16_t sample : layout.samples) {
    if (layout.bits == 8) {
      data.push_back(char(128 + sample));  // unsigned around 128
    } else {
      appendLE(data, uint16_t(sample), 2);
    }
  }
  std::string body = "WAVEfmt ";
  appendLE(body, uint32_t(fmt.size()), 4);
  body += fmt.substr(0, std::min<size_t>(fmt.size(), layout.fmtBytes));
  if (layout.withData) {
    body += "data";
    appendLE(body, layout.claimedDataBytes ? layout.claimedDataBytes : uint32_t(data.size()), 4);
    body += data;
  }
  std::string file = "RIFF";
  appendLE(file, uint32_t(body.size()), 4);
  return file + body;
}

// `count` samples of a square wave of the given amplitude.
inline std::vector<int16_t> squareWave(size_t count, int16_t amplitude) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = (i / 8) % 2 ? amplitude : int16_t(-amplitude);
  return samples;
}

inline std::vector<std::string> warningsShown;

class MediaTest : public ::testing::Test {
 protected:
  static constexpr const char* kMainClass = "LfMediaTestMain";
  CoreHookGuards hooks;
  VrmlHookGuards vrmlHooks;
  ServiceGuard<ZmWriterLoading> writerHooks{writerLoading};
  UrlFetchGuard urlFetch;
  ServiceGuard<ZmLoadingScript> loadingScriptHooks{loadingScript};
  ZmWorld* world = nullptr;
  ZmObj* camera = nullptr;
  ZmUrlHashTable* urls = nullptr;
  HWND mainWindow = nullptr;
  TempFolder temp{"lf_media"};
  std::string folder = temp.path();

  static LRESULT CALLBACK mainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= MM_WOM_OPEN && message <= MM_WOM_DONE) return zmWaveOnDone(hwnd, message);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  void SetUp() override {
    platform::useVirtualClock(true, 1000);
    platform::clearRecordedEvents();
    zmResetReportStateForTest();
    warningsShown.clear();
    hooks.messages->notifyMessage = [](const char* text) {
      warningsShown.push_back(text);
      return 0;
    };
    zmInstallLoadingHooks();
    zmInstallMediaHooks();
    WNDCLASSA wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = kMainClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    mainWindow = CreateWindowExA(0, kMainClass, "main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mainWindow, nullptr);
    zmSetMainHwnd(mainWindow);
    ASSERT_EQ(zmNewUrlHash(ZM_WORLD_URL_BUCKETS, &urls), 0);
    world = zmNewWorld("sounds");
    ASSERT_NE(world, nullptr);
    makeCamera();
    zmSoundSetWorld(world);
  }

  void TearDown() override {
    zmSoundSetWorld(nullptr);
    zmDeleteWorld(world);
    zmSoundShutdown();
    zmMidiForgetFailureForTest();
    zmFreeUrlHash(urls);
    DestroyWindow(mainWindow);
    zmSetMainHwnd(nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(kMainClass, nullptr);
    platform::useVirtualClock(false);
  }

  void makeCamera() {
    ASSERT_EQ(zmNewZmObj(world, &camera, 1), 0);
    zmAddLeaf(camera, 0, zmNewPerspectiveCameraLeaf());
    ASSERT_EQ(zmAddTopObject(camera, "camera"), 0);
    ASSERT_EQ(zmReginsterToCameraTable(camera, 2), 0);
    ASSERT_EQ(zmSetActiveCameraID(world, 2), 0);
  }

  void moveCamera(float x, float y, float z) {
    ZmVec3 at{x, y, z};
    zmObjectTrans(camera, &at, 1, 0);
  }

  std::string writeFile(const std::string& name, const std::string& bytes) {
    std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
  }

  /*
   * addSound --
   *   A named sound object at `at` whose first leaf plays `path` (its type
   *   from `channelType`), with a box of half size `half` around its origin
   *   (negative: no box), entered in the world's sound list.
   */
  ZmSoundLeaf* addSound(const char* name, const std::string& path, int32_t channelType, ZmVec3 at, float half = 100) {
    ZmObj* object = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &object, 1), 0);
    zmNameObject(object, name);
    auto* leaf = static_cast<ZmSoundLeaf*>(zmNewSoundLeaf());
    leaf->channelType = channelType;
    leaf->file = zmNewUrlHashEntry(urls, path.c_str(), path.c_str(), 3);
    zmAddLeaf(object, 0, leaf);
    EXPECT_EQ(zmAddTopObject(object, name), 0);
    zmObjectTrans(object, &at, 1, 0);
    if (half >= 0) {
      object->obj_flags |= ZM_OBJ_LOCAL_CUBE_VALID | ZM_OBJ_HAS_CUBE;
      object->obj_flags &= ~ZM_OBJ_PARENT_CUBE_VALID;
      object->boundingCube.local_min = {-half, -half, -half};
      object->boundingCube.local_max = {half, half, half};
    }
    EXPECT_EQ(zmAddSoundObj(world, object), 0);
    return leaf;
  }

  // Lets `ms` milliseconds pass in frame ticks of 20 ms: the clock moves,
  // the queue is emptied (wave notices reach the player), the scheduler runs.
  void runTicks(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      platform::advanceClock(20);
      pump();
      zmSoundSchedule();
    }
  }

  static void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

  static std::vector<std::string> events(const std::string& kind) {
    std::vector<std::string> details;
    for (const platform::RecordedEvent& event : platform::recordedEvents(kind)) details.push_back(event.detail);
    return details;
  }

  static int countOf(const std::vector<std::string>& list, const std::string& item) {
    return int(std::count(list.begin(), list.end(), item));
  }
};

#endif
