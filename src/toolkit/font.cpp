#include "toolkit/font.h"

#include <cstring>
#include <initializer_list>

#include "window/gl_window.h"

namespace {

const GLsizei kCodes = 256;

char* CopyString(const char* text) {
  if (!text) return nullptr;
  const size_t size = std::strlen(text) + 1;
  char* copy = new char[size];
  std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

Font::~Font() {
  Release();
  if (hfont) DeleteObject(hfont);
}

bool Font::Load(const char* fontFileArg, const char* faceNameArg, int heightArg,
                unsigned styleFlags, float extrusion) {
  height = heightArg;
  Release();
  fontFile = CopyString(fontFileArg);
  faceName = CopyString(faceNameArg);

  if (fontFile && AddFontResourceA(fontFile) == 0) return false;

  // The object of an earlier Load is replaced here, so it is deleted here.
  HFONT previous = hfont;
  hfont =
      CreateFontA(-height, 0, 0, 0, (styleFlags & 1) ? FW_BOLD : FW_NORMAL, styleFlags & 2,
                  styleFlags & 4, styleFlags & 8, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                  ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceNameArg);
  if (previous) DeleteObject(previous);
  if (!hfont) return false;

  // All three ranges are asked for before any is checked.
  bitmapBase = glGenLists(kCodes);
  polygonBase = glGenLists(kCodes);
  lineBase = glGenLists(kCodes);
  if (!bitmapBase || !polygonBase || !lineBase) return false;

  GlWindow* window = GetCurrentWindow();
  if (!window || !window->hdc) return false;
  HDC hdc = window->hdc;

  HGDIOBJ replaced = SelectObject(hdc, hfont);
  if (!wglUseFontBitmapsA(hdc, 0, kCodes, bitmapBase)) return false;
  if (!wglUseFontOutlinesA(hdc, 0, kCodes, polygonBase, 0.0f, extrusion, WGL_FONT_POLYGONS,
                           metrics))
    return false;
  // The same metrics again: the line conversion's values are the ones kept.
  if (!wglUseFontOutlinesA(hdc, 0, kCodes, lineBase, 0.0f, extrusion, WGL_FONT_LINES, metrics))
    return false;
  if (!GetCharWidthA(hdc, 0, kCodes - 1, widths)) return false;

  for (int& width : widths) {
    POINT point{width, 0};
    LPtoDP(hdc, &point, 1);
    width = point.x;
  }

  SelectObject(hdc, replaced);
  return true;
}

void Font::Release() {
  if (fontFile) RemoveFontResourceA(fontFile);
  delete[] fontFile;
  fontFile = nullptr;
  delete[] faceName;
  faceName = nullptr;

  if (!bitmapBase && !polygonBase && !lineBase) return;
  // The lists belong to the context they were made in. Once it is gone (the
  // window is closed before the font) they are gone too, and there is no GL
  // to call.
  const bool contextCurrent = wglGetCurrentContext() != nullptr;
  for (GLuint* base : {&bitmapBase, &polygonBase, &lineBase}) {
    if (*base && contextCurrent) glDeleteLists(*base, kCodes);
    *base = 0;
  }
}

void Font::Print(const Vector3& position, const Color& color, const char* text) {
  if (!text) return;

  // Save: both matrices to identity, the projection pushed onto the near plane.
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -1.0f);
  glPushAttrib(GL_LIST_BIT | GL_ENABLE_BIT);

  // Set: the colour must come before the raster position, which latches it.
  glDisable(GL_LIGHTING);
  glColor4fv(&color.r);
  glRasterPos2f(position.x, position.y);
  glListBase(bitmapBase);
  glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);

  // Restore.
  glPopAttrib();
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}
