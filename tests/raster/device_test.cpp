// tests/raster/device_test.cpp -- the Windows display devices: back-end
// choice, tables, colour values, palette search, showing and control.
#include <map>

#include "engine/drawslots.h"
#include "engine/palette.h"
#include "engine/shadetable.h"
#include "engine/windevice.h"
#include "engine/wingload.h"
#include "platform/module.h"
#include "platform/presenter.h"
#include "platform/windows.h"
#include "tests/raster/raster_fixture.h"

namespace {

// ---- a WinG library over DIB sections, provided to the loader on demand

std::map<HBITMAP, void*> fakeWinGBits;

HDC fakeCreateDC() { return CreateCompatibleDC(nullptr); }
BOOL fakeRecommend(BITMAPINFO* info) {
  info->bmiHeader = {};
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = 8;
  info->bmiHeader.biHeight = -1;  // top-down
  return TRUE;
}
HBITMAP fakeCreateBitmap(HDC dc, const BITMAPINFO* info, void** bits) {
  HBITMAP bitmap = CreateDIBSection(dc, info, DIB_RGB_COLORS, bits, nullptr, 0);
  if (bitmap) fakeWinGBits[bitmap] = *bits;
  return bitmap;
}
void* fakeGetPointer(HBITMAP bitmap, BITMAPINFO*) { return fakeWinGBits[bitmap]; }
UINT fakeGetTable(HDC dc, UINT first, UINT count, RGBQUAD* colours) { return GetDIBColorTable(dc, first, count, colours); }
UINT fakeSetTable(HDC dc, UINT first, UINT count, const RGBQUAD* colours) {
  return SetDIBColorTable(dc, first, count, colours);
}
HPALETTE fakeHalftonePalette() { return nullptr; }
HBRUSH fakeHalftoneBrush(HDC, COLORREF colour, int) { return CreateSolidBrush(colour); }
BOOL fakeBitBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy) {
  return BitBlt(dest, x, y, w, h, source, sx, sy, SRCCOPY);
}
BOOL fakeStretchBlt(HDC dest, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh) {
  return StretchBlt(dest, x, y, w, h, source, sx, sy, sw, sh, SRCCOPY);
}

template <class F>
FARPROC entry(F f) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

platform::ModuleEntryPoint fakeWinGEntries[] = {
    {"WinGCreateDC", entry(fakeCreateDC)},
    {"WinGRecommendDIBFormat", entry(fakeRecommend)},
    {"WinGCreateBitmap", entry(fakeCreateBitmap)},
    {"WinGGetDIBPointer", entry(fakeGetPointer)},
    {"WinGGetDIBColorTable", entry(fakeGetTable)},
    {"WinGSetDIBColorTable", entry(fakeSetTable)},
    {"WinGCreateHalftonePalette", entry(fakeHalftonePalette)},
    {"WinGCreateHalftoneBrush", entry(fakeHalftoneBrush)},
    {"WinGBitBlt", entry(fakeBitBlt)},
    {"WinGStretchBlt", entry(fakeStretchBlt)},
    {nullptr, nullptr},
};

// Provides the library (once per process) with every entry point present or
// with its first one missing, which the loader treats as no library.
void provideFakeWinG(bool complete) {
  static bool provided = platform::provideModule("wing32.dll", fakeWinGEntries);
  ASSERT_TRUE(provided);
  fakeWinGEntries[0].name = complete ? "WinGCreateDC" : "WinGCreateDC (withdrawn)";
}

class DeviceTest : public RasterTest {};

int32_t controlAnswer(intptr_t request) {
  int32_t value = -1;
  return RwDeviceControl(request, &value, sizeof value) ? value : -1;
}

// ---- back-ends

struct BackEndCase {
  const char* name;
  int displayDepth;
  const char* device;
  bool forcePlainDib;
  int backEnd;
  intptr_t imageDepth;
  bool paletteDisplay;
};

