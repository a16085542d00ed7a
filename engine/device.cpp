// engine/device.cpp -- the device record, the device layer, and the null and
// recording devices.
#include "engine/device.h"

#include <bit>
#include <cstring>

#include "engine/camera.h"
#include "engine/devicestate.h"
#include "engine/error.h"
#include "engine/material.h"
#include "engine/path.h"
#include "engine/polygon.h"
#include "engine/rasters.h"
#include "engine/windevice.h"

RwDeviceRecord rwDeviceRecord = {};

namespace {

// Devices by name. The Windows display devices compare their names ignoring
// case.
const RwDeviceEntry deviceTable[] = {
    {"NullDevice", false, RwNullDeviceOpen},
    {"MetaDevice", false, RwMetaDeviceOpen},
    {"MSWindows", true, RwWindowsDeviceOpen},
    {"MSWindowsWinG", true, RwWindowsWinGDeviceOpen},
};

bool namesMatch(const RwDeviceEntry& entry, const char* name) {
  return entry.ignoreCase ? RwSameNameNoCase(entry.name, name) == 1 : std::strcmp(entry.name, name) == 0;
}

intptr_t answerControl(void* buffer, intptr_t size, int32_t answer) {
  return RwControlBufferHoldsAnswer(buffer, size) ? RwAnswerControl(buffer, answer) : 0;
}

// ---- colour values in 24-bit form: red, green, blue bytes at bits 24, 16, 8

uintptr_t colourTo24Bit(const uint16_t* rgb) {
  return (uintptr_t{rgb[0]} >> 8) << 24 | (uintptr_t{rgb[1]} >> 8) << 16 | (uintptr_t{rgb[2]} >> 8) << 8;
}

void colourFrom24Bit(uintptr_t value, uint16_t* rgb) {
  rgb[0] = static_cast<uint16_t>(((value >> 24) & 0xFF) << 8);
  rgb[1] = static_cast<uint16_t>(((value >> 16) & 0xFF) << 8);
  rgb[2] = static_cast<uint16_t>(((value >> 8) & 0xFF) << 8);
}

uintptr_t combineValueAndLevel(uintptr_t value, intptr_t level) { return value * 256 + level; }

// ---- the null device

constexpr intptr_t nullDeviceDepth = 8;
constexpr uintptr_t nullDeviceValue = 255;
constexpr intptr_t softwareMaxPolygonVertices = 32;

int nullCreateImage(RwCamera* camera, intptr_t width, intptr_t height) {
  camera->image.topRow = nullptr;
  camera->image.width = width;
  camera->image.height = height;
  camera->image.stride = 0;
  camera->image.rowTable = nullptr;
  return 1;
}

void nullCameraSlot(RwCamera*) {}
void nullBeginUpdate(RwCamera*, intptr_t) {}
void nullClearRect(RwCamera*, const RwRect*) {}
void nullDrawBackdropRect(RwCamera*, const RwRect*, intptr_t, intptr_t) {}
void nullClearDepthRect(const RwRect*) {}
void nullShowImage(RwCamera*, const RwRect*, HDC) {}
void nullClose() {}
intptr_t nullReadBitmap(HBITMAP, intptr_t, RwRaster*) { return 0; }
RwRaster* nullCopyImageToRaster(RwCamera*, RwRaster* raster) { return raster; }
intptr_t nullSetPaletteEntries(intptr_t, intptr_t, const uint8_t*) { return 0; }
intptr_t nullPaletteRequest(intptr_t, intptr_t, uint8_t*) { return 0; }
intptr_t nullNearestPaletteIndex(const intptr_t*) { return 0; }

RwRaster* nullConvertImage(RwRaster* image, intptr_t) {
  if (!image) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  return RwCreateRaster(image->width, image->height, nullDeviceDepth);
}

intptr_t nullControl(intptr_t request, void* buffer, intptr_t size) {
  switch (request) {
    case rwControlImageDepth:
      return answerControl(buffer, size, nullDeviceDepth);
    case rwControlPalettised:
    case rwControlPaletteDisplay:
      return answerControl(buffer, size, 0);
    default:
      return 0;
  }
}

intptr_t unsupportedExtendedControl(intptr_t, intptr_t, void*, intptr_t) {
  RwSetError(rwErrNotSupported);
  return 0;
}

// ---- the recording device

bool ownsImage(const RwCamera* camera) { return camera->descriptorMadeByDevice == 1; }

int metaCreateImage(RwCamera* camera, intptr_t width, intptr_t height) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  uintptr_t handle = reinterpret_cast<uintptr_t>(camera->descriptor);
  if (ownsImage(camera)) handle = devices.meta.createImage ? devices.meta.createImage(width, height) : 0;
  camera->image.handle = handle;
  if (!handle) return 0;
  if (devices.meta.describeImage) devices.meta.describeImage(handle, &camera->image);
  return 1;
}

