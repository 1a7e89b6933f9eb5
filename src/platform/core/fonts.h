// What the core's font objects offer the rest of the layer beyond the gdi32
// entry points.
#pragma once

#include <cstddef>

#include "platform/core/backend.h"

namespace core {

// The handle of the stock font a fresh DC has selected.
extern const HGDIOBJ kStockFont;

// The font object selected into a DC: the stock font until another is.
HGDIOBJ SelectedObject(HDC hdc);

// The face behind the font selected into `hdc`: the stock font for a device
// context that was never given one. Null for a null DC, or when the face
// cannot be had, which is reported in the name of `call`.
Face* SelectedFace(HDC hdc, const char* call);

// The face a live font object resolved to; null for anything else.
Face* FaceOf(HGDIOBJ font);

// Font objects created and not yet destroyed (the stock font not counted).
size_t LiveFontObjects();

// Back to no font objects but the stock one, for tests.
void ResetFonts();

}  // namespace core
