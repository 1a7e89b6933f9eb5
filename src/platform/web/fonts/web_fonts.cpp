// gdi32's and opengl32's font calls in the web page, on the faces baked into
// it at build time (baked_font.h). A font object is one of those faces;
// CreateFontA for any other face, size, weight or slant fails, as Windows
// fails for a font it cannot make, and the demo then runs without captions.
// The glyph lists are made through the page's own GL entry points, call for
// call as the native layer makes them.
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/web/fonts/baked_font.h"
#include "platform/web/gl/gl_context.h"
#include "platform/web/win32/web_layer.h"

// Made by the font bake step (plumo-font-bake).
extern const unsigned char kBakedFonts[];
extern const size_t kBakedFontsSize;

namespace {

// Font handles are tagged small numbers, so a stale or foreign handle is
// recognised and refused; the stock font stands for "no font" here.
const uintptr_t kFontHandleTag = 0x46000000;
const HGDIOBJ kStockFont = reinterpret_cast<HGDIOBJ>(kFontHandleTag);

struct FontObject {
  const baked::Face* face = nullptr;
  int selections = 0;
  bool deletePending = false;
};

struct Fonts {
  std::vector<baked::Face> faces;
  std::map<HGDIOBJ, FontObject> objects;
  std::map<HDC, HGDIOBJ> selected;
  uintptr_t nextId = 1;
};

Fonts& State() {
  static Fonts* fonts = [] {
    auto* fresh = new Fonts;
    if (!baked::Read(kBakedFonts, kBakedFontsSize, &fresh->faces))
      web::Report("CreateFontA", "the page's baked fonts cannot be read");
    return fresh;
  }();
  return *fonts;
}

bool SameName(const std::string& a, const char* b) {
  if (!b || a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The face baked for the font selected into `hdc`, or null (reported).
const baked::Face* SelectedFace(HDC hdc, const char* call) {
  if (!hdc) return nullptr;
  auto selected = State().selected.find(hdc);
  if (selected == State().selected.end()) {
    web::Report(call, "the page has no stock font; select a font made by CreateFontA");
    return nullptr;
  }
  return State().objects.at(selected->second).face;
}

void Destroy(HGDIOBJ handle) {
  State().objects.erase(handle);
}

void Deselect(HGDIOBJ handle) {
  auto found = State().objects.find(handle);
  if (found == State().objects.end()) return;
  FontObject& object = found->second;
  if (--object.selections == 0 && object.deletePending) Destroy(handle);
}

bool ListsPossible(const baked::Face* face, DWORD first, DWORD count, const char* call) {
  if (!face || !webgl::Current()) return false;
  if (first > 255 || count > 256 - first) {
    web::Report(call, "the page's fonts have the 256 ANSI codes only");
    return false;
  }
  return true;
}

}  // namespace

HFONT WINAPI CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                         int weight, DWORD italic, DWORD /*underline*/, DWORD /*strikeOut*/,
                         DWORD /*charSet*/, DWORD /*outputPrecision*/, DWORD /*clipPrecision*/,
                         DWORD /*quality*/, DWORD /*pitchAndFamily*/, LPCSTR faceName) {
  Fonts& fonts = State();
  for (const baked::Face& face : fonts.faces) {
    if (SameName(face.name, faceName) && face.height == height && face.weight == weight &&
        face.italic == (italic != 0)) {
      const HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(kFontHandleTag | fonts.nextId++);
      fonts.objects[handle].face = &face;
      return static_cast<HFONT>(handle);
    }
  }
  const std::string reason = std::string("the page has no font \"") + (faceName ? faceName : "") +
                             "\" of height " + std::to_string(height) + " and weight " +
                             std::to_string(weight) + (italic ? ", italic" : "");
  web::Report("CreateFontA", reason.c_str());
  return nullptr;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
  Fonts& fonts = State();
  auto found = fonts.objects.find(object);
  const bool stock = object == kStockFont;
  if (!hdc || (!stock && (found == fonts.objects.end() || found->second.deletePending)))
    return nullptr;
  auto selected = fonts.selected.find(hdc);
  const HGDIOBJ previous = selected == fonts.selected.end() ? kStockFont : selected->second;
  if (stock) {
    fonts.selected.erase(hdc);
  } else {
    ++found->second.selections;
    fonts.selected[hdc] = object;
  }
  Deselect(previous);
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  if (object == kStockFont) return TRUE;  // harmless, as on Windows
  auto found = State().objects.find(object);
  if (found == State().objects.end()) return FALSE;
  if (found->second.selections > 0)
    found->second.deletePending = true;
  else
    Destroy(object);
  return TRUE;
}

BOOL WINAPI GetCharWidthA(HDC hdc, UINT firstChar, UINT lastChar, int* widths) {
  if (!widths || firstChar > lastChar || lastChar > 255) return FALSE;
  const baked::Face* face = SelectedFace(hdc, "GetCharWidthA");
  if (!face) return FALSE;
  for (UINT code = firstChar; code <= lastChar; ++code)
    widths[code - firstChar] = face->widths[code];
  return TRUE;
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT /*points*/, int /*count*/) {
  // MM_TEXT, the only mapping mode: logical units are pixels.
  return hdc ? TRUE : FALSE;
}

int WINAPI AddFontResourceA(LPCSTR /*fileName*/) {
  web::Report("AddFontResourceA", "the page cannot read font files; it has its baked fonts only");
  return 0;
}

BOOL WINAPI RemoveFontResourceA(LPCSTR /*fileName*/) {
  return FALSE;
}

BOOL WINAPI wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
  const baked::Face* face = SelectedFace(hdc, "wglUseFontBitmapsA");
  if (!ListsPossible(face, first, count, "wglUseFontBitmapsA")) return FALSE;
  // Save, set, build, restore: glBitmap reads rows padded to 4 bytes.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  for (DWORD i = 0; i < count; ++i) {
    const baked::BitmapGlyph& glyph = face->bitmaps[face->glyphOf[first + i]];
    glNewList(listBase + i, GL_COMPILE);
    glBitmap(glyph.width, glyph.height, static_cast<GLfloat>(glyph.originX),
             static_cast<GLfloat>(glyph.originY), static_cast<GLfloat>(glyph.advance), 0.0f,
             glyph.bits.empty() ? nullptr : glyph.bits.data());
    glEndList();
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return TRUE;
}

BOOL WINAPI wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD listBase, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT metrics) {
  if (format != WGL_FONT_POLYGONS && format != WGL_FONT_LINES) return FALSE;
  const baked::Face* face = SelectedFace(hdc, "wglUseFontOutlinesA");
  if (!ListsPossible(face, first, count, "wglUseFontOutlinesA")) return FALSE;
  if (deviation > 0 || extrusion > 0) {
    web::Report("wglUseFontOutlinesA", "the page's outlines are baked flat, with deviation 0");
    return FALSE;
  }
  for (DWORD i = 0; i < count; ++i) {
    const baked::OutlineGlyph& glyph = face->outlines[face->glyphOf[first + i]];
    const std::vector<float>& p = glyph.points;
    glNewList(listBase + i, GL_COMPILE);
    if (format == WGL_FONT_POLYGONS) {
      glNormal3d(0.0, 0.0, 1.0);
      for (const baked::OutlineGlyph::Primitive& primitive : glyph.primitives) {
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
  return TRUE;
}