TEST_F(DeviceTest, EachDisplayKindGetsItsBackEndAndImageDepth) {
  provideFakeWinG(false);
  const BackEndCase cases[] = {
      {"true colour", 24, "MSWindows", false, rwBackEndDibSection, 16, false},
      {"16-bit 5:6:5", 16, "MSWindows", false, rwBackEndDibSection, 16, false},
      {"16-bit 5:5:5 probes as 15", 15, "MSWindows", false, rwBackEndDibSection, 8, false},
      {"8-bit palette", 8, "MSWindows", false, rwBackEndDibSection, 8, true},
      {"forced plain DIB", 24, "MSWindows", true, rwBackEndPlainDib, 8, false},
      {"forced plain DIB beats WinG", 24, "MSWindowsWinG", true, rwBackEndPlainDib, 8, false},
      {"WinG absent falls back", 24, "mswindowswing", false, rwBackEndDibSection, 16, false},
  };
  for (const BackEndCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(platform::setDisplayDepth(c.displayDepth));
    RwOpenOption options[] = {{rwOptionForcePlainDib, 0}};
    ASSERT_EQ(RwOpen(c.device, 0, c.forcePlainDib ? 1 : 0, options), 1);
    const RwWindowsDeviceState& state = RwGetWindowsDeviceState();
    EXPECT_EQ(state.backEnd, c.backEnd);
    EXPECT_EQ(state.imageDepth, c.imageDepth);
    EXPECT_EQ(state.paletteDisplay, c.paletteDisplay);
    EXPECT_EQ(controlAnswer(rwControlImageDepth), c.imageDepth);
    EXPECT_EQ(controlAnswer(rwControlPlainDibToo), c.backEnd == rwBackEndPlainDib ? 1 : 0);
    EXPECT_FALSE(state.preferWinG);
    RwCamera* camera = RwCreateCamera(20, 10, nullptr);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->image.width, 20);
    EXPECT_EQ(camera->image.depth, c.imageDepth);
    EXPECT_EQ(RwGetCameraImage(camera) != nullptr, c.backEnd != rwBackEndPlainDib);
    RwDestroyCamera(camera);
    RwClose();
  }
}

TEST_F(DeviceTest, WinGIsUsedWhenPresentAndPreferred) {
  provideFakeWinG(true);
  RwOpenOption topDown[] = {{rwOptionWinGOrientation, -1}};
  ASSERT_EQ(RwOpen("MSWindowsWinG", 0, 1, topDown), 1);
  EXPECT_EQ(RwGetWindowsDeviceState().backEnd, rwBackEndWinG);
  EXPECT_EQ(controlAnswer(rwControlWinG), 1);
  EXPECT_EQ(topDown[0].id, rwOptionRecognised);
  RwCamera* camera = RwCreateCamera(18, 6, nullptr);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->image.width, 20);
  EXPECT_EQ(camera->image.stride, 20);  // top-down rows
  RwDestroyCamera(camera);
  RwClose();
  provideFakeWinG(false);
}

TEST(BackEndChoice, FollowsTheVersionClassAndDisplayDepth) {
  static int loads = 0;
  auto absent = [] { ++loads; return 0; };
  auto present = [] { return 1; };
  EXPECT_EQ(RwChooseBackEnd(1, 24, false, false, absent).backEnd, rwBackEndDibSection);
  EXPECT_EQ(loads, 0);  // WinG is not asked for unless wanted
  EXPECT_EQ(RwChooseBackEnd(2, 8, false, false, absent).imageDepth, 8);
  EXPECT_EQ(RwChooseBackEnd(3, 24, false, false, present).backEnd, rwBackEndWinG);
  EXPECT_EQ(RwChooseBackEnd(3, 24, false, false, absent).backEnd, rwBackEndPlainDib);
  EXPECT_EQ(RwChooseBackEnd(1, 24, false, true, present).backEnd, rwBackEndWinG);
  EXPECT_EQ(RwClassifyWindowsVersion(0x00000004), 1);
  EXPECT_EQ(RwClassifyWindowsVersion(0x00000303), 0);  // NT 3.3
  EXPECT_EQ(RwClassifyWindowsVersion(0x80000A03), 3);  // 3.10 with the high bit: Win32s
  EXPECT_EQ(RwClassifyWindowsVersion(0x80005F03), 2);  // 3.95
  EXPECT_EQ(RwClassifyWindowsVersion(0x80000004), 2);
}

