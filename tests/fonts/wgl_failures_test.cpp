// wglUseFont*A when the call cannot be served (no current context, no DC, an
// unknown format), and with a DC the layer has never seen.
#include <gtest/gtest.h>

#include "freetype_reference.h"

namespace fonts_test {
namespace {

TEST(WglFontCalls, FailWithoutAContextADcOrAKnownFormat) {
  ASSERT_TRUE(UseGl());
  const HDC dc = reinterpret_cast<HDC>(0xfa1);
  HFONT font = MakeFont("Arial", -48, FW_BOLD);
  const HGDIOBJ previous = SelectObject(dc, font);
  const GLuint base = glGenLists(256);
  GLYPHMETRICSFLOAT metrics[256];

  EXPECT_FALSE(wglUseFontBitmapsA(nullptr, 0, 256, base));
  EXPECT_FALSE(wglUseFontOutlinesA(nullptr, 0, 256, base, 0, 0, WGL_FONT_LINES, metrics));
  EXPECT_FALSE(wglUseFontOutlinesA(dc, 0, 256, base, 0, 0, 7, metrics));
  DropContext();
  EXPECT_FALSE(wglUseFontBitmapsA(dc, 0, 256, base));
  EXPECT_FALSE(wglUseFontOutlinesA(dc, 0, 256, base, 0, 0, WGL_FONT_POLYGONS, metrics));
  RestoreContext();

  glDeleteLists(base, 256);
  SelectObject(dc, previous);
  DeleteObject(font);
}

TEST(WglFontCalls, ADcNeverSeenBeforeUsesTheStockFont) {
  ASSERT_TRUE(UseGl());
  const HDC stranger = reinterpret_cast<HDC>(0x57a);
  const GLuint base = glGenLists(2);
  GLYPHMETRICSFLOAT metrics{};
  ASSERT_TRUE(wglUseFontBitmapsA(stranger, 'H', 1, base));
  ASSERT_TRUE(wglUseFontOutlinesA(stranger, 'H', 1, base + 1, 0, 0, WGL_FONT_LINES, &metrics));
  PixelSpace();
  glRasterPos2f(20.5f, 20.5f);
  glCallList(base);
  EXPECT_GT(LitCount(ReadBack()), 10);
  EXPECT_GT(metrics.gmfCellIncX, 0.3f);
  EXPECT_LT(metrics.gmfCellIncX, 1.0f);
  glDeleteLists(base, 2);
}

}  // namespace
}  // namespace fonts_test
