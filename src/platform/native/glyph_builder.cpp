#include "platform/native/glyph_builder.h"

#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace native {

// ---------------------------------------------------------------- bitmaps

bool BitmapListBuilder::Build(const SizedFont& font, FT_UInt glyph, GLuint list) {
  const int advance = PixelAdvance(font, glyph);
  FT_GlyphSlot slot = LoadHintedGlyph(font, glyph);
  if (!slot || advance < 0) return false;
  // The renderer sizes the bitmap to the hinted outline's box rounded
  // outward to whole pixels, which is GDI's black box.
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;

  glNewList(list, GL_COMPILE);
  if (bitmap.width == 0 || bitmap.rows == 0) {
    // A blank glyph such as space still moves the raster position on.
    glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(advance), 0.0f, nullptr);
  } else {
    FlipRows(bitmap);
    const auto width = static_cast<GLsizei>(bitmap.width);
    const auto height = static_cast<GLsizei>(bitmap.rows);
    glBitmap(width, height, static_cast<GLfloat>(-slot->bitmap_left),
             static_cast<GLfloat>(height - slot->bitmap_top), static_cast<GLfloat>(advance), 0.0f,
             bits_.data());
  }
  glEndList();
  return true;
}

void BitmapListBuilder::FlipRows(const FT_Bitmap& bitmap) {
  const size_t stride = (bitmap.width + 31) / 32 * 4;
  const size_t rowBytes = (bitmap.width + 7) / 8;
  const size_t pitch = static_cast<size_t>(std::abs(bitmap.pitch));
  bits_.assign(stride * bitmap.rows, 0);  // keeps its capacity from glyph to glyph
  for (size_t row = 0; row < bitmap.rows; ++row) {
    // A negative pitch means FreeType already stored the rows bottom-up.
    const size_t memoryRow = bitmap.pitch >= 0 ? row : bitmap.rows - 1 - row;
    std::memcpy(&bits_[(bitmap.rows - 1 - row) * stride], bitmap.buffer + memoryRow * pitch,
                rowBytes);
  }
}

// ---------------------------------------------------------------- outlines

// Walks an outline through FT_Outline_Decompose and keeps each contour as a
// closed polyline in em units. Curves are cut into equal steps in t, as many
// as keep every chord within `tolerance` of its curve: a step of h in t
// strays from the curve by at most h^2/8 * max|B''|.
struct OutlineFlattener {
  OutlineListBuilder* builder;
  double tolerance;  // font units
  double unit;       // em units per font unit
  FT_Vector current{0, 0};

  void Add(double x, double y) {
    builder->front_.insert(builder->front_.end(), {x * unit, y * unit, 0.0});
  }

  // Decompose repeats a contour's first point to close it; the polylines are
  // closed by their users (GL_LINE_LOOP, the tessellator), so it is dropped.
  void EndContour() {
    std::vector<GLdouble>& points = builder->front_;
    const size_t start = builder->contourEnds_.empty() ? 0 : builder->contourEnds_.back();
    const size_t end = points.size() / 3;
    if (end - start > 1 && points[3 * start] == points[3 * end - 3] &&
        points[3 * start + 1] == points[3 * end - 2])
      points.resize(points.size() - 3);
    if (points.size() / 3 > start) builder->contourEnds_.push_back(points.size() / 3);
  }

  int Steps(double secondDifference) const {
    const double steps = std::ceil(std::sqrt(secondDifference / (8.0 * tolerance)));
    return std::clamp(static_cast<int>(steps), 1, 256);
  }

  static OutlineFlattener& Of(void* user) { return *static_cast<OutlineFlattener*>(user); }

  static int MoveTo(const FT_Vector* to, void* user) {
    OutlineFlattener& self = Of(user);
    self.EndContour();
    self.Add(to->x, to->y);
    self.current = *to;
    return 0;
  }

