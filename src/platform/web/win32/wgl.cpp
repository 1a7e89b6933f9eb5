// WGL in the web page, rendering contexts: one GL 1.1 context emulated on the
// canvas's WebGL 2 context, drawing into a framebuffer of its window's client
// size. (The font calls are in fonts/web_fonts.cpp.)
#include <memory>

#include "platform/web/browser.h"
#include "platform/web/gl/gl_context.h"
#include "platform/web/gl/webgl_renderer.h"
#include "platform/web/win32/web_layer.h"

namespace {

// The canvas has one WebGL context, so the page has one GL context at a time.
struct Context {
  HGLRC handle = nullptr;
  webgl::WebGlRenderer renderer;
  std::unique_ptr<webgl::GlContext> gl;
};

Context& TheContext() {
  static Context context;
  return context;
}

uintptr_t nextHandle = 0;

}  // namespace

HGLRC WINAPI wglCreateContext(HDC hdc) {
  HWND hwnd = web::WindowFromDC(hdc);
  int width = 0, height = 0;
  // Windows needs the pixel format first.
  if (!hwnd || !web::PixelFormatOf(hwnd) || !web::ClientSize(hwnd, &width, &height)) return nullptr;
  Context& context = TheContext();
  if (context.handle) {
    web::Report("wglCreateContext", "the page has one GL context, and it exists");
    return nullptr;
  }
  if (!plumo_gl_open(width, height)) {
    web::Report("wglCreateContext", "the browser gives this page no WebGL 2 context");
    return nullptr;
  }
  context.gl = std::make_unique<webgl::GlContext>(&context.renderer);
  context.gl->SetDrawableSize(width, height);
  context.handle = reinterpret_cast<HGLRC>(0x30000 + ++nextHandle);
  return context.handle;
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc) {
  Context& context = TheContext();
  if (!hglrc) {
    webgl::MakeCurrent(nullptr);
    return TRUE;
  }
  if (hglrc != context.handle || !web::WindowFromDC(hdc)) return FALSE;
  webgl::MakeCurrent(context.gl.get());
  return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc) {
  Context& context = TheContext();
  if (!hglrc || hglrc != context.handle) return FALSE;
  if (webgl::Current() == context.gl.get()) webgl::MakeCurrent(nullptr);
  context.gl.reset();
  context.handle = nullptr;
  plumo_gl_close();
  return TRUE;
}

HGLRC WINAPI wglGetCurrentContext(void) {
  const Context& context = TheContext();
  return context.gl && webgl::Current() == context.gl.get() ? context.handle : nullptr;
}
