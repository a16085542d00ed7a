// engine/rectfill.cpp -- rectangle fills of the colour image and the z-buffer.
#include "engine/rectfill.h"

#include <cstring>

#include "engine/camera.h"
#include "engine/renderstate.h"

namespace {

constexpr intptr_t narrowRowBytes = 16;

void store32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }
void store16(uint8_t* at, uint16_t value) { std::memcpy(at, &value, sizeof value); }

// Stores width / 4 words; returns the address after them.
uint8_t* storeWords(uint8_t* at, intptr_t width, uint32_t pattern) {
  for (intptr_t i = 0; i < width / 4; ++i, at += 4) store32(at, pattern);
  return at;
}

void fill8Row(uint8_t* at, intptr_t width, uint32_t pattern) {
  const auto index = static_cast<uint8_t>(pattern);
  if (width > narrowRowBytes) {
    at = storeWords(at, width, pattern);
    for (intptr_t i = 0; i < (width & 3); ++i) at[i] = index;
  } else {
    std::memset(at, index, static_cast<size_t>(width));
  }
}

void fill16Row(uint8_t* at, intptr_t width, uint32_t pattern) {
  const auto pixel = static_cast<uint16_t>(pattern);
  if (width > narrowRowBytes) {
    at = storeWords(at, width, pattern);
    if ((width & 3) >= 2) store16(at, pixel);
  } else {
    for (intptr_t i = 0; i < width / 2; ++i) store16(at + 2 * i, pixel);
  }
}

template <typename FillRow>
void fillRows(uint8_t* row, intptr_t width, intptr_t rows, intptr_t stride, uint32_t pattern, FillRow fillRow) {
  if (width < 1 || rows < 1) return;
  for (intptr_t r = 0; r < rows; ++r, row += stride) fillRow(row, width, pattern);
}

intptr_t colourStride() { return rwRenderState.currentCamera->image.stride; }

}  // namespace

void RwRas8FillRect(uint8_t* const* start, intptr_t width, intptr_t rows, uint32_t pattern) {
  if (width < 1 || rows < 1) return;
  fillRows(*start, width, rows, colourStride(), pattern, fill8Row);
}

void RwRas16FillRect(uint8_t* const* start, intptr_t width, intptr_t rows, uint32_t pattern) {
  if (width < 1 || rows < 1) return;
  fillRows(*start, width, rows, colourStride(), pattern, fill16Row);
}

void RwClearZBufferRect(uint8_t* start, intptr_t width, intptr_t rows, intptr_t stride) {
  fillRows(start, width, rows, stride, 0, [](uint8_t* at, intptr_t bytes, uint32_t) {
    if (bytes > narrowRowBytes) {
      storeWords(at, bytes, 0);
    } else {
      for (intptr_t i = 0; i < bytes / 2; ++i) store16(at + 2 * i, 0);
    }
  });
}
