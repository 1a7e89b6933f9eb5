// What the font half of gdi32 offers the rest of the native layer (and the
// layer's own tests), beyond the Win32 entry points. Free of FreeType and
// fontconfig, so anything in the layer may include it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace native {

struct SizedFont;

// The face behind the font selected into `hdc`: the stock font for a device
// context that was never given one. Null for a null DC, or when even the stock
// font cannot be resolved, which is reported in the name of `call`.
const SizedFont* SelectedFont(HDC hdc, const char* call);

// Forgets what was selected into a device context that is being released, so
// a later DC with the same handle value starts with the stock font again.
void ForgetDeviceContext(HDC hdc);

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

// Starts reading fontconfig's configuration on a thread of its own, so the
// first CreateFontA need not wait for it. Called once at program start.
void WarmUpFonts();

// False for anything that is not a live font object.
bool DescribeFont(HGDIOBJ font, FontDescription* description);

}  // namespace native