void metaDestroyImage(RwCamera* camera) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  if (ownsImage(camera) && devices.meta.destroyImage) devices.meta.destroyImage(camera->image.handle);
}

void metaBeginUpdate(RwCamera* camera, intptr_t argument) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  if (devices.meta.beginUpdate) devices.meta.beginUpdate(camera->image.handle, argument);
}

void metaClearRect(RwCamera* camera, const RwRect* rect) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  if (devices.meta.clear) {
    devices.meta.clear(camera->image.handle, rect, static_cast<intptr_t>(camera->backgroundIndex));
  }
}

void metaEndUpdate(RwCamera* camera) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  if (devices.meta.endUpdate) devices.meta.endUpdate(camera->image.handle);
}

void metaShowImage(RwCamera* camera, const RwRect* rect, HDC windowDc) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  if (devices.meta.show) devices.meta.show(camera->image.handle, rect, windowDc);
}

void metaClose() { rwDeviceState().devices.meta = {}; }

RwMetaVertex metaVertex(const RwVertex* vertex, uintptr_t colour) {
  return {vertex->screenX, vertex->screenY, vertex->depth, vertex->u, vertex->v,
          static_cast<intptr_t>(colour) + (vertex->intensity[0] >> 16)};
}

// Hands the polygon over as the fan of triangles (0, i, i + 1); polygons
// reach this device as triangles, larger ones having been cut.
int metaDraw(RwPolygon* polygon, intptr_t geometryKind, intptr_t lightKind) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  if (!devices.meta.drawTriangle || polygon->vertexCount < 3) return 0;
  const RwMaterial* material = polygon->material;
  devices.metaDraw = {geometryKind, lightKind, polygon->intensity[0], material->texture};
  for (uint32_t i = 1; i + 1 < polygon->vertexCount; ++i) {
    RwMetaTriangle triangle = {{metaVertex(polygon->vertices[0], material->colour),
                                metaVertex(polygon->vertices[i], material->colour),
                                metaVertex(polygon->vertices[i + 1], material->colour)}};
    devices.meta.drawTriangle(&triangle);
  }
  return 1;
}

template <intptr_t geometryKind, intptr_t lightKind>
int metaDrawAs(RwPolygon* polygon) {
  return metaDraw(polygon, geometryKind, lightKind);
}

// Renderers without z-buffer of the pairs the recording device draws.
struct MetaRenderer {
  int pair;
  RwDrawEntry draw;
};
constexpr MetaRenderer metaRenderers[] = {
    {0, metaDrawAs<1, 1>}, {1, metaDrawAs<1, 2>}, {2, metaDrawAs<2, 1>}, {3, metaDrawAs<2, 2>},
    {4, metaDrawAs<3, 1>}, {5, metaDrawAs<3, 2>}, {8, metaDrawAs<3, 1>}, {9, metaDrawAs<3, 2>},
};

}  // namespace

const RwDeviceEntry* RwChooseDevice(const char* name) {
  if (!name) return nullptr;
  for (const RwDeviceEntry& entry : deviceTable) {
    if (namesMatch(entry, name)) return &entry;
  }
  return nullptr;
}

int RwDrawNothing(RwPolygon*) { return 0; }

bool RwControlBufferHoldsAnswer(const void* buffer, intptr_t size) {
  if (!buffer) {
    RwSetError(rwErrInvalidArgument);
    return false;
  }
  if (size < 4) {
    RwSetError(rwErrControlBuffer);
    return false;
  }
  return true;
}

