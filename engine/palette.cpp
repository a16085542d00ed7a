// engine/palette.cpp -- the engine palette, the gamma tables and the
// nearest palette colour.
#include "engine/palette.h"

#include <cmath>
#include <memory>
#include <vector>

#include "engine/device.h"
#include "engine/devicestate.h"

namespace {

// What the open device draws with (engine/devicestate.h). Defined here,
// where the nearest colour is looked up for every converted pixel.
RwDeviceState deviceState;

// ---- the octree

struct Box {
  int low[3];
  int high[3];  // exclusive
};

using OctreeNode = RwDeviceState::PaletteModule::OctreeNode;

constexpr int octreeDepthBudget = 8;
constexpr size_t largestScannedLeaf = 8;

// The linearised palette colour of an index.
void linearColour(int index, int* out) {
  RwDeviceState::PaletteModule& palette = deviceState.palette;
  out[0] = palette.gammaTables.linearising[palette.colours.red[index]];
  out[1] = palette.gammaTables.linearising[palette.colours.green[index]];
  out[2] = palette.gammaTables.linearising[palette.colours.blue[index]];
}

int octantOf(const Box& box, const uint8_t* rgb, Box* child) {
  int octant = 0;
  for (int c = 0; c < 3; ++c) {
    const int middle = (box.low[c] + box.high[c]) / 2;
    const bool upper = rgb[c] >= middle;
    if (upper) octant |= 1 << c;
    child->low[c] = upper ? middle : box.low[c];
    child->high[c] = upper ? box.high[c] : middle;
  }
  return octant;
}

Box octantBox(const Box& box, int octant) {
  Box child;
  for (int c = 0; c < 3; ++c) {
    const int middle = (box.low[c] + box.high[c]) / 2;
    const bool upper = octant & (1 << c);
    child.low[c] = upper ? middle : box.low[c];
    child.high[c] = upper ? box.high[c] : middle;
  }
  return child;
}

// The least (sign +1) or greatest (sign -1, negated) value over the box of
// |x - p|^2 - |x - q|^2; each channel's term is linear in x, so its extreme
// lies at a corner chosen by the sign of q - p.
int64_t extremeDifference(const Box& box, int p, int q, bool least) {
  int pc[3], qc[3];
  linearColour(p, pc);
  linearColour(q, qc);
  int64_t total = 0;
  for (int c = 0; c < 3; ++c) {
    const bool atLow = (qc[c] - pc[c] > 0) == least;
    const int64_t x = atLow ? box.low[c] : box.high[c] - 1;
    total += (x - pc[c]) * (x - pc[c]) - (x - qc[c]) * (x - qc[c]);
  }
  return total;
}

// Drops every candidate that another is at least as near as everywhere in
// the box; the last candidate takes a dropped one's place.
void pruneCandidates(const Box& box, std::vector<uint8_t>& list) {
  size_t i = 0;
  while (i < list.size()) {
    bool dropped = false;
    for (size_t j = list.size(); j-- > 0;) {
      if (j == i) continue;
      if (extremeDifference(box, list[i], list[j], true) >= 0) {  // q never farther than p
        list[i] = list.back();
        list.pop_back();
        dropped = true;
        break;
      }
      if (extremeDifference(box, list[i], list[j], false) <= 0) {  // p never farther than q
        const size_t last = list.size() - 1;
        list[j] = list.back();
        list.pop_back();
        if (last == i) i = j;  // p itself moved into q's place
      }
    }
    if (!dropped) ++i;
  }
  list.shrink_to_fit();
}

void splitLeaf(OctreeNode* node, const Box& box) {
  for (int octant = 0; octant < 8; ++octant) {
    auto child = std::make_unique<OctreeNode>();
    child->candidates = node->candidates;
    pruneCandidates(octantBox(box, octant), child->candidates);
    node->children[octant] = std::move(child);
  }
  node->candidates.clear();
  node->candidates.shrink_to_fit();
  node->interior = true;
}

int nearestOf(const std::vector<uint8_t>& candidates, const uint8_t* rgb) {
  int best = -1;
  int64_t bestDistance = 0;
  for (uint8_t index : candidates) {
    int colour[3];
    linearColour(index, colour);
    int64_t distance = 0;
    for (int c = 0; c < 3; ++c) distance += int64_t{rgb[c] - colour[c]} * (rgb[c] - colour[c]);
    if (best < 0 || distance < bestDistance) {
      best = index;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace

void RwHsvToRgb(float hue, float saturation, float value, uint8_t* rgb) {
  if (hue < 0.0f) hue = 0.0f;
  if (hue > 1.0f) hue = 1.0f;
  const int sector = static_cast<int>(hue * 6.0f);
  if (sector >= 6) return;
  const float f = hue * 6.0f - static_cast<float>(sector);
  const auto byte = [](float x) { return static_cast<uint8_t>(static_cast<int>(255.0f * x)); };
  const uint8_t v = byte(value);
  const uint8_t p = byte(value * (1.0f - saturation));
  const uint8_t q = byte(value * (1.0f - saturation * f));
  const uint8_t t = byte(value * (1.0f - saturation * (1.0f - f)));
  const uint8_t table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
  for (int c = 0; c < 3; ++c) rgb[c] = table[sector][c];
}

void RwBuildEnginePalette() {
  struct Ramp {
    int start;
    float hue;
    float saturation;
  };
  static constexpr Ramp ramps[] = {
      {208, 0.83333f, 1.0f}, {186, 0.66666f, 1.0f}, {164, 0.5f, 1.0f}, {142, 0.33333f, 0.5f},
      {120, 0.33333f, 1.0f}, {98, 0.16666f, 1.0f},  {76, 0.08333f, 1.0f}, {54, 0.0f, 0.5f},
      {32, 0.0f, 1.0f},      {10, 0.0f, 0.0f},
  };
  for (const Ramp& ramp : ramps) {
    for (int j = 0; j < 23; ++j) {
      uint8_t rgb[3] = {0, 0, 0};
      if (j < 17) {
        RwHsvToRgb(ramp.hue, ramp.saturation, static_cast<float>(j) * 0.047058824f, rgb);
      } else {
        const int k = j - 17;
        RwHsvToRgb(ramp.hue, ramp.saturation * (1.0f - static_cast<float>(k) / 6.0f),
                   0.8f + 0.033333f * static_cast<float>(k), rgb);
      }
      RwApplyGammaRGB2(rgb);
      RwSetPaletteColour(ramp.start + j, rgb);
    }
  }
}

void RwBuildGammaTables() {
  RwDeviceState::PaletteModule& palette = deviceState.palette;
  const double gamma = RwGetGamma();
  palette.gammaTables.linearising[0] = palette.gammaTables.encoding[0] = 0;
  for (int n = 1; n < 256; ++n) {
    const double x = n / 255.0;
    palette.gammaTables.linearising[n] = static_cast<uint8_t>(std::trunc(255.0 * std::pow(x, gamma) + 0.5));
    palette.gammaTables.encoding[n] = static_cast<uint8_t>(std::trunc(255.0 * std::pow(x, 1.0 / gamma) + 0.5));
  }
  std::vector<uint8_t> distinct;
  for (int index = rwFirstEnginePaletteEntry; index <= rwLastUsablePaletteEntry; ++index) {
    int colour[3];
    linearColour(index, colour);
    bool seen = false;
    for (uint8_t earlier : distinct) {
      int other[3];
      linearColour(earlier, other);
      seen = seen || (other[0] == colour[0] && other[1] == colour[1] && other[2] == colour[2]);
    }
    if (!seen) distinct.push_back(static_cast<uint8_t>(index));
  }
  buildPaletteOctree(static_cast<int>(distinct.size()), distinct.data());
}

const RwPalette& RwGetPalette() { return deviceState.palette.colours; }

void RwSetPaletteColour(int index, const uint8_t* rgb) {
  RwDeviceState::PaletteModule& palette = deviceState.palette;
  palette.colours.red[index] = rgb[0];
  palette.colours.green[index] = rgb[1];
  palette.colours.blue[index] = rgb[2];
}

const uint8_t* RwGammaTable() { return deviceState.palette.gammaTables.linearising; }
const uint8_t* RwGammaTable2() { return deviceState.palette.gammaTables.encoding; }

void RwApplyGammaRGB(uint8_t* rgb) {
  for (int c = 0; c < 3; ++c) rgb[c] = deviceState.palette.gammaTables.linearising[rgb[c]];
}

void RwApplyGammaRGB2(uint8_t* rgb) {
  for (int c = 0; c < 3; ++c) rgb[c] = deviceState.palette.gammaTables.encoding[rgb[c]];
}

int buildPaletteOctree(int count, const uint8_t* indices) {
  RwDeviceState::PaletteModule& palette = deviceState.palette;
  RwFreePaletteOctree();
  if (count < 1 || !indices) return 1;
  palette.octreeRoot = std::make_unique<OctreeNode>();
  palette.octreeRoot->candidates.assign(indices, indices + count);
  return 0;
}

int findNearestPaletteIndex(const uint8_t* rgb) {
  RwDeviceState::PaletteModule& palette = deviceState.palette;
  if (!palette.octreeRoot) return -1;
  OctreeNode* node = palette.octreeRoot.get();
  Box box = {{0, 0, 0}, {256, 256, 256}};
  int budget = octreeDepthBudget;
  while (true) {
    if (!node->interior) {
      if (node->candidates.size() <= largestScannedLeaf || budget == 0) break;
      splitLeaf(node, box);
    }
    Box child;
    node = node->children[octantOf(box, rgb, &child)].get();
    box = child;
    --budget;
  }
  return nearestOf(node->candidates, rgb);
}

void RwFreePaletteOctree() { deviceState.palette.octreeRoot.reset(); }

intptr_t RwFindNearestPaletteIndexSlot(const intptr_t* rgb) {
  const uint8_t bytes[3] = {static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2])};
  return findNearestPaletteIndex(bytes);
}

RwDeviceState& rwDeviceState() { return deviceState; }
