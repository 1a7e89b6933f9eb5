// The web page's font calls on the face the page ships, baked for this test
// by the build's own plumo-font-bake, with GL on the emulated context.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/web/gl/gl_context.h"
#include "recording_renderer.h"

namespace {

HFONT PageFont(const char* face = "Arial", int height = -48, int weight = FW_BOLD,
               DWORD italic = FALSE) {
  return CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

class WebFonts : public ::testing::Test {
 protected:
  void SetUp() override {
    context.SetDrawableSize(640, 480);
    web::gl::MakeCurrent(&context);
  }
  void TearDown() override {
    SelectObject(hdc, stock);
    web::gl::MakeCurrent(nullptr);
  }

  std::vector<float> Raster() {
    std::vector<float> position(4);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position.data());
    return position;
  }

  RecordingRenderer renderer;
  web::gl::GlContext context{&renderer};
  HDC hdc = reinterpret_cast<HDC>(0x20001);
  HGDIOBJ stock = nullptr;
};

TEST_F(WebFonts, OnlyTheFaceThePageShipsCanBeMadeAndOthersSaySo) {
  HFONT font = PageFont("arial");  // face names compare without case, as in GDI
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(DeleteObject(font));

  testing::internal::CaptureStderr();
  EXPECT_EQ(PageFont("Times New Roman", -20, FW_NORMAL), nullptr);
  EXPECT_EQ(PageFont("Arial", -48, FW_NORMAL), nullptr);
  EXPECT_EQ(PageFont("Arial", -47), nullptr);
  EXPECT_EQ(PageFont("Arial", -48, FW_BOLD, TRUE), nullptr);
  const std::string lines = testing::internal::GetCapturedStderr();
  EXPECT_NE(lines.find("plumo: CreateFontA: no font matches \"Times New Roman\": the page has no "
                       "font \"Times New Roman\" of height -20 and weight 400\n"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("weight 700, italic\n"), std::string::npos) << lines;
}

TEST_F(WebFonts, BitmapListsAdvanceByTheWidthsAndRestoreTheAlignment) {
  HFONT font = PageFont();
  stock = SelectObject(hdc, font);
  ASSERT_NE(stock, nullptr);
  int widths[256];
  ASSERT_TRUE(GetCharWidthA(hdc, 0, 255, widths));
  EXPECT_GT(widths['E'], 20);  // bold 48-pixel glyphs
  EXPECT_GT(widths[' '], 0);

  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLuint base = glGenLists(256);
  ASSERT_TRUE(wglUseFontBitmapsA(hdc, 0, 256, base));
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 1);

  glRasterPos2f(-0.5f, 0);
  const float start = Raster()[0];
  glListBase(base);
  glCallLists(3, GL_UNSIGNED_BYTE, "E E");
  EXPECT_FLOAT_EQ(Raster()[0], start + 2 * widths['E'] + widths[' ']);
  context.Flush();
  ASSERT_EQ(renderer.draws.size(), 1u);
  // Six corners a glyph; the first and the last are the two E's, one E and
  // one space apart, and of one size.
  const std::vector<web::gl::Vertex>& v = renderer.draws[0].vertices;
  ASSERT_GE(v.size(), 12u);
  const size_t last = v.size() - 6;
  auto pixels = [](float clipX) { return (clipX + 1) * 320; };
  EXPECT_NEAR(pixels(v[last].x) - pixels(v[0].x), widths['E'] + widths[' '], 1e-3);
  EXPECT_NEAR(v[last + 1].x - v[last].x, v[1].x - v[0].x, 1e-6);
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST_F(WebFonts, OutlineListsAreTheBakedFlatOnesOnly) {
  stock = SelectObject(hdc, PageFont());
  GLYPHMETRICSFLOAT metrics[256];
  const GLuint base = glGenLists(256);
  ASSERT_TRUE(wglUseFontOutlinesA(hdc, 0, 256, base, 0.0f, 0.0f, WGL_FONT_POLYGONS, metrics));
  // An em-unit glyph ending with its advance, as the native layer makes it.
  EXPECT_GT(metrics['A'].gmfCellIncX, 0.5f);
  EXPECT_LT(metrics['A'].gmfCellIncX, 1.0f);
  glCallList(base + 'A');
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  EXPECT_FLOAT_EQ(modelview[12], metrics['A'].gmfCellIncX);
  context.Flush();
  ASSERT_FALSE(renderer.draws.empty());
  EXPECT_EQ(renderer.draws[0].shape, web::gl::Shape::kTriangles);

  ASSERT_TRUE(wglUseFontOutlinesA(hdc, 0, 256, base, 0.0f, 0.0f, WGL_FONT_LINES, nullptr));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(wglUseFontOutlinesA(hdc, 0, 256, base, 0.0f, 0.1f, WGL_FONT_POLYGONS, nullptr));
  EXPECT_FALSE(wglUseFontOutlinesA(hdc, 0, 256, base, 0.01f, 0.0f, WGL_FONT_POLYGONS, nullptr));
  EXPECT_FALSE(wglUseFontBitmapsA(hdc, 250, 10, base));  // codes past 255
  const std::string lines = testing::internal::GetCapturedStderr();
  EXPECT_NE(lines.find("plumo: wglUseFontOutlinesA: "), std::string::npos) << lines;
}

TEST_F(WebFonts, ADeviceContextWithoutAFontHasNoGlyphs) {
  int widths[256];
  testing::internal::CaptureStderr();
  EXPECT_FALSE(GetCharWidthA(hdc, 0, 255, widths));
  EXPECT_FALSE(wglUseFontBitmapsA(hdc, 0, 256, glGenLists(256)));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("plumo: GetCharWidthA: "),
            std::string::npos);
}

}  // namespace
