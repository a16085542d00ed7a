// engine/device.h -- the device record, the device layer, and the null and
// recording devices.
//
// Owns: the one process-wide device record `RwDeviceRecord` that the chosen
// device fills when the library opens (limits, colour conversion, camera-image
// slots and the 12 renderer pairs), the table of devices by name, the device
// layer's reset, open and close, the gamma value, the null device
// ("NullDevice": draws nothing) and the recording device ("MetaDevice":
// forwards to a table of callbacks the application gives at open).
// It does not own cameras, rasters or polygons: slots receive them.
//
// Every word of the record is pointer-sized; colours handed to a device are
// three 16-bit words (0..65535, the high byte being the 8-bit value).
#ifndef LUMENFOLD_ENGINE_DEVICE_H
#define LUMENFOLD_ENGINE_DEVICE_H

#include <cstdint>

#include "platform/wintypes.h"

struct RwCamera;
struct RwCameraImage;
struct RwClump;
struct RwPolygon;
struct RwRaster;
struct RwTexture;

// A draw entry: one polygon in, 1 drawn or 0 (draw routines never fail).
typedef int (*RwDrawEntry)(RwPolygon* polygon);

// Rectangles in pixels.
struct RwRect {
  int32_t x, y, width, height;
};

// An option pair of RwOpen. The device rewrites the id of every option it
// recognises to rwOptionRecognised.
struct RwOpenOption {
  intptr_t id;
  intptr_t value;
};
constexpr intptr_t rwOptionRecognised = 1;

struct RwRendererPair {
  RwDrawEntry plain;          // without depth-buffer
  RwDrawEntry depthBuffered;  // with depth-buffer
};
constexpr int rwRendererPairs = 12;

struct RwDeviceRecord {
  intptr_t depth;               // bits per pixel of the device image: 8, 15 or 16
  uintptr_t deviceValue;        // for the application; the engine never reads it
  intptr_t maxPolygonVertices;  // larger polygons are cut before they reach a renderer
  uintptr_t flags;              // bit 0 is copied into every new camera
  int (*createCameraImage)(RwCamera* camera, intptr_t width, intptr_t height);
  void (*destroyCameraImage)(RwCamera* camera);
  void (*beginUpdate)(RwCamera* camera, intptr_t argument);
  void (*clearRect)(RwCamera* camera, const RwRect* rect);
  // Copies the source rectangle of the camera's backdrop to (x, y) of the image.
  void (*drawBackdropRect)(RwCamera* camera, const RwRect* source, intptr_t x, intptr_t y);
  void (*clearDepthRect)(const RwRect* rect);
  void (*clumpRenderHook)(RwClump* clump);  // optional
  RwRaster* (*convertImage)(RwRaster* image, intptr_t flags);
  // Width x 65536 + height of what was read, or 0.
  intptr_t (*readBitmap)(HBITMAP bitmap, intptr_t flags, RwRaster* raster);
  RwRaster* (*copyImageToRaster)(RwCamera* camera, RwRaster* raster);
  RwRendererPair renderers[rwRendererPairs];
  void (*endUpdate)(RwCamera* camera);
  void (*showImage)(RwCamera* camera, const RwRect* rect, HDC windowDc);
  void (*close)();
  uintptr_t (*colourToDeviceValue)(const uint16_t* rgb);
  void (*deviceValueToColour)(uintptr_t value, uint16_t* rgb);
  uintptr_t (*combineValueAndLevel)(uintptr_t value, intptr_t level);
  // 1 handled (answer written to the buffer), 0 not.
  intptr_t (*control)(intptr_t request, void* buffer, intptr_t size);
  intptr_t (*extendedControl)(intptr_t request, intptr_t value, void* buffer, intptr_t size);
  void (*rasterReleaseHook)(RwRaster* raster);  // optional
  // Entries of four bytes: red, green, blue and a flags byte.
  intptr_t (*setPaletteEntries)(intptr_t first, intptr_t count, const uint8_t* entries);
  intptr_t (*paletteRequest)(intptr_t first, intptr_t count, uint8_t* out);
  void (*colourTableUpdate)(RwCamera* camera);
  // Palette index nearest to the colour bytes r, g, b.
  intptr_t (*nearestPaletteIndex)(const intptr_t* rgb);
};

// The current device; valid from a successful device open to the close.
extern RwDeviceRecord rwDeviceRecord;

// A device's open: fills the record; 1 or 0.
typedef int (*RwDeviceOpenRoutine)(RwDeviceRecord* record, intptr_t reserved, intptr_t optionCount,
                                   RwOpenOption* options);

