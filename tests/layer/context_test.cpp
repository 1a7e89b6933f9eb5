// Pixel formats, GL contexts and presentation on Xvfb and Mesa.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "layer_fixture.h"
#include "x_session.h"

namespace {

GLint Integer(GLenum name) {
  GLint value = -1;
  glGetIntegerv(name, &value);
  return value;
}

TEST_F(LayerTest, ChoosePixelFormatAnswersRgbaDescriptorsOnly) {
  HDC hdc = GetDC(CreatePopup(100, 100));
  const PIXELFORMATDESCRIPTOR shallow = Descriptor(16, 8);
  const PIXELFORMATDESCRIPTOR deep = Descriptor(16, 24);
  EXPECT_GT(ChoosePixelFormat(hdc, &shallow), 0);
  EXPECT_NE(ChoosePixelFormat(hdc, &deep), ChoosePixelFormat(hdc, &shallow));
  PIXELFORMATDESCRIPTOR colourIndex = shallow;
  colourIndex.iPixelType = 1;  // PFD_TYPE_COLORINDEX
  EXPECT_EQ(ChoosePixelFormat(hdc, &colourIndex), 0);
  EXPECT_EQ(ChoosePixelFormat(reinterpret_cast<HDC>(0x1234), &shallow), 0);
}

TEST_F(LayerTest, PixelFormatIsSetOnceAndBringsAHiddenNativeWindow) {
  HDC hdc = nullptr;
  ASSERT_NE(CreateWithFormat(16, 8, 0, &hdc, "Layer Format"), nullptr);
  const xtest::WindowInfo window = NativeWindow("Layer Format");
  EXPECT_TRUE(window.found);
  EXPECT_FALSE(window.viewable);
  EXPECT_EQ(window.width, 320);
  EXPECT_EQ(window.height, 240);
  const PIXELFORMATDESCRIPTOR pfd = Descriptor(16, 8);
  EXPECT_FALSE(SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd)) << "a second format";
}

TEST_F(LayerTest, FormatSetAfterShowingGetsItsOwnVisual) {
  HWND hwnd = CreatePopup(320, 240, "Layer Late Format");
  ShowWindow(hwnd, SW_SHOWNORMAL);  // a native window made without a depth buffer
  HDC hdc = GetDC(hwnd);
  EXPECT_EQ(wglCreateContext(hdc), nullptr) << "a context without a pixel format";
  const PIXELFORMATDESCRIPTOR pfd = Descriptor(24, 24);
  ASSERT_TRUE(SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd));
  EXPECT_TRUE(xtest::Current().FindWindow("Layer Late Format").viewable);

  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  EXPECT_GE(Integer(GL_DEPTH_BITS), 24);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hglrc);
}

TEST_F(LayerTest, AnUnmetRequestIsReportedInOneLine) {
  HDC hdc = GetDC(CreatePopup(100, 100));
  const PIXELFORMATDESCRIPTOR pfd = Descriptor(24, 8, 16);  // no format has 16 stencil bits
  std::fflush(stderr);
  const int saved = dup(2);
  FILE* captured = std::tmpfile();
  dup2(fileno(captured), 2);
  const BOOL set = SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd);
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text(256, '\0');
  std::rewind(captured);
  text.resize(std::fread(text.data(), 1, text.size(), captured));
  std::fclose(captured);

  EXPECT_FALSE(set);
  EXPECT_EQ(
      text.rfind("plumo: ChoosePixelFormat: no pixel format with 8 depth and 16 stencil bits", 0),
      0u)
      << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
}

struct Bits {
  int color;
  int depth;
  int stencil;
};

class ContextBits : public LayerTest, public ::testing::WithParamInterface<Bits> {};

// On the tests' 24-bit screen too: the demo draws into buffers of the pixel
// format's own sizes, 5/6/5 for 16 colour bits, whatever the visual.
TEST_P(ContextBits, ContextDrawsIntoTheBuffersThePixelFormatDescribes) {
  HDC hdc = nullptr;
  ASSERT_NE(CreateWithFormat(GetParam().color, GetParam().depth, GetParam().stencil, &hdc),
            nullptr);
  const PIXELFORMATDESCRIPTOR asked =
      Descriptor(GetParam().color, GetParam().depth, GetParam().stencil);
  PIXELFORMATDESCRIPTOR described{};
  ASSERT_GT(DescribePixelFormat(hdc, ChoosePixelFormat(hdc, &asked), sizeof described, &described),
            0);
  EXPECT_TRUE(described.dwFlags & PFD_DOUBLEBUFFER);
  // The closest depth and stencil buffers at or above the request, as
  // Windows picks them (GLX alone would take the largest).
  EXPECT_GE(described.cDepthBits, GetParam().depth);
  EXPECT_LE(described.cDepthBits, GetParam().depth <= 16 ? 16 : 24);

  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  EXPECT_EQ(Integer(GL_RED_BITS), described.cRedBits);
  EXPECT_EQ(Integer(GL_GREEN_BITS), described.cGreenBits);
  EXPECT_EQ(Integer(GL_BLUE_BITS), described.cBlueBits);
  EXPECT_EQ(Integer(GL_ALPHA_BITS), described.cAlphaBits);
  EXPECT_EQ(Integer(GL_DEPTH_BITS), described.cDepthBits);
  EXPECT_EQ(Integer(GL_STENCIL_BITS), described.cStencilBits);
  EXPECT_GE(Integer(GL_STENCIL_BITS), GetParam().stencil);
  if (GetParam().color == 16) {
    EXPECT_EQ(Integer(GL_RED_BITS), 5);
    EXPECT_EQ(Integer(GL_GREEN_BITS), 6);
    // A colour between two 5-bit levels comes back as one of them.
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[3] = {};
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    EXPECT_TRUE(pixel[0] == 123 || pixel[0] == 132) << int{pixel[0]};
  }
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
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  ASSERT_TRUE(wglMakeCurrent(hdc, first));
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
  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  // The user closes the window while its context is current.
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  PumpUntil([&] { return !GetDC(hwnd); });
  glClear(GL_COLOR_BUFFER_BIT);  // wherever this goes, it must not crash
  EXPECT_FALSE(wglMakeCurrent(hdc, hglrc)) << "made current on a dead window";
  EXPECT_FALSE(SwapBuffers(hdc));
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_TRUE(wglDeleteContext(hglrc));
}

TEST_F(LayerTest, SwapBuffersPresentsTheBackBuffer) {
  HDC hdc = nullptr;
  HWND hwnd = CreateWithFormat(24, 8, 0, &hdc, "Layer Swap");
  HGLRC hglrc = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, hglrc));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  const unsigned long window = xtest::Current().FindWindow("Layer Swap").id;
  auto clearTo = [](float red, float blue) {
    glClearColor(red, 0.0f, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
  };
  // The picture reaches the server on the program's connection, the test
  // reads it on its own: give it a moment.
  auto shows = [&](unsigned long colour) {
    return PumpUntil([&] { return xtest::Current().Pixel(window, 160, 120) == colour; }, 1000);
  };
  clearTo(1, 0);
  ASSERT_TRUE(SwapBuffers(hdc));
  EXPECT_TRUE(shows(0xFF0000ul));
  clearTo(0, 1);
  EXPECT_FALSE(shows(0x0000FFul)) << "drawn to the front buffer";
  ASSERT_TRUE(SwapBuffers(hdc));
  EXPECT_TRUE(shows(0x0000FFul));
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hglrc);
}

}  // namespace
