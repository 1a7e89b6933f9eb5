// A frame of the demo's loop (poll one message, present) allocates nothing in
// the layer: counted through the program's operator new.
#include <atomic>
#include <cstdlib>
#include <new>

#include "layer_fixture.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

// The nothrow form too: Mesa's shader compiler allocates with it and frees
// through the plain delete below, so both must come from this malloc.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}

void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

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
  const long before = allocations.load();
  for (int i = 0; i < 200; ++i) frame();
  EXPECT_EQ(allocations.load() - before, 0);

  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hglrc);
}

}  // namespace
