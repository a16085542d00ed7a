// engine/camera.h -- the camera record.
//
// Owns: the layout of `RwCamera`, the engine's point of view and its picture,
// and of `RwCameraImage`, the part of it that the display device owns (the
// device's create-image slot fills it, its destroy-image slot empties it).
// It does not own the device (engine/device.h) nor the backdrop raster.
#ifndef LUMENFOLD_ENGINE_CAMERA_H
#define LUMENFOLD_ENGINE_CAMERA_H

#include <cstdint>

#include "engine/matrix.h"

struct RwRaster;
struct RwUserDraw;

// The device-owned words of a camera's image.
struct RwCameraImage {
  uint8_t* topRow;      // first pixel of the top row, or null
  intptr_t width;       // pixels per row (display devices round up to 4)
  intptr_t height;      // rows
  intptr_t depth;       // bits per pixel
  intptr_t stride;      // bytes from a row to the next; negative when bottom-up
  uint8_t** rowTable;   // one pointer per row
  void* backEnd;        // the display device's own record
  uintptr_t handle;     // the recording device's image handle
  intptr_t deviceWords[2];
};

struct RwCamera {
  RwCamera* next;                  // camera list, newest first
  RwMatrix matrix;                 // camera to world: right, up, at, position
  float viewOffset[3];             // always zero
  int32_t viewport[4];             // x, y, width, height in image pixels
  float viewportScale[2];          // width x 65536.0, height x 65536.0
  float nearClipping;
  float farClipping;
  float inverseViewWindow[2];      // 1 / half width, 1 / half height
  uintptr_t backgroundColour;      // device colour value
  uintptr_t backgroundIndex;       // palette index 0..255
  RwRaster* backdrop;              // tiled behind the scene, or null
  int32_t backdropRect[4];         // viewport coordinates
  int32_t backdropOffset[2];       // raster coordinates at the rectangle's corner
  RwMatrix viewMatrix;             // world to normalised screen; changed = view stale
  RwCameraImage image;
  void* descriptor;                // bitmap descriptor given at creation, or made by the device
  uintptr_t descriptorMadeByDevice;  // 1: the camera owns its image
  RwUserDraw* userDrawQueue;
  uintptr_t damageShift;           // log2 of a damage unit's pixel size
  uint32_t damageMaskA[32];        // row r, bit c: cell damaged
  uint32_t damageMaskB[32];
  int32_t projection;              // 1 perspective, 2 parallel
  uintptr_t userData;
  int32_t changeStamp;
  uintptr_t flags;                 // bit 0: two-mask flag, from the device flags
};

#endif
