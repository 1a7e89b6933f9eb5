// The fonts the page ships: glyph bitmaps, outlines and widths made at build
// time by font_bake with the native layer's own fontconfig, FreeType and GLU
// code, stored in one byte string that is compiled into the page.
//
// A face is stored for one CreateFontA request (face name, height, weight,
// slant). Its 256 ANSI codes point at glyphs, so codes that share a glyph
// (the control codes all show the missing glyph) share its data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace web::fonts {

// As wglUseFontBitmapsA hands it to glBitmap: rows bottom-up, each padded to
// 4 bytes, most significant bit first; no bits for a blank glyph.
struct BitmapGlyph {
  int width = 0, height = 0;
  int originX = 0, originY = 0;  // glBitmap's xorig and yorig
  int advance = 0;
  std::vector<uint8_t> bits;
};

// As wglUseFontOutlinesA makes it with deviation 0 and extrusion 0: closed
// contours in em units (z is 0), and the primitives the GLU tessellator cut
// their inside into, as indices into the same points (the tessellator's own
// new vertices follow the contours' points).
struct OutlineGlyph {
  struct Primitive {
    GLenum mode = GL_TRIANGLES;
    std::vector<uint16_t> indices;
  };
  GLYPHMETRICSFLOAT metrics{};
  float advance = 0;
  std::vector<float> points;  // x, y of each
  std::vector<uint16_t> contourEnds;
  std::vector<Primitive> primitives;
};

struct Face {
  std::string name;
  int height = 0;  // as CreateFontA's height: < 0 is the em in pixels
  int weight = 0;
  bool italic = false;
  int widths[256] = {};        // GetCharWidthA's
  uint16_t glyphOf[256] = {};  // index into bitmaps and outlines
  std::vector<BitmapGlyph> bitmaps;
  std::vector<OutlineGlyph> outlines;
};

std::vector<uint8_t> Write(const std::vector<Face>& faces);
// False for data that is not a whole, well-formed set of faces.
bool Read(const uint8_t* data, size_t size, std::vector<Face>* faces);

}  // namespace web::fonts
