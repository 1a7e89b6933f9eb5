// opengl32's WGL calls: rendering contexts, and display lists made from the
// font selected into a device context. Contexts and glyphs are the
// backend's; this file keeps the handles and checks the calls.
#include <algorithm>
#include <map>

#include "platform/core/entry.h"
#include "platform/core/fonts.h"
#include "platform/core/layer_windows.h"

namespace core {
namespace {

struct Contexts {
  std::map<HGLRC, GlContext*> byHandle;
  uintptr_t nextHandle = 0;
};

Contexts& Wgl() {
  static Contexts contexts;
  return contexts;
}

GlContext* Find(HGLRC hglrc) {
  auto it = Wgl().byHandle.find(hglrc);
  return it == Wgl().byHandle.end() ? nullptr : it->second;
}

}  // namespace

HGLRC CurrentContext() {
  for (const auto& [hglrc, context] : Wgl().byHandle)
    if (TheBackend().IsCurrent(context)) return hglrc;
  return nullptr;
}

void ResetContexts() {
  TheBackend().MakeCurrent(nullptr, nullptr);
  for (const auto& entry : Wgl().byHandle) TheBackend().DeleteContext(entry.second);
  Wgl() = Contexts{};
}

}  // namespace core

using core::Args;
using core::Handle;
using core::Int;

HGLRC WINAPI wglCreateContext(HDC hdc) try {
  const core::Call call(__func__, [&] { return Args{Handle(hdc)}; });
  // Windows needs the pixel format first; the surface comes with it.
  const core::Window* window = core::Windows().Find(core::WindowFromDC(hdc));
  if (call.Fails() || !window || !window->surface || !window->pixelFormat) return nullptr;
  // The handle's entry first: once the context exists, nothing may fail.
  core::Contexts& contexts = core::Wgl();
  HGLRC hglrc = reinterpret_cast<HGLRC>(0x30000 + ++contexts.nextHandle);
  auto slot = contexts.byHandle.emplace(hglrc, nullptr).first;
  slot->second = core::TheBackend().CreateContext(window->surface);
  if (slot->second) return hglrc;
  contexts.byHandle.erase(slot);
  return nullptr;
} catch (...) {
  return core::Failed(__func__, HGLRC{});
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc) try {
  const core::Call call(__func__, [&] { return Args{Handle(hdc), Handle(hglrc)}; });
  if (call.Fails()) return FALSE;
  if (!hglrc) return core::TheBackend().MakeCurrent(nullptr, nullptr) ? TRUE : FALSE;
  core::GlContext* context = core::Find(hglrc);
  core::Surface* surface = core::SurfaceOf(core::WindowFromDC(hdc));
  if (!context || !surface) return FALSE;
  return core::TheBackend().MakeCurrent(surface, context) ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc) try {
  const core::Call call(__func__, [&] { return Args{Handle(hglrc)}; });
  auto it = core::Wgl().byHandle.find(hglrc);
  if (call.Fails() || it == core::Wgl().byHandle.end()) return FALSE;
  // Works after the window is gone too: a context outlives its window.
  core::TheBackend().DeleteContext(it->second);
  core::Wgl().byHandle.erase(it);
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

HGLRC WINAPI wglGetCurrentContext(void) try {
  const core::Call call(__func__, [] { return Args{}; });
  if (call.Fails()) return nullptr;
  return core::CurrentContext();
} catch (...) {
  return core::Failed(__func__, HGLRC{});
}

BOOL WINAPI wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hdc), Int(first), Int(count), Int(listBase)};
  });
  if (call.Fails()) return FALSE;
  core::Face* face = core::SelectedFace(hdc, __func__);
  if (!face) return FALSE;
  return core::TheBackend().Fonts().BuildBitmapLists(face, first, count, listBase) ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD listBase, FLOAT deviation,
                                FLOAT extrusion, int format, LPGLYPHMETRICSFLOAT metrics) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hdc),
                Int(first),
                Int(count),
                Int(listBase),
                core::Float(deviation),
                core::Float(extrusion),
                core::Named(core::TraceArg::kFontFormat, format),
                Handle(metrics)};
  });
  if (call.Fails() || (format != WGL_FONT_POLYGONS && format != WGL_FONT_LINES)) return FALSE;
  core::Face* face = core::SelectedFace(hdc, __func__);
  if (!face) return FALSE;
  core::OutlineStyle style;
  style.polygons = format == WGL_FONT_POLYGONS;
  style.deviation = std::max(deviation, 0.0f);
  style.extrusion = std::max(extrusion, 0.0f);
  return core::TheBackend().Fonts().BuildOutlineLists(face, first, count, listBase, style, metrics)
             ? TRUE
             : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}