TEST_F(DeviceTest, RefusedOptionsAndOpenFailuresLeaveNoDevice) {
  ASSERT_TRUE(platform::setDisplayDepth(24));
  RwOpenOption unknown[] = {{4711, 0}};
  EXPECT_EQ(RwOpen("MSWindows", 0, 1, unknown), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrUnknownOption);
  RwClose();
  for (int failAfter = 0; failAfter < 4; ++failAfter) {
    RwFailAllocationsAfter(failAfter);
    if (RwOpen("MSWindows", 0, 0, nullptr)) {
      RwFailAllocationsAfter(-1);
      RwClose();
      break;
    }
    EXPECT_EQ(RwGetAndClearError(), rwErrOutOfMemory);
    RwFailAllocationsAfter(-1);
    RwClose();
  }
}

// ---- tables and colour values

TEST_F(DeviceTest, SixteenBitShadeTablesFollowTheirRules) {
  openAt(24);
  const RwShadeTables tables = RwGetShadeTables();
  for (int level = 0; level < 32; ++level) {
    for (int c = 0; c < 32; ++c) {
      const double exact = level < 24 ? c * level / 23.0 + 0.5 : c + (level - 24) * (31 - c) / 7.0;
      const int expected = std::clamp(static_cast<int>(exact), 1, 30);
      ASSERT_EQ(tables.shade[level * 32 + c], expected) << level << "," << c;
      for (int copy = 0; copy < 8; ++copy) ASSERT_EQ(tables.expanded[level * 256 + copy * 32 + c], expected * 8);
    }
  }
  EXPECT_EQ(reinterpret_cast<uintptr_t>(tables.shade) % 256, 0u);
}

TEST_F(DeviceTest, EightBitRampRowsRunForwardOrBackByTheirSaturationStep) {
  openAt(8);
  const RwShadeTables tables = RwGetShadeTables();
  // Value rises with the position in an even row, falls in an odd row.
  const RwPalette& palette = RwGetPalette();
  auto brightness = [&](uint8_t index) { return palette.red[index] + palette.green[index] + palette.blue[index]; };
  EXPECT_LT(brightness(tables.ramp[2 * 32 + 2]), brightness(tables.ramp[2 * 32 + 20]));
  EXPECT_GT(brightness(tables.ramp[3 * 32 + 2]), brightness(tables.ramp[3 * 32 + 20]));
  for (int i = 0; i < 32; ++i) {
    const uint8_t grey = tables.ramp[rwGreyRamp + i];
    EXPECT_GE(grey, rwFirstEnginePaletteEntry);
    EXPECT_LE(grey, rwLastUsablePaletteEntry);
  }
  // Shade row 0 is black for every palette entry; the rows from 24 whiten.
  const uint8_t black = tables.shade[0 * 256 + 100];
  EXPECT_EQ(brightness(black), 0);
  EXPECT_GE(brightness(tables.shade[31 * 256 + 100]), brightness(tables.shade[24 * 256 + 100]));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(tables.ramp) % 256, 0u);
}

TEST(DeviceColourValues, PackEachDepthAndTurnBack) {
  const uint16_t white[3] = {0xFFFF, 0xFFFF, 0xFFFF};
  const uint16_t red[3] = {0xFFFF, 0, 0};
  const uint16_t grey[3] = {0x8000, 0x8000, 0x8000};
  EXPECT_EQ(RwSoftwareColourValue(16, white), 0xFFFFu);
  EXPECT_EQ(RwSoftwareColourValue(15, white), 0x7FFFu);
  EXPECT_EQ(RwSoftwareColourValue(16, red), 0xF800u);
  EXPECT_EQ(RwSoftwareColourValue(8, grey), (0x8410u << 16) | (rwGreyRamp + 15));
  // Red: hue step 0, saturation step 3 (odd: reversed), full value -> level 23 from the end.
  EXPECT_EQ(RwSoftwareColourValue(8, red) & 0xFFFF, 3u * 32 + 31 - 23);
  uint16_t back[3];
  RwSoftwareValueColour(16, 0xF800, back);
  EXPECT_EQ(back[0], 0xF800);
  EXPECT_EQ(back[1], 0);
  RwSoftwareValueColour(8, RwSoftwareColourValue(8, white), back);
  EXPECT_EQ(back[2], 0xF800);
}

