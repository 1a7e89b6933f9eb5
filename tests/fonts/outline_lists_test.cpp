// wglUseFontOutlinesA on Mesa: metrics in em units, what the polygon and line
// lists draw, how far they move the modelview, and extrusion.
//
// (Mesa's feedback and selection modes crash on display lists holding several
// primitives, so the geometry is checked through pixels and depth.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "freetype_reference.h"

namespace fonts_test {
namespace {

const int kPenX = 100;
const int kPenY = 60;
const float kScale = 160.0f;  // pixels per em

// Pixels whose coverage differs from a 4-neighbour's: where the outline runs.
std::vector<bool> Outline(const MonoGlyph& mono) {
  std::vector<bool> edges(kWidth * kHeight);
  auto in = [&](int x, int y) { return mono.Inks(x, y, kPenX, kPenY); };
  for (int y = 1; y + 1 < kHeight; ++y)
    for (int x = 1; x + 1 < kWidth; ++x)
      edges[y * kWidth + x] = in(x, y) != in(x - 1, y) || in(x, y) != in(x + 1, y) ||
                              in(x, y) != in(x, y - 1) || in(x, y) != in(x, y + 1);
  return edges;
}

// Whether a pixel within one of (x, y) passes `test`.
template <typename Pixels, typename Test>
bool Near(const Pixels& pixels, int x, int y, Test test) {
  for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, kHeight - 1); ++ny)
    for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, kWidth - 1); ++nx)
      if (test(pixels[ny * kWidth + nx])) return true;
  return false;
}

class OutlineLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UseGl());
    previous_ = SelectObject(dc_, font_);
    polygons_ = glGenLists(256);
    lines_ = glGenLists(256);
    ASSERT_TRUE(wglUseFontOutlinesA(dc_, 0, 256, polygons_, 0, 0, WGL_FONT_POLYGONS, filled_));
    ASSERT_TRUE(wglUseFontOutlinesA(dc_, 0, 256, lines_, 0, 0, WGL_FONT_LINES, metrics_));
  }
  void TearDown() override {
    glDeleteLists(polygons_, 256);
    glDeleteLists(lines_, 256);
    SelectObject(dc_, previous_);
    DeleteObject(font_);
  }

  // The em scaled to kScale pixels with its origin at the pen, turned about
  // the y axis by `turn` degrees, depth-tested, optionally culling back faces.
  static std::vector<uint8_t> Draw(GLuint list, float turn = 0, bool cull = false) {
    PixelSpace();
    glTranslatef(kPenX, kPenY, 0);
    glScalef(kScale, kScale, 1);
    glRotatef(turn, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    if (cull) glEnable(GL_CULL_FACE);
    glCallList(list);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    return ReadBack();
  }

  static float DepthAt(float x, float y) {
    GLfloat depth = -1;
    glReadPixels(static_cast<int>(x), static_cast<int>(y), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                 &depth);
    return depth;
  }

  HDC dc_ = reinterpret_cast<HDC>(0x0e1);
  HFONT font_ = MakeFont("Arial", -48, FW_BOLD);
  HGDIOBJ previous_ = nullptr;
  GLuint polygons_ = 0, lines_ = 0;
  GLYPHMETRICSFLOAT filled_[256] = {}, metrics_[256] = {};
};

TEST_F(OutlineLists, MetricsAreInEmUnits) {
  int widths[256];
  ASSERT_TRUE(GetCharWidthA(dc_, 0, 255, widths));
  Reference bare(Describe(font_), 48, false);
  for (unsigned code = 33; code <= 126; ++code) {
    const GLYPHMETRICSFLOAT& m = metrics_[code];
    EXPECT_NEAR(m.gmfCellIncX * 48, widths[code], 1.0) << code;
    EXPECT_EQ(m.gmfCellIncY, 0.0f);
    EXPECT_EQ(std::memcmp(&m, &filled_[code], sizeof m), 0) << "both formats agree";
    // The bare outline rendered at 48 pixels covers the black box rounded out.
    const MonoGlyph mono = bare.Render(bare.GlyphOf(code));
    EXPECT_NEAR(m.gmfBlackBoxX * 48, mono.width, 1.01) << code;
    EXPECT_NEAR(m.gmfBlackBoxY * 48, mono.rows, 1.01) << code;
    EXPECT_NEAR(m.gmfptGlyphOrigin.x * 48, mono.left, 1.01) << code;
    EXPECT_NEAR(m.gmfptGlyphOrigin.y * 48, mono.top, 1.01) << code;
  }
  EXPECT_EQ(metrics_[' '].gmfBlackBoxX, 0.0f);
  EXPECT_NEAR(metrics_[' '].gmfCellIncX * 48, widths[' '], 1.0);
}

TEST_F(OutlineLists, PolygonsFillTheGlyphAsFreeTypeDoesFacingTheViewer) {
  Reference bare(Describe(font_), static_cast<int>(kScale), false);
  for (unsigned char code : {'O', 'B', '@', 'e'}) {
    const MonoGlyph mono = bare.Render(bare.GlyphOf(code));
    const int lit = LitCount(Draw(polygons_ + code));
    ASSERT_GT(lit, 500) << code;
    // Only pixels whose centres lie on the outline may go either way.
    EXPECT_LT(Mismatches(Draw(polygons_ + code), mono, kPenX, kPenY), lit / 50) << code;
    EXPECT_EQ(LitCount(Draw(polygons_ + code, 0, true)), lit) << code << " has clockwise triangles";
  }
}

