// glyphgen -- writes the glyph shapes of 3-D text, one RWX script per
// character code, from the outlines of DejaVu Sans.
//
//   glyphgen OUTDIR
//
// The viewer reads the glyph of character c as OUTDIR/"%03d.rwx" with c taken
// as a signed byte ("065.rwx" for 'A', "-23.rwx" for 0xE9), so all 256 files
// are written; codes without a drawable shape (controls, space) get a clump
// with one vertex and no polygons. A glyph is flat, one unit to the em, its baseline on
// y = 0 and its pen start at x = 0, drawn from both sides (a front face
// towards +z and a back face towards -z, since the engine culls back faces).
// The clump tag is the advance in hundredths of a unit, which the viewer
// reads to place the next glyph.
//
// Outlines are flattened and cut into horizontal slabs at every vertex
// height; inside a slab the filled spans (non-zero winding, as TrueType
// fills) are trapezoids, which are always convex and need no hole handling.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/fontface.h"

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kCurveSteps = 4;  // straight segments per curve piece
// Text keeps the material of its glyphs: a light grey that ambient light alone
// already shows.
constexpr const char* kMaterial = "Color 0.85 0.85 0.85\nSurface 0.5 0.6 0.1\n";

struct Point {
  double x, y;
};
using Contour = std::vector<Point>;

// ---- Outline flattening ----------------------------------------------------

struct Flattener {
  std::vector<Contour> contours;
  Point pen{0, 0};

  static Point at(const FT_Vector* v) { return {static_cast<double>(v->x), static_cast<double>(v->y)}; }

  void lineTo(Point p) {
    contours.back().push_back(p);
    pen = p;
  }
};

int moveTo(const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  f->contours.emplace_back();
  f->lineTo(Flattener::at(to));
  return 0;
}

