// WGL on the native layer, rendering contexts. (The font calls are in
// wgl_fonts.cpp.)
#include <map>

#include "platform/native/entry_guard.h"
#include "platform/native/win32/native_windows.h"
#include "platform/native/window_system/sdl_backend.h"

namespace {

struct State {
  std::map<HGLRC, backend::GlContext*> contexts;
  uintptr_t nextHandle = 0;
};

State& Wgl() {
  static State state;
  return state;
}

backend::GlContext* Find(HGLRC hglrc) {
  auto it = Wgl().contexts.find(hglrc);
  return it == Wgl().contexts.end() ? nullptr : it->second;
}

}  // namespace

HGLRC WINAPI wglCreateContext(HDC hdc) try {
  const native::EntryPoint entry(__func__);
  // Windows needs the pixel format first; the surface comes with it.
  HWND hwnd = native::WindowFromDC(hdc);
  backend::Surface* surface = native::SurfaceOf(hwnd);
  if (!surface || native::PixelFormatOf(hwnd) == 0) return nullptr;
  // The handle's entry first: once the context exists, nothing may fail.
  HGLRC hglrc = reinterpret_cast<HGLRC>(0x30000 + ++Wgl().nextHandle);
  auto slot = Wgl().contexts.emplace(hglrc, nullptr).first;
  slot->second = backend::CreateContext(surface, "wglCreateContext");
  if (slot->second) return hglrc;
  Wgl().contexts.erase(slot);
  return nullptr;
} catch (...) {
  return native::Failed(__func__, HGLRC{});
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc) try {
  const native::EntryPoint entry(__func__);
  if (!hglrc) return backend::MakeCurrent(nullptr, nullptr) ? TRUE : FALSE;
  backend::GlContext* context = Find(hglrc);
  backend::Surface* surface = native::SurfaceOf(native::WindowFromDC(hdc));
  if (!context || !surface) return FALSE;
  return backend::MakeCurrent(surface, context) ? TRUE : FALSE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc) try {
  const native::EntryPoint entry(__func__);
  auto it = Wgl().contexts.find(hglrc);
  if (it == Wgl().contexts.end()) return FALSE;
  // Works after the window is gone too: a context outlives its window.
  backend::DeleteContext(it->second);
  Wgl().contexts.erase(it);
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

HGLRC WINAPI wglGetCurrentContext(void) try {
  const native::EntryPoint entry(__func__);
  for (const auto& [hglrc, context] : Wgl().contexts)
    if (backend::IsCurrent(context)) return hglrc;
  return nullptr;
} catch (...) {
  return native::Failed(__func__, HGLRC{});
}
