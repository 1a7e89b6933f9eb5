// wglUseFontBitmapsA on Mesa: what the lists draw, how far they move the
// raster position, and the pixel-store state around the build.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "freetype_reference.h"

namespace fonts_test {
namespace {

const int kPenX = 60;
const int kPenY = 80;

class BitmapLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UseGl());
    ASSERT_NE(font_, nullptr);
    previous_ = SelectObject(dc_, font_);
    base_ = glGenLists(256);
    ASSERT_TRUE(wglUseFontBitmapsA(dc_, 0, 256, base_));
  }
  void TearDown() override {
    glDeleteLists(base_, 256);
    SelectObject(dc_, previous_);
    DeleteObject(font_);
  }

  // The half pixel keeps glBitmap's floor() of the raster position off an edge.
  static std::vector<uint8_t> Draw(GLuint list) {
    PixelSpace();
    glRasterPos2f(kPenX + 0.5f, kPenY + 0.5f);
    glCallList(list);
    return ReadBack();
  }

  static float RasterX() {
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return position[0];
  }

  HDC dc_ = reinterpret_cast<HDC>(0xb17);
  HFONT font_ = MakeFont("Arial", -48, FW_BOLD);
  HGDIOBJ previous_ = nullptr;
  GLuint base_ = 0;
};

TEST_F(BitmapLists, GlyphsAreFreeTypesMonoRenderingPixelForPixel) {
  Reference face(Describe(font_), 48);
  ASSERT_EQ(face.GlyphOf(0x81), 0u) << "U+0081 was to be a code without a glyph";
  const std::pair<unsigned, FT_UInt> cases[] = {
      {'A', face.GlyphOf('A')},     {'g', face.GlyphOf('g')},
      {'@', face.GlyphOf('@')},     {'%', face.GlyphOf('%')},
      {0x80, face.GlyphOf(0x20AC)},              // Windows-1252's euro sign
      {0x9F, face.GlyphOf(0x178)},  {0x81, 0}};  // no glyph: the missing glyph
  for (const auto& [code, glyph] : cases) {
    const MonoGlyph mono = face.Render(glyph);
    ASSERT_GT(mono.width * mono.rows, 0) << code;
    EXPECT_EQ(Mismatches(Draw(base_ + code), mono, kPenX, kPenY), 0) << "code " << code;
  }
}

TEST_F(BitmapLists, SpaceAdvancesWithoutDrawingAndAStringByItsWidths) {
  Reference face(Describe(font_), 48);
  EXPECT_EQ(LitCount(Draw(base_ + ' ')), 0);
  EXPECT_FLOAT_EQ(RasterX(), kPenX + 0.5f + face.Advance(face.GlyphOf(' ')));

  const char text[] = "Plumo, wave!";
  int widths[256], total = 0;
  ASSERT_TRUE(GetCharWidthA(dc_, 0, 255, widths));
  for (const char* c = text; *c; ++c) total += widths[static_cast<unsigned char>(*c)];
  glRasterPos2f(10.5f, 10.5f);
  glListBase(base_);
  glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
  glListBase(0);
  EXPECT_FLOAT_EQ(RasterX(), 10.5f + total);
}

TEST_F(BitmapLists, BuildRestoresThePixelStoreAndIsNotMisledByIt) {
  const GLenum names[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS,
                          GL_UNPACK_SKIP_PIXELS, GL_UNPACK_LSB_FIRST};
  const GLint odd[] = {1, 13, 3, 2, GL_TRUE}, usual[] = {4, 0, 0, 0, GL_FALSE};
  for (int i = 0; i < 5; ++i) glPixelStorei(names[i], odd[i]);
  const GLuint again = glGenLists(256);
  ASSERT_TRUE(wglUseFontBitmapsA(dc_, 0, 256, again));
  for (int i = 0; i < 5; ++i) {
    GLint now = -1;
    glGetIntegerv(names[i], &now);
    EXPECT_EQ(now, odd[i]) << "pixel-store value " << i;
    glPixelStorei(names[i], usual[i]);
  }
  Reference face(Describe(font_), 48);
  EXPECT_EQ(Mismatches(Draw(again + 'R'), face.Render(face.GlyphOf('R')), kPenX, kPenY), 0);
  glDeleteLists(again, 256);
}

}  // namespace
}  // namespace fonts_test
