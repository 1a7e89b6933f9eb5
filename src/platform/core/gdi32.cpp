// gdi32's pixel formats and SwapBuffers. (The font calls are in
// gdi32_fonts.cpp.)
//
// The pixel formats are the backend's own: the demo draws into a picture of
// the chosen format whatever the display offers, so the choice depends on the
// request alone.
#include "platform/core/entry.h"
#include "platform/core/layer_windows.h"
#include "platform/core/pixel_formats.h"
#include "platform/core/scene_clock.h"

namespace {

// Colour buffers and the rest as RGBA formats; no accumulation, aux or
// overlay planes.
bool CanBeMet(const PIXELFORMATDESCRIPTOR& pfd) {
  return pfd.iPixelType == PFD_TYPE_RGBA && pfd.cColorBits <= 32 && pfd.cDepthBits <= 32 &&
         pfd.cStencilBits <= 8;
}

PIXELFORMATDESCRIPTOR Describe(const core::PixelFormat& format) {
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

using core::Args;
using core::Handle;
using core::Hex;
using core::Int;

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hdc), core::TraceArg{core::TraceArg::kPixelFormat, 0, 0, pfd}};
  });
  if (call.Fails() || !pfd || !core::WindowFromDC(hdc)) return 0;
  core::PixelRequest request;
  request.colorBits = pfd->cColorBits;
  request.depthBits = pfd->cDepthBits;
  request.stencilBits = pfd->cStencilBits;
  const int format = CanBeMet(*pfd)
                         ? core::ChoosePixelFormatNumber(core::TheBackend().PixelFormats(), request)
                         : 0;
  if (format == 0 && pfd->iPixelType == PFD_TYPE_RGBA)
    core::Report(__func__, "no pixel format with %d depth and %d stencil bits", pfd->cDepthBits,
                 pfd->cStencilBits);
  return format;
} catch (...) {
  return core::Failed(__func__, 0);
}

int WINAPI DescribePixelFormat(HDC hdc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* pfd) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hdc), Int(format), Int(bytes), Handle(pfd)};
  });
  if (call.Fails() || !core::WindowFromDC(hdc)) return 0;
  const std::vector<core::PixelFormat>& formats = core::TheBackend().PixelFormats();
  const int count = static_cast<int>(formats.size());
  if (!pfd) return count;
  if (format < 1 || format > count || bytes < sizeof *pfd) return 0;
  *pfd = Describe(formats[format - 1]);
  return count;
} catch (...) {
  return core::Failed(__func__, 0);
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* pfd) try {
  const core::Call call(__func__, [&] { return Args{Handle(hdc), Int(format), Handle(pfd)}; });
  HWND hwnd = core::WindowFromDC(hdc);
  const std::vector<core::PixelFormat>& formats = core::TheBackend().PixelFormats();
  if (call.Fails() || !hwnd || format < 1 || static_cast<size_t>(format) > formats.size())
    return FALSE;
  // A window's pixel format is set once for its life.
  core::Window* window = core::Windows().Find(hwnd);
  if (window->pixelFormat != 0) return FALSE;
  // On X11 the visual is fixed when the native window is made, so the
  // surface comes into being with the pixel format.
  if (!core::MakeSurface(hwnd, &formats[format - 1])) return FALSE;
  window->pixelFormat = format;
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI SwapBuffers(HDC hdc) try {
  const core::Call call(__func__, [&] { return Args{Handle(hdc)}; });
  const core::Window* window = core::Windows().Find(core::WindowFromDC(hdc));
  if (call.Fails() || !window || !window->surface || !window->pixelFormat) return FALSE;
  // Nobody can see it: the frame goes nowhere, as on a minimised window.
  if (core::TheSceneClock().Held(core::SceneClock::kHidden)) return TRUE;
  return core::TheBackend().Present(window->surface) ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}
