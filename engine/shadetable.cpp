// engine/shadetable.cpp -- the shade and ramp tables of the software device,
// and its colour values.
#include "engine/shadetable.h"

#include <algorithm>
#include <cmath>

#include "engine/devicestate.h"
#include "engine/error.h"
#include "engine/palette.h"
#include "engine/pool.h"

namespace {

constexpr intptr_t shadeLevels = 32;
constexpr intptr_t rampRows = 145;

uint8_t* aligned256(void* block) {
  return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(block) + 255) & ~uintptr_t{255});
}

uint8_t nearestIndex(int red, int green, int blue) {
  const uint8_t rgb[3] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
  // With no palette octree the index reads as 255, as image conversion does.
  return static_cast<uint8_t>(findNearestPaletteIndex(rgb));
}

// Rows 0..23 darken the linearised palette colour toward black; rows 24..31
// lighten it toward white.
void buildShadeTable8() {
  uint8_t* const shade = rwDeviceState().shadeTables.shade;
  const uint8_t* linear = RwGammaTable();
  const RwPalette& palette = RwGetPalette();
  for (int level = 0; level < shadeLevels; ++level) {
    for (int p = 0; p < 256; ++p) {
      const int colour[3] = {linear[palette.red[p]], linear[palette.green[p]], linear[palette.blue[p]]};
      int shaded[3];
      for (int c = 0; c < 3; ++c) {
        if (level < 24) {
          const int factor = static_cast<int>(std::lround(256.0 * level / 24.0));
          shaded[c] = std::min(colour[c] * factor / 256, 255);
        } else {
          const int k = level - 24;
          const int keep = static_cast<int>(std::lround(256.0 * (1.0 - k / 8.0)));
          const int add = static_cast<int>(std::lround(65536.0 * k / 8.0));
          shaded[c] = std::min((colour[c] * keep + add) & ~255, 65535) / 256;
        }
      }
      shade[level * 256 + p] = nearestIndex(shaded[0], shaded[1], shaded[2]);
    }
  }
}

// Row 4h + s holds the 32 colours of hue h/36 and saturation (s + 1)/4,
// odd rows in reverse order; row 144 is the grey ramp.
void buildRampTable() {
  uint8_t* const ramp = rwDeviceState().shadeTables.ramp;
  for (int row = 0; row < rampRows; ++row) {
    const bool grey = row == rampRows - 1;
    const float hue = grey ? 0.0f : static_cast<float>(row / 4) / 36.0f;
    const float saturation = grey ? 0.0f : static_cast<float>(row % 4 + 1) / 4.0f;
    const bool reversed = !grey && (row % 4) % 2 == 1;
    for (int i = 0; i < 32; ++i) {
      uint8_t rgb[3] = {0, 0, 0};
      if (i < 24) {
        RwHsvToRgb(hue, saturation, static_cast<float>(i) / 30.0f, rgb);
      } else {
        const int k = i - 24;
        RwHsvToRgb(hue, saturation * (1.0f - static_cast<float>(k) / 8.0f), 0.8f + 0.025f * static_cast<float>(k), rgb);
      }
      ramp[row * 32 + (reversed ? 31 - i : i)] = nearestIndex(rgb[0], rgb[1], rgb[2]);
    }
  }
}

// Level n below 24 scales the channel by n / 23; from 24 it moves toward 31.
// Never 0 (the transparent texel) and never 31.
void buildShadeTable16() {
  uint8_t* const shade = rwDeviceState().shadeTables.shade;
  for (int level = 0; level < shadeLevels; ++level) {
    for (int c = 0; c < 32; ++c) {
      int value = level < 24 ? (2 * c * level + 23) / 46 : c + (level - 24) * (31 - c) / 7;
      value = value < 1 ? 1 : (value > 30 ? 30 : value);
      shade[level * 32 + c] = static_cast<uint8_t>(value);
    }
  }
}

void* allocBlock(intptr_t bytes) {
  void* block = RwEngineAlloc(static_cast<size_t>(bytes));
  if (!block) RwSetError(rwErrOutOfMemory);
  return block;
}

}  // namespace

int RwAllocShadeTables(intptr_t depth) {
  RwDeviceState::ShadeTableModule& tables = rwDeviceState().shadeTables;
  RwFreeShadeTables();
  if (depth == 8) {
    tables.shadeBlock = allocBlock(8448);
    tables.rampBlock = tables.shadeBlock ? allocBlock(4896) : nullptr;
    if (!tables.rampBlock) {
      RwFreeShadeTables();
      return 0;
    }
    tables.ramp = aligned256(tables.rampBlock);
  } else {
    tables.shadeBlock = allocBlock(1280);
    if (!tables.shadeBlock) return 0;
  }
  tables.shade = aligned256(tables.shadeBlock);
  tables.depth = depth;
  return 1;
}