TEST_F(DeviceTest, GammaOneMakesBothTablesTheIdentity) {
  ASSERT_TRUE(platform::setDisplayDepth(8));
  RwOpenOption gamma[] = {{rwOptionGamma, 0}};
  ASSERT_EQ(RwOpen("MSWindows", 0, 1, gamma), 1);
  for (int n = 0; n < 256; ++n) {
    EXPECT_EQ(RwGammaTable()[n], n);
    EXPECT_EQ(RwGammaTable2()[n], n);
  }
}

TEST_F(DeviceTest, NearestPaletteIndexEqualsABruteForceSearch) {
  openAt(8);
  const RwPalette& palette = RwGetPalette();
  auto distance = [&](const uint8_t* rgb, int index) {
    const int colour[3] = {RwGammaTable()[palette.red[index]], RwGammaTable()[palette.green[index]],
                           RwGammaTable()[palette.blue[index]]};
    int total = 0;
    for (int c = 0; c < 3; ++c) total += (rgb[c] - colour[c]) * (rgb[c] - colour[c]);
    return total;
  };
  for (int r = 0; r < 256; r += 5) {
    for (int g = 0; g < 256; g += 7) {
      for (int b = 0; b < 256; b += 9) {
        const uint8_t rgb[3] = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
        int best = distance(rgb, rwFirstEnginePaletteEntry);
        for (int i = rwFirstEnginePaletteEntry; i <= rwLastUsablePaletteEntry; ++i) best = std::min(best, distance(rgb, i));
        const int found = findNearestPaletteIndex(rgb);
        ASSERT_GE(found, rwFirstEnginePaletteEntry);
        ASSERT_LE(found, rwLastUsablePaletteEntry);
        ASSERT_EQ(distance(rgb, found), best) << r << "," << g << "," << b;
      }
    }
  }
}

// ---- showing

