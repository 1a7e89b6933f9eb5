#pragma once

#include "platform/platform.h"
#include "toolkit/color.h"
#include "toolkit/vector3.h"

// A GDI face turned into three ranges of 256 display lists, one list per
// 8-bit code: bitmap glyphs (what Print draws), filled outlines and line
// outlines, with the advance widths and outline metrics of every code.
class Font {
 public:
  Font() = default;
  virtual ~Font();

  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Style flags: 1 bold, 2 italic, 4 underline, 8 strikeout.
  bool Load(const char* fontFileArg, const char* faceNameArg, int heightArg, unsigned styleFlags,
            float extrusion);
  void Release();
  // Draws `text` with the bitmap glyphs, starting at `position` in normalised
  // device coordinates.
  void Print(const Vector3& position, const Color& color, const char* text);

  char* faceName = nullptr;
  int height = 0;
  int widths[256];
  GLYPHMETRICSFLOAT metrics[256];
  GLuint bitmapBase = 0;
  GLuint polygonBase = 0;
  GLuint lineBase = 0;
  char* fontFile = nullptr;
  HFONT hfont = nullptr;
};
