// Opening and closing the engine, choosing devices, the sticky error number,
// the device layer and the null and recording devices.
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/device.h"
#include "engine/library.h"
#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/scene.h"
#include "engine_fixture.h"

namespace {

// Which link tables hold their providing module's record: a closed module's
// record would reach pools the close has handed back.
std::vector<bool> linksProvided() {
  return {rwCameraLinks.provided(),         rwClumpLinks.scene.provided(),
          rwClumpLinks.userDraws.provided(), rwClumpLinks.sorting.provided(),
          rwSceneLinks.provided(),           rwModellingTextureLinks.provided()};
}
const std::vector<bool> everyLinkProvided(6, true);
const std::vector<bool> noLinkProvided(6, false);

class Library : public ::testing::Test {
 protected:
  void SetUp() override { RwGetAndClearError(); }
  void TearDown() override {
    RwClose();
    RwFailAllocationsAfter(-1);
    unsetenv("RWDEVICE");
    RwGetAndClearError();
  }
};

TEST_F(Library, DeviceNamesMatchExactlyExceptTheWindowsDevices) {
  struct Case {
    const char* name;
    const char* entry;  // null: no device
  } cases[] = {
      {"NullDevice", "NullDevice"},   {"nulldevice", nullptr},         {"MetaDevice", "MetaDevice"},
      {"METADEVICE", nullptr},        {"MSWindows", "MSWindows"},      {"mswindows", "MSWindows"},
      {"mswindowswing", "MSWindowsWinG"}, {"NullDevice ", nullptr},   {"", nullptr},
  };
  for (const Case& c : cases) {
    const RwDeviceEntry* entry = RwChooseDevice(c.name);
    if (!c.entry) {
      EXPECT_EQ(entry, nullptr) << c.name;
    } else {
      ASSERT_NE(entry, nullptr) << c.name;
      EXPECT_STREQ(entry->name, c.entry);
    }
  }
}

TEST_F(Library, OpensTheNullDeviceAndClosesWithoutLeaving) {
  ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
  EXPECT_EQ(RwGetError(), 0);
  EXPECT_EQ(rwDeviceRecord.depth, 8);
  EXPECT_EQ(rwDeviceRecord.deviceValue, 255u);
  EXPECT_EQ(rwDeviceRecord.maxPolygonVertices, 32);
  EXPECT_GT(RwGetPoolState().poolCount, 0u);
  EXPECT_NE(RwScratchMatrix(), nullptr);
  EXPECT_EQ(linksProvided(), everyLinkProvided);
  EXPECT_EQ(RwClose(), 1);
  EXPECT_EQ(RwGetPoolState().poolCount, 0u);
  EXPECT_EQ(rwDeviceRecord.close, nullptr);
  EXPECT_EQ(linksProvided(), noLinkProvided);
  EXPECT_EQ(RwClose(), 1);  // closing twice is harmless
}

TEST_F(Library, UnknownDeviceFailsWithoutAnErrorNumber) {
  EXPECT_EQ(RwOpenDefault("nulldevice", 0), 0);
  EXPECT_EQ(RwGetError(), 0);
  // The Windows devices are chosen ignoring case.
  EXPECT_EQ(RwOpenDefault("mswindows", 0), 1);
  EXPECT_EQ(RwGetError(), 0);
}

TEST_F(Library, NoNameTakesRwdeviceAndWithoutItFailsWith18) {
  unsetenv("RWDEVICE");
  EXPECT_EQ(RwOpenDefault(nullptr, 0), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrNoDeviceName);
  setenv("RWDEVICE", "NullDevice", 1);
  EXPECT_EQ(RwOpenDefault(nullptr, 0), 1);
  EXPECT_EQ(rwDeviceRecord.deviceValue, 255u);
}

TEST_F(Library, AnOptionTheDeviceDoesNotRecogniseFailsWith65AfterTheModulesOpened) {
  RwOpenOption options[] = {{1, 0}, {7, 0}};
  EXPECT_EQ(RwOpen("NullDevice", 0, 2, options), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrUnknownOption);
  EXPECT_NE(RwScratchMatrix(), nullptr);  // modules were opened: the close tears them down
  RwClose();
  RwOpenOption recognised[] = {{1, 5}};
  EXPECT_EQ(RwOpen("NullDevice", 0, 1, recognised), 1);
}

TEST_F(Library, DeviceLayerChecksTheOptionCount) {
  RwDeviceRecord record;
  EXPECT_EQ(RwDeviceOpen(&record, RwNullDeviceOpen, 0, 0, nullptr), 1);
  EXPECT_EQ(RwDeviceOpen(&record, RwNullDeviceOpen, 0, 2, nullptr), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwDeviceOpen(&record, RwNullDeviceOpen, 0, -1, nullptr), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrBadCount);
}

TEST_F(Library, DeviceLayerPreparesTheRecordBeforeTheDevice) {
  RwDeviceRecord record;
  std::memset(&record, 0xAB, sizeof record);
  EXPECT_EQ(RwDeviceOpen(&record, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(RwGetError(), 0);
  EXPECT_EQ(record.maxPolygonVertices, 4);
  EXPECT_EQ(record.flags, 0u);
  EXPECT_EQ(record.clumpRenderHook, nullptr);
  for (const RwRendererPair& pair : record.renderers) {
    EXPECT_EQ(pair.plain, RwDrawNothing);
    EXPECT_EQ(pair.depthBuffered, RwDrawNothing);
  }
  EXPECT_EQ(std::bit_cast<uint32_t>(RwGetGamma()), 0x400E38DAu);
}

TEST_F(Library, StickyErrorKeepsTheFirstAndCapsAt71) {
  EXPECT_EQ(RwSetError(31), 31);
  EXPECT_EQ(RwSetError(2), 2);
  EXPECT_EQ(RwGetError(), 31);
  EXPECT_EQ(RwGetAndClearError(), 31);
  EXPECT_EQ(RwGetAndClearError(), 0);
  EXPECT_EQ(RwSetError(76), 76);
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);
  EXPECT_EQ(RwRestoreError(83), rwErrorCap);
  EXPECT_EQ(RwRestoreError(5), 5);
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);
}

TEST_F(Library, StickyErrorLivesAcrossOpenAndClose) {
  RwSetError(rwErrRead);
  ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
  RwClose();
  EXPECT_EQ(RwGetAndClearError(), rwErrRead);
}

// The open puts gamma back to its default; a Windows device opened by an
// earlier case leaves its own value behind after the close.
TEST_F(Library, GammaBelowOneIsRefused) {
  ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
  EXPECT_EQ(RwSetGamma(0.5f), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);  // 77 reads back as 71
  EXPECT_EQ(std::bit_cast<uint32_t>(RwGetGamma()), 0x400E38DAu);
  EXPECT_EQ(RwSetGamma(1.0f), 1);
  EXPECT_FLOAT_EQ(RwGetGamma(), 1.0f);
}

// Every allocation of the open failing in turn: the open fails with error 3
// and the close frees everything made so far (the sanitizers check leaks).
TEST_F(Library, OpenSurvivesEveryAllocationFailing) {
  for (intptr_t allowed = 0;; ++allowed) {
    RwFailAllocationsAfter(allowed);
    int opened = RwOpenDefault("NullDevice", 0);
    RwFailAllocationsAfter(-1);
    int error = RwGetAndClearError();
    RwClose();
    EXPECT_EQ(linksProvided(), noLinkProvided) << "after " << allowed << " allocations";
    if (opened) {
      EXPECT_EQ(error, 0);
      EXPECT_GT(allowed, 3);
      break;
    }
    EXPECT_EQ(error, rwErrOutOfMemory) << "after " << allowed << " allocations";
    ASSERT_LT(allowed, 100);
  }
}

TEST_F(Library, BuildIdentificationIsText) { EXPECT_GT(std::strlen(RwGetBuildIdentification()), 0u); }

using NullDevice = OpenEngine;

TEST_F(NullDevice, ControlAnswersDepthAndNoPalette) {
  int32_t answer = -1;
  EXPECT_EQ(RwDeviceControl(1, &answer, 4), 1);
  EXPECT_EQ(answer, 8);
  EXPECT_EQ(RwDeviceControl(2, &answer, 4), 1);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(RwDeviceControl(3, &answer, 4), 1);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(RwDeviceControl(1001, &answer, 4), 0);
  EXPECT_EQ(RwGetError(), 0);
  EXPECT_EQ(RwDeviceControl(1, &answer, 3), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrControlBuffer);
  EXPECT_EQ(rwDeviceRecord.extendedControl(1, 0, &answer, 4), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrNotSupported);
}

TEST_F(NullDevice, ColoursTravelIn24BitForm) {
  const uint16_t colour[3] = {0x12FF, 0x3400, 0xAB01};
  uintptr_t value = rwDeviceRecord.colourToDeviceValue(colour);
  EXPECT_EQ(value, 0x1234AB00u);
  uint16_t back[3];
  rwDeviceRecord.deviceValueToColour(value, back);
  EXPECT_EQ(back[0], 0x1200);
  EXPECT_EQ(back[1], 0x3400);
  EXPECT_EQ(back[2], 0xAB00);
  EXPECT_EQ(rwDeviceRecord.combineValueAndLevel(value, 31), value * 256 + 31);
}

TEST_F(NullDevice, ImagesAreEmptyAndConversionMakesAn8BitRaster) {
  RwCamera camera = {};
  camera.image.topRow = reinterpret_cast<uint8_t*>(&camera);
  EXPECT_EQ(rwDeviceRecord.createCameraImage(&camera, 320, 200), 1);
  EXPECT_EQ(camera.image.topRow, nullptr);
  EXPECT_EQ(camera.image.width, 320);
  EXPECT_EQ(camera.image.height, 200);

  RwRaster* image = RwCreateRaster(30, 20, 24);
  ASSERT_NE(image, nullptr);
  RwRaster* converted = rwDeviceRecord.convertImage(image, 0);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(converted->width, 30);
  EXPECT_EQ(converted->height, 20);
  EXPECT_EQ(converted->depth, 8);
  EXPECT_EQ(converted->stride, 32);
  EXPECT_EQ(rwDeviceRecord.copyImageToRaster(&camera, converted), converted);
  EXPECT_EQ(RwDestroyRaster(image), 1);
  // `converted` is left for the close to free.
}

// ---- the recording device

struct Recording {
  std::vector<std::string> calls;
  uintptr_t nextHandle = 0x500;
};
Recording* recording = nullptr;

void note(const std::string& call) { recording->calls.push_back(call); }

RwMetaCallbacks recordingCallbacks() {
  RwMetaCallbacks callbacks = {};
  callbacks.deviceValue = 42;
  callbacks.createImage = [](intptr_t w, intptr_t h) -> uintptr_t {
    note("create " + std::to_string(w) + "x" + std::to_string(h));
    return recording->nextHandle;
  };
  callbacks.describeImage = [](uintptr_t handle, RwCameraImage* image) {
    note("describe " + std::to_string(handle));
    image->depth = 16;
  };
  callbacks.destroyImage = [](uintptr_t handle) { note("destroy " + std::to_string(handle)); };
  callbacks.colourToDeviceValue = [](const uint16_t* rgb) -> uintptr_t { return rgb[0]; };
  callbacks.beginUpdate = [](uintptr_t handle, intptr_t argument) {
    note("begin " + std::to_string(handle) + " " + std::to_string(argument));
  };
  callbacks.clear = [](uintptr_t handle, const RwRect* rect, intptr_t index) {
    note("clear " + std::to_string(handle) + " " + std::to_string(rect->width) + " " + std::to_string(index));
  };
  callbacks.endUpdate = [](uintptr_t handle) { note("end " + std::to_string(handle)); };
  callbacks.show = [](uintptr_t handle, const RwRect* rect, HDC) {
    note("show " + std::to_string(handle) + " " + std::to_string(rect->height));
  };
  return callbacks;
}

TEST_F(Library, RecordingDeviceForwardsToTheApplicationsCallbacks) {
  Recording log;
  recording = &log;
  RwMetaCallbacks callbacks = recordingCallbacks();
  ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
  EXPECT_EQ(rwDeviceRecord.deviceValue, 42u);
  EXPECT_EQ(rwDeviceRecord.maxPolygonVertices, 3);
  EXPECT_EQ(rwDeviceRecord.colourToDeviceValue, callbacks.colourToDeviceValue);

  RwCamera camera = {};
  camera.descriptorMadeByDevice = 1;  // owns its image
  camera.backgroundIndex = 7;
  ASSERT_EQ(rwDeviceRecord.createCameraImage(&camera, 64, 48), 1);
  EXPECT_EQ(camera.image.handle, 0x500u);
  EXPECT_EQ(camera.image.depth, 16);
  RwRect rect = {0, 0, 64, 48};
  rwDeviceRecord.beginUpdate(&camera, 9);
  rwDeviceRecord.clearRect(&camera, &rect);
  rwDeviceRecord.endUpdate(&camera);
  rwDeviceRecord.showImage(&camera, &rect, nullptr);
  rwDeviceRecord.destroyCameraImage(&camera);

  // A camera that brings its own image: no create or destroy callback.
  RwCamera borrowed = {};
  borrowed.descriptor = reinterpret_cast<void*>(uintptr_t{0x900});
  ASSERT_EQ(rwDeviceRecord.createCameraImage(&borrowed, 8, 8), 1);
  rwDeviceRecord.destroyCameraImage(&borrowed);

  std::vector<std::string> expected = {"create 64x48", "describe 1280", "begin 1280 9", "clear 1280 64 7",
                                       "end 1280",     "show 1280 48",  "destroy 1280", "describe 2304"};
  EXPECT_EQ(log.calls, expected);

  log.nextHandle = 0;  // the application could not make an image
  RwCamera refused = {};
  refused.descriptorMadeByDevice = 1;
  EXPECT_EQ(rwDeviceRecord.createCameraImage(&refused, 8, 8), 0);
  recording = nullptr;
}

TEST_F(Library, RecordingDeviceNeedsItsCallbackTable) {
  EXPECT_EQ(RwOpenDefault("MetaDevice", 0), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
}

}  // namespace
