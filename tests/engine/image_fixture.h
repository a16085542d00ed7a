// tests/engine/image_fixture.h -- small BMP and raster files built in memory.
#ifndef LUMENFOLD_TESTS_ENGINE_IMAGE_FIXTURE_H
#define LUMENFOLD_TESTS_ENGINE_IMAGE_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

namespace imagefixture {

inline void putLittle(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
inline void putBig(std::string* out, uint32_t value) {
  for (int i = 3; i >= 0; --i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A BMP with a 40-byte header. `rows` are top row first, each holding the
// pixel bytes as the file stores them (indices, or blue, green, red);
// palette entries are {red, green, blue}. Rows are padded here.
inline std::string bmp(int32_t width, int32_t height, int bitsPerPixel, const std::vector<std::string>& rows,
                       const std::vector<std::vector<uint8_t>>& palette = {}, bool topDown = false) {
  std::string pixels;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string& row = rows[topDown ? i : rows.size() - 1 - i];
    pixels += row;
    pixels.append((4 - row.size() % 4) % 4, '\0');
  }
  uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
  std::string out = "BM";
  putLittle(&out, offset + static_cast<uint32_t>(pixels.size()), 4);
  putLittle(&out, 0, 4);
  putLittle(&out, offset, 4);
  putLittle(&out, 40, 4);
  putLittle(&out, static_cast<uint32_t>(width), 4);
  putLittle(&out, static_cast<uint32_t>(topDown ? -height : height), 4);
  putLittle(&out, 1, 2);
  putLittle(&out, static_cast<uint32_t>(bitsPerPixel), 2);
  putLittle(&out, 0, 4);  // compression
  putLittle(&out, static_cast<uint32_t>(pixels.size()), 4);
  putLittle(&out, 0, 4);
  putLittle(&out, 0, 4);
  putLittle(&out, static_cast<uint32_t>(palette.size()), 4);
  putLittle(&out, 0, 4);
  for (const auto& entry : palette) {
    out.push_back(static_cast<char>(entry[2]));
    out.push_back(static_cast<char>(entry[1]));
    out.push_back(static_cast<char>(entry[0]));
    out.push_back('\0');
  }
  return out + pixels;
}

// A uniform-grey 24-bit BMP (a texture source of any size).
inline std::string greyBmp(int32_t width, int32_t height, uint8_t grey) {
  std::string row(static_cast<size_t>(width) * 3, static_cast<char>(grey));
  return bmp(width, height, 24, std::vector<std::string>(static_cast<size_t>(height), row));
}

// A raster file: header, map, then `data` as it is.
inline std::string ras(uint32_t width, uint32_t height, uint32_t depth, uint32_t type, uint32_t mapType,
                       const std::string& map, const std::string& data) {
  std::string out = "\x59\xA6\x6A\x95";
  for (uint32_t field : {width, height, depth, static_cast<uint32_t>(data.size()), type, mapType,
                         static_cast<uint32_t>(map.size())}) {
    putBig(&out, field);
  }
  return out + map + data;
}

}  // namespace imagefixture

#endif
