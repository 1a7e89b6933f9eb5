// gdi32 on the native layer, pixel formats and presentation. (The font calls
// are in gdi32_fonts.cpp.)
//
// A pixel-format index stands for what a descriptor asked: ChoosePixelFormat
// keeps each distinct request and hands out its index, and SetPixelFormat
// turns it into the window's visual. Whether the display has such a visual
// is known only once a native window is made with it, so that is where a
// missing one is reported.
#include <cstddef>
#include <vector>

#include "platform/native/entry_guard.h"
#include "platform/native/win32/native_windows.h"
#include "platform/native/window_system/sdl_backend.h"

namespace {

struct State {
  std::vector<backend::PixelRequest> formats;  // index 1 is formats[0]
};

State& Gdi() {
  static State state;
  return state;
}

bool SameRequest(const backend::PixelRequest& a, const backend::PixelRequest& b) {
  return a.colorBits == b.colorBits && a.depthBits == b.depthBits &&
         a.stencilBits == b.stencilBits && a.doubleBuffer == b.doubleBuffer;
}

// GL visuals are RGBA; depth and stencil buffers beyond these sizes do not exist.
bool CanBeMet(const PIXELFORMATDESCRIPTOR& pfd) {
  return pfd.iPixelType == PFD_TYPE_RGBA && pfd.cColorBits <= 32 && pfd.cDepthBits <= 32 &&
         pfd.cStencilBits <= 8;
}

}  // namespace

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) try {
  const native::EntryPoint entry(__func__);
  if (!pfd || !native::WindowFromDC(hdc) || !CanBeMet(*pfd)) return 0;
  backend::PixelRequest request;
  request.colorBits = pfd->cColorBits;
  request.depthBits = pfd->cDepthBits;
  request.stencilBits = pfd->cStencilBits;
  request.doubleBuffer = (pfd->dwFlags & PFD_DOUBLEBUFFER) != 0;
  std::vector<backend::PixelRequest>& formats = Gdi().formats;
  for (std::size_t i = 0; i < formats.size(); ++i)
    if (SameRequest(formats[i], request)) return static_cast<int>(i + 1);
  formats.push_back(request);
  return static_cast<int>(formats.size());
} catch (...) {
  return native::Failed(__func__, 0);
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* /*pfd*/) try {
  const native::EntryPoint entry(__func__);
  HWND hwnd = native::WindowFromDC(hdc);
  const std::vector<backend::PixelRequest>& formats = Gdi().formats;
  if (!hwnd || format < 1 || static_cast<std::size_t>(format) > formats.size()) return FALSE;
  // A window's pixel format is set once for its life.
  if (native::PixelFormatOf(hwnd) != 0) return FALSE;
  return native::SetSurfaceFormat(hwnd, format, formats[format - 1], "SetPixelFormat");
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI SwapBuffers(HDC hdc) try {
  const native::EntryPoint entry(__func__);
  backend::Surface* surface = native::SurfaceOf(native::WindowFromDC(hdc));
  return surface && backend::Present(surface) ? TRUE : FALSE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}
