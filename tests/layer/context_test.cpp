// Pixel formats, GL contexts and presentation on Xvfb and Mesa.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "layer_fixture.h"
#include "x_session.h"

namespace {

PIXELFORMATDESCRIPTOR Descriptor(int colorBits, int depthBits) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER |
                PFD_GENERIC_ACCELERATED;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(colorBits);
  pfd.cDepthBits = static_cast<BYTE>(depthBits);
  return pfd;
}

GLint Integer(GLenum name) {
  GLint value = -1;
  glGetIntegerv(name, &value);
  return value;
}

// Captures what the layer writes to stderr while it lives.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = dup(2);
    file_ = std::tmpfile();
    dup2(fileno(file_), 2);
  }
  std::string Finish() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    std::fclose(file_);
    return text;
  }

 private:
  int saved_ = -1;
  FILE* file_ = nullptr;
};

// ---- pixel formats

TEST_F(LayerTest, ChoosePixelFormatAnswersRgbaDescriptorsOnly) {
  HWND hwnd = CreatePopup(100, 100);
  HDC hdc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd = Descriptor(16, 8);
  EXPECT_GT(ChoosePixelFormat(hdc, &pfd), 0);
  PIXELFORMATDESCRIPTOR deeper = Descriptor(16, 24);
  EXPECT_NE(ChoosePixelFormat(hdc, &deeper), ChoosePixelFormat(hdc, &pfd));

  PIXELFORMATDESCRIPTOR colourIndex = pfd;
  colourIndex.iPixelType = 1;  // PFD_TYPE_COLORINDEX
  EXPECT_EQ(ChoosePixelFormat(hdc, &colourIndex), 0);
  EXPECT_EQ(ChoosePixelFormat(reinterpret_cast<HDC>(0x1234), &pfd), 0);
}

TEST_F(LayerTest, PixelFormatIsSetOnceAndBringsAHiddenNativeWindow) {
  HWND hwnd = CreatePopup(320, 240, "Layer Format");
  HDC hdc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd = Descriptor(16, 8);
  const int format = ChoosePixelFormat(hdc, &pfd);
  ASSERT_TRUE(SetPixelFormat(hdc, format, &pfd));
  const xtest::WindowInfo window = xtest::Current().FindWindow("Layer Format");
  EXPECT_TRUE(window.found);
  EXPECT_FALSE(window.viewable);
  EXPECT_EQ(window.width, 320);
  EXPECT_EQ(window.height, 240);
  EXPECT_FALSE(SetPixelFormat(hdc, format, &pfd)) << "a second pixel format";
}

TEST_F(LayerTest, ContextNeedsAPixelFormatFirst) {
  HWND hwnd = CreatePopup(100, 100);
  EXPECT_EQ(wglCreateContext(GetDC(hwnd)), nullptr);
}

TEST_F(LayerTest, MissingVisualIsReportedInOneLine) {
  HWND hwnd = CreatePopup(100, 100);
  HDC hdc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd = Descriptor(24, 32);  // Mesa offers no 32-bit depth buffer
  pfd.cStencilBits = 8;
  StderrCapture capture;
  const BOOL set = SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd);
  const std::string text = capture.Finish();
  EXPECT_FALSE(set);
  EXPECT_EQ(text.rfind("plumo: SetPixelFormat: no GL visual with 32 depth and 8 stencil bits", 0),
            0u)
      << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
}

// ---- contexts

struct Bits {
  int color;
  int depth;
  int stencil;
};

class ContextBits : public LayerTest, public ::testing::WithParamInterface<Bits> {};

TEST_P(ContextBits, ContextHasAtLeastTheRequestedBuffers) {
  HDC hdc = nullptr;
  ASSERT_NE(CreateWithFormat(GetParam().color, GetParam().depth, GetParam().stencil, &hdc),
            nullptr);
  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_NE(hglrc, nullptr);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  EXPECT_GE(Integer(GL_DEPTH_BITS), GetParam().depth);
  EXPECT_GE(Integer(GL_STENCIL_BITS), GetParam().stencil);
  EXPECT_GT(Integer(GL_RED_BITS), 0);
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  EXPECT_EQ(doubleBuffered, GL_TRUE);
  wglMakeCurrent(nullptr, nullptr);
  EXPECT_TRUE(wglDeleteContext(hglrc));
}

INSTANTIATE_TEST_SUITE_P(Layer, ContextBits,
                         ::testing::Values(Bits{16, 8, 0}, Bits{16, 16, 0}, Bits{24, 24, 8},
                                           Bits{32, 24, 0}));

TEST_F(LayerTest, CreatedContextIsNotLeftCurrent) {
  HDC hdc = nullptr;
  ASSERT_NE(CreateWithFormat(16, 8, 0, &hdc), nullptr);
  HGLRC first = wglCreateContext(hdc);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);

  ASSERT_TRUE(wglMakeCurrent(hdc, first));
  EXPECT_EQ(wglGetCurrentContext(), first);
  HGLRC second = wglCreateContext(hdc);
  EXPECT_EQ(wglGetCurrentContext(), first) << "creating a context took over the current one";

  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_TRUE(wglDeleteContext(second));
  EXPECT_TRUE(wglDeleteContext(first));
  EXPECT_FALSE(wglDeleteContext(first));
}

TEST_F(LayerTest, ContextOutlivesItsClosedWindow) {
  HDC hdc = nullptr;
  HWND hwnd = CreateWithFormat(16, 8, 0, &hdc);
  ASSERT_NE(hwnd, nullptr);
  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  ShowWindow(hwnd, SW_SHOWNORMAL);

  // The user closes the window while its context is current.
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  PumpUntil([&] { return !GetDC(hwnd); });
  glClear(GL_COLOR_BUFFER_BIT);  // whatever this reaches, it must not crash

  EXPECT_FALSE(wglMakeCurrent(hdc, hglrc)) << "a context made current on a dead window";
  EXPECT_FALSE(SwapBuffers(hdc));
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_TRUE(wglDeleteContext(hglrc));
}

TEST_F(LayerTest, SwapBuffersPresentsTheBackBuffer) {
  HDC hdc = nullptr;
  HWND hwnd = CreateWithFormat(24, 8, 0, &hdc, "Layer Swap");
  ASSERT_NE(hwnd, nullptr);
  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  const unsigned long window = xtest::Current().FindWindow("Layer Swap").id;

  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(SwapBuffers(hdc));
  glFinish();
  EXPECT_EQ(xtest::Current().Pixel(window, 160, 120), 0xFF0000ul);

  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  EXPECT_EQ(xtest::Current().Pixel(window, 160, 120), 0xFF0000ul) << "drawn straight to the front";
  ASSERT_TRUE(SwapBuffers(hdc));
  glFinish();
  EXPECT_EQ(xtest::Current().Pixel(window, 160, 120), 0x0000FFul);

  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hglrc);
}

}  // namespace
