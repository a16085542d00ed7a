// Shape files: telling the formats apart, ASCII geometry with its comments
// and per-polygon materials, binary geometry with and without a version tag,
// and the refusals of bad headers, indices and polygon sizes.
#include "engine/shapefile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/clump.h"
#include "engine/library.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "shape_fixture.h"

namespace {

using ShapeFile = ShapeFiles;

RwPolygon* firstPolygon(RwClump* clump) {
  RwPolygon* first = nullptr;
  RwForAllPolygonsInClumpWithData(
      clump,
      [](RwPolygon* p, void* out) {
        auto** slot = static_cast<RwPolygon**>(out);
        if (!*slot) *slot = p;
        return p;
      },
      &first);
  return first;
}

// ---- ASCII geometry

TEST_F(ShapeFile, AsciiGeometryWithCommentsAndMaterials) {
  std::string longComment = "# " + std::string(5000, 'c') + "\n";
  std::string path = write("tri.geo", "# a triangle and a square\n" + longComment +
                                          "4 2\n0 0 0\n1 0 0  # comment after numbers\n1 1\n0\n0 1 0\n"
                                          "3 1 2 3 0.2 0.6 0.2 1 0 0\n"
                                          "4 1 2 3 4\n");
  RwClump* clump = RwReadShape(path.c_str());
  ASSERT_NE(clump, nullptr) << RwGetError();
  EXPECT_EQ(RwGetClumpNumVertices(clump), 4);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 2);
  RwPolygon* red = firstPolygon(clump);
  EXPECT_EQ(red->material->ambient, 51);  // 0.2 x 256
  EXPECT_EQ(red->material->diffuse, 153);
  uint16_t rgb[3];
  rwDeviceRecord.deviceValueToColour(red->material->colour, rgb);
  EXPECT_GT(rgb[0], 0xF000);
  EXPECT_EQ(rgb[1], 0);
  EXPECT_NE(RwGetPolygonMaterial(red), RwCurrentMaterial());  // a private copy
  std::vector<RwPolygon*> polygons;
  RwForAllPolygonsInClumpWithData(
      clump,
      [](RwPolygon* p, void* out) {
        static_cast<std::vector<RwPolygon*>*>(out)->push_back(p);
        return p;
      },
      &polygons);
  EXPECT_EQ(polygons.back()->material, RwCurrentMaterial());       // the square has no material numbers
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 1)->polygonCount, 2u);  // finished: registered
  RwDestroyClump(clump);
  EXPECT_EQ(RwGetError(), rwErrNone);
}

TEST_F(ShapeFile, AsciiRefusals) {
  struct Case {
    const char* name;
    const char* text;
    int error;
  };
  const Case cases[] = {
      {"index zero", "3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", rwErrVertexIndex},
      {"index above the count", "3 1\n0 0 0\n1 0 0\n0 1 0\n3 1 2 4\n", rwErrVertexIndex},
      {"missing vertex number", "3 1\n0 0 0\n1 0 0\n0 1\n", rwErrRead},
      {"missing index", "3 1\n0 0 0\n1 0 0\n0 1 0\n3 1 2\n", rwErrRead},
      {"two-vertex polygon", "3 1\n0 0 0\n1 0 0\n0 1 0\n2 1 2\n", rwErrTooFewVertices},
      {"huge polygon", "3 1\n0 0 0\n1 0 0\n0 1 0\n257 1 2 3\n", rwErrTooManyVertices},
      {"negative vertex count", "-5 1\n", rwErrRead},
      {"negative polygon count", "3 -2\n0 0 0\n1 0 0\n0 1 0\n", rwErrRead},
      {"count larger than the file", "2000000000 1\n0 0 0\n", rwErrRead},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = write("bad.geo", c.text);
    EXPECT_EQ(RwReadShape(path.c_str()), nullptr);
    EXPECT_EQ(RwGetAndClearError(), c.error);
  }
}

TEST_F(ShapeFile, FormatChoice) {
  std::string empty = write("empty.rwx", "");
  EXPECT_EQ(RwReadShape(empty.c_str()), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrRead);
  // A keyword first: a script, read from the start again.
  std::string script = write("k.rwx", "clumpbegin\nblock 1 1 1\nclumpend\n");
  RwClump* clump = RwReadShape(script.c_str());
  ASSERT_NE(clump, nullptr);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 6);
  RwDestroyClump(clump);
}

// ---- binary geometry

struct BinaryFile {
  std::string bytes = "PSNB";
  void word(uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
  }
  void half(int16_t value) {
    bytes += static_cast<char>(static_cast<uint16_t>(value) >> 8);
    bytes += static_cast<char>(value);
  }
  void real(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    word(bits);
  }
};

// A triangle over three caller vertices; `version` -1 writes no tag.
BinaryFile binaryTriangle(int version, int32_t vertexRecords = 11) {
  BinaryFile file;
  file.word(static_cast<uint32_t>(vertexRecords));
  file.word(1);
  if (version >= 0) file.bytes += std::string{static_cast<char>('0' + version % 10), '0', 'N', 'V'};
  const float points[11][3] = {{0}, {0}, {0}, {0}, {0}, {0}, {0}, {0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  for (int i = 0; i < vertexRecords && i < 11; ++i) {
    for (float coordinate : points[i]) file.real(coordinate);
    if (version < 0) {
      for (int k = 0; k < 3; ++k) file.word(0);
    }
  }
  file.half(3);
  for (int16_t index = 1; index <= 3; ++index) file.half(index);
  for (float value : {0.5f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f}) file.real(value);
  return file;
}

TEST_F(ShapeFile, BinaryVersions) {
  for (int version : {0, 1, -1}) {
    SCOPED_TRACE(version);
    std::string path = write("tri.bin", binaryTriangle(version).bytes);
    RwClump* clump = RwReadShape(path.c_str());
    ASSERT_NE(clump, nullptr) << RwGetError();
    EXPECT_EQ(RwGetClumpNumVertices(clump), 3);
    EXPECT_EQ(RwGetClumpNumPolygons(clump), 1);
    EXPECT_EQ(firstPolygon(clump)->material->ambient, 128);
    RwDestroyClump(clump);
  }
}

TEST_F(ShapeFile, BinaryRefusals) {
  BinaryFile trailing = binaryTriangle(1);
  trailing.bytes += "rest";
  BinaryFile badIndex = binaryTriangle(1);
  badIndex.bytes[badIndex.bytes.size() - 26] = 9;  // the last index
  struct Case {
    const char* name;
    std::string bytes;
    int error;
  };
  const Case cases[] = {
      {"version 5", binaryTriangle(5).bytes, rwErrorCap},  // 75 reads back as 71
      {"too few vertex records", binaryTriangle(1, 7).bytes, rwErrRead},
      {"negative vertex records", binaryTriangle(1, -3).bytes, rwErrRead},
      {"short header", "PSNB\0\0", rwErrRead},
      {"a section after the polygons", trailing.bytes, rwErrorCap},
      {"index above the vertices", badIndex.bytes, rwErrVertexIndex},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = write("bad.bin", c.bytes);
    EXPECT_EQ(RwReadShape(path.c_str()), nullptr);
    EXPECT_EQ(RwGetAndClearError(), c.error);
  }
}

}  // namespace
