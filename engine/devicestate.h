// engine/devicestate.h -- what the open display device draws with
// (private to engine/).
//
// Owns the one record that holds the device layer's state: the gamma and the
// recording device's callbacks, the software renderers installed for the
// device's depth with their shade tables and depth buffer, the display
// devices' state, the optional WinG library, and the palette with its gamma
// tables. They live and die with the open device: the device open installs
// the renderers for its depth, which build the gamma and shade tables from
// the palette; camera images grow the depth buffer; closing the renderers
// frees the tables, the nearest-colour tree and the buffer.
// The record is defined in palette.cpp.
//
// Which module writes which member:
//   devices      device.cpp       the gamma and the recording device's callbacks and polygon
//   installed    drawslots.cpp    the installed depth, slope table, viewport rows, texture modes
//   shadeTables  shadetable.cpp   the shade, ramp and expanded shade tables
//   depthBuffer  depthbuffer.cpp  the depth buffer shared by every camera image
//   display      windevice.cpp    the display devices' state and the install's controls
//   winG         wingload.cpp     the loaded WinG library and its entries
//   palette      palette.cpp      the colours, the gamma tables, the nearest-colour tree
// It does not own the device record (rwDeviceRecord, engine/device.h) nor the
// rasteriser's target (engine/raster/rastertarget.h).
#ifndef LUMENFOLD_ENGINE_DEVICESTATE_H
#define LUMENFOLD_ENGINE_DEVICESTATE_H

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/depthbuffer.h"
#include "engine/device.h"
#include "engine/drawslots.h"
#include "engine/palette.h"
#include "engine/windevice.h"
#include "engine/wingload.h"

struct RwDeviceState {
  // The device layer's own state.
  struct DeviceModule {
    static constexpr float defaultGamma = std::bit_cast<float>(0x400E38DAu);  // 2.2222
    float gamma = defaultGamma;     // set by RwSetGamma, back to the default at each open
    RwMetaCallbacks meta = {};      // the program's callbacks of the recording device
    RwMetaDrawState metaDraw = {};  // the state of the polygon the recording device hands over
  } devices;

  // What the installed software device draws with.
  struct InstalledDevice {
    intptr_t depth = 0;                                         // 8, 15 or 16; 0 while none is installed
    int32_t* slopeBlock = nullptr;                              // the slope table's storage
    std::vector<uint8_t*> viewportRows;                         // the render target's row table
    RwTriangleRoutine textureModes[rwTextureModeEntries] = {};  // TextureModeTable
  } installed;

  // The tables, the blocks they sit in as allocated (each table starts at its
  // block's first 256-byte boundary), and the depth they were built for.
  struct ShadeTableModule {
    uint8_t* shade = nullptr;     // ShadeTable
    uint8_t* ramp = nullptr;      // ShadeRampTable
    uint8_t* expanded = nullptr;  // ExpandedShadeTable
    void* shadeBlock = nullptr;
    void* rampBlock = nullptr;
    void* expandedBlock = nullptr;
    intptr_t depth = 0;
  } shadeTables;

  RwDepthBuffer depthBuffer = {};

  // The display devices' state and the install's controls they fall back to.
  struct WindowsDeviceModule {
    // The install's control and extended control, which the device's own fall
    // back to.
    struct InstallControls {
      intptr_t (*control)(intptr_t, void*, intptr_t) = nullptr;
      intptr_t (*extendedControl)(intptr_t, intptr_t, void*, intptr_t) = nullptr;
    };
    RwWindowsDeviceState state = {};
    InstallControls fallback;
  } display;

  // The loaded library and the entries taken from it.
  struct LoadedWinG {
    HMODULE module = nullptr;
    RwWinGLibrary entries = {};
  } winG;

  // The palette module: the colours, the gamma tables, and the tree that
  // answers the nearest colour.
  struct PaletteModule {
    // The two gamma tables, built together from one gamma.
    struct GammaTables {
      uint8_t linearising[256];
      uint8_t encoding[256];
    };
    struct OctreeNode {
      std::vector<uint8_t> candidates;          // a leaf's palette indices
      std::unique_ptr<OctreeNode> children[8];  // all set on an interior node
      bool interior = false;
    };
    RwPalette colours = {};
    GammaTables gammaTables = {};
    std::unique_ptr<OctreeNode> octreeRoot;
  } palette;
};

RwDeviceState& rwDeviceState();

#endif
