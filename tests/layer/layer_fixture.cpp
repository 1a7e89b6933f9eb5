#include "layer_fixture.h"

#include <chrono>
#include <thread>

#include "platform/core/window_manager.h"

namespace {

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void LayerTest::SetUp() {
  wincore::WindowManager::Get().Reset();
  wincore::WindowManager::Get().onDeliver = [this](HWND hwnd, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    deliveries.push_back(Delivery{hwnd, message, wParam, lParam});
  };
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  wndClass.lpfnWndProc = TestProc;
  wndClass.cbWndExtra = sizeof(LONG_PTR);
  wndClass.hInstance = GetModuleHandleA(nullptr);
  wndClass.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassA(&wndClass), 0);
}

void LayerTest::TearDown() {
  ChangeDisplaySettingsA(nullptr, 0);
  wglMakeCurrent(nullptr, nullptr);
  for (HWND hwnd : created) DestroyWindow(hwnd);
  UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
  wincore::WindowManager::Get().Reset();
}

HWND LayerTest::CreatePopup(int width, int height, const char* title) {
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_POPUP, 0, 0, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (hwnd) created.push_back(hwnd);
  return hwnd;
}

HWND LayerTest::CreateOverlapped(int width, int height, const char* title) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_OVERLAPPEDWINDOW, 0, 0,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd) created.push_back(hwnd);
  return hwnd;
}

HWND LayerTest::CreateWithFormat(int colorBits, int depthBits, int stencilBits, HDC* hdc,
                                 const char* title) {
  HWND hwnd = CreatePopup(320, 240, title);
  *hdc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(colorBits);
  pfd.cDepthBits = static_cast<BYTE>(depthBits);
  pfd.cStencilBits = static_cast<BYTE>(stencilBits);
  const int format = ChoosePixelFormat(*hdc, &pfd);
  if (format == 0 || !SetPixelFormat(*hdc, format, &pfd)) return nullptr;
  return hwnd;
}

bool LayerTest::PumpUntil(const std::function<bool()>& done, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      retrieved.push_back(msg);
      DispatchMessageA(&msg);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return true;
}

void LayerTest::PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

std::vector<UINT> LayerTest::MessagesTo(HWND hwnd, size_t from) const {
  std::vector<UINT> messages;
  for (size_t i = from; i < deliveries.size(); ++i)
    if (deliveries[i].hwnd == hwnd) messages.push_back(deliveries[i].message);
  return messages;
}

bool LayerTest::Retrieved(HWND hwnd, UINT message, WPARAM wParam) const {
  for (const MSG& msg : retrieved)
    if (msg.hwnd == hwnd && msg.message == message && msg.wParam == wParam) return true;
  return false;
}

std::string MessageName(UINT message) {
  switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_MOVE: return "WM_MOVE";
    case WM_SIZE: return "WM_SIZE";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_NCCREATE: return "WM_NCCREATE";
    case WM_NCDESTROY: return "WM_NCDESTROY";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    default: return std::to_string(message);
  }
}

std::string Names(const std::vector<UINT>& messages) {
  std::string text;
  for (UINT message : messages) text += (text.empty() ? "" : " ") + MessageName(message);
  return text;
}
