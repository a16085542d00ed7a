// engine/windevice.h -- the Windows display devices "MSWindows" and
// "MSWindowsWinG".
//
// Owns: the devices' open (learning the display, choosing one of three
// image back-ends, setting the gamma, building the palette for 8-bit work,
// installing the software renderers and tables), the library-wide device
// state, the logical palette, the per-camera images of the three back-ends
// (plain DIB, DIB section, WinG) with their show and colour-table slots,
// the palette slots and the control requests.
// It does not own the renderers and shared slots (engine/drawslots.h), the
// tables (engine/shadetable.h), the engine palette and nearest-colour search
// (engine/palette.h), nor the WinG library itself (engine/wingload.h).
#ifndef LUMENFOLD_ENGINE_WINDEVICE_H
#define LUMENFOLD_ENGINE_WINDEVICE_H

#include <cstdint>

#include "engine/device.h"
#include "platform/windows.h"

struct RwCamera;

// Image back-ends.
constexpr int rwBackEndPlainDib = 1;
constexpr int rwBackEndDibSection = 2;
constexpr int rwBackEndWinG = 3;

// Options of the Windows devices (RwOpen option ids).
constexpr intptr_t rwOptionGamma = 2;
constexpr intptr_t rwOptionForcePlainDib = 1000;
constexpr intptr_t rwOptionPreferWinG = 1001;
constexpr intptr_t rwOptionSkipProbe = 1002;
constexpr intptr_t rwOptionWinGOrientation = 1003;

struct RwWindowsDeviceState {
  int versionClass;        // 0 unsupported, 1 NT family, 2 95 family, 3 Win32s
  int displayDepth;        // bits per pixel; 16 split into 15 or 16 by probing
  bool paletteDisplay;     // the display's raster capabilities include a palette
  intptr_t imageDepth;     // 8 or 16
  int backEnd;             // rwBackEnd*
  bool preferWinG;
  bool forcePlainDib;
  bool gammaFlag;          // gamma 2.2, else 1.0
  bool skipProbe;
  int wingOrientation;     // -1 top-down, 0 as recommended, 1 bottom-up
  bool backgroundPalette;  // select the logical palette as a background palette when showing
  HPALETTE palette;        // the logical palette (palette display only)
};
const RwWindowsDeviceState& RwGetWindowsDeviceState();

// The class of a version word: low byte major, next byte minor, high bit
// set for the non-NT families.
int RwClassifyWindowsVersion(DWORD version);

struct RwBackEndChoice {
  int backEnd;
  intptr_t imageDepth;
};
/*
 * RwChooseBackEnd --
 *   Forced plain DIB: plain DIB at depth 8. Else a preferred WinG that
 *   loads: WinG at 8. Else classes 1 and 2: DIB section, depth 16 on a
 *   display of 16 bits or more, else 8; class 3: WinG when it loads, else
 *   plain DIB, at 8. `loadWinG` is called only when WinG is wanted.
 */
RwBackEndChoice RwChooseBackEnd(int versionClass, int displayDepth, bool forcePlainDib, bool preferWinG,
                                int (*loadWinG)());

// Display depth of a 16-bit display: 16 when a white 16-bit pixel reads
// back as 0xFFFF, 15 otherwise, 16 when the probe cannot be made.
int RwProbeSixteenBitLayout();

// The devices' open routines (device table, engine/device.h).
int RwWindowsDeviceOpen(RwDeviceRecord* record, intptr_t reserved, intptr_t optionCount, RwOpenOption* options);
int RwWindowsWinGDeviceOpen(RwDeviceRecord* record, intptr_t reserved, intptr_t optionCount, RwOpenOption* options);

// The Windows devices' own control requests (word 44; the shared ones are
// in engine/device.h) and extended control (word 45).
constexpr intptr_t rwControlPlainDib = 1000;
constexpr intptr_t rwControlPlainDibToo = 1001;
constexpr intptr_t rwControlWinG = 1002;
constexpr intptr_t rwControlBackgroundPalette = 1003;
constexpr intptr_t rwExtendedStretch = 1000;
constexpr intptr_t rwExtendedBackgroundPalette = 1001;

// The buffer of extended request 1000: show the camera's image scaled to
// width x height (pointer-sized words).
struct RwStretchRequest {
  intptr_t width;
  intptr_t height;
  RwCamera* camera;
};

// ---- for the back-ends (engine/winimage.cpp)

// Installs the back-end's camera-image, show and colour-table slots.
void RwInstallWindowsBackEnd(RwDeviceRecord* record, int backEnd);
/*
 * RwReadWindowsBitmap --
 *   Device word 12: reads a platform bitmap (taken as 1, 4, 8 or 24 bits)
 *   row by row into the raster through the image reader's row converter,
 *   resampled to the texture size when flags holds 4.
 * Results:
 *   width x 65536 + height, or 0 on any failure.
 */
intptr_t RwReadWindowsBitmap(HBITMAP bitmap, intptr_t flags, RwRaster* raster);
// Sets the stretch size of a camera's image; 0 when it has no back-end record.
int RwSetCameraImageStretch(RwCamera* camera, intptr_t width, intptr_t height);
// The RGB of palette entries 10..245 as colour-table entries.
void RwEngineColourTable(RGBQUAD* table256);

#endif
