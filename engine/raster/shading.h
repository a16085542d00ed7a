// engine/raster/shading.h -- the colour of a point, outline or flat
// triangle from intensities and the material colour word.
//
// Owns: the table lookups that turn shade levels into a 15/16-bit pixel or
// an 8-bit palette index. It reads the tables the device set in
// rwRasterTarget and keeps no state. Levels are clamped to 0..31 first.
// It does not own the tables (engine/shadetable.h, engine/palette.h) nor the
// loops that write pixels (engine/raster/untextured.h, points.h).
#ifndef LUMENFOLD_ENGINE_RASTER_SHADING_H
#define LUMENFOLD_ENGINE_RASTER_SHADING_H

#include <cstdint>

#include "engine/raster/rastertarget.h"

namespace rwraster {

// Channels of a 5:6:5 colour word (green: the top five of its six bits).
inline uint32_t redChannel(uintptr_t colour) { return (colour >> 11) & 31; }
inline uint32_t greenChannel(uintptr_t colour) { return (colour >> 6) & 31; }
inline uint32_t blueChannel(uintptr_t colour) { return colour & 31; }

// ShadeTable entry: channel c (0..31) at the level of a 16.16 intensity.
inline uint32_t shadeChannel(uint32_t channel, int32_t intensity) {
  return rwRasterTarget.shadeTable[RwShadeLevel(intensity) * 32 + channel];
}

// The 16-bit pixel of a colour word lit by three 16.16 intensities; bit 5
// is always 0.
inline uint16_t shade16(uintptr_t colour, const int32_t* intensity) {
  return static_cast<uint16_t>(shadeChannel(redChannel(colour), intensity[0]) << 11 |
                               shadeChannel(greenChannel(colour), intensity[1]) << 6 |
                               shadeChannel(blueChannel(colour), intensity[2]));
}

// The ramp row (32 palette indices) that an 8-bit colour word selects.
inline const uint8_t* rampRow(uintptr_t colour) { return rwRasterTarget.shadeRampTable + (colour & 0xFFE0); }

// Level of a 16.16 red intensity in the colour's ramp: bit 5 of the colour
// word reverses it (31 - level).
inline int32_t rampIntensity(uintptr_t colour, int32_t red) {
  return (colour & 0x20) ? static_cast<int32_t>(0x1F0000 - static_cast<int64_t>(red)) : red;
}

// The palette index of a colour word at a 16.16 red intensity.
inline uint8_t shade8(uintptr_t colour, int32_t red) {
  return rampRow(colour)[RwShadeLevel(rampIntensity(colour, red))];
}

}  // namespace rwraster

#endif
