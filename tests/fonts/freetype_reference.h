// FreeType's own answers for a face, worked out apart from the layer: what
// the layer's widths and lists must agree with.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <string>
#include <vector>

#include "gl_session.h"
#include "platform/native/fonts/native_fonts.h"

namespace fonts_test {

inline HFONT MakeFont(const char* face, int height, int weight, DWORD italic = 0) {
  return CreateFontA(height, 0, 0, 0, weight, italic, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

inline native::fonts::FontDescription Describe(HGDIOBJ font) {
  native::fonts::FontDescription description;
  native::fonts::DescribeFont(font, &description);
  return description;
}

// A 1-bit glyph image, rows top-down, placed relative to the pen.
struct MonoGlyph {
  int left = 0, top = 0, width = 0, rows = 0;
  std::vector<bool> bits;
  bool Bit(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < rows && bits[y * width + x];
  }
  // Whether the window pixel (x, y) is inked with the pen at (penX, penY).
  bool Inks(int x, int y, int penX, int penY) const {
    return Bit(x - penX - left, penY + top - 1 - y);
  }
};

// Window pixels that differ from the image drawn at the pen.
inline int Mismatches(const std::vector<uint8_t>& pixels, const MonoGlyph& mono, int penX,
                      int penY) {
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) wrong += Lit(pixels, x, y) != mono.Inks(x, y, penX, penY);
  return wrong;
}

class Reference {
 public:
  // Hinted for 1-bit output as GDI's bitmaps are, or the bare outline as a
  // scaled-up outline list is.
  Reference(const native::fonts::FontDescription& font, int pixels, bool hinted = true)
      : pixels_(pixels),
        flags_(FT_LOAD_NO_BITMAP | (hinted ? FT_LOAD_TARGET_MONO : FT_LOAD_NO_HINTING)) {
    FT_Init_FreeType(&library_);
    if (FT_New_Face(library_, font.file.c_str(), font.faceIndex, &face_) == 0)
      FT_Set_Pixel_Sizes(face_, 0, pixels);
  }
  ~Reference() {
    if (face_) FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  FT_Face Face() const { return face_; }
  FT_UInt GlyphOf(char32_t character) const { return FT_Get_Char_Index(face_, character); }

  // The design advance at this size in whole pixels, rounded up.
  int Advance(FT_UInt glyph) const {
    FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE);
    const long em = face_->units_per_EM;
    return static_cast<int>((face_->glyph->metrics.horiAdvance * pixels_ + em - 1) / em);
  }

  MonoGlyph Render(FT_UInt glyph) const {
    MonoGlyph mono;
    if (FT_Load_Glyph(face_, glyph, flags_) != 0 ||
        FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_MONO) != 0)
      return mono;
    const FT_Bitmap& bitmap = face_->glyph->bitmap;
    mono = MonoGlyph{face_->glyph->bitmap_left,
                     face_->glyph->bitmap_top,
                     static_cast<int>(bitmap.width),
                     static_cast<int>(bitmap.rows),
                     {}};
    for (int y = 0; y < mono.rows; ++y)
      for (int x = 0; x < mono.width; ++x)
        mono.bits.push_back((bitmap.buffer[y * bitmap.pitch + x / 8] >> (7 - x % 8)) & 1);
    return mono;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  long pixels_;
  FT_Int32 flags_;
};

}  // namespace fonts_test