struct RwDeviceEntry {
  const char* name;
  bool ignoreCase;  // the Windows devices' names compare ignoring case
  RwDeviceOpenRoutine open;  // null: the device is not available in this build
};

// The table entry for a device name, or null when no device has that name.
const RwDeviceEntry* RwChooseDevice(const char* name);

// Control requests (word 44) that every device may answer; the Windows
// devices add their own (engine/windevice.h).
constexpr intptr_t rwControlImageDepth = 1;
constexpr intptr_t rwControlPalettised = 2;
constexpr intptr_t rwControlPaletteDisplay = 3;
constexpr intptr_t rwControlPaletteHandle = 4;
constexpr intptr_t rwControlPaletteSize = 5;
constexpr intptr_t rwControlFirstEngineEntry = 6;
constexpr intptr_t rwControlLastEngineEntry = 7;

// Whether a control request's buffer can take a 4-byte answer; when not,
// error 1 (no buffer) or 70 (under 4 bytes) is set.
bool RwControlBufferHoldsAnswer(const void* buffer, intptr_t size);
// Writes the 4-byte answer into a buffer that holds it; returns 1 (handled).
intptr_t RwAnswerControl(void* buffer, int32_t answer);

// The draw-nothing routine every renderer word starts as (returns 0).
int RwDrawNothing(RwPolygon* polygon);

void RwDeviceReset();
/*
 * RwDeviceOpen --
 *   Prepares the record (every renderer the draw-nothing routine, at most 4
 *   polygon vertices, gamma 2.2222, every other slot cleared) and runs the
 *   device's open routine.
 * Results:
 *   The routine's result; 0 with error 11 for a negative option count, with
 *   error 1 for options counted but not given, and 0 without an error when
 *   the device is not available.
 */
int RwDeviceOpen(RwDeviceRecord* record, RwDeviceOpenRoutine open, intptr_t reserved, intptr_t optionCount,
                 RwOpenOption* options);
// Calls the device's close slot once (a second call finds it cleared).
void RwCallDeviceClose();
// Calls the close slot if it is still set and clears the record; returns 1.
int RwDeviceClose();

// Gamma used by image conversion; a value below 1 is error 77 (kept as it was).
int RwSetGamma(float gamma);
float RwGetGamma();

int RwNullDeviceOpen(RwDeviceRecord* record, intptr_t reserved, intptr_t optionCount, RwOpenOption* options);

// The triangle the recording device hands to the application: per vertex
// x, y (16.16 screen), the depth word, u, v (16.16 texture coordinates) and
// the material's colour value plus the integer part of the red intensity.
struct RwMetaVertex {
  intptr_t x, y, z, u, v, colour;
};
struct RwMetaTriangle {
  RwMetaVertex vertices[3];
};

// The recording device's callback table, given as the reserved word of
// RwOpen. Image callbacks receive the camera's image handle.
struct RwMetaCallbacks {
  uintptr_t deviceValue;
  uintptr_t (*createImage)(intptr_t width, intptr_t height);  // -> handle, 0 on failure
  void (*describeImage)(uintptr_t handle, RwCameraImage* description);
  void (*destroyImage)(uintptr_t handle);
  uintptr_t (*colourToDeviceValue)(const uint16_t* rgb);
  void (*deviceValueToColour)(uintptr_t value, uint16_t* rgb);
  uintptr_t (*combineValueAndLevel)(uintptr_t value, intptr_t level);
  void (*beginUpdate)(uintptr_t handle, intptr_t argument);
  void (*clear)(uintptr_t handle, const RwRect* rect, intptr_t backgroundIndex);
  void (*drawTriangle)(const RwMetaTriangle* triangle);
  void (*endUpdate)(uintptr_t handle);
  void (*show)(uintptr_t handle, const RwRect* rect, HDC windowDc);
};

// What the recording device keeps beside each triangle it hands over, for
// the draw-triangle callback to read: geometry kind (1 points, 2 outline,
// 3 filled), light kind (1 flat, 2 per vertex), the polygon's red intensity
// (16.16) and the material's texture.
struct RwMetaDrawState {
  intptr_t geometryKind;
  intptr_t lightKind;
  intptr_t redIntensity;
  RwTexture* texture;
};
const RwMetaDrawState* RwGetMetaDrawState();

int RwMetaDeviceOpen(RwDeviceRecord* record, intptr_t reserved, intptr_t optionCount, RwOpenOption* options);

#endif
