// engine/windevice.cpp -- the Windows display devices: open, state,
// palette slots and control requests.
#include "engine/windevice.h"

#include <algorithm>
#include <cstring>

#include "engine/devicestate.h"
#include "engine/drawslots.h"
#include "engine/palette.h"
#include "engine/shadetable.h"
#include "engine/wingload.h"

namespace {

// This platform answers the version query as the NT family (4.0) does.
constexpr DWORD platformVersion = 0x00000004;
constexpr DWORD nonNtFamilyBit = 0x80000000;

void applyOptions(intptr_t count, RwOpenOption* options) {
  RwDeviceState::WindowsDeviceModule& display = rwDeviceState().display;
  for (intptr_t i = 0; i < count; ++i) {
    RwOpenOption& option = options[i];
    switch (option.id) {
      case rwOptionGamma:
        display.state.gammaFlag = option.value != 0;
        break;
      case rwOptionForcePlainDib:
        display.state.forcePlainDib = true;
        break;
      case rwOptionPreferWinG:
        display.state.preferWinG = true;
        break;
      case rwOptionSkipProbe:
        display.state.skipProbe = option.value != 0;
        break;
      case rwOptionWinGOrientation:
        display.state.wingOrientation = option.value < 0 ? -1 : (option.value > 0 ? 1 : 0);
        break;
      default:
        continue;
    }
    option.id = rwOptionRecognised;
  }
}

// Entries 0..9 and 231..255 from the system palette (zeros without one),
// then the engine's colours in 10..230.
void buildPalette(HDC screen) {
  PALETTEENTRY system[256] = {};
  if (rwDeviceState().display.state.paletteDisplay) GetSystemPaletteEntries(screen, 0, 256, system);
  for (int i = 0; i < 256; ++i) {
    const uint8_t rgb[3] = {system[i].peRed, system[i].peGreen, system[i].peBlue};
    RwSetPaletteColour(i, rgb);
  }
  RwBuildGammaTables();
  RwBuildEnginePalette();
}

BYTE entryFlags(int index) {
  return index >= rwFirstEnginePaletteEntry && index <= rwLastUsablePaletteEntry ? PC_NOCOLLAPSE : 0;
}

HPALETTE createLogicalPalette() {
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } logical = {0x300, 256, {}};
  const RwPalette& colours = RwGetPalette();
  for (int i = 0; i < 256; ++i) {
    logical.entries[i] = {colours.red[i], colours.green[i], colours.blue[i], entryFlags(i)};
  }
  return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&logical));
}

// ---- palette slots

intptr_t setPaletteEntries(intptr_t first, intptr_t count, const uint8_t* entries) {
  if (!entries || first < rwFirstEnginePaletteEntry || count < 1 || first + count > rwLastUsablePaletteEntry + 1) {
    return 0;
  }
  PALETTEENTRY changed[256];
  for (intptr_t i = 0; i < count; ++i) {
    const uint8_t* entry = entries + 4 * i;
    RwSetPaletteColour(static_cast<int>(first + i), entry);
    changed[i] = {entry[0], entry[1], entry[2], PC_NOCOLLAPSE};
  }
  if (HPALETTE palette = rwDeviceState().display.state.palette) {
    SetPaletteEntries(palette, static_cast<UINT>(first), static_cast<UINT>(count), changed);
  }
  RwBuildGammaTables();
  RwBuildShadeTables();
  return 1;
}

intptr_t paletteRequest(intptr_t first, intptr_t count, uint8_t* out) {
  if (!out || first < 0 || count < 1 || first + count > 256) return 0;
  const RwPalette& colours = RwGetPalette();
  for (intptr_t i = 0; i < count; ++i) {
    out[3 * i] = colours.red[first + i];
    out[3 * i + 1] = colours.green[first + i];
    out[3 * i + 2] = colours.blue[first + i];
  }
  return 1;
}

// ---- control

intptr_t control(intptr_t request, void* buffer, intptr_t size) {
  RwDeviceState::WindowsDeviceModule& display = rwDeviceState().display;
  const RwWindowsDeviceState& state = display.state;
  if (!buffer || size < 4) return display.fallback.control(request, buffer, size);
  const bool palettised = state.imageDepth == 8;
  switch (request) {
    case rwControlImageDepth:
      return RwAnswerControl(buffer, static_cast<int32_t>(state.imageDepth));
    case rwControlPalettised:
      return RwAnswerControl(buffer, palettised ? 1 : 0);
    case rwControlPaletteDisplay:
      return RwAnswerControl(buffer, state.paletteDisplay ? 1 : 0);
    case rwControlPaletteHandle:
      if (!state.paletteDisplay) break;
      std::memcpy(buffer, &state.palette, std::min<size_t>(sizeof state.palette, static_cast<size_t>(size)));
      return 1;
    case rwControlPaletteSize:
      if (palettised) return RwAnswerControl(buffer, 256);
      break;
    case rwControlFirstEngineEntry:
      if (palettised) return RwAnswerControl(buffer, rwFirstEnginePaletteEntry);
      break;
    case rwControlLastEngineEntry:
      if (palettised) return RwAnswerControl(buffer, rwLastUsablePaletteEntry);
      break;
    case rwControlPlainDib:
    case rwControlPlainDibToo:
      return RwAnswerControl(buffer, state.backEnd == rwBackEndPlainDib ? 1 : 0);
    case rwControlWinG:
      return RwAnswerControl(buffer, state.backEnd == rwBackEndWinG ? 1 : 0);
    case rwControlBackgroundPalette:
      if (state.paletteDisplay) return RwAnswerControl(buffer, state.backgroundPalette ? 1 : 0);
      break;
  }
  return display.fallback.control(request, buffer, size);
}

