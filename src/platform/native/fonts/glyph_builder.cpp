#include "platform/native/fonts/glyph_builder.h"

#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/core/report.h"

namespace native::fonts {

// ---------------------------------------------------------------- bitmaps

namespace {

// Rows bottom-up, each padded to 4 bytes: glBitmap's order.
void FlipRows(const FT_Bitmap& bitmap, std::vector<GLubyte>* bits) {
  const size_t stride = (bitmap.width + 31) / 32 * 4;
  const size_t rowBytes = (bitmap.width + 7) / 8;
  const size_t pitch = static_cast<size_t>(std::abs(bitmap.pitch));
  bits->assign(stride * bitmap.rows, 0);
  for (size_t row = 0; row < bitmap.rows; ++row) {
    // A negative pitch means FreeType already stored the rows bottom-up.
    const size_t memoryRow = bitmap.pitch >= 0 ? row : bitmap.rows - 1 - row;
    std::memcpy(&(*bits)[(bitmap.rows - 1 - row) * stride], bitmap.buffer + memoryRow * pitch,
                rowBytes);
  }
}

}  // namespace

bool RenderBitmapGlyph(const SizedFont& font, FT_UInt glyph, BitmapGlyph* out) {
  const int advance = PixelAdvance(font, glyph);
  FT_GlyphSlot slot = LoadHintedGlyph(font, glyph);
  if (!slot || advance < 0) return false;
  // The renderer sizes the bitmap to the hinted outline's box rounded
  // outward to whole pixels, which is GDI's black box.
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;

  out->advance = static_cast<GLfloat>(advance);
  if (bitmap.width == 0 || bitmap.rows == 0) {
    out->bits.clear();
    out->width = out->height = 0;
    out->originX = out->originY = 0;
    return true;
  }
  FlipRows(bitmap, &out->bits);
  out->width = static_cast<GLsizei>(bitmap.width);
  out->height = static_cast<GLsizei>(bitmap.rows);
  out->originX = static_cast<GLfloat>(-slot->bitmap_left);
  out->originY = static_cast<GLfloat>(out->height - slot->bitmap_top);
  return true;
}

void CompileBitmapList(const BitmapGlyph& glyph, GLuint list, bool topDown) {
  const GLubyte* bits = glyph.bits.empty() ? nullptr : glyph.bits.data();
  GLfloat originY = glyph.originY;
  std::vector<GLubyte> topFirst;
  if (topDown && bits) {
    // Rows go down the screen from yorig: top row first, and yorig measured
    // from the glyph's top instead of its bottom.
    const size_t stride = glyph.bits.size() / static_cast<size_t>(glyph.height);
    topFirst.resize(glyph.bits.size());
    for (GLsizei row = 0; row < glyph.height; ++row)
      std::memcpy(&topFirst[static_cast<size_t>(row) * stride],
                  &glyph.bits[static_cast<size_t>(glyph.height - 1 - row) * stride], stride);
    bits = topFirst.data();
    originY = static_cast<GLfloat>(glyph.height) - glyph.originY;
  }
  // A blank glyph is an empty glBitmap: it still moves the raster position.
  glNewList(list, GL_COMPILE);
  glBitmap(glyph.width, glyph.height, glyph.originX, originY, glyph.advance, 0.0f, bits);
  glEndList();
}

// ---------------------------------------------------------------- outlines

// Walks an outline through FT_Outline_Decompose and keeps each contour as a
// closed polyline in em units. Curves are cut into equal steps in t, as many
// as keep every chord within `tolerance` of its curve: a step of h in t
// strays from the curve by at most h^2/8 * max|B''|.
struct OutlineFlattener {
  OutlineGlyph* glyph;
  double tolerance;  // font units
  double unit;       // em units per font unit
  FT_Vector current{0, 0};

  void Add(double x, double y) {
    glyph->front.insert(glyph->front.end(), {x * unit, y * unit, 0.0});
  }