int lineTo(const FT_Vector* to, void* user) {
  static_cast<Flattener*>(user)->lineTo(Flattener::at(to));
  return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  const Point p0 = f->pen, p1 = Flattener::at(control), p2 = Flattener::at(to);
  for (int i = 1; i <= kCurveSteps; ++i) {
    const double t = static_cast<double>(i) / kCurveSteps, u = 1 - t;
    f->lineTo({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  return 0;
}

int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattener*>(user);
  const Point p0 = f->pen, p1 = Flattener::at(c1), p2 = Flattener::at(c2), p3 = Flattener::at(to);
  for (int i = 1; i <= kCurveSteps; ++i) {
    const double t = static_cast<double>(i) / kCurveSteps, u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    f->lineTo({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return 0;
}

// ---- Slab decomposition ----------------------------------------------------

struct Edge {
  Point a, b;   // a.y < b.y
  int winding;  // +1 upwards in the outline, -1 downwards
  double xAt(double y) const { return a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y); }
};

// A filled trapezoid between heights y0 < y1: left and right x at each.
struct Trapezoid {
  double y0, y1, left0, right0, left1, right1;
};

std::vector<Edge> edgesOf(const std::vector<Contour>& contours) {
  std::vector<Edge> edges;
  for (const Contour& c : contours) {
    for (size_t i = 0; i < c.size(); ++i) {
      const Point p = c[i], q = c[(i + 1) % c.size()];
      if (p.y == q.y) continue;  // horizontal edges bound slabs, they never cross one
      edges.push_back(p.y < q.y ? Edge{p, q, 1} : Edge{q, p, -1});
    }
  }
  return edges;
}

std::vector<Trapezoid> trapezoidsOf(const std::vector<Contour>& contours) {
  const std::vector<Edge> edges = edgesOf(contours);
  std::vector<double> heights;
  for (const Contour& c : contours)
    for (const Point& p : c) heights.push_back(p.y);
  std::sort(heights.begin(), heights.end());
  heights.erase(std::unique(heights.begin(), heights.end()), heights.end());

  std::vector<Trapezoid> result;
  for (size_t s = 0; s + 1 < heights.size(); ++s) {
    const double y0 = heights[s], y1 = heights[s + 1], mid = (y0 + y1) / 2;
    std::vector<std::pair<double, const Edge*>> crossing;
    for (const Edge& e : edges)
      if (e.a.y <= y0 && e.b.y >= y1) crossing.emplace_back(e.xAt(mid), &e);
    std::sort(crossing.begin(), crossing.end(),
              [](const auto& l, const auto& r) { return l.first < r.first; });
    int winding = 0;
    const Edge* left = nullptr;
    for (const auto& [x, edge] : crossing) {
      const int before = winding;
      winding += edge->winding;
      if (before == 0 && winding != 0) left = edge;
      if (before != 0 && winding == 0)
        result.push_back({y0, y1, left->xAt(y0), edge->xAt(y0), left->xAt(y1), edge->xAt(y1)});
    }
  }
  return result;
}

// ---- RWX output -------------------------------------------------------------

class GlyphWriter {
 public:
  explicit GlyphWriter(double unitsPerEm) : scale_(1.0 / unitsPerEm) {}

  // Adds a convex polygon (counter-clockwise seen from +z), dropping repeated
  // corners so that a trapezoid that narrows to a point becomes a triangle.
  void addPolygon(const std::vector<Point>& corners) {
    std::vector<int> ids;
    for (const Point& p : corners) {
      const int id = vertex(p);
      if (ids.empty() || (ids.back() != id && ids.front() != id)) ids.push_back(id);
    }
    if (ids.size() >= 3) polygons_.push_back(ids);
  }

  std::string script(int code, long advanceUnits) const {
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "# Glyph of character code %d, one unit to the em\nClumpBegin\nTag %ld\n%s",
                  code, std::lround(advanceUnits * scale_ * 100.0), kMaterial);
    out += line;
    // A clump read from a script needs a vertex even when it draws nothing.
    if (vertices_.empty()) out += "Vertex 0 0 0\n";
    for (const Point& p : vertices_) {
      std::snprintf(line, sizeof line, "Vertex %.5f %.5f 0\n", p.x * scale_, p.y * scale_);
      out += line;
    }
    for (const auto& ids : polygons_) {
      out += polygonLine(ids.begin(), ids.end());     // front, towards +z
      out += polygonLine(ids.rbegin(), ids.rend());   // back, towards -z
    }
    out += "ClumpEnd\n";
    return out;
  }

 private:
  int vertex(Point p) {
    const auto key = std::make_pair(std::lround(p.x * 64), std::lround(p.y * 64));
    auto [it, added] = index_.emplace(key, static_cast<int>(vertices_.size()) + 1);
    if (added) vertices_.push_back(p);
    return it->second;
  }

  template <typename It>
  static std::string polygonLine(It begin, It end) {
    std::string line = "Polygon " + std::to_string(end - begin);
    for (It i = begin; i != end; ++i) line += " " + std::to_string(*i);
    return line + "\n";
  }

  double scale_;
  std::vector<Point> vertices_;
  std::map<std::pair<long, long>, int> index_;  // corner in 1/64 font units -> vertex number
  std::vector<std::vector<int>> polygons_;
};

bool writeGlyph(FT_Face face, int code, const std::string& folder) {
  const FT_ULong unicode = platform::gdi::singleByteToUnicode(static_cast<unsigned char>(code));
  GlyphWriter writer(face->units_per_EM);
  long advance = 0;
  if (code >= 0x20 && code != 0x7F &&
      FT_Load_Char(face, unicode, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0) {
    advance = face->glyph->advance.x;
    Flattener flattener;
    const FT_Outline_Funcs funcs{moveTo, lineTo, conicTo, cubicTo, 0, 0};
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &flattener);
    for (const Trapezoid& t : trapezoidsOf(flattener.contours))
      writer.addPolygon({{t.left0, t.y0}, {t.right0, t.y0}, {t.right1, t.y1}, {t.left1, t.y1}});
  }
  char name[16];
  std::snprintf(name, sizeof name, "%03d.rwx", static_cast<signed char>(code));
  const std::string path = folder + "/" + name;
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) {
    std::fprintf(stderr, "glyphgen: cannot write %s\n", path.c_str());
    return false;
  }
  const std::string text = writer.script(static_cast<signed char>(code), advance);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: glyphgen OUTDIR\n");
    return 2;
  }
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kFontFile, 0, &face) != 0) {
    std::fprintf(stderr, "glyphgen: cannot open %s\n", kFontFile);
    return 1;
  }
  bool ok = true;
  for (int code = 0; code < 256; ++code) ok = writeGlyph(face, code, argv[1]) && ok;
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return ok ? 0 : 1;
}
