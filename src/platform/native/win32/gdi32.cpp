// gdi32 on the native layer, pixel formats and presentation. (The font calls
// are in gdi32_fonts.cpp.)
//
// The pixel formats are the layer's own (pixel_formats.h): the demo draws
// into a framebuffer of the chosen format whatever visuals the display has,
// so the choice depends on the request alone.
#include <algorithm>
#include <vector>

#include "platform/native/entry_guard.h"
#include "platform/native/native_report.h"
#include "platform/native/win32/native_windows.h"
#include "platform/native/window_system/sdl_backend.h"

namespace {

// Colour buffers and the rest as RGBA formats; no accumulation, aux or
// overlay planes.
bool CanBeMet(const PIXELFORMATDESCRIPTOR& pfd) {
  return pfd.iPixelType == PFD_TYPE_RGBA && pfd.cColorBits <= 32 && pfd.cDepthBits <= 32 &&
         pfd.cStencilBits <= 8;
}

PIXELFORMATDESCRIPTOR Describe(const backend::PixelFormat& format) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(format.redBits + format.greenBits + format.blueBits);
  pfd.cRedBits = static_cast<BYTE>(format.redBits);
  pfd.cGreenBits = static_cast<BYTE>(format.greenBits);
  pfd.cBlueBits = static_cast<BYTE>(format.blueBits);
  pfd.cAlphaBits = static_cast<BYTE>(format.alphaBits);
  // Packed as on Windows: blue lowest, alpha highest.
  pfd.cBlueShift = 0;
  pfd.cGreenShift = static_cast<BYTE>(format.blueBits);
  pfd.cRedShift = static_cast<BYTE>(format.blueBits + format.greenBits);
  pfd.cAlphaShift = static_cast<BYTE>(format.alphaBits ? pfd.cRedShift + format.redBits : 0);
  pfd.cDepthBits = static_cast<BYTE>(format.depthBits);
  pfd.cStencilBits = static_cast<BYTE>(format.stencilBits);
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}

}  // namespace

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) try {
  const native::EntryPoint entry(__func__);
  if (!pfd || !native::WindowFromDC(hdc)) return 0;
  backend::PixelRequest request;
  request.colorBits = pfd->cColorBits;
  request.depthBits = pfd->cDepthBits;
  request.stencilBits = pfd->cStencilBits;
  const int format = CanBeMet(*pfd) ? backend::ChoosePixelFormatNumber(request) : 0;
  if (format == 0 && pfd->iPixelType == PFD_TYPE_RGBA)
    native::Report(__func__, "no pixel format with %d depth and %d stencil bits", pfd->cDepthBits,
                   pfd->cStencilBits);
  return format;
} catch (...) {
  return native::Failed(__func__, 0);
}

int WINAPI DescribePixelFormat(HDC hdc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* pfd) try {
  const native::EntryPoint entry(__func__);
  const std::vector<backend::PixelFormat>& formats = backend::OfferedPixelFormats();
  if (!native::WindowFromDC(hdc)) return 0;
  const int count = static_cast<int>(formats.size());
  if (!pfd) return count;
  if (format < 1 || format > count || bytes < sizeof *pfd) return 0;
  *pfd = Describe(formats[format - 1]);
  return count;
} catch (...) {
  return native::Failed(__func__, 0);
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* /*pfd*/) try {
  const native::EntryPoint entry(__func__);
  HWND hwnd = native::WindowFromDC(hdc);
  const std::vector<backend::PixelFormat>& formats = backend::OfferedPixelFormats();
  if (!hwnd || format < 1 || static_cast<size_t>(format) > formats.size()) return FALSE;
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