  // Decompose repeats a contour's first point to close it; the polylines are
  // closed by their users (GL_LINE_LOOP, the tessellator), so it is dropped.
  void EndContour() {
    std::vector<GLdouble>& points = glyph->front;
    const size_t start = glyph->contourEnds.empty() ? 0 : glyph->contourEnds.back();
    const size_t end = points.size() / 3;
    if (end - start > 1 && points[3 * start] == points[3 * end - 3] &&
        points[3 * start + 1] == points[3 * end - 2])
      points.resize(points.size() - 3);
    if (points.size() / 3 > start) glyph->contourEnds.push_back(points.size() / 3);
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

bool ShapeOutlineGlyph(const SizedFont& font, FT_UInt glyph, const OutlineStyle& style,
                       OutlineGlyph* out) {
  FT_Pos advance = 0;
  FT_Outline* outline = LoadDesignOutline(font, glyph, &advance);
  if (!outline) return false;
  const double unit = 1.0 / font.face->units_per_EM;
  out->metrics = DesignMetrics(outline, advance, unit);
  out->advance = static_cast<GLfloat>(advance * unit);
  out->fillsRight = FT_Outline_Get_Orientation(outline) == FT_ORIENTATION_FILL_RIGHT;

  out->front.clear();
  out->contourEnds.clear();
  const double tolerance = style.deviation > 0 ? style.deviation * font.face->units_per_EM : 1.0;
  OutlineFlattener flattener{out, tolerance, unit};
  FT_Outline_Funcs walk{};
  walk.move_to = &OutlineFlattener::MoveTo;
  walk.line_to = &OutlineFlattener::LineTo;
  walk.conic_to = &OutlineFlattener::ConicTo;
  walk.cubic_to = &OutlineFlattener::CubicTo;
  FT_Outline_Decompose(outline, &walk, &flattener);
  flattener.EndContour();

  out->back.clear();
  if (style.extrusion > 0) {
    out->back = out->front;
    for (size_t z = 2; z < out->back.size(); z += 3) out->back[z] = -style.extrusion;
  }
  return true;
}

// ------------------------------------------------------------ tessellation

GlyphTessellator::GlyphTessellator() : tess_(gluNewTess()) {
  if (!tess_) return;
  // Fans and strips are kept as GLU makes them: they hold fewer corners
  // than separate triangles, and each corner costs GL's list compiler.
  gluTessCallback(tess_.get(), GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(&Begin));
  gluTessCallback(tess_.get(), GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(&Vertex));
  gluTessCallback(tess_.get(), GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(&Combine));
  gluTessCallback(tess_.get(), GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(&Error));
  // Overlapping contours (composite glyphs) must fill once, not cancel out:
  // TrueType and PostScript outlines both mean the non-zero rule.
  gluTessProperty(tess_.get(), GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
}

bool GlyphTessellator::Tessellate(OutlineGlyph* glyph) {
  // Facing along the normal, the tessellator's triangles run counter-clockwise:
  // the front face looks at +z, the back face of an extruded glyph at -z.
  outOfMemory_ = false;
  Fill(glyph->front, glyph->contourEnds, 1.0, &glyph->frontFace);
  glyph->backFace.Clear();
  if (!glyph->back.empty()) Fill(glyph->back, glyph->contourEnds, -1.0, &glyph->backFace);
  return !outOfMemory_;
}

void GlyphTessellator::Fill(const std::vector<GLdouble>& points,
                            const std::vector<size_t>& contourEnds, GLdouble normalZ,
                            TessellatedFace* face) {
  face->Clear();
  if (contourEnds.empty()) return;
  face_ = face;
  gluTessNormal(tess_.get(), 0.0, 0.0, normalZ);
  gluTessBeginPolygon(tess_.get(), this);
  size_t start = 0;
  for (size_t end : contourEnds) {
    gluTessBeginContour(tess_.get());
    // GLU only reads the coordinates, and hands the data pointer back.
    for (size_t v = start; v < end; ++v) {
      auto* vertex = const_cast<GLdouble*>(&points[3 * v]);
      gluTessVertex(tess_.get(), vertex, vertex);
    }
    gluTessEndContour(tess_.get());
    start = end;
  }
  gluTessEndPolygon(tess_.get());
  extra_.clear();
  face_ = nullptr;
  if (error_) {
    core::Report("wglUseFontOutlinesA", "GLU tessellator: %s",
                 reinterpret_cast<const char*>(gluErrorString(error_)));
    error_ = 0;
  }
}

// The callbacks run inside GLU's C code, which an exception must not cross:
// running out of memory is noted and the glyph fails once GLU is done.
void GlyphTessellator::Begin(GLenum mode, void* tessellator) {
  auto& self = *static_cast<GlyphTessellator*>(tessellator);
  try {
    self.face_->primitives.push_back({mode, self.face_->corners.size() / 3, 0});
  } catch (const std::bad_alloc&) {
    self.outOfMemory_ = true;
  }
}

void GlyphTessellator::Vertex(void* vertex, void* tessellator) {
  auto& self = *static_cast<GlyphTessellator*>(tessellator);
  if (self.outOfMemory_) return;
  const auto* xyz = static_cast<const GLdouble*>(vertex);
  try {
    self.face_->corners.insert(self.face_->corners.end(), xyz, xyz + 3);
    ++self.face_->primitives.back().count;
  } catch (const std::bad_alloc&) {
    self.outOfMemory_ = true;
  }
}

void GlyphTessellator::Combine(GLdouble coords[3], void* /*data*/[4], GLfloat /*weight*/[4],
                               void** out, void* tessellator) {
  // The new vertex must outlive gluTessEndPolygon; a deque never moves what
  // it already holds.
  auto& self = *static_cast<GlyphTessellator*>(tessellator);
  *out = nullptr;
  try {
    self.extra_.push_back({coords[0], coords[1], coords[2]});
    *out = self.extra_.back().data();
  } catch (const std::bad_alloc&) {
    self.outOfMemory_ = true;
  }
}

void GlyphTessellator::Error(GLenum error, void* tessellator) {
  static_cast<GlyphTessellator*>(tessellator)->error_ = error;
}

// ------------------------------------------------------------- compiling

namespace {

void EmitFace(const TessellatedFace& face, GLdouble normalZ) {
  glNormal3d(0.0, 0.0, normalZ);
  for (const TessellatedFace::Primitive& primitive : face.primitives) {
    glBegin(primitive.mode);
    for (size_t v = primitive.first; v < primitive.first + primitive.count; ++v)
      glVertex3dv(&face.corners[3 * v]);
    glEnd();
  }
}

void EmitWalls(const OutlineGlyph& glyph) {
  // One quad per edge with its own normal, so the walls look faceted as the
  // polylines are. The glyph's filled side tells which way is out.
  glBegin(GL_QUADS);
  size_t start = 0;
  for (size_t end : glyph.contourEnds) {
    for (size_t v = start; v < end; ++v) {
      const size_t w = v + 1 < end ? v + 1 : start;
      const GLdouble* a0 = &glyph.front[3 * v];
      const GLdouble* b0 = &glyph.front[3 * w];
      const GLdouble* a1 = &glyph.back[3 * v];
      const GLdouble* b1 = &glyph.back[3 * w];
      const GLdouble dx = b0[0] - a0[0], dy = b0[1] - a0[1];
      const GLdouble length = std::hypot(dx, dy);
      if (length == 0) continue;
      const GLdouble out = glyph.fillsRight ? 1.0 : -1.0;
      glNormal3d(-dy / length * out, dx / length * out, 0.0);
      // Counter-clockwise seen from outside the glyph.
      const GLdouble* order[4] = {a0, b0, b1, a1};
      if (!glyph.fillsRight) std::swap(order[1], order[3]);
      for (const GLdouble* vertex : order) glVertex3dv(vertex);
    }
    start = end;
  }
  glEnd();
}

void EmitLoops(const std::vector<GLdouble>& points, const std::vector<size_t>& contourEnds) {
  size_t start = 0;
  for (size_t end : contourEnds) {
    glBegin(GL_LINE_LOOP);
    for (size_t v = start; v < end; ++v) glVertex3dv(&points[3 * v]);
    glEnd();
    start = end;
  }
}

void EmitRungs(const OutlineGlyph& glyph) {
  // The edges of an extruded line glyph: each vertex joined to its copy on
  // the back.
  glBegin(GL_LINES);
  for (size_t v = 0; v < glyph.front.size(); v += 3) {
    glVertex3dv(&glyph.front[v]);
    glVertex3dv(&glyph.back[v]);
  }
  glEnd();
}

}  // namespace

void CompileOutlineList(const OutlineGlyph& glyph, const OutlineStyle& style, GLuint list) {
  const bool extruded = !glyph.back.empty();
  glNewList(list, GL_COMPILE);
  if (style.polygons) {
    EmitFace(glyph.frontFace, 1.0);
    if (extruded) {
      EmitFace(glyph.backFace, -1.0);
      EmitWalls(glyph);
    }
  } else {
    EmitLoops(glyph.front, glyph.contourEnds);
    if (extruded) {
      EmitLoops(glyph.back, glyph.contourEnds);
      EmitRungs(glyph);
    }
  }
  glTranslatef(glyph.advance, 0.0f, 0.0f);
  glEndList();
}

}  // namespace native::fonts
