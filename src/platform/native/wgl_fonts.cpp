// opengl32's font calls: display lists made from the font selected into a
// device context. The glyphs themselves come from glyph_builder; this file
// checks the call, walks the codes and keeps the caller's GL state intact.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/native/font_resolver.h"
#include "platform/native/glyph_builder.h"
#include "platform/native/native_fonts.h"

namespace native {
namespace {

struct WglFonts {
  BitmapListBuilder bitmaps;
  std::unique_ptr<OutlineListBuilder> outlines;  // made on first use
};

WglFonts& State() {
  static WglFonts state;
  return state;
}

// The lists go into whatever context is current, whoever made it. GL itself
// knows whether there is one: without a context its entry points are no-ops
// and glGetString answers null.
bool HasCurrentContext() {
  return glGetString(GL_VERSION) != nullptr;
}

// The client pixel-store state that glBitmap reads while a list is compiled.
struct UnpackState {
  GLint alignment, rowLength, skipRows, skipPixels, lsbFirst, swapBytes;
};

UnpackState SaveUnpack() {
  UnpackState saved{};
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved.alignment);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &saved.rowLength);
  glGetIntegerv(GL_UNPACK_SKIP_ROWS, &saved.skipRows);
  glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &saved.skipPixels);
  glGetIntegerv(GL_UNPACK_LSB_FIRST, &saved.lsbFirst);
  glGetIntegerv(GL_UNPACK_SWAP_BYTES, &saved.swapBytes);
  return saved;
}

void SetUnpack(const UnpackState& state) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, state.alignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, state.rowLength);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, state.skipRows);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, state.skipPixels);
  glPixelStorei(GL_UNPACK_LSB_FIRST, state.lsbFirst);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, state.swapBytes);
}

// Tightly packed rows padded to 4 bytes, most significant bit first: the
// layout BitmapListBuilder writes, whatever the caller had set.
const UnpackState kGlyphUnpack{4, 0, 0, 0, GL_FALSE, GL_FALSE};

OutlineListBuilder* Outlines() {
  std::unique_ptr<OutlineListBuilder>& outlines = State().outlines;
  if (!outlines) {
    outlines = std::make_unique<OutlineListBuilder>();
    if (!outlines->Usable())
      std::fprintf(stderr, "plumo: wglUseFontOutlinesA: GLU cannot make a tessellator\n");
  }
  return outlines->Usable() ? outlines.get() : nullptr;
}

}  // namespace
}  // namespace native

BOOL WINAPI wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
  const native::SizedFont* font = native::SelectedFont(hdc, "wglUseFontBitmapsA");
  if (!font || !native::HasCurrentContext()) return FALSE;

  // Save, set, build, restore.
  const native::UnpackState saved = native::SaveUnpack();
  native::SetUnpack(native::kGlyphUnpack);
  bool built = true;
  for (DWORD i = 0; i < count && built; ++i) {
    const FT_UInt glyph = native::GlyphForAnsiCode(*font, first + i);
    built = native::State().bitmaps.Build(*font, glyph, listBase + i);
  }
  native::SetUnpack(saved);
  return built ? TRUE : FALSE;
}

BOOL WINAPI wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD listBase, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT metrics) {
  if (format != WGL_FONT_POLYGONS && format != WGL_FONT_LINES) return FALSE;
  const native::SizedFont* font = native::SelectedFont(hdc, "wglUseFontOutlinesA");
  if (!font || !native::HasCurrentContext()) return FALSE;
  native::OutlineListBuilder* builder = native::Outlines();
  if (!builder) return FALSE;

  native::OutlineStyle style;
  style.polygons = format == WGL_FONT_POLYGONS;
  style.deviation = std::max(deviation, 0.0f);
  style.extrusion = std::max(extrusion, 0.0f);
  for (DWORD i = 0; i < count; ++i) {
    const FT_UInt glyph = native::GlyphForAnsiCode(*font, first + i);
    if (!builder->Build(*font, glyph, listBase + i, style, metrics ? &metrics[i] : nullptr))
      return FALSE;
  }
  return TRUE;
}
