#include "window/gl_window.h"

#include <cstdio>

GlWindow* currentWindow = nullptr;

GlWindow* GetCurrentWindow() {
  return currentWindow;
}

namespace {

const char kClassName[] = "Vrel Window";

// The display-mode record as far as dmReserved2; every Windows version takes it.
const WORD kDevModeSize = 148;

}  // namespace

GlWindow::GlWindow(const char* titleText) {
  std::snprintf(title, sizeof title, "%s", titleText ? titleText : "");
}

GlWindow::~GlWindow() {
  Close();
}

bool GlWindow::Create(int widthArg, int heightArg, int colorBitsArg, int depthBits, int stencilBits,
                      bool fullscreenArg, bool show) {
  if (!CreateWin(widthArg, heightArg, colorBitsArg, fullscreenArg)) return false;

  hdc = GetDC(hwnd);
  if (!hdc) return false;  // the hidden window stays until Close

  SetupPixelFormat(colorBitsArg, depthBits, stencilBits);
  const int format = ChoosePixelFormat(hdc, &pixelFormat);
  if (format == 0 || !SetPixelFormat(hdc, format, &pixelFormat)) {
    Close();
    return false;
  }
  hglrc = wglCreateContext(hdc);
  if (!hglrc || !wglMakeCurrent(hdc, hglrc)) {
    Close();
    return false;
  }

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  placement.left = (screenWidth - width) / 2;
  placement.top = (screenHeight - height) / 2;
  placement.right = placement.left + width;
  placement.bottom = placement.top + height;
  // A fullscreen window stays at (0, 0), where CreateWin put it.
  if (!fullscreen) {
    SetWindowPos(hwnd, nullptr, placement.left, placement.top, width, height,
                 SWP_NOZORDER | SWP_NOSIZE);
  }

  if (show && !Show()) return false;

  Resize(widthArg, heightArg);
  closed = false;
  return true;
}

bool GlWindow::CreateWin(int widthArg, int heightArg, int colorBitsArg, bool fullscreenArg) {
  if (hwnd) Close();

  modeWidth = width = widthArg;
  modeHeight = height = heightArg;
  colorBits = colorBitsArg;
  fullscreen = fullscreenArg;

  HINSTANCE instance = GetModuleHandleA(nullptr);
  bool registeredClass = false;
  WNDCLASSA wndClass;
  if (!GetClassInfoA(instance, kClassName, &wndClass)) {
    wndClass = WNDCLASSA{};
    wndClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    wndClass.lpfnWndProc = WindowProc;
    wndClass.cbClsExtra = 0;
    // Room for this object's address at index 0, whatever the pointer size.
    wndClass.cbWndExtra = sizeof(LONG_PTR);
    wndClass.hInstance = instance;
    wndClass.hIcon = LoadIconA(nullptr, IDI_EXCLAMATION);
    wndClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wndClass.hbrBackground = nullptr;
    wndClass.lpszMenuName = nullptr;
    wndClass.lpszClassName = kClassName;
    if (!RegisterClassA(&wndClass)) return false;
    registeredClass = true;
  }

  DWORD exStyle = WS_EX_APPWINDOW;
  DWORD style = WS_POPUP;
  if (!fullscreen) {
    exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    style = WS_OVERLAPPEDWINDOW;
  }

  RECT rect{0, 0, widthArg, heightArg};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);

  hwnd = CreateWindowExA(exStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                         0, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                         instance, nullptr);
  if (!hwnd) {
    if (registeredClass) UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
    return false;
  }

  SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void GlWindow::SetupPixelFormat(int colorBitsArg, int depthBits, int stencilBits) {
  pixelFormat = PIXELFORMATDESCRIPTOR{};
  pixelFormat.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  pixelFormat.nVersion = 1;
  pixelFormat.dwFlags =
      PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_GENERIC_ACCELERATED;
  pixelFormat.iPixelType = PFD_TYPE_RGBA;
  // A 32-bit mode is asked for as 24 colour bits; the display mode keeps 32.
  pixelFormat.cColorBits = static_cast<BYTE>(colorBitsArg == 32 ? 24 : colorBitsArg);
  pixelFormat.cDepthBits = static_cast<BYTE>(depthBits);
  pixelFormat.cStencilBits = static_cast<BYTE>(stencilBits);
  pixelFormat.iLayerType = PFD_MAIN_PLANE;
}

bool GlWindow::Show() {
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  if (!fullscreen) return true;

  DEVMODEA mode{};
  mode.dmSize = kDevModeSize;
  mode.dmPelsWidth = static_cast<DWORD>(modeWidth);
  mode.dmPelsHeight = static_cast<DWORD>(modeHeight);
  mode.dmBitsPerPel = static_cast<DWORD>(colorBits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;

  ShowCursor(FALSE);
  return true;
}

void GlWindow::Resize(int widthArg, int heightArg) {
  width = widthArg;
  height = heightArg;
  const int h = heightArg == 0 ? 1 : heightArg;
  glViewport(0, 0, widthArg, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(widthArg) / h, 7.0, 5000.0);
}

void GlWindow::Close() {
  // Runs whether or not Show switched the mode: the registry's mode is the
  // desktop's either way.
  if (fullscreen) {
    ChangeDisplaySettingsA(nullptr, 0);
    ShowCursor(TRUE);
  }
  if (hglrc) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(hglrc);
    hglrc = nullptr;
  }
  if (hwnd && hdc) {
    ReleaseDC(hwnd, hdc);
    hdc = nullptr;
  }
  if (hwnd) {
    DestroyWindow(hwnd);
    hwnd = nullptr;
  }
  UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
}

void GlWindow::Swap() {
  SwapBuffers(hdc);
}
