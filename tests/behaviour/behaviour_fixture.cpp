#include "behaviour_fixture.h"

#include "platform/core/layer_windows.h"

namespace {

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void Behaviour::SetUp() {
  harness::SetUp();
  core::Windows().onDeliver = [this](HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    deliveries.push_back(Delivery{hwnd, message, lParam});
  };
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  wndClass.lpfnWndProc = TestProc;
  wndClass.cbWndExtra = sizeof(LONG_PTR);
  wndClass.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassA(&wndClass), 0);
}

void Behaviour::TearDown() {
  ChangeDisplaySettingsA(nullptr, 0);
  wglMakeCurrent(nullptr, nullptr);
  for (HWND hwnd : created) DestroyWindow(hwnd);
  UnregisterClassA(kClassName, nullptr);
  core::Windows().onDeliver = nullptr;
  harness::TearDown();
}

HWND Behaviour::CreatePopup(int width, int height, const char* title) {
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_POPUP, 0, 0, width, height,
                              nullptr, nullptr, nullptr, nullptr);
  if (hwnd) created.push_back(hwnd);
  return hwnd;
}

HWND Behaviour::CreateOverlapped(int width, int height, const char* title) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title, WS_OVERLAPPEDWINDOW, 0, 0,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              nullptr, nullptr);
  if (hwnd) created.push_back(hwnd);
  return hwnd;
}

HWND Behaviour::CreateShownWithFormat(HDC* hdc, const char* title) {
  HWND hwnd = CreatePopup(320, 240, title);
  *hdc = GetDC(hwnd);
  const PIXELFORMATDESCRIPTOR pfd = Descriptor(16, 8);
  const int format = ChoosePixelFormat(*hdc, &pfd);
  if (!format || !SetPixelFormat(*hdc, format, &pfd)) return nullptr;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  return hwnd;
}

void Behaviour::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    retrieved.push_back(msg);
    DispatchMessageA(&msg);
  }
}

bool Behaviour::PumpUntil(const std::function<bool()>& done) {
  return harness::Settle([&] {
    Pump();
    return done();
  });
}

std::vector<UINT> Behaviour::MessagesTo(HWND hwnd, size_t from) const {
  std::vector<UINT> messages;
  for (size_t i = from; i < deliveries.size(); ++i)
    if (deliveries[i].hwnd == hwnd) messages.push_back(deliveries[i].message);
  return messages;
}

LPARAM Behaviour::LastLParam(HWND hwnd, UINT message, size_t from) const {
  LPARAM found = -1;
  for (size_t i = from; i < deliveries.size(); ++i)
    if (deliveries[i].hwnd == hwnd && deliveries[i].message == message)
      found = deliveries[i].lParam;
  return found;
}

std::vector<MSG> Behaviour::RetrievedFor(HWND hwnd, size_t from) const {
  std::vector<MSG> found;
  for (size_t i = from; i < retrieved.size(); ++i)
    if (retrieved[i].hwnd == hwnd) found.push_back(retrieved[i]);
  return found;
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

DEVMODEA Mode(int width, int height, int bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
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
                                                        {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
                                                        {WM_KEYDOWN, "WM_KEYDOWN"},
                                                        {WM_KEYUP, "WM_KEYUP"},
                                                        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
                                                        {WM_SYSKEYUP, "WM_SYSKEYUP"},
                                                        {WM_CHAR, "WM_CHAR"}};
  std::string text;
  for (UINT message : messages) {
    std::string name = std::to_string(message);
    for (const auto& [value, known] : kNames)
      if (value == message) name = known;
    text += (text.empty() ? "" : " ") + name;
  }
  return text;
}
