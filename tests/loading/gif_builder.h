// Builds small GIF files for the tests: a real LZW encoder (table growth up
// to 12 bits, no clear codes after the first), colour tables, a graphic
// control extension, a comment block, interlacing.
//
// Owns: only the bytes it returns; where they are written is the caller's.
// It does not check them against the reader (the tests do).
#ifndef LUMENFOLD_TESTS_LOADING_GIF_BUILDER_H
#define LUMENFOLD_TESTS_LOADING_GIF_BUILDER_H

#include <map>
#include <utility>
#include <vector>

#include "tests/loading/loading_fixture.h"

namespace loadingtest {

struct GifPicture {
  int width = 0, height = 0;
  std::vector<Rgb> globalTable;  // power of two entries, or empty
  std::vector<Rgb> localTable;   // power of two entries, or empty
  std::vector<unsigned char> pixels;  // display order, row 0 at the top
  bool interlaced = false;
  int transparent = -1;
  int minCodeSize = 8;
};

class BitPacker {
 public:
  void put(int code, int size) {
    buffer |= (unsigned long)code << count;
    count += size;
    while (count >= 8) {
      bytes.push_back((unsigned char)buffer);
      buffer >>= 8;
      count -= 8;
    }
  }
  std::vector<unsigned char> finish() {
    if (count > 0) bytes.push_back((unsigned char)buffer);
    return bytes;
  }

 private:
  std::vector<unsigned char> bytes;
  unsigned long buffer = 0;
  int count = 0;
};

inline std::vector<unsigned char> lzwEncode(const std::vector<unsigned char>& pixels, int minCodeSize) {
  const int clear = 1 << minCodeSize;
  int codeSize = minCodeSize + 1;
  int next = clear + 2;
  std::map<std::pair<int, int>, int> table;
  BitPacker out;
  out.put(clear, codeSize);
  int prefix = pixels[0];
  auto emit = [&](int code) {
    out.put(code, codeSize);
    // The decoder has one entry fewer than we have at this point.
    if (next >= (1 << codeSize) && codeSize < 12) codeSize++;
  };
  for (size_t i = 1; i < pixels.size(); i++) {
    auto key = std::make_pair(prefix, (int)pixels[i]);
    auto found = table.find(key);
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    emit(prefix);
    if (next < 4096) table[key] = next++;
    prefix = pixels[i];
  }
  emit(prefix);
  out.put(clear + 1, codeSize);
  return out.finish();
}

inline int tableBits(size_t entries) {
  int bits = 0;
  while ((2u << bits) < entries) bits++;
  return bits;
}

inline void putTable(std::vector<unsigned char>& gif, const std::vector<Rgb>& table) {
  for (const Rgb& c : table) gif.insert(gif.end(), {c.r, c.g, c.b});
}

inline std::vector<unsigned char> interlacedOrder(const GifPicture& p) {
  std::vector<unsigned char> rows;
  const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; pass++)
    for (int y = starts[pass]; y < p.height; y += steps[pass])
      rows.insert(rows.end(), p.pixels.begin() + y * p.width, p.pixels.begin() + (y + 1) * p.width);
  return rows;
}

inline std::vector<unsigned char> buildGif(const GifPicture& p) {
  std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a'};
  auto put16 = [&](int v) { gif.insert(gif.end(), {(unsigned char)v, (unsigned char)(v >> 8)}); };
  put16(p.width);
  put16(p.height);
  gif.push_back(p.globalTable.empty() ? 0x70 : (unsigned char)(0xF0 | tableBits(p.globalTable.size())));
  gif.insert(gif.end(), {0, 0});
  putTable(gif, p.globalTable);
  gif.insert(gif.end(), {'!', 0xFE, 3, 'h', 'i', '!', 0});  // a comment, skipped
  if (p.transparent >= 0) gif.insert(gif.end(), {'!', 0xF9, 4, 0x05, 10, 0, (unsigned char)p.transparent, 0});
  gif.push_back(',');
  put16(0);
  put16(0);
  put16(p.width);
  put16(p.height);
  unsigned char flags = p.interlaced ? 0x40 : 0;
  if (!p.localTable.empty()) flags |= (unsigned char)(0x80 | tableBits(p.localTable.size()));
  gif.push_back(flags);
  putTable(gif, p.localTable);
  gif.push_back((unsigned char)p.minCodeSize);
  std::vector<unsigned char> data = lzwEncode(p.interlaced ? interlacedOrder(p) : p.pixels, p.minCodeSize);
  for (size_t at = 0; at < data.size(); at += 255) {
    size_t n = std::min<size_t>(255, data.size() - at);
    gif.push_back((unsigned char)n);
    gif.insert(gif.end(), data.begin() + at, data.begin() + at + n);
  }
  gif.insert(gif.end(), {0, ';'});
  return gif;
}

}  // namespace loadingtest

#endif