HWND makeWindow(int width, int height) {
  static bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "LfRasterView";
    return RegisterClassA(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExA(0, "LfRasterView", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

TEST_F(DeviceTest, ShowingOneDamagedRectangleBlitsExactlyThatRectangle) {
  for (const char* device : {"MSWindows", "MSWindowsWinG"}) {
    SCOPED_TRACE(device);
    provideFakeWinG(true);
    ASSERT_TRUE(platform::setDisplayDepth(16));
    ASSERT_EQ(RwOpenDefault(device, 0), 1);
    HWND hwnd = makeWindow(96, 96);
    HDC dc = GetDC(hwnd);
    RwCamera* camera = RwCreateCamera(96, 96, nullptr);
    ASSERT_NE(camera, nullptr);
    RwSetCameraViewport(camera, 0, 0, 96, 96);
    RwBeginCameraUpdate(camera, 0);
    RwClearCameraViewport(camera);
    RwEndCameraUpdate(camera);
    RwShowCameraImage(camera, dc);
    platform::clearRecordedEvents();
    RwDamageCameraRect(camera, 32, 64, 32, 32);  // one damage cell
    RwBeginCameraUpdate(camera, 0);
    RwClearCameraViewport(camera);
    RwEndCameraUpdate(camera);
    RwShowCameraImage(camera, dc);
    const auto blits = platform::recordedEvents("Blit");
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits[0].detail, "BitBlt 32,64 32x32");
    RwDestroyCamera(camera);
    ReleaseDC(hwnd, dc);
    DestroyWindow(hwnd);
    RwClose();
    provideFakeWinG(false);
  }
}

TEST_F(DeviceTest, ShownPixelsMatchTheBackgroundOnEveryBackEnd) {
  for (int depth : {24, 15, 8}) {
    SCOPED_TRACE(depth);
    for (bool plain : {false, true}) {
      ASSERT_TRUE(platform::setDisplayDepth(depth));
      RwOpenOption options[] = {{rwOptionForcePlainDib, 0}};
      ASSERT_EQ(RwOpen("MSWindows", 0, plain ? 1 : 0, options), 1);
      HWND hwnd = makeWindow(32, 16);
      HDC dc = GetDC(hwnd);
      RwCamera* camera = RwCreateCamera(32, 16, nullptr);
      RwSetCameraViewport(camera, 0, 0, 32, 16);
      RwSetCameraBackColor(camera, 0.0f, 0.0f, 1.0f);
      RwBeginCameraUpdate(camera, 0);
      RwClearCameraViewport(camera);
      RwEndCameraUpdate(camera);
      RwShowCameraImage(camera, dc);
      platform::WindowPixels shown;
      ASSERT_TRUE(platform::readWindowPixels(hwnd, &shown));
      const COLORREF colour = shown.at(5, 5);
      EXPECT_GT(GetBValue(colour), 150) << std::hex << colour;
      EXPECT_LT(GetRValue(colour), 60);
      RwDestroyCamera(camera);
      ReleaseDC(hwnd, dc);
      DestroyWindow(hwnd);
      RwClose();
    }
  }
}

// ---- control and palette slots

TEST_F(DeviceTest, ControlRequestsAndPaletteSlotsAnswerAsTheirTablesSay) {
  openAt(8);
  EXPECT_EQ(controlAnswer(rwControlPalettised), 1);
  EXPECT_EQ(controlAnswer(rwControlPaletteDisplay), 1);
  EXPECT_EQ(controlAnswer(rwControlFirstEngineEntry), 10);
  EXPECT_EQ(controlAnswer(rwControlLastEngineEntry), 245);
  EXPECT_EQ(controlAnswer(rwControlBackgroundPalette), 0);
  EXPECT_EQ(rwDeviceRecord.extendedControl(rwExtendedBackgroundPalette, 1, nullptr, 0), 1);
  EXPECT_EQ(controlAnswer(rwControlBackgroundPalette), 1);
  EXPECT_EQ(controlAnswer(999), -1);
  EXPECT_EQ(RwGetAndClearError(), rwErrControlRequest);
  int32_t small = 0;
  EXPECT_EQ(RwDeviceControl(rwControlImageDepth, &small, 2), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrControlBuffer);

  const uint8_t entry[4] = {1, 2, 3, 0};
  EXPECT_EQ(rwDeviceRecord.setPaletteEntries(9, 1, entry), 0);
  EXPECT_EQ(rwDeviceRecord.setPaletteEntries(245, 2, entry), 0);
  EXPECT_EQ(rwDeviceRecord.setPaletteEntries(100, 1, entry), 1);
  uint8_t out[3] = {};
  EXPECT_EQ(rwDeviceRecord.paletteRequest(100, 1, out), 1);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(rwDeviceRecord.paletteRequest(255, 2, out), 0);

  RwStretchRequest stretch = {128, 96, camera_};
  EXPECT_EQ(rwDeviceRecord.extendedControl(rwExtendedStretch, 0, &stretch, sizeof stretch), 1);
  EXPECT_EQ(rwDeviceRecord.extendedControl(77, 0, nullptr, 0), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrNotSupported);
}

TEST_F(DeviceTest, TextureModeEntriesFollowTheBlocksAndTheCameraProjection) {
  openAt(24);
  EXPECT_EQ(RwTextureModeEntry(32, rwTextureLit | rwTextureFilter), 37);
  EXPECT_EQ(RwTextureModeEntry(4, rwTextureLit | rwTextureFilter), 5);
  RwEndCameraUpdate(camera_);
  RwSetCameraProjection(camera_, rwParallel);
  RwBeginCameraUpdate(camera_, 0);
  EXPECT_EQ(RwTextureModeEntry(40, rwTextureLit | rwTextureForeshorten), 41);
}

}  // namespace
