// fuzz/engine_image.cpp -- a BMP or raster file through the engine's image
// reader, kept as decoded and resampled to the texture size, with the
// engine open on the null device.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/imagefile.h"
#include "engine/library.h"
#include "engine/rasters.h"
#include "fuzz/harness.h"

namespace {

constexpr intptr_t keepDecoded = 8;
constexpr intptr_t keepResampled = 8 | 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::writeInput("image", data, size);
  RwGetAndClearError();
  if (!RwOpenDefault("NullDevice", 0)) std::abort();
  for (intptr_t flags : {keepDecoded, keepResampled}) {
    if (RwRaster* raster = RwReadImage(path.c_str(), flags, 0)) RwDestroyRaster(raster);
  }
  RwClose();
  RwGetAndClearError();
  fuzz::clearPrivateFolder();
  return 0;
}
