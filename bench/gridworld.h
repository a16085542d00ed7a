// bench/gridworld.h -- the standard benchmark grid world, written as a VRML
// file: an N x N grid of quads split into triangles over
// y = 0.3 sin 3x cos 3z on [-2, 2] x [-2, 2], seen by a camera and lit by
// one light, the same text as the project's gridworld.py writes.
//
// Owns only the writing; the file belongs to the caller.
#ifndef LUMENFOLD_BENCH_GRIDWORLD_H
#define LUMENFOLD_BENCH_GRIDWORLD_H

#include <cmath>
#include <cstdio>
#include <string>

// The x (or z) of grid column (row) i of n.
inline double gridX(long i, long n) { return -2 + 4.0 * static_cast<double>(i) / static_cast<double>(n); }
inline double waveY(double x, double z) { return 0.3 * std::sin(3 * x) * std::cos(3 * z); }

// Writes the grid of n x n quads to the path; false when it cannot be written.
inline bool writeGridWorld(const std::string& path, long n) {
  FILE* fp = std::fopen(path.c_str(), "w");
  if (fp == nullptr) return false;
  std::fputs("#VRML V1.0 ascii\nSeparator {\n", fp);
  std::fprintf(fp, "  PerspectiveCamera { position 0 0 0 orientation 1 0 0 -0.5235988 heightAngle %.7f }\n",
               2 * std::atan(0.5625));
  std::fputs("  DirectionalLight { direction 0 0 -1 }\n", fp);
  std::fputs("  Material { diffuseColor 0.8 0.6 0.3 }\n  Translation { translation 0 -1 -5 }\n", fp);
  std::fputs("  Coordinate3 { point [\n", fp);
  for (long j = 0; j <= n; ++j) {
    std::fputs("    ", fp);
    for (long i = 0; i <= n; ++i) {
      const double x = gridX(i, n), z = gridX(j, n);
      std::fprintf(fp, "%s%.5f %.5f %.5f", i ? ", " : "", x, waveY(x, z), z);
    }
    std::fputs(",\n", fp);
  }
  std::fputs("  ] }\n  IndexedFaceSet { coordIndex [\n", fp);
  for (long j = 0; j < n; ++j) {
    std::fputs("    ", fp);
    for (long i = 0; i < n; ++i) {
      const long a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
      std::fprintf(fp, "%s%ld, %ld, %ld, -1, %ld, %ld, %ld, -1", i ? ", " : "", a, c, b, b, c, d);
    }
    std::fputs(",\n", fp);
  }
  std::fputs("  ] }\n}\n", fp);
  return std::fclose(fp) == 0;
}

#endif
