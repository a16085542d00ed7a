// loading/rescale.cpp -- area-averaging rescaling; see rescale.h.
//
// Positions along an axis are counted in weight units: source pixel i
// covers [i * W, (i + 1) * W), target pixel j covers [start[j], start[j+1]).
// A target pixel sums, over the source pixels it overlaps, overlap in x
// times overlap in y times the channel, and divides once by its span in x
// times its span in y. Growing, a target pixel overlaps one or two source
// pixels per axis; shrinking, many; the same sums serve both.
#include "loading/rescale.h"

#include "core/memory.h"
#include "core/report.h"

namespace {

// Largest span product whose channel sums (times 255) stay within int64.
constexpr uint64_t kMaxSpanProduct = 1ull << 54;

int readPalette(const ZmPixelAccess* access, const unsigned char* pixel, unsigned char color[3]) {
  if (*pixel >= access->mapEntries) return -1;
  const unsigned char* entry = access->colormap + (size_t)*pixel * access->entrySize;
  color[0] = entry[0];
  color[1] = entry[1];
  color[2] = entry[2];
  return 0;
}

// 5-5-5 little-endian: bytes {blue, green, red}.
int read555(const ZmPixelAccess*, const unsigned char* pixel, unsigned char color[3]) {
  unsigned v = pixel[0] | (pixel[1] << 8);
  color[0] = (unsigned char)((v & 31) << 3);
  color[1] = (unsigned char)((v & 0x3E0) >> 2);
  color[2] = (unsigned char)((v & 0x7C00) >> 7);
  return 0;
}

int readThreeBytes(const ZmPixelAccess*, const unsigned char* pixel, unsigned char color[3]) {
  color[0] = pixel[0];
  color[1] = pixel[1];
  color[2] = pixel[2];
  return 0;
}

// The first of equally near entries wins.
void writeNearest(const ZmPixelAccess* access, const unsigned char color[3], unsigned char* pixel) {
  int32_t best = 195075;
  int32_t bestIndex = 0;
  for (int32_t i = 0; i < access->mapEntries; i++) {
    const unsigned char* entry = access->colormap + (size_t)i * access->entrySize;
    int32_t distance = 0;
    for (int c = 0; c < 3; c++) distance += (entry[c] - color[c]) * (entry[c] - color[c]);
    if (distance < best) {
      best = distance;
      bestIndex = i;
    }
  }
  *pixel = (unsigned char)bestIndex;
}

void writeThreeBytes(const ZmPixelAccess*, const unsigned char color[3], unsigned char* pixel) {
  pixel[0] = color[0];
  pixel[1] = color[1];
  pixel[2] = color[2];
}

// Each routine's own messages; rowFailed is null for those without one.
struct RoutineTexts {
  const char* sumsNoMemory;
  const char* tableNoMemory;
  const char* failed;
  const char* rowFailed;
};

const RoutineTexts enlargeTexts = {"zmEnlargeImage : cannot allocate memory.\n",
                                   "zmEnlargeImage : cannot allocate memory.\n",
                                   "zmEnlargeImage : failed to enlarge image.\n", nullptr};
const RoutineTexts stretchXTexts = {"zmStretchImageX : cannot allocate memory.\n",
                                    "zmStretchImageX : cannot allocate memory.\n",
                                    "zmStretchImageX : failed to stretch image in x-direction.\n",
                                    "zmStretchImageXRow : failed to add intensities of src image row.\n"};
const RoutineTexts stretchYTexts = {"zmStretchImageY : cannot allocate memory\n",
                                    "zmStretchImageY : cannot allocate memory\n",
                                    "zmStretchImageY : failed to stretch image in y-direction.\n", nullptr};
const RoutineTexts shrinkTexts = {"zmShrinkImage : cannot allocate memory.\n",
                                  "zmShrinkImage : cannot allocate memory\n",
                                  "zmShrinkImage : failed to shrink image.\n",
                                  "zmShrinkImageRow : failed to add intensities of a src image row.\n"};

/*
 * Fills starts[0..count] with the target pixels' boundaries: span q, plus
 * one when the error term (from r, growing by r) has reached count.
 * Returns false unless the spans add up to sourceCount * W.
 */
bool buildSpans(int64_t* starts, int32_t count, int32_t q, int32_t r, int32_t sourceCount, int32_t unitWeight) {
  int64_t error = r;
  starts[0] = 0;
  for (int32_t j = 0; j < count; j++) {
    int64_t span = q;
    if (error >= count) {
      span++;
      error -= count;
    }
    error += r;
    starts[j + 1] = starts[j] + span;
  }
  return starts[count] == (int64_t)sourceCount * unitWeight;
}

struct Resampler {
  const unsigned char* source;
  unsigned char* target;
  const ZmRescaleGeometry* g;
  const ZmPixelAccess* access;
  int64_t* columnStarts;  // dstWidth + 1
  int64_t* rowStarts;     // dstHeight + 1
  int64_t* sums;          // three per target column
};

// Adds source row `sy` with row weight `wy` into the channel sums.
int addSourceRow(Resampler* r, int32_t sy, int64_t wy) {
  const ZmRescaleGeometry* g = r->g;
  int64_t w = g->unitWeight;
  const unsigned char* row = r->source + (size_t)sy * g->srcWidth * g->srcBytes;
  for (int32_t j = 0; j < g->dstWidth; j++) {
    int64_t begin = r->columnStarts[j], end = r->columnStarts[j + 1];
    for (int64_t sx = begin / w; sx < g->srcWidth && sx * w < end; sx++) {
      int64_t wx = (end < (sx + 1) * w ? end : (sx + 1) * w) - (begin > sx * w ? begin : sx * w);
      if (wx <= 0) continue;
      unsigned char color[3];
      if ((*r->access->readPixel)(r->access, row + (size_t)sx * g->srcBytes, color) != 0) return -1;
      for (int c = 0; c < 3; c++) r->sums[3 * j + c] += wx * wy * color[c];
    }
  }
  return 0;
}

int resampleRow(Resampler* r, int32_t y, const RoutineTexts* texts) {
  const ZmRescaleGeometry* g = r->g;
  int64_t w = g->unitWeight;
  for (int32_t i = 0; i < 3 * g->dstWidth; i++) r->sums[i] = 0;
  int64_t begin = r->rowStarts[y], end = r->rowStarts[y + 1];
  for (int64_t sy = begin / w; sy < g->srcHeight && sy * w < end; sy++) {
    int64_t wy = (end < (sy + 1) * w ? end : (sy + 1) * w) - (begin > sy * w ? begin : sy * w);
    if (wy <= 0) continue;
    if (addSourceRow(r, (int32_t)sy, wy) != 0) {
      if (texts->rowFailed != nullptr) zmReportWarning("%s", texts->rowFailed);
      return -1;
    }
  }
  unsigned char* out = r->target + (size_t)y * g->dstWidth * g->dstBytes;
  int64_t ySpan = end - begin;
  for (int32_t j = 0; j < g->dstWidth; j++) {
    int64_t area = (r->columnStarts[j + 1] - r->columnStarts[j]) * ySpan;
    unsigned char color[3];
    for (int c = 0; c < 3; c++) color[c] = (unsigned char)(r->sums[3 * j + c] / area);
    (*r->access->writePixel)(r->access, color, out + (size_t)j * g->dstBytes);
  }
  return 0;
}

bool geometryIsSound(const ZmRescaleGeometry* g) {
  if (g->srcWidth < 1 || g->srcHeight < 1 || g->dstWidth < 1 || g->dstHeight < 1 || g->unitWeight < 1) return false;
  if (g->qx < 0 || g->qy < 0 || g->rx < 0 || g->ry < 0 || g->rx >= g->dstWidth || g->ry >= g->dstHeight) return false;
  if (g->qx == 0 && g->rx == 0) return false;
  if (g->qy == 0 && g->ry == 0) return false;
  return ((uint64_t)g->qx + 1) * ((uint64_t)g->qy + 1) <= kMaxSpanProduct;
}

int resample(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* g,
             const ZmPixelAccess* access, const RoutineTexts* texts) {
  if (!geometryIsSound(g)) {
    zmReportWarning("%s", texts->failed);
    return -1;
  }
  Resampler r = {source, target, g, access, nullptr, nullptr, nullptr};
  r.sums = (int64_t*)zmMalloc(sizeof(int64_t) * 3 * (size_t)g->dstWidth);
  if (r.sums == nullptr) {
    zmReportWarning("%s", texts->sumsNoMemory);
    return -1;
  }
  r.columnStarts = (int64_t*)zmMalloc(sizeof(int64_t) * ((size_t)g->dstWidth + 1));
  r.rowStarts = (int64_t*)zmMalloc(sizeof(int64_t) * ((size_t)g->dstHeight + 1));
  int result = 0;
  if (r.columnStarts == nullptr || r.rowStarts == nullptr) {
    zmReportWarning("%s", texts->tableNoMemory);
    result = -1;
  } else if (!buildSpans(r.columnStarts, g->dstWidth, g->qx, g->rx, g->srcWidth, g->unitWeight) ||
             !buildSpans(r.rowStarts, g->dstHeight, g->qy, g->ry, g->srcHeight, g->unitWeight)) {
    zmReportWarning("%s", texts->failed);
    result = -1;
  } else {
    for (int32_t y = 0; y < g->dstHeight && result == 0; y++) result = resampleRow(&r, y, texts);
    if (result != 0) zmReportWarning("%s", texts->failed);
  }
  zmFree(r.sums);
  zmFree(r.columnStarts);
  zmFree(r.rowStarts);
  return result;
}

}  // namespace

