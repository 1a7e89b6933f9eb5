// The native backend's faces: fontconfig and FreeType behind the core's font
// objects, GetCharWidthA's advances and the private font files.
#include <memory>

#include "platform/core/fonts.h"
#include "platform/native/fonts/font_resolver.h"
#include "platform/native/fonts/native_fonts.h"

struct core::Face {
  native::fonts::SizedFont font;

  ~Face() { native::fonts::CloseFont(&font); }
};

namespace native::fonts {
namespace {

class NativeFaces final : public core::Faces {
 public:
  core::Face* OpenFace(const core::FontRequest& request, std::string* why) override {
    auto face = std::make_unique<core::Face>();
    if (!OpenFont(request, &face->font, why)) return nullptr;
    return face.release();
  }
  void CloseFace(core::Face* face) override { delete face; }
  bool CharWidths(core::Face* face, UINT first, UINT last, int* widths) override {
    const SizedFont& font = face->font;
    for (UINT code = first; code <= last; ++code) {
      const int advance = PixelAdvance(font, GlyphForAnsiCode(font, code));
      if (advance < 0) return false;
      widths[code - first] = advance;
    }
    return true;
  }
  bool BuildBitmapLists(core::Face* face, DWORD first, DWORD count, DWORD listBase) override {
    return native::fonts::BuildBitmapLists(face->font, first, count, listBase);
  }
  bool BuildOutlineLists(core::Face* face, DWORD first, DWORD count, DWORD listBase,
                         const core::OutlineStyle& style, GLYPHMETRICSFLOAT* metrics) override {
    return native::fonts::BuildOutlineLists(face->font, first, count, listBase, style.polygons,
                                            style.deviation, style.extrusion, metrics);
  }
  int AddFontFile(const char* path, std::string* /*why*/) override {
    return native::fonts::AddFontFile(path);
  }
  bool RemoveFontFile(const char* path) override { return native::fonts::RemoveFontFile(path); }
};

}  // namespace

core::Faces& TheFaces() {
  static NativeFaces faces;
  return faces;
}

bool DescribeFont(HGDIOBJ handle, FontDescription* description) {
  const core::Face* face = core::FaceOf(handle);
  if (!face) return false;
  const SizedFont& font = face->font;
  *description = FontDescription{font.family,   font.style,    font.file, font.faceIndex,
                                 font.emPixels, font.embolden, font.slant};
  return true;
}

}  // namespace native::fonts
