// shell/layout.cpp -- the main window's client geometry, the 4:3 rule and
// the logo (see layout.h).
#include "shell/layout.h"
#include "shell/mainparts.h"


#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/apphandles.h"
#include "core/dirs.h"
#include "core/memory.h"
#include "core/report.h"
#include "loading/bmpfile.h"
#include "platform/resources.h"
#include "platform/desktop.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"

namespace {

// Margins of the view in the client area: 15 left and 3 right of it, 28
// above it (the location bar) and 3 below it, besides the toolbars' share.
constexpr int kViewX = 15;
constexpr int kViewY = 28;
constexpr int kViewWidthMargin = 18;
constexpr int kViewHeightMargin = 31;

// The first outer size asked for, before the tracking limits and the rule.
constexpr int kFirstOuterWidth = 570;
constexpr int kFirstOuterHeight = 400;

constexpr int kLogoX = 12;
constexpr int kLogoGapBelowView = 9;

// The layout's part of the main window's record.
ZmMainGeometry& geometry() { return zmMainWindowParts().geometry; }

// What the main window's frame, caption and menu bar take from its outer size.
int frameWidth() { return 2 * GetSystemMetrics(SM_CXFRAME); }
int frameHeight() {
  return 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU);
}

void keepClientSizeOf(int outerWidth, int outerHeight) {
  ZmMainGeometry& geometry = zmMainWindowParts().geometry;
  geometry.clientWidth = outerWidth - frameWidth();
  geometry.clientHeight = outerHeight - frameHeight();
}

}  // namespace

void zmSetMainClientSize(int width, int height) {
  ZmMainGeometry& geometry = zmMainWindowParts().geometry;
  geometry.clientWidth = width;
  geometry.clientHeight = height;
}

void zmGetMainClientSize(int* width, int* height) {
  ZmMainGeometry& geometry = zmMainWindowParts().geometry;
  *width = geometry.clientWidth;
  *height = geometry.clientHeight;
}

void zmSetToolbarShare(int commandBarWidth, int navBarHeight) {
  ZmMainGeometry& geometry = zmMainWindowParts().geometry;
  geometry.commandBarWidth = commandBarWidth;
  geometry.navBarHeight = navBarHeight;
}

ZmViewRect zmComputeViewRect() {
  ZmMainGeometry& geometry = zmMainWindowParts().geometry;
  const int width = geometry.clientWidth - (geometry.commandBarWidth + kViewWidthMargin);
  const int height = geometry.clientHeight - (geometry.navBarHeight + kViewHeightMargin);
  return {kViewX, kViewY, std::max(width, 0), std::max(height, 0)};
}

void zmPlaceViewWindow(HWND viewWindow) {
  const ZmViewRect view = zmComputeViewRect();
  MoveWindow(viewWindow, view.x, view.y, view.width, view.height, TRUE);
}

int zmGetMaxTrackWidth() { return frameWidth() + geometry().commandBarWidth + ZM_VIEW_MAX_WIDTH + kViewWidthMargin; }

int zmGetMaxTrackHeight() {
  return frameHeight() + geometry().navBarHeight + ZM_VIEW_MAX_HEIGHT + kViewHeightMargin;
}

void zmKeepViewAspect(int* outerWidth, int* outerHeight) {
  keepClientSizeOf(*outerWidth, *outerHeight);
  const ZmViewRect view = zmComputeViewRect();
  if (3 * view.width <= 4 * view.height) {
    *outerHeight -= view.height - (3 * view.width) / 4;
  } else {
    *outerWidth -= view.width - (4 * view.height) / 3;
  }
  keepClientSizeOf(*outerWidth, *outerHeight);
}

void zmInitWindowSize(int* outerWidth, int* outerHeight) {
  *outerWidth = std::min(zmGetMaxTrackWidth(), kFirstOuterWidth);
  *outerHeight = std::min(zmGetMaxTrackHeight(), kFirstOuterHeight);
  zmKeepViewAspect(outerWidth, outerHeight);
}

int zmRegisterLogoBitmap() {
  char directory[MAX_PATH];
  if (zmGetDataDirName(directory, sizeof directory) == 0) {
    zmReportWarning("zmRegisterLogoBitmap: no data folder");
    return -1;
  }
  const std::string path = std::string(directory) + ZM_LOGO_FILE;
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  unsigned char* pixels = nullptr;
  if (zmReadBMP(path.c_str(), &header, &info, &pixels) != 0) {
    zmReportWarning("zmRegisterLogoBitmap: cannot read %s", path.c_str());
    return -1;
  }
  int result = -1;
  if (info.width == ZM_LOGO_WIDTH && info.height == ZM_LOGO_HEIGHT && info.bitCount == 24) {
    // The file's rows run bottom up, unpadded; the resource's top down,
    // padded to 4 bytes, both blue, green, red.
    platform::BitmapResource logo;
    logo.width = ZM_LOGO_WIDTH;
    logo.height = ZM_LOGO_HEIGHT;
    logo.bitsPerPixel = 24;
    const size_t fileRow = size_t(ZM_LOGO_WIDTH) * 3;
    const size_t resourceRow = (fileRow + 3) & ~size_t(3);
    logo.bits.assign(resourceRow * ZM_LOGO_HEIGHT, 0);
    for (int y = 0; y < ZM_LOGO_HEIGHT; ++y) {
      const unsigned char* from = pixels + fileRow * size_t(ZM_LOGO_HEIGHT - 1 - y);
      std::copy(from, from + fileRow, logo.bits.begin() + std::ptrdiff_t(resourceRow * y));
    }
    if (platform::registerBitmapResource(ZM_LOGO_RESOURCE, std::move(logo))) result = 0;
  }
  if (result != 0) zmReportWarning("zmRegisterLogoBitmap: %s is not a 52 x 11 24-bit picture", path.c_str());
  zmFree(pixels);
  zmFree(info.colormap);
  return result;
}

void zmGiveProgramIcon() {
  char directory[MAX_PATH];
  if (zmGetDataDirName(directory, sizeof directory) == 0) return;
  const std::string path = std::string(directory) + "icon.bmp";
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  unsigned char* pixels = nullptr;
  if (zmReadBMP(path.c_str(), &header, &info, &pixels) != 0 || info.bitCount != 24 || info.width <= 0 ||
      info.height <= 0) {
    zmDebugPrint(__func__, "no icon in %s", path.c_str());
  } else {
    // The file's rows run bottom up, unpadded, blue, green, red; the icon's top down, opaque.
    const int width = info.width, height = info.height;
    std::vector<uint32_t> argb(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
      const unsigned char* row = pixels + size_t(width) * 3 * size_t(height - 1 - y);
      for (int x = 0; x < width; ++x)
        argb[size_t(y) * size_t(width) + size_t(x)] =
            0xFF000000u | uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
    }
    platform::setProgramIcon(width, height, std::move(argb));
  }
  zmFree(pixels);
  zmFree(info.colormap);
}

void zmDrawLogo(HDC dc) {
  HBITMAP logo = LoadBitmapA(zmGetHinstance(), ZM_LOGO_RESOURCE);
  if (logo == nullptr) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, logo);
  const ZmViewRect view = zmComputeViewRect();
  BitBlt(dc, kLogoX, view.y + view.height + kLogoGapBelowView, ZM_LOGO_WIDTH, ZM_LOGO_HEIGHT, source, 0, 0,
         SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(logo);
}
