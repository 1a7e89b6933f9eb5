// Turns FreeType glyphs into OpenGL display lists, as wglUseFontBitmapsA and
// wglUseFontOutlinesA make them. Each builder keeps its scratch memory (and
// the outline builder its GLU tessellator) from glyph to glyph and call to
// call, so that a build of hundreds of lists does not allocate per glyph.
//
// Both need a current GL context; the caller checks for one.
#pragma once

#include <array>
#include <deque>
#include <vector>

#include "platform/native/font_resolver.h"
#include "platform/platform.h"

namespace native {

class BitmapListBuilder {
 public:
  // Compiles `list` as the glyph's 1-bit image drawn by glBitmap, or an empty
  // glBitmap that only advances for a blank glyph. Expects the unpack state at
  // GL's defaults with GL_UNPACK_ALIGNMENT 4.
  bool Build(const SizedFont& font, FT_UInt glyph, GLuint list);

 private:
  // Rows bottom-up, each padded to 4 bytes: glBitmap's order.
  void FlipRows(const FT_Bitmap& bitmap);

  std::vector<GLubyte> bits_;
};

struct OutlineStyle {
  bool polygons = true;    // WGL_FONT_POLYGONS; false for WGL_FONT_LINES
  GLdouble deviation = 0;  // chord error allowed in em units; 0 for one design unit
  GLdouble extrusion = 0;  // depth along -z in em units; 0 for flat glyphs
};

class OutlineListBuilder {
 public:
  OutlineListBuilder();
  ~OutlineListBuilder();
  OutlineListBuilder(const OutlineListBuilder&) = delete;
  OutlineListBuilder& operator=(const OutlineListBuilder&) = delete;

  // False when GLU could not make a tessellator.
  bool Usable() const { return tess_ != nullptr; }

  // Compiles `list` as the glyph's outline in em units, ending with a
  // translation by its advance; fills `metrics` when it is not null.
  bool Build(const SizedFont& font, FT_UInt glyph, GLuint list, const OutlineStyle& style,
             GLYPHMETRICSFLOAT* metrics);

 private:
  friend struct OutlineFlattener;

  void Flatten(FT_Outline* outline, double tolerance, double unit, double depth);
  void EmitFace(std::vector<GLdouble>& points, GLdouble normalZ);
  void EmitWalls(bool fillsRight);
  void EmitLoops(const std::vector<GLdouble>& points);
  void EmitRungs();

  static void Combine(GLdouble coords[3], void* data[4], GLfloat weight[4], void** out,
                      void* builder);
  static void TessError(GLenum error, void* builder);

  GLUtesselator* tess_ = nullptr;
  std::vector<GLdouble> front_;                // x, y, z of each vertex, em units
  std::vector<GLdouble> back_;                 // the same at z = -extrusion
  std::vector<size_t> contourEnds_;            // one past each contour's last vertex
  std::deque<std::array<GLdouble, 3>> extra_;  // vertices the tessellator made
  GLenum tessError_ = 0;
};

}  // namespace native
