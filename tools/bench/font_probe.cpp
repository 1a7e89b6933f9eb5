// What Font::Load costs, call by call: the scene's "Arial" bold 48 turned into
// 768 display lists and 256 widths, each call timed with the performance
// counter. Built for Windows and natively from this one source, so the two
// builds' font work can be set side by side.
//
// Prints one line of seconds:
//
//   create C bitmaps B polygons P lines L widths W
#include <cstdio>

#include "platform/platform.h"

namespace {

const char kClass[] = "Plumo Font Probe";
const GLsizei kCodes = 256;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

double Now() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Fail(const char* what) {
  std::fprintf(stderr, "font_probe: %s failed\n", what);
  return 1;
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC;
  wndClass.lpfnWndProc = ProbeProc;
  wndClass.hInstance = instance;
  wndClass.lpszClassName = kClass;
  if (!RegisterClassA(&wndClass)) return Fail("RegisterClassA");
  HWND hwnd = CreateWindowExA(0, kClass, "probe", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                              instance, nullptr);
  HDC hdc = hwnd ? GetDC(hwnd) : nullptr;
  if (!hdc) return Fail("CreateWindowExA or GetDC");

  // The demo's pixel format: 16 colour bits, 8 depth bits, double-buffered.
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 16;
  pfd.cDepthBits = 8;
  pfd.iLayerType = PFD_MAIN_PLANE;
  const int format = ChoosePixelFormat(hdc, &pfd);
  if (!format || !SetPixelFormat(hdc, format, &pfd)) return Fail("the pixel format");
  HGLRC context = wglCreateContext(hdc);
  if (!context || !wglMakeCurrent(hdc, context)) return Fail("wglCreateContext or wglMakeCurrent");

  // Font::Load's calls, in its order and with its arguments.
  const double t0 = Now();
  HFONT font =
      CreateFontA(-48, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                  ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  const GLuint bitmapBase = glGenLists(kCodes);
  const GLuint polygonBase = glGenLists(kCodes);
  const GLuint lineBase = glGenLists(kCodes);
  if (!font || !bitmapBase || !polygonBase || !lineBase) return Fail("CreateFontA or glGenLists");
  HGDIOBJ previous = SelectObject(hdc, font);
  const double t1 = Now();
  const BOOL bitmaps = wglUseFontBitmapsA(hdc, 0, kCodes, bitmapBase);
  const double t2 = Now();
  static GLYPHMETRICSFLOAT metrics[kCodes];
  const BOOL polygons =
      wglUseFontOutlinesA(hdc, 0, kCodes, polygonBase, 0.0f, 0.0f, WGL_FONT_POLYGONS, metrics);
  const double t3 = Now();
  const BOOL lines =
      wglUseFontOutlinesA(hdc, 0, kCodes, lineBase, 0.0f, 0.0f, WGL_FONT_LINES, metrics);
  const double t4 = Now();
  int widths[kCodes];
  const BOOL widthsOk = GetCharWidthA(hdc, 0, kCodes - 1, widths);
  const double t5 = Now();
  if (!bitmaps) return Fail("wglUseFontBitmapsA");
  if (!polygons || !lines) return Fail("wglUseFontOutlinesA");
  if (!widthsOk) return Fail("GetCharWidthA");

  std::printf("create %.6f bitmaps %.6f polygons %.6f lines %.6f widths %.6f\n", t1 - t0, t2 - t1,
              t3 - t2, t4 - t3, t5 - t4);
  std::fflush(stdout);

  SelectObject(hdc, previous);
  DeleteObject(font);
  glDeleteLists(bitmapBase, kCodes);
  glDeleteLists(polygonBase, kCodes);
  glDeleteLists(lineBase, kCodes);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
  ReleaseDC(hwnd, hdc);
  DestroyWindow(hwnd);
  UnregisterClassA(kClass, instance);
  return 0;
}
