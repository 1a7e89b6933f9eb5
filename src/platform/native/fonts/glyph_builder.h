// Turns FreeType glyphs into OpenGL display lists, as wglUseFontBitmapsA and
// wglUseFontOutlinesA make them, in stages that touch one library each:
//
//   - Render* and Shape* read the glyph with FreeType. They use the face's
//     glyph slot, so calls on one face must not overlap.
//   - GlyphTessellator cuts a shaped outline into triangles with GLU; it needs
//     no GL context, and each thread can have its own.
//   - Compile* records the list; it needs the current GL context.
//
// The split lets a batch of glyphs be read and tessellated on several
// threads while the context's own thread compiles them in order.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <vector>

#include "platform/native/fonts/font_resolver.h"
#include "platform/platform.h"

namespace native::fonts {

// ---------------------------------------------------------------- bitmaps

// A glyph as glBitmap draws it: rows bottom-up, each padded to 4 bytes, most
// significant bit first (GL's unpack defaults with GL_UNPACK_ALIGNMENT 4).
struct BitmapGlyph {
  std::vector<GLubyte> bits;  // empty for a blank glyph such as space
  GLsizei width = 0, height = 0;
  GLfloat originX = 0, originY = 0;  // glBitmap's xorig and yorig
  GLfloat advance = 0;
};

bool RenderBitmapGlyph(const SizedFont& font, FT_UInt glyph, BitmapGlyph* out);
// `topDown`: for a framebuffer drawn with the window origin at the top, where
// glBitmap lays rows downwards; the rows and yorig are turned to match.
void CompileBitmapList(const BitmapGlyph& glyph, GLuint list, bool topDown);

// ---------------------------------------------------------------- outlines

struct OutlineStyle {
  bool polygons = true;    // WGL_FONT_POLYGONS; false for WGL_FONT_LINES
  GLdouble deviation = 0;  // chord error allowed in em units; 0 for one design unit
  GLdouble extrusion = 0;  // depth along -z in em units; 0 for flat glyphs
};

// What the tessellator made of one face: primitives as GLU handed them out
// (fans, strips, triangles), to be replayed into the list as they came.
struct TessellatedFace {
  struct Primitive {
    GLenum mode;
    size_t first, count;  // in corners
  };
  std::vector<Primitive> primitives;
  std::vector<GLdouble> corners;  // x, y, z of each

  void Clear() {
    primitives.clear();
    corners.clear();
  }
};

// A glyph's outline flattened into closed polylines in em units, and what the
// tessellator made of it.
struct OutlineGlyph {
  std::vector<GLdouble> front;      // x, y, z of each vertex
  std::vector<GLdouble> back;       // the same at z = -extrusion; empty when flat
  std::vector<size_t> contourEnds;  // one past each contour's last vertex
  GLYPHMETRICSFLOAT metrics{};
  GLfloat advance = 0;
  bool fillsRight = false;  // FreeType's orientation: which side of a contour is ink

  // Polygons only, filled by GlyphTessellator.
  TessellatedFace frontFace, backFace;
};

bool ShapeOutlineGlyph(const SizedFont& font, FT_UInt glyph, const OutlineStyle& style,
                       OutlineGlyph* out);

class GlyphTessellator {
 public:
  GlyphTessellator();
  GlyphTessellator(const GlyphTessellator&) = delete;
  GlyphTessellator& operator=(const GlyphTessellator&) = delete;

  // False when GLU could not make a tessellator.
  bool Usable() const { return tess_ != nullptr; }

  // Fills the glyph's front face, and its back face when it has a back.
  // A tessellator error is reported on stderr and leaves the face it hit
  // partly filled, as the list would have been; false only when memory ran
  // out.
  bool Tessellate(OutlineGlyph* glyph);

 private:
  void Fill(const std::vector<GLdouble>& points, const std::vector<size_t>& contourEnds,
            GLdouble normalZ, TessellatedFace* face);

  static void Begin(GLenum mode, void* tessellator);
  static void Vertex(void* vertex, void* tessellator);
  static void Combine(GLdouble coords[3], void* data[4], GLfloat weight[4], void** out,
                      void* tessellator);
  static void Error(GLenum error, void* tessellator);

  // Owned from the start: a member made after it may fail to allocate.
  struct DeleteTess {
    void operator()(GLUtesselator* tess) const { gluDeleteTess(tess); }
  };
  std::unique_ptr<GLUtesselator, DeleteTess> tess_;
  TessellatedFace* face_ = nullptr;            // the face being filled
  std::deque<std::array<GLdouble, 3>> extra_;  // vertices the tessellator made
  GLenum error_ = 0;
  bool outOfMemory_ = false;
};

// Records the glyph's faces (or contours, for lines), walls or rungs when
// extruded, and a translation by its advance.
void CompileOutlineList(const OutlineGlyph& glyph, const OutlineStyle& style, GLuint list);

}  // namespace native::fonts