TEST_F(OutlineLists, LinesTraceEachContourAndNothingElse) {
  // A missing closing edge, a line bridging two contours or a filled inside
  // would each show as pixels away from the outline or outline left dark.
  Reference bare(Describe(font_), static_cast<int>(kScale), false);
  for (unsigned char code : {'O', 'B', '%', 'i'}) {
    const std::vector<bool> outline = Outline(bare.Render(bare.GlyphOf(code)));
    const std::vector<uint8_t> pixels = Draw(lines_ + code);
    int stray = 0, edges = 0, dark = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (Lit(pixels, x, y)) stray += !Near(outline, x, y, [](bool edge) { return edge; });
        if (!outline[y * kWidth + x]) continue;
        ++edges;
        dark += !Near(pixels, x, y, [](uint8_t pixel) { return pixel > 127; });
      }
    EXPECT_GT(LitCount(pixels), 200) << code;
    EXPECT_EQ(stray, 0) << code;
    EXPECT_LT(dark, edges / 100) << code << ": " << dark << " of " << edges;
  }
}

TEST_F(OutlineLists, EachListMovesOnByItsCellIncrement) {
  for (GLuint base : {polygons_, lines_})
    for (unsigned code : {unsigned{'A'}, unsigned{' '}, unsigned{'W'}, 0x80u}) {
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      glCallList(base + code);
      GLfloat matrix[16];
      glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
      EXPECT_GT(matrix[12], 0.0f) << code;
      EXPECT_FLOAT_EQ(matrix[12], metrics_[code].gmfCellIncX) << code;
      EXPECT_EQ(matrix[13], 0.0f) << code;
    }
}

TEST_F(OutlineLists, ACallForMoreCodesThanABatchBuildsThemAllAsSeparateCallsWould) {
  // 300 codes are built in more than one batch: the later lists and metrics
  // must land where a call for those codes alone puts them.
  const GLuint whole = glGenLists(300), tail = glGenLists(44);
  std::vector<GLYPHMETRICSFLOAT> wholeMetrics(300), tailMetrics(44);
  ASSERT_TRUE(
      wglUseFontOutlinesA(dc_, 0, 300, whole, 0, 0, WGL_FONT_POLYGONS, wholeMetrics.data()));
  ASSERT_TRUE(wglUseFontOutlinesA(dc_, 256, 44, tail, 0, 0, WGL_FONT_POLYGONS, tailMetrics.data()));
  for (unsigned code = 0; code < 256; ++code)
    EXPECT_EQ(std::memcmp(&wholeMetrics[code], &filled_[code], sizeof filled_[code]), 0) << code;
  for (unsigned i = 0; i < 44; ++i) {
    EXPECT_GT(wholeMetrics[256 + i].gmfCellIncX, 0.0f) << 256 + i;
    EXPECT_EQ(std::memcmp(&wholeMetrics[256 + i], &tailMetrics[i], sizeof tailMetrics[i]), 0)
        << 256 + i;
  }
  for (unsigned i : {0u, 1u, 43u}) {
    const std::vector<uint8_t> pixels = Draw(whole + 256 + i);
    EXPECT_GT(LitCount(pixels), 500) << 256 + i;
    EXPECT_EQ(pixels, Draw(tail + i)) << 256 + i;
  }
  glDeleteLists(whole, 300);
  glDeleteLists(tail, 44);
}

TEST_F(OutlineLists, ExtrusionAddsABackFaceAndOutwardWalls) {
  const float depth = 0.25f;
  const GLuint deep = glGenLists(2);
  ASSERT_TRUE(wglUseFontOutlinesA(dc_, 'I', 1, deep, 0, depth, WGL_FONT_POLYGONS, nullptr));
  ASSERT_TRUE(wglUseFontOutlinesA(dc_, 'I', 1, deep + 1, 0, depth, WGL_FONT_LINES, nullptr));
  const GLYPHMETRICSFLOAT& m = metrics_['I'];
  const float middleY = kPenY + kScale * (m.gmfptGlyphOrigin.y - m.gmfBlackBoxY / 2);
  const float height = kScale * m.gmfBlackBoxY;

  // Seen from behind with back faces culled, only a back face shows: at
  // z = -depth, which glOrtho(.., -1, 1) puts at window depth (1 - depth) / 2.
  const int front = LitCount(Draw(polygons_ + 'I'));
  EXPECT_EQ(LitCount(Draw(polygons_ + 'I', 180, true)), 0) << "a flat glyph has no back";
  EXPECT_NEAR(LitCount(Draw(deep, 180, true)), front, front / 50);
  const float behindX = kPenX - kScale * (m.gmfptGlyphOrigin.x + m.gmfBlackBoxX / 2);
  EXPECT_NEAR(DepthAt(behindX, middleY), (1 - depth) / 2, 1e-3f);

  // Edge-on a flat glyph vanishes; the extruded one shows its left wall, as
  // wide as the extrusion and as tall as the glyph. Walls wound inward would
  // leave the far (right) wall at a greater depth instead.
  EXPECT_EQ(LitCount(Draw(polygons_ + 'I', 90, true)), 0);
  const float wall = kScale * depth * height;
  EXPECT_NEAR(LitCount(Draw(deep, 90, true)), wall, wall / 10);
  EXPECT_NEAR(DepthAt(kPenX - kScale * depth / 2, middleY), (1 + m.gmfptGlyphOrigin.x) / 2, 1e-3f);
  // The line glyph edge-on: front and back outline, and the lines joining them.
  EXPECT_NEAR(LitCount(Draw(deep + 1, 90)), 2 * height + 2 * kScale * depth, kScale * depth);
  glDeleteLists(deep, 2);
}

}  // namespace
}  // namespace fonts_test
