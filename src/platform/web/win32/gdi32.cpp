// gdi32 in the web page: pixel formats and SwapBuffers. (The font calls are
// in fonts/web_fonts.cpp.)
//
// The page has one pixel format, the one the demo asks for: double-buffered
// RGBA with 5/6/5 colour and a 16-bit depth buffer. ChoosePixelFormat gives
// it for any RGBA request it can stand in for, as Windows gives the closest
// format it has.
#include "platform/web/browser.h"
#include "platform/web/gl/gl_context.h"
#include "platform/web/win32/presentation.h"
#include "platform/web/win32/web_layer.h"

namespace {

const int kTheFormat = 1;

}  // namespace

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) {
  if (!pfd || !web::WindowFromDC(hdc)) return 0;
  if (pfd->iPixelType != PFD_TYPE_RGBA || pfd->cColorBits > 32 || pfd->cDepthBits > 32 ||
      pfd->cStencilBits > 0)
    return 0;
  return kTheFormat;
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* /*pfd*/) {
  if (format != kTheFormat) return FALSE;
  return web::SetPixelFormatOf(web::WindowFromDC(hdc), format) ? TRUE : FALSE;
}

BOOL WINAPI SwapBuffers(HDC hdc) {
  HWND hwnd = web::WindowFromDC(hdc);
  webgl::GlContext* context = webgl::Current();
  if (!hwnd || !web::PixelFormatOf(hwnd) || !context) return FALSE;
  // The picture is the framebuffer, fitted to the canvas with black bars:
  // sharp where it lands on whole pixels, filtered where it is scaled.
  context->Flush();
  int canvasWidth = 0, canvasHeight = 0;
  plumo_canvas_size(&canvasWidth, &canvasHeight);
  const int width = context->DrawableWidth(), height = context->DrawableHeight();
  const web::Placement place = web::Fit(width, height, canvasWidth, canvasHeight);
  const bool scaled = place.width != width || place.height != height;
  plumo_gl_present(place.x, place.y, place.width, place.height, scaled);
  web::FramePresented();
  return TRUE;
}
