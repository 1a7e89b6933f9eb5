// WGL on the fake: contexts as bookkeeping, glyph conversions recorded.
#include "fake_platform.h"

using fake::Float;
using fake::Get;
using fake::Handle;
using fake::Int;

HGLRC WINAPI wglCreateContext(HDC hdc) {
  if (Get().Record("wglCreateContext", {Handle(hdc)})) return nullptr;
  // Windows needs the pixel format first.
  if (!Get().pixelFormats.count(hdc)) return nullptr;
  HGLRC context = reinterpret_cast<HGLRC>(0x30000 + ++Get().nextHandle);
  Get().contexts.insert(context);
  return context;
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc) {
  if (Get().Record("wglMakeCurrent", {Handle(hdc), Handle(hglrc)})) return FALSE;
  if (hglrc && !Get().contexts.count(hglrc)) return FALSE;
  Get().currentContext = hglrc;
  Get().currentDC = hglrc ? hdc : nullptr;
  return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc) {
  if (Get().Record("wglDeleteContext", {Handle(hglrc)})) return FALSE;
  if (!Get().contexts.erase(hglrc)) return FALSE;
  Get().lists.clear();  // display lists live and die with their context
  if (Get().currentContext == hglrc) {
    Get().currentContext = nullptr;
    Get().currentDC = nullptr;
  }
  return TRUE;
}

HGLRC WINAPI wglGetCurrentContext(void) {
  Get().Record("wglGetCurrentContext", {});
  return Get().currentContext;
}

BOOL WINAPI wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
  if (Get().Record("wglUseFontBitmapsA", {Handle(hdc), Int(first), Int(count), Int(listBase)}))
    return FALSE;
  return Get().currentContext != nullptr;
}

BOOL WINAPI wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD listBase, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT metrics) {
  if (Get().Record("wglUseFontOutlinesA",
                   {Handle(hdc),
                    Int(first),
                    Int(count),
                    Int(listBase),
                    Float(deviation),
                    Float(extrusion),
                    {static_cast<double>(format),
                     format == WGL_FONT_POLYGONS ? "WGL_FONT_POLYGONS" : "WGL_FONT_LINES"},
                    Handle(metrics)}))
    return FALSE;
  if (!Get().currentContext) return FALSE;
  // Metrics in em units, distinct per code and per format, so a test can see
  // which conversion wrote them last.
  for (DWORD i = 0; metrics && i < count; ++i) {
    const float advance = static_cast<float>(fake::FakeCharWidth(first + i)) / 48.0f;
    metrics[i] =
        GLYPHMETRICSFLOAT{advance, 0.7f, {0.0f, 0.7f}, advance, static_cast<float>(format)};
  }
  return TRUE;
}