RwShadeTables RwGetShadeTables() {
  RwDeviceState::ShadeTableModule& tables = rwDeviceState().shadeTables;
  return {tables.shade, tables.ramp, tables.expanded};
}

void RwBuildShadeTables() {
  RwDeviceState::ShadeTableModule& tables = rwDeviceState().shadeTables;
  if (!tables.shade) return;
  if (tables.depth == 8) {
    buildShadeTable8();
    buildRampTable();
  } else {
    buildShadeTable16();
  }
}

void RwFreeShadeTables() {
  RwDeviceState::ShadeTableModule& tables = rwDeviceState().shadeTables;
  RwEngineFree(tables.shadeBlock);
  RwEngineFree(tables.rampBlock);
  tables.shadeBlock = tables.rampBlock = nullptr;
  tables.shade = tables.ramp = nullptr;
  tables.depth = 0;
}

int RwBuildExpandedShadeTable() {
  RwDeviceState::ShadeTableModule& tables = rwDeviceState().shadeTables;
  RwFreeExpandedShadeTable();
  tables.expandedBlock = allocBlock(32 * 256 + 256);
  if (!tables.expandedBlock) return 0;
  tables.expanded = aligned256(tables.expandedBlock);
  for (int level = 0; level < shadeLevels; ++level) {
    for (int i = 0; i < 256; ++i) {
      tables.expanded[level * 256 + i] = static_cast<uint8_t>(tables.shade[level * 32 + i % 32] * 8);
    }
  }
  return 1;
}

void RwFreeExpandedShadeTable() {
  RwDeviceState::ShadeTableModule& tables = rwDeviceState().shadeTables;
  RwEngineFree(tables.expandedBlock);
  tables.expandedBlock = nullptr;
  tables.expanded = nullptr;
}

uintptr_t RwRampPosition(const uint16_t* rgb) {
  const int64_t r = rgb[0], g = rgb[1], b = rgb[2];
  const int64_t max = std::max({r, g, b});
  const int64_t min = std::min({r, g, b});
  const int64_t difference = max - min;
  const uintptr_t greyPosition = rwGreyRamp + static_cast<uintptr_t>(max * 31 / 65536);
  if (difference < 3276) return greyPosition;
  const int64_t saturation = (difference << 16) / max;  // 16.16
  int64_t hue;                                          // sixths, 16.16
  if (r == max) {
    hue = ((g - b) << 16) / difference;
  } else if (g == max) {
    hue = (2 << 16) + ((b - r) << 16) / difference;
  } else {
    hue = (4 << 16) + ((r - g) << 16) / difference;
  }
  if (hue < 0) hue += 6 << 16;
  if (hue >= 6 << 16) hue -= 6 << 16;
  const int64_t step = ((4 * saturation + 32768) >> 16) - 1;
  if (step < 0) return greyPosition;
  const int64_t hueStep = ((hue * 6) >> 16) % 36;
  const int64_t level = max * 24 / 65536;
  const int64_t row = (4 * hueStep + step) * 32;
  return static_cast<uintptr_t>(step % 2 == 0 ? row + level : row + 31 - level);
}

uintptr_t RwSoftwareColourValue(intptr_t depth, const uint16_t* rgb) {
  const uintptr_t r = rgb[0], g = rgb[1], b = rgb[2];
  const uintptr_t rgb565 = (r >> 11) << 11 | (g >> 10) << 5 | (b >> 11);
  if (depth == 15) return (r >> 11) << 10 | (g >> 11) << 5 | (b >> 11);
  if (depth == 8) return rgb565 << 16 | RwRampPosition(rgb);
  return rgb565;
}

void RwSoftwareValueColour(intptr_t depth, uintptr_t value, uint16_t* rgb) {
  if (depth == 15) {
    rgb[0] = static_cast<uint16_t>(((value >> 10) & 31) << 11);
    rgb[1] = static_cast<uint16_t>(((value >> 5) & 31) << 11);
    rgb[2] = static_cast<uint16_t>((value & 31) << 11);
    return;
  }
  const uintptr_t rgb565 = depth == 8 ? (value >> 16) & 0xFFFF : value & 0xFFFF;
  rgb[0] = static_cast<uint16_t>(((rgb565 >> 11) & 31) << 11);
  rgb[1] = static_cast<uint16_t>(((rgb565 >> 5) & 63) << 10);
  rgb[2] = static_cast<uint16_t>((rgb565 & 31) << 11);
}
