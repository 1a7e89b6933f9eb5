// A frame of the demo's loop (poll one message, present) allocates nothing in
// the layer: counted through the program's operator new.
#include "failing_allocation.h"
#include "layer_fixture.h"

namespace {

TEST_F(LayerTest, PollingAndPresentingAllocateNothing) {
  HDC hdc = nullptr;
  HWND hwnd = CreateWithFormat(16, 8, 0, &hdc);
  ASSERT_NE(hwnd, nullptr);
  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(hwnd);
  PumpFor(200);  // what showing the window brings is not a frame's cost

  auto frame = [&] {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers(hdc);
    wglGetCurrentContext();
  };
  for (int i = 0; i < 10; ++i) frame();
  const long before = failing_allocation::Count();
  for (int i = 0; i < 200; ++i) frame();
  EXPECT_EQ(failing_allocation::Count() - before, 0);

  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hglrc);
}

}  // namespace
