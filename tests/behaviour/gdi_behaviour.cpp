// Pixel formats, contexts and the buffer swap; GDI's font objects and the
// device contexts they are selected into; and the one error line.
#include <stdexcept>
#include <string>

#include "behaviour_fixture.h"

namespace {

HFONT DemoFont() {
  // The caption font, which every backend has: the web page bakes just it.
  return CreateFontA(-48, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     "Arial");
}

TEST_F(Behaviour, APixelFormatIsDescribedAndSetOnceForTheWindowsLife) {
  HWND hwnd = CreatePopup(64, 64);
  HDC hdc = GetDC(hwnd);
  const int count = DescribePixelFormat(hdc, 0, 0, nullptr);
  ASSERT_GE(count, 1);
  const PIXELFORMATDESCRIPTOR asked = Descriptor(16, 8);
  const int format = ChoosePixelFormat(hdc, &asked);
  ASSERT_GE(format, 1);
  PIXELFORMATDESCRIPTOR described{};
  EXPECT_EQ(DescribePixelFormat(hdc, format, sizeof described, &described), count);
  EXPECT_EQ(described.cColorBits, 16);
  EXPECT_EQ(described.cRedBits + described.cGreenBits + described.cBlueBits, 16);
  EXPECT_GE(described.cDepthBits, 8);
  EXPECT_EQ(DescribePixelFormat(hdc, count + 1, sizeof described, &described), 0);

  EXPECT_EQ(wglCreateContext(hdc), nullptr) << "a context before the pixel format";
  EXPECT_FALSE(SwapBuffers(hdc)) << "a swap before the pixel format";
  ASSERT_TRUE(SetPixelFormat(hdc, format, &asked));
  EXPECT_FALSE(SetPixelFormat(hdc, format, &asked)) << "set twice";
  EXPECT_FALSE(SetPixelFormat(nullptr, format, &asked));
}

TEST_F(Behaviour, AContextIsMadeUncurrentAndOutlivesItsWindow) {
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc);
  ASSERT_NE(hwnd, nullptr);
  HGLRC context = wglCreateContext(hdc);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr) << "made current by its creation";
  ASSERT_TRUE(wglMakeCurrent(hdc, context));
  EXPECT_EQ(wglGetCurrentContext(), context);
  EXPECT_TRUE(SwapBuffers(hdc));
  EXPECT_FALSE(wglMakeCurrent(hdc, reinterpret_cast<HGLRC>(0x12345)));
  DestroyWindow(hwnd);
  EXPECT_FALSE(SwapBuffers(hdc)) << "a swap on the DC of a window that went";
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_TRUE(wglDeleteContext(context));
  EXPECT_FALSE(wglDeleteContext(context));
}

TEST_F(Behaviour, AnyDcStartsWithTheStockFontAndSelectReturnsThePrevious) {
  HDC hdc = GetDC(CreatePopup(64, 64));
  HFONT font = DemoFont();
  ASSERT_NE(font, nullptr);
  const HGDIOBJ stock = SelectObject(hdc, font);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(hdc, stock), font);
  EXPECT_EQ(SelectObject(hdc, stock), stock);
  // The stock font may be "deleted" harmlessly; handles that are no font are refused.
  EXPECT_TRUE(DeleteObject(stock));
  EXPECT_EQ(SelectObject(hdc, stock), stock);
  EXPECT_EQ(SelectObject(hdc, reinterpret_cast<HGDIOBJ>(0x46abcdef)), nullptr);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(0x1234)));
  EXPECT_EQ(SelectObject(nullptr, font), nullptr);
  EXPECT_TRUE(DeleteObject(font));
}

TEST_F(Behaviour, ASelectedFontIsDeletedOnlyWhenItsLastDcLetsGo) {
  HWND first = CreatePopup(64, 64);
  HWND second = CreatePopup(64, 64);
  HDC one = GetDC(first);
  HDC other = GetDC(second);
  HFONT font = DemoFont();
  const HGDIOBJ stock = SelectObject(one, font);
  SelectObject(other, font);
  ASSERT_TRUE(DeleteObject(font));
  EXPECT_EQ(SelectObject(one, font), nullptr) << "deleted fonts are not selected again";
  int widths[2] = {};
  EXPECT_TRUE(GetCharWidthA(one, 'A', 'B', widths)) << "still there while selected";
  EXPECT_GT(widths[0], 0);
  SelectObject(one, stock);
  EXPECT_TRUE(GetCharWidthA(other, 'A', 'B', widths));
  // The second DC lets go with its window.
  DestroyWindow(second);
  EXPECT_FALSE(DeleteObject(font)) << "the font outlived its last DC";
}

TEST_F(Behaviour, CharWidthsAreWholePixelsAndLpToDpIsTheIdentity) {
  HDC hdc = GetDC(CreatePopup(64, 64));
  const HGDIOBJ stock = SelectObject(hdc, DemoFont());
  int widths[256] = {};
  ASSERT_TRUE(GetCharWidthA(hdc, 0, 255, widths));
  EXPECT_GT(widths['W'], widths['i']) << "bold 48-pixel glyphs of a proportional face";
  EXPECT_GT(widths[' '], 0);
  EXPECT_FALSE(GetCharWidthA(hdc, 66, 65, widths));
  POINT point{3, 4};
  EXPECT_TRUE(LPtoDP(hdc, &point, 1));
  EXPECT_EQ(point.x, 3);
  EXPECT_EQ(point.y, 4);
  DeleteObject(SelectObject(hdc, stock));
}

// ---- no exception past an entry point

LRESULT CALLBACK ThrowingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) throw std::runtime_error("the procedure gave up");
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(Behaviour, AnExceptionFromAProcedureBecomesTheCallsFailureAndOneLine) {
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = ThrowingProc;
  wndClass.lpszClassName = "Behaviour Throwing";
  ASSERT_NE(RegisterClassA(&wndClass), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CreateWindowExA(0, wndClass.lpszClassName, "Throws", WS_POPUP, 0, 0, 10, 10, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "plumo: CreateWindowExA: the procedure gave up\n");
  EXPECT_TRUE(UnregisterClassA(wndClass.lpszClassName, nullptr)) << "a window was left behind";
}

TEST_F(Behaviour, AnUnmetPixelFormatIsZeroAndSaysSo) {
  HDC hdc = GetDC(CreatePopup(64, 64));
  const PIXELFORMATDESCRIPTOR deep = Descriptor(16, 33);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ChoosePixelFormat(hdc, &deep), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "plumo: ChoosePixelFormat: no pixel format with 33 depth and 0 stencil bits\n");
  EXPECT_EQ(ChoosePixelFormat(nullptr, &deep), 0);
}

}  // namespace
