#pragma once

#include "platform/platform.h"

// One top-level window of the "Vrel Window" class with its device context,
// pixel format and current OpenGL context, and in fullscreen the switch of the
// display mode. The window procedure and the font reach its data members
// directly, so they are public and kept in this order.
class GlWindow {
 public:
  explicit GlWindow(const char* title);
  virtual ~GlWindow();

  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  bool Create(int width, int height, int colorBits, int depthBits, int stencilBits, bool fullscreen,
              bool show);
  bool CreateWin(int width, int height, int colorBits, bool fullscreen);
  void SetupPixelFormat(int colorBits, int depthBits, int stencilBits);
  bool Show();
  void Resize(int width, int height);
  void Close();
  bool IsClosed() const { return closed; }
  void Swap();
  int GetWidth() const { return width; }
  int GetHeight() const { return height; }

  int modeHeight = 0;  // the size the display mode is switched to
  int modeWidth = 0;
  RECT placement{};  // the centred rectangle Create computes
  bool closed = true;
  char title[256];
  HDC hdc = nullptr;
  HGLRC hglrc = nullptr;
  int colorBits = 0;
  int height = 0;  // the current client size
  int width = 0;
  bool fullscreen = false;
  HWND hwnd = nullptr;
  PIXELFORMATDESCRIPTOR pixelFormat{};
};

// The window in use, published by the scene; null until then.
extern GlWindow* currentWindow;
GlWindow* GetCurrentWindow();

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
