#include "layer_fixture.h"

#include <chrono>
#include <thread>

#include "platform/core/layer_windows.h"

namespace {

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void LayerTest::SetUp() {
  core::Windows().Reset();
  core::Windows().onDeliver = [this](HWND hwnd, UINT message, WPARAM, LPARAM lp) {
    deliveries.push_back(Delivery{hwnd, message, lp});
  };
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  wndClass.lpfnWndProc = TestProc;
  wndClass.cbWndExtra = sizeof(LONG_PTR);
  wndClass.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassA(&wndClass), 0);
}

void LayerTest::TearDown() {
  ChangeDisplaySettingsA(nullptr, 0);
  wglMakeCurrent(nullptr, nullptr);
  for (HWND hwnd : created) DestroyWindow(hwnd);
  UnregisterClassA(kClassName, nullptr);
  core::Windows().Reset();
}

HWND LayerTest::CreatePopup(int width, int height, const char* title) {
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_POPUP, 0, 0, width, height,
                              nullptr, nullptr, nullptr, nullptr);
  if (hwnd) created.push_back(hwnd);
  return hwnd;
}

HWND LayerTest::CreateOverlapped(int width, int height, const char* title) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_OVERLAPPEDWINDOW, 0, 0,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              nullptr, nullptr);
  if (hwnd) created.push_back(hwnd);
  return hwnd;
}

HWND LayerTest::CreateWithFormat(int colorBits, int depthBits, int stencilBits, HDC* hdc,
                                 const char* title) {
  HWND hwnd = CreatePopup(320, 240, title);
  *hdc = GetDC(hwnd);
  const PIXELFORMATDESCRIPTOR pfd = Descriptor(colorBits, depthBits, stencilBits);
  const int format = ChoosePixelFormat(*hdc, &pfd);
  return format && SetPixelFormat(*hdc, format, &pfd) ? hwnd : nullptr;
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

bool LayerTest::NativeWindowGoes(const char* title) {
  return PumpUntil([&] { return !xtest::Current().FindWindow(title).found; }, 1000);
}

xtest::WindowInfo LayerTest::NativeWindow(const char* title) {
  xtest::WindowInfo window;
  PumpUntil([&] { return (window = xtest::Current().FindWindow(title)).found; }, 1000);
  return window;
}

std::vector<UINT> LayerTest::MessagesTo(HWND hwnd, size_t from) const {
  std::vector<UINT> messages;
  for (size_t i = from; i < deliveries.size(); ++i)
    if (deliveries[i].hwnd == hwnd) messages.push_back(deliveries[i].message);
  return messages;
}

LPARAM LayerTest::LastLParam(HWND hwnd, UINT message, size_t from) const {
  LPARAM found = -1;
  for (size_t i = from; i < deliveries.size(); ++i)
    if (deliveries[i].hwnd == hwnd && deliveries[i].message == message)
      found = deliveries[i].lParam;
  return found;
}

bool LayerTest::Retrieved(HWND hwnd, UINT message, WPARAM wParam) const {
  for (const MSG& msg : retrieved)
    if (msg.hwnd == hwnd && msg.message == message && msg.wParam == wParam) return true;
  return false;
}

PIXELFORMATDESCRIPTOR Descriptor(int colorBits, int depthBits, int stencilBits) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(colorBits);
  pfd.cDepthBits = static_cast<BYTE>(depthBits);
  pfd.cStencilBits = static_cast<BYTE>(stencilBits);
  return pfd;
}

std::string Names(const std::vector<UINT>& messages) {
  static const std::pair<UINT, const char*> kNames[] = {{WM_CREATE, "WM_CREATE"},
                                                        {WM_DESTROY, "WM_DESTROY"},
                                                        {WM_MOVE, "WM_MOVE"},
                                                        {WM_SIZE, "WM_SIZE"},
                                                        {WM_CLOSE, "WM_CLOSE"},
                                                        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
                                                        {WM_NCCREATE, "WM_NCCREATE"},
                                                        {WM_NCDESTROY, "WM_NCDESTROY"},
                                                        {WM_SYSCOMMAND, "WM_SYSCOMMAND"}};
  std::string text;
  for (UINT message : messages) {
    std::string name = std::to_string(message);
    for (const auto& [value, known] : kNames)
      if (value == message) name = known;
    text += (text.empty() ? "" : " ") + name;
  }
  return text;
}
