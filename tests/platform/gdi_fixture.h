// tests/platform/gdi_fixture.h -- windows and DIB sections for the drawing
// tests, on a 24-bit display unless a test chooses another depth.
//
// Owns: the memory DCs and the GDI objects handed to it, deleted (and
// checked) after each test. The windows are the window fixture's.
#ifndef LUMENFOLD_TESTS_PLATFORM_GDI_FIXTURE_H
#define LUMENFOLD_TESTS_PLATFORM_GDI_FIXTURE_H

#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/presenter.h"
#include "platform/wingdi.h"
#include "tests/platform/window_fixture.h"

// A BITMAPINFO with room for 256 colours or the three masks.
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colours[256]{};

  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

inline DibInfo dibInfo(int width, int height, int bits, DWORD compression = BI_RGB) {
  DibInfo d;
  d.header.biSize = sizeof(BITMAPINFOHEADER);
  d.header.biWidth = width;
  d.header.biHeight = height;
  d.header.biPlanes = 1;
  d.header.biBitCount = static_cast<WORD>(bits);
  d.header.biCompression = compression;
  return d;
}

inline DibInfo dib565(int width, int height) {
  DibInfo d = dibInfo(width, height, 16, BI_BITFIELDS);
  DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
  std::memcpy(d.colours, masks, sizeof masks);
  return d;
}

class GdiTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    platform::setDisplayDepth(24);
  }
  void TearDown() override {
    for (HDC dc : memoryDcs) DeleteDC(dc);
    for (HGDIOBJ o : objects) EXPECT_TRUE(DeleteObject(o));
    platform::setDisplayDepth(24);
    WindowTest::TearDown();
  }

  // A visible pop-up whose client area is exactly width x height.
  HWND makeSurfaceWindow(int width, int height) {
    return makeWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, width, height);
  }

  // A memory DC holding a new DIB section; both freed by the fixture.
  HDC dibDc(const DibInfo& info, void** bits, UINT usage = DIB_RGB_COLORS,
            HDC paletteDc = nullptr) {
    HBITMAP bitmap = CreateDIBSection(paletteDc, info.info(), usage, bits, nullptr, 0);
    EXPECT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    memoryDcs.push_back(dc);
    deleteAfterDcs(bitmap);
    return dc;
  }

  void deleteAfterDcs(HGDIOBJ object) { objects.push_back(object); }

  static platform::WindowPixels pixelsOf(HWND hwnd) {
    platform::WindowPixels pixels;
    EXPECT_TRUE(platform::readWindowPixels(hwnd, &pixels));
    return pixels;
  }

  std::vector<HDC> memoryDcs;
  std::vector<HGDIOBJ> objects;
};

#endif