int zmEnlargeImage(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                   const ZmPixelAccess* access) {
  return resample(source, target, geometry, access, &enlargeTexts);
}

int zmStretchImageX(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                    const ZmPixelAccess* access) {
  return resample(source, target, geometry, access, &stretchXTexts);
}

int zmStretchImageY(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                    const ZmPixelAccess* access) {
  return resample(source, target, geometry, access, &stretchYTexts);
}

int zmShrinkImage(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                  const ZmPixelAccess* access) {
  return resample(source, target, geometry, access, &shrinkTexts);
}

int zmRescaleImage(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                   const unsigned char* colormap, int32_t mapEntries, unsigned char entrySize) {
  if (target == nullptr) {
    zmReportWarning("zmRescaleImage : NULL pointer for output image buffer.\n");
    return -1;
  }
  ZmPixelAccess access = {colormap, mapEntries, entrySize, nullptr, nullptr};
  switch (geometry->srcBytes) {
    case 1: access.readPixel = readPalette; break;
    case 2: access.readPixel = read555; break;
    case 3:
    case 4: access.readPixel = readThreeBytes; break;
  }
  switch (geometry->dstBytes) {
    case 1: access.writePixel = writeNearest; break;
    case 3: access.writePixel = writeThreeBytes; break;
  }
  bool needsMap = geometry->srcBytes == 1 || geometry->dstBytes == 1;
  bool mapUsable = colormap != nullptr && mapEntries > 0 && entrySize >= 3;
  int result = -1;
  if (source != nullptr && access.readPixel != nullptr && access.writePixel != nullptr && (!needsMap || mapUsable)) {
    bool wider = geometry->dstWidth >= geometry->srcWidth;
    bool taller = geometry->dstHeight >= geometry->srcHeight;
    if (wider && taller) {
      result = zmEnlargeImage(source, target, geometry, &access);
    } else if (wider) {
      result = zmStretchImageX(source, target, geometry, &access);
    } else if (taller) {
      result = zmStretchImageY(source, target, geometry, &access);
    } else {
      result = zmShrinkImage(source, target, geometry, &access);
    }
  }
  if (result != 0) zmReportWarning("zmRescaleImage : failed to rescale image.\n");
  return result;
}
