// What the native backend's font half offers the backend's table (and the
// layer's own tests). Free of FreeType and fontconfig, so anything in the
// layer may include it.
#pragma once

#include <string>

#include "platform/core/backend.h"

namespace native::fonts {

struct SizedFont;

// The backend's faces: fontconfig and FreeType (native_faces.cpp).
core::Faces& TheFaces();

// Display lists made from a face, into the context current on this thread
// (wgl_fonts.cpp).
bool BuildBitmapLists(const SizedFont& font, DWORD first, DWORD count, DWORD listBase);
bool BuildOutlineLists(const SizedFont& font, DWORD first, DWORD count, DWORD listBase,
                       bool polygons, float deviation, float extrusion, GLYPHMETRICSFLOAT* metrics);

// What a font object resolved to, as GetTextFace and GetTextMetrics would
// tell on Windows.
struct FontDescription {
  std::string family;
  std::string style;
  std::string file;
  int faceIndex = 0;
  int emPixels = 0;
  bool embolden = false;  // bold drawn by the layer, the face has none
  bool slant = false;     // italic drawn by the layer, the face has none
};

// False for anything that is not a live font object.
bool DescribeFont(HGDIOBJ font, FontDescription* description);

// Starts reading fontconfig's configuration on a thread of its own, so the
// first CreateFontA need not wait for it. Called once at program start.
void WarmUpFonts();

}  // namespace native::fonts