intptr_t RwAnswerControl(void* buffer, int32_t answer) {
  std::memcpy(buffer, &answer, sizeof answer);
  return 1;
}

void RwDeviceReset() {}

int RwDeviceOpen(RwDeviceRecord* record, RwDeviceOpenRoutine open, intptr_t reserved, intptr_t optionCount,
                 RwOpenOption* options) {
  if (optionCount < 0) {
    RwSetError(rwErrBadCount);
    return 0;
  }
  if (optionCount > 0 && !options) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  *record = {};
  for (RwRendererPair& pair : record->renderers) pair = {RwDrawNothing, RwDrawNothing};
  record->maxPolygonVertices = 4;
  rwDeviceState().devices.gamma = RwDeviceState::DeviceModule::defaultGamma;
  if (!open) return 0;
  return open(record, reserved, optionCount, options);
}

void RwCallDeviceClose() {
  void (*close)() = rwDeviceRecord.close;
  rwDeviceRecord.close = nullptr;
  if (close) close();
}

int RwDeviceClose() {
  RwCallDeviceClose();
  rwDeviceRecord = {};
  return 1;
}

int RwSetGamma(float value) {
  if (!(value >= 1.0f)) {
    RwSetError(rwErrGamma);
    return 0;
  }
  rwDeviceState().devices.gamma = value;
  return 1;
}

float RwGetGamma() { return rwDeviceState().devices.gamma; }

int RwNullDeviceOpen(RwDeviceRecord* record, intptr_t, intptr_t, RwOpenOption*) {
  record->depth = nullDeviceDepth;
  record->deviceValue = nullDeviceValue;
  record->maxPolygonVertices = softwareMaxPolygonVertices;
  record->createCameraImage = nullCreateImage;
  record->destroyCameraImage = nullCameraSlot;
  record->beginUpdate = nullBeginUpdate;
  record->clearRect = nullClearRect;
  record->drawBackdropRect = nullDrawBackdropRect;
  record->clearDepthRect = nullClearDepthRect;
  record->convertImage = nullConvertImage;
  record->readBitmap = nullReadBitmap;
  record->copyImageToRaster = nullCopyImageToRaster;
  record->endUpdate = nullCameraSlot;
  record->showImage = nullShowImage;
  record->close = nullClose;
  record->colourToDeviceValue = colourTo24Bit;
  record->deviceValueToColour = colourFrom24Bit;
  record->combineValueAndLevel = combineValueAndLevel;
  record->control = nullControl;
  record->extendedControl = unsupportedExtendedControl;
  // Not named for this device; callable all the same so callers need no test.
  record->setPaletteEntries = nullSetPaletteEntries;
  record->paletteRequest = nullPaletteRequest;
  record->colourTableUpdate = nullCameraSlot;
  record->nearestPaletteIndex = nullNearestPaletteIndex;
  return 1;
}

int RwMetaDeviceOpen(RwDeviceRecord* record, intptr_t reserved, intptr_t, RwOpenOption*) {
  RwDeviceState::DeviceModule& devices = rwDeviceState().devices;
  const auto* callbacks = reinterpret_cast<const RwMetaCallbacks*>(reserved);
  if (!callbacks) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  devices.meta = *callbacks;
  record->deviceValue = devices.meta.deviceValue;
  record->maxPolygonVertices = 3;
  record->colourToDeviceValue = devices.meta.colourToDeviceValue;
  record->deviceValueToColour = devices.meta.deviceValueToColour;
  record->combineValueAndLevel = devices.meta.combineValueAndLevel;
  record->createCameraImage = metaCreateImage;
  record->destroyCameraImage = metaDestroyImage;
  record->beginUpdate = metaBeginUpdate;
  record->clearRect = metaClearRect;
  record->endUpdate = metaEndUpdate;
  record->showImage = metaShowImage;
  record->close = metaClose;
  for (const MetaRenderer& renderer : metaRenderers) record->renderers[renderer.pair].plain = renderer.draw;
  return 1;
}

const RwMetaDrawState* RwGetMetaDrawState() { return &rwDeviceState().devices.metaDraw; }