intptr_t extendedControl(intptr_t request, intptr_t value, void* buffer, intptr_t size) {
  RwDeviceState::WindowsDeviceModule& display = rwDeviceState().display;
  if (request == rwExtendedStretch && buffer && size >= static_cast<intptr_t>(sizeof(RwStretchRequest))) {
    RwStretchRequest stretch;
    std::memcpy(&stretch, buffer, sizeof stretch);
    return RwSetCameraImageStretch(stretch.camera, stretch.width, stretch.height);
  }
  if (request == rwExtendedBackgroundPalette && display.state.paletteDisplay) {
    display.state.backgroundPalette = value != 0;
    return 1;
  }
  return display.fallback.extendedControl(request, value, buffer, size);
}

void closeDevice() {
  RwDeviceState::WindowsDeviceModule& display = rwDeviceState().display;
  RwFreeExpandedShadeTable();
  RwReleaseWinGLibrary();
  if (display.state.palette) DeleteObject(display.state.palette);
  display.state.palette = nullptr;
  RwCloseRenderers();
}

int openDevice(RwDeviceRecord* record, bool preferWinG, intptr_t optionCount, RwOpenOption* options) {
  RwDeviceState::WindowsDeviceModule& display = rwDeviceState().display;
  RwWindowsDeviceState& state = display.state;
  state = {};
  state.preferWinG = preferWinG;
  state.versionClass = RwClassifyWindowsVersion(platformVersion);
  if (state.versionClass == 0) return 0;
  applyOptions(optionCount, options);

  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  state.displayDepth = GetDeviceCaps(screen, BITSPIXEL);
  if (state.displayDepth == 16 && !state.skipProbe) state.displayDepth = RwProbeSixteenBitLayout();
  state.paletteDisplay = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
  const RwBackEndChoice choice = RwChooseBackEnd(state.versionClass, state.displayDepth, state.forcePlainDib,
                                                 state.preferWinG, RwLoadWinGLibrary);
  state.backEnd = choice.backEnd;
  state.imageDepth = choice.imageDepth;
  state.preferWinG = state.preferWinG && state.backEnd == rwBackEndWinG;  // a failed load clears it
  RwSetGamma(state.gammaFlag ? 2.2f : 1.0f);
  if (state.imageDepth < 9) buildPalette(screen);
  ReleaseDC(nullptr, screen);

  if (!RwInstallRenderers(record, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN),
                          state.imageDepth)) {
    return 0;
  }
  display.fallback.control = record->control;
  display.fallback.extendedControl = record->extendedControl;
  record->close = closeDevice;
  if (state.paletteDisplay) {
    state.palette = createLogicalPalette();
    if (!state.palette) return 0;
  }
  if (state.imageDepth == 16 && !RwBuildExpandedShadeTable()) return 0;
  record->setPaletteEntries = setPaletteEntries;
  record->paletteRequest = paletteRequest;
  record->control = control;
  record->extendedControl = extendedControl;
  record->readBitmap = RwReadWindowsBitmap;
  RwInstallWindowsBackEnd(record, state.backEnd);
  return 1;
}

}  // namespace

const RwWindowsDeviceState& RwGetWindowsDeviceState() { return rwDeviceState().display.state; }

int RwClassifyWindowsVersion(DWORD version) {
  const DWORD major = version & 0xFF;
  const DWORD minor = (version >> 8) & 0xFF;
  if (!(version & nonNtFamilyBit)) return (major == 3 && minor < 5) ? 0 : 1;
  if (major == 3) return minor >= 95 ? 2 : 3;
  return 2;
}

RwBackEndChoice RwChooseBackEnd(int versionClass, int displayDepth, bool forcePlainDib, bool preferWinG,
                                int (*loadWinG)()) {
  if (forcePlainDib) return {rwBackEndPlainDib, 8};
  if (preferWinG && loadWinG()) return {rwBackEndWinG, 8};
  if (versionClass == 1 || versionClass == 2) return {rwBackEndDibSection, displayDepth >= 16 ? 16 : 8};
  if (loadWinG()) return {rwBackEndWinG, 8};
  return {rwBackEndPlainDib, 8};
}

int RwProbeSixteenBitLayout() {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(1, 1, 1, 16, nullptr);
  int depth = 16;
  if (dc && bitmap) {
    HGDIOBJ previous = SelectObject(dc, bitmap);
    uint16_t pixel = 0;
    if (previous && SetPixel(dc, 0, 0, RGB(255, 255, 255)) != CLR_INVALID &&
        GetBitmapBits(bitmap, sizeof pixel, &pixel) == sizeof pixel) {
      depth = pixel == 0xFFFF ? 16 : 15;
    }
    if (previous) SelectObject(dc, previous);
  }
  if (bitmap) DeleteObject(bitmap);
  if (dc) DeleteDC(dc);
  return depth;
}

int RwWindowsDeviceOpen(RwDeviceRecord* record, intptr_t, intptr_t optionCount, RwOpenOption* options) {
  return openDevice(record, false, optionCount, options);
}

int RwWindowsWinGDeviceOpen(RwDeviceRecord* record, intptr_t, intptr_t optionCount, RwOpenOption* options) {
  return openDevice(record, true, optionCount, options);
}

void RwEngineColourTable(RGBQUAD* table) {
  const RwPalette& colours = RwGetPalette();
  for (int i = 0; i < 256; ++i) {
    const bool engine = i >= rwFirstEnginePaletteEntry && i <= rwLastUsablePaletteEntry;
    table[i] = engine ? RGBQUAD{colours.blue[i], colours.green[i], colours.red[i], 0} : RGBQUAD{0, 0, 0, 0};
  }
}