  static int LineTo(const FT_Vector* to, void* user) {
    OutlineFlattener& self = Of(user);
    self.Add(to->x, to->y);
    self.current = *to;
    return 0;
  }

  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    OutlineFlattener& self = Of(user);
    const double x0 = self.current.x, y0 = self.current.y;
    const double x1 = control->x, y1 = control->y;
    const double x2 = to->x, y2 = to->y;
    // B'' = 2 (P0 - 2 P1 + P2) everywhere on a quadratic.
    const int steps = self.Steps(2.0 * std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2));
    for (int i = 1; i < steps; ++i) {
      const double t = static_cast<double>(i) / steps, s = 1.0 - t;
      self.Add(s * s * x0 + 2 * s * t * x1 + t * t * x2, s * s * y0 + 2 * s * t * y1 + t * t * y2);
    }
    return LineTo(to, user);
  }

  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    OutlineFlattener& self = Of(user);
    const double x0 = self.current.x, y0 = self.current.y;
    const double x1 = c1->x, y1 = c1->y, x2 = c2->x, y2 = c2->y;
    const double x3 = to->x, y3 = to->y;
    // |B''| on a cubic is at most 6 times the larger second difference.
    const double bend = std::max(std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2),
                                 std::hypot(x1 - 2 * x2 + x3, y1 - 2 * y2 + y3));
    const int steps = self.Steps(6.0 * bend);
    for (int i = 1; i < steps; ++i) {
      const double t = static_cast<double>(i) / steps, s = 1.0 - t;
      const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
      self.Add(a * x0 + b * x1 + c * x2 + d * x3, a * y0 + b * y1 + c * y2 + d * y3);
    }
    return LineTo(to, user);
  }
};

namespace {

GLYPHMETRICSFLOAT DesignMetrics(FT_Outline* outline, FT_Pos advance, double unit) {
  // The exact box of the curves, not of their control points: GDI's black
  // box is that of the rendered glyph.
  FT_BBox box{0, 0, 0, 0};
  if (outline->n_points > 0) FT_Outline_Get_BBox(outline, &box);
  GLYPHMETRICSFLOAT metrics;
  metrics.gmfBlackBoxX = static_cast<FLOAT>((box.xMax - box.xMin) * unit);
  metrics.gmfBlackBoxY = static_cast<FLOAT>((box.yMax - box.yMin) * unit);
  metrics.gmfptGlyphOrigin.x = static_cast<FLOAT>(box.xMin * unit);
  metrics.gmfptGlyphOrigin.y = static_cast<FLOAT>(box.yMax * unit);
  metrics.gmfCellIncX = static_cast<FLOAT>(advance * unit);
  metrics.gmfCellIncY = 0.0f;
  return metrics;
}

}  // namespace

