// avatarpics -- draws the pictures of the avatars that the program ships
// ("person.bmp", "boy.bmp", "girl.bmp") into a folder, as 24-bit BMP files.
//
//   avatarpics FOLDER
//
// Each picture is a small figure in its avatar's colours on black, the
// background of the avatar chooser: a head over a body, the body a column
// for the person and the boy and a widening skirt for the girl. The boy is
// drawn shorter. The build runs it; nothing else writes these files.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 64;

struct Rgb {
  uint8_t r, g, b;
};

struct Figure {
  const char* file;
  Rgb body;
  Rgb head;
  double height;  // share of the picture's height the figure fills
  bool skirt;     // the body widens towards the feet
};

constexpr Figure kFigures[] = {
    {"person.bmp", {51, 102, 204}, {230, 191, 153}, 0.9, false},
    {"boy.bmp", {51, 153, 77}, {230, 191, 153}, 0.72, false},
    {"girl.bmp", {217, 77, 128}, {242, 204, 166}, 0.9, true},
};

// Rows top first; the picture's x runs 0..kWidth-1.
using Picture = std::vector<Rgb>;

void draw(const Figure& figure, Picture* picture) {
  const double cx = (kWidth - 1) / 2.0;
  const double total = figure.height * kHeight;
  const double feet = kHeight - 2.0;
  const double headRadius = total * 0.13;
  const double headCentre = feet - total + headRadius;
  const double bodyTop = headCentre + headRadius + 1.0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double dx = x - cx, dy = y - headCentre;
      Rgb& pixel = (*picture)[static_cast<size_t>(y * kWidth + x)];
      if (dx * dx + dy * dy <= headRadius * headRadius) {
        pixel = figure.head;
      } else if (y >= bodyTop && y <= feet) {
        const double along = (y - bodyTop) / (feet - bodyTop);
        const double halfWidth = figure.skirt ? 3.0 + along * 9.0 : 6.0;
        if (std::fabs(dx) <= halfWidth) pixel = figure.body;
      }
    }
  }
}

void put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>* out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// A bottom-up 24-bit BMP: file header, 40-byte info header, rows padded to
// four bytes, each pixel blue, green, red.
std::vector<uint8_t> encode(const Picture& picture) {
  const uint32_t rowBytes = (kWidth * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * kHeight;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put32(&out, 14 + 40 + imageBytes);
  put32(&out, 0);
  put32(&out, 14 + 40);
  put32(&out, 40);
  put32(&out, kWidth);
  put32(&out, kHeight);
  put16(&out, 1);
  put16(&out, 24);
  put32(&out, 0);
  put32(&out, imageBytes);
  put32(&out, 2835);
  put32(&out, 2835);
  put32(&out, 0);
  put32(&out, 0);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb& p = picture[static_cast<size_t>(y * kWidth + x)];
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (uint32_t pad = kWidth * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: avatarpics FOLDER\n");
    return 2;
  }
  for (const Figure& figure : kFigures) {
    Picture picture(static_cast<size_t>(kWidth * kHeight), Rgb{0, 0, 0});
    draw(figure, &picture);
    const std::vector<uint8_t> bytes = encode(picture);
    const std::string path = std::string(argv[1]) + "/" + figure.file;
    FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr && std::fclose(file) != 0) written = false;
    if (!written) {
      std::fprintf(stderr, "avatarpics: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
