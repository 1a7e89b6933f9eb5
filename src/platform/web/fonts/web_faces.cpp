#include "platform/web/fonts/web_faces.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "platform/core/report.h"
#include "platform/web/fonts/baked_font.h"
#include "platform/web/gl/gl_context.h"

// Made by the font bake step (plumo-font-bake).
extern const unsigned char kBakedFonts[];
extern const size_t kBakedFontsSize;

// A font object's face is one of the baked ones, which live as long as the page.
struct core::Face {
  const web::fonts::Face* baked = nullptr;
};

namespace web::fonts {
namespace {

const std::vector<web::fonts::Face>& BakedFaces() {
  static const std::vector<web::fonts::Face>* faces = [] {
    auto* read = new std::vector<web::fonts::Face>;
    if (!web::fonts::Read(kBakedFonts, kBakedFontsSize, read))
      core::Report(core::CallInProgress(), "the page's baked fonts cannot be read");
    return read;
  }();
  return *faces;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool ListsPossible(DWORD first, DWORD count) {
  if (!gl::Current()) return false;
  if (first > 255 || count > 256 - first) {
    core::Report(core::CallInProgress(), "the page's fonts have the 256 ANSI codes only");
    return false;
  }
  return true;
}

class WebFaces final : public core::Faces {
 public:
  core::Face* OpenFace(const core::FontRequest& request, std::string* why) override {
    for (const web::fonts::Face& face : BakedFaces()) {
      if (SameName(face.name, request.faceName) && face.height == request.height &&
          face.weight == request.weight && face.italic == request.italic)
        return new core::Face{&face};
    }
    *why = "the page has no font \"" + request.faceName + "\" of height " +
           std::to_string(request.height) + " and weight " + std::to_string(request.weight) +
           (request.italic ? ", italic" : "");
    return nullptr;
  }

  void CloseFace(core::Face* face) override { delete face; }

  bool CharWidths(core::Face* face, UINT first, UINT last, int* widths) override {
    if (last > 255) return false;
    for (UINT code = first; code <= last; ++code) widths[code - first] = face->baked->widths[code];
    return true;
  }

  bool BuildBitmapLists(core::Face* face, DWORD first, DWORD count, DWORD listBase) override {
    if (!ListsPossible(first, count)) return false;
    const web::fonts::Face& baked = *face->baked;
    // Save, set, build, restore: glBitmap reads rows padded to 4 bytes.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (DWORD i = 0; i < count; ++i) {
      const web::fonts::BitmapGlyph& glyph = baked.bitmaps[baked.glyphOf[first + i]];
      glNewList(listBase + i, GL_COMPILE);
      glBitmap(glyph.width, glyph.height, static_cast<GLfloat>(glyph.originX),
               static_cast<GLfloat>(glyph.originY), static_cast<GLfloat>(glyph.advance), 0.0f,
               glyph.bits.empty() ? nullptr : glyph.bits.data());
      glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return true;
  }

  bool BuildOutlineLists(core::Face* face, DWORD first, DWORD count, DWORD listBase,
                         const core::OutlineStyle& style, GLYPHMETRICSFLOAT* metrics) override {
    if (!ListsPossible(first, count)) return false;
    if (style.deviation > 0 || style.extrusion > 0) {
      core::Report(core::CallInProgress(), "the page's outlines are baked flat, with deviation 0");
      return false;
    }
    const web::fonts::Face& baked = *face->baked;
    for (DWORD i = 0; i < count; ++i) {
      const web::fonts::OutlineGlyph& glyph = baked.outlines[baked.glyphOf[first + i]];
      const std::vector<float>& p = glyph.points;
      glNewList(listBase + i, GL_COMPILE);
      if (style.polygons) {
        glNormal3d(0.0, 0.0, 1.0);
        for (const web::fonts::OutlineGlyph::Primitive& primitive : glyph.primitives) {
          glBegin(primitive.mode);
          for (uint16_t v : primitive.indices) glVertex3f(p[2 * v], p[2 * v + 1], 0.0f);
          glEnd();
        }
      } else {
        size_t start = 0;
        for (size_t end : glyph.contourEnds) {
          glBegin(GL_LINE_LOOP);
          for (size_t v = start; v < end; ++v) glVertex3f(p[2 * v], p[2 * v + 1], 0.0f);
          glEnd();
          start = end;
        }
      }
      glTranslatef(glyph.advance, 0.0f, 0.0f);
      glEndList();
      if (metrics) metrics[i] = glyph.metrics;
    }
    return true;
  }

  int AddFontFile(const char*, std::string* why) override {
    *why = "cannot be read: the page has its baked fonts only";
    return 0;
  }
  bool RemoveFontFile(const char*) override { return false; }
};

}  // namespace

core::Faces& TheFaces() {
  static WebFaces faces;
  return faces;
}

}  // namespace web::fonts