OutlineListBuilder::OutlineListBuilder() : tess_(gluNewTess()) {
  if (!tess_) return;
  // The tessellator's output goes straight into the list being compiled.
  gluTessCallback(tess_, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(glBegin));
  gluTessCallback(tess_, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(glVertex3dv));
  gluTessCallback(tess_, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(glEnd));
  gluTessCallback(tess_, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(&Combine));
  gluTessCallback(tess_, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(&TessError));
  // Overlapping contours (composite glyphs) must fill once, not cancel out:
  // TrueType and PostScript outlines both mean the non-zero rule.
  gluTessProperty(tess_, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
}

OutlineListBuilder::~OutlineListBuilder() {
  if (tess_) gluDeleteTess(tess_);
}

bool OutlineListBuilder::Build(const SizedFont& font, FT_UInt glyph, GLuint list,
                               const OutlineStyle& style, GLYPHMETRICSFLOAT* metrics) {
  FT_Pos advance = 0;
  FT_Outline* outline = LoadDesignOutline(font, glyph, &advance);
  if (!outline) return false;
  const double unit = 1.0 / font.face->units_per_EM;
  if (metrics) *metrics = DesignMetrics(outline, advance, unit);

  const double tolerance = style.deviation > 0 ? style.deviation * font.face->units_per_EM : 1.0;
  const double depth = std::max(style.extrusion, 0.0);
  Flatten(outline, tolerance, unit, depth);
  const bool fillsRight = FT_Outline_Get_Orientation(outline) == FT_ORIENTATION_FILL_RIGHT;

  glNewList(list, GL_COMPILE);
  if (style.polygons) {
    EmitFace(front_, 1.0);
    if (depth > 0) {
      EmitFace(back_, -1.0);
      EmitWalls(fillsRight);
    }
  } else {
    EmitLoops(front_);
    if (depth > 0) {
      EmitLoops(back_);
      EmitRungs();
    }
  }
  glTranslatef(static_cast<GLfloat>(advance * unit), 0.0f, 0.0f);
  glEndList();
  return true;
}

void OutlineListBuilder::Flatten(FT_Outline* outline, double tolerance, double unit, double depth) {
  front_.clear();
  contourEnds_.clear();
  OutlineFlattener flattener{this, tolerance, unit};
  FT_Outline_Funcs walk{};
  walk.move_to = &OutlineFlattener::MoveTo;
  walk.line_to = &OutlineFlattener::LineTo;
  walk.conic_to = &OutlineFlattener::ConicTo;
  walk.cubic_to = &OutlineFlattener::CubicTo;
  FT_Outline_Decompose(outline, &walk, &flattener);
  flattener.EndContour();

  back_.clear();
  if (depth <= 0) return;
  back_.assign(front_.begin(), front_.end());
  for (size_t z = 2; z < back_.size(); z += 3) back_[z] = -depth;
}

void OutlineListBuilder::EmitFace(std::vector<GLdouble>& points, GLdouble normalZ) {
  // Facing along the normal, the tessellator's triangles run counter-clockwise:
  // the front face looks at +z, the back face of an extruded glyph at -z.
  glNormal3d(0.0, 0.0, normalZ);
  if (contourEnds_.empty()) return;
  gluTessNormal(tess_, 0.0, 0.0, normalZ);
  gluTessBeginPolygon(tess_, this);
  size_t start = 0;
  for (size_t end : contourEnds_) {
    gluTessBeginContour(tess_);
    for (size_t v = start; v < end; ++v) gluTessVertex(tess_, &points[3 * v], &points[3 * v]);
    gluTessEndContour(tess_);
    start = end;
  }
  gluTessEndPolygon(tess_);
  extra_.clear();
  if (tessError_) {
    std::fprintf(stderr, "plumo: wglUseFontOutlinesA: GLU tessellator: %s\n",
                 reinterpret_cast<const char*>(gluErrorString(tessError_)));
    tessError_ = 0;
  }
}

void OutlineListBuilder::EmitWalls(bool fillsRight) {
  // One quad per edge with its own normal, so the walls look faceted as the
  // polylines are. The glyph's filled side tells which way is out.
  glBegin(GL_QUADS);
  size_t start = 0;
  for (size_t end : contourEnds_) {
    for (size_t v = start; v < end; ++v) {
      const size_t w = v + 1 < end ? v + 1 : start;
      const GLdouble* a0 = &front_[3 * v];
      const GLdouble* b0 = &front_[3 * w];
      const GLdouble* a1 = &back_[3 * v];
      const GLdouble* b1 = &back_[3 * w];
      const GLdouble dx = b0[0] - a0[0], dy = b0[1] - a0[1];
      const GLdouble length = std::hypot(dx, dy);
      if (length == 0) continue;
      const GLdouble out = fillsRight ? 1.0 : -1.0;
      glNormal3d(-dy / length * out, dx / length * out, 0.0);
      // Counter-clockwise seen from outside the glyph.
      const GLdouble* order[4] = {a0, b0, b1, a1};
      if (!fillsRight) std::swap(order[1], order[3]);
      for (const GLdouble* vertex : order) glVertex3dv(vertex);
    }
    start = end;
  }
  glEnd();
}

void OutlineListBuilder::EmitLoops(const std::vector<GLdouble>& points) {
  size_t start = 0;
  for (size_t end : contourEnds_) {
    glBegin(GL_LINE_LOOP);
    for (size_t v = start; v < end; ++v) glVertex3dv(&points[3 * v]);
    glEnd();
    start = end;
  }
}

void OutlineListBuilder::EmitRungs() {
  // The edges of an extruded line glyph: each vertex joined to its copy on
  // the back.
  glBegin(GL_LINES);
  for (size_t v = 0; v < front_.size(); v += 3) {
    glVertex3dv(&front_[v]);
    glVertex3dv(&back_[v]);
  }
  glEnd();
}

void OutlineListBuilder::Combine(GLdouble coords[3], void* /*data*/[4], GLfloat /*weight*/[4],
                                 void** out, void* builder) {
  // The new vertex must outlive gluTessEndPolygon; a deque never moves what
  // it already holds.
  auto& extra = static_cast<OutlineListBuilder*>(builder)->extra_;
  extra.push_back({coords[0], coords[1], coords[2]});
  *out = extra.back().data();
}

void OutlineListBuilder::TessError(GLenum error, void* builder) {
  static_cast<OutlineListBuilder*>(builder)->tessError_ = error;
}

}  // namespace native
