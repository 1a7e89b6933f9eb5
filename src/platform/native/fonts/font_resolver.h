// Which face answers a GDI font request, at which size, and which of its
// glyphs stands for an 8-bit code. Faces come from fontconfig and are opened
// once with FreeType; every font object gets its own FT_Size on the shared
// face, so fonts of different heights never re-open or re-size a file.
//
// Internal to the native layer: FreeType's types stop here.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "platform/core/backend.h"

namespace native::fonts {

using core::FontRequest;

// A face at the size and style one font object asked for.
struct SizedFont {
  FT_Face face = nullptr;  // shared; owned by the resolver's face cache
  FT_Size size = nullptr;  // this font's own, made on `face`
  int emPixels = 0;        // the em height the size was set to
  // fontconfig's verdict when the face lacks the asked-for style: draw it
  // heavier or slanted, as GDI synthesises bold and italic.
  bool embolden = false;
  bool slant = false;
  FT_Matrix slantMatrix{0x10000, 0, 0, 0x10000};
  std::string family, style, file;
  int faceIndex = 0;
};

// Resolves and sizes a face; on failure says why in `why`.
bool OpenFont(const FontRequest& request, SizedFont* font, std::string* why);
void CloseFont(SizedFont* font);

// Another handle on a sized font, with a face of its own: FreeType lets
// threads load glyphs at the same time only from different faces. Copies are
// opened and closed by one thread at a time; each is then used by one thread.
bool OpenFontCopy(const SizedFont& font, SizedFont* copy);
void CloseFontCopy(SizedFont* copy);

// The glyph that an ANSI (Windows-1252) code maps to; 0, the face's missing
// glyph, where it has none.
FT_UInt GlyphForAnsiCode(const SizedFont& font, unsigned code);

// Loads a glyph hinted for 1-bit rendering at the font's size, with the
// font's synthetic style applied; null on failure. The slot is the face's and
// stays valid until the next load on that face.
FT_GlyphSlot LoadHintedGlyph(const SizedFont& font, FT_UInt glyph);

// A glyph's advance at the font's size in whole pixels, rounded up as GDI
// does; -1 when the face cannot tell. It is the design advance scaled, not
// the hinted one, so that a metric-compatible face keeps the metrics of the
// face it stands in for (hinting moves some advances by more than a pixel).
// GetCharWidthA and the bitmap lists share it so that the two never disagree.
int PixelAdvance(const SizedFont& font, FT_UInt glyph);

// Loads a glyph's outline unscaled, in font units, with the font's synthetic
// style applied; `advance` gets its advance in font units. Null on failure.
FT_Outline* LoadDesignOutline(const SizedFont& font, FT_UInt glyph, FT_Pos* advance);

// Private font files, as AddFontResourceA / RemoveFontResourceA. Adding
// returns the number of faces the file brings (0 on failure); a file added
// more than once must be removed as often.
int AddFontFile(const char* path);
bool RemoveFontFile(const char* path);

}  // namespace native::fonts
