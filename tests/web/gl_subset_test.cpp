// The web page's GL 1.1 emulation, built natively: the demo's GL calls on an
// emulated context whose renderer records what it is given.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/web/gl/gl_context.h"
#include "recording_renderer.h"

namespace {

using web::gl::Shape;
using web::gl::Vertex;

class GlSubset : public ::testing::Test {
 protected:
  void SetUp() override {
    context.SetDrawableSize(640, 480);
    web::gl::MakeCurrent(&context);
    web::gl::ForgetReports();
  }
  void TearDown() override { web::gl::MakeCurrent(nullptr); }

  // Everything drawn so far, in the order it was drawn.
  std::vector<Drawn>& Draws() {
    context.Flush();
    return renderer.draws;
  }

  // A clip-space vertex in window coordinates, through its batch's viewport.
  static std::pair<float, float> Window(const Vertex& v, const web::gl::DrawState& state) {
    const int* vp = state.viewport;
    return {(v.x / v.w + 1) * 0.5f * vp[2] + vp[0], (v.y / v.w + 1) * 0.5f * vp[3] + vp[1]};
  }

  std::vector<float> Raster() {
    std::vector<float> position(4);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position.data());
    return position;
  }

  RecordingRenderer renderer;
  web::gl::GlContext context{&renderer};
};

// ------------------------------------------------------------- matrix stacks

TEST_F(GlSubset, EachModeHasItsOwnStackAndPopRestoresTheTop) {
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1, 2, 3);
  glPushMatrix();
  glScalef(2, 2, 2);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glRotatef(90, 0, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();

  GLfloat modelview[16], projection[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_EQ(modelview[0], 1);  // the scale went with the pop
  EXPECT_EQ(modelview[12], 1);
  EXPECT_EQ(modelview[14], 3);
  EXPECT_NEAR(projection[1], 1, 1e-6);  // the projection's rotation stays
  GLint depth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 2);
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST_F(GlSubset, StacksOverflowAndUnderflowAsGlDoesLeavingTheTopAlone) {
  glTranslatef(5, 0, 0);
  for (int i = 1; i < web::gl::GlContext::kModelviewDepth; ++i) glPushMatrix();
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
  glPushMatrix();
  EXPECT_EQ(glGetError(), GL_STACK_OVERFLOW);
  for (int i = 1; i < web::gl::GlContext::kModelviewDepth; ++i) glPopMatrix();
  GLfloat top[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 5);
  glPopMatrix();
  EXPECT_EQ(glGetError(), GL_STACK_UNDERFLOW);
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 5);
}

TEST_F(GlSubset, LaterTransformsApplyFirstToVertices) {
  glTranslatef(5, 0, 0);
  glScalef(2, 1, 1);
  glBegin(GL_POINTS);
  glVertex3f(1, 0, 0);
  glEnd();
  ASSERT_EQ(Draws().size(), 1u);
  EXPECT_EQ(Draws()[0].vertices[0].x, 7);  // 5 + 2 * 1, not 2 * (5 + 1)
}

// The demo's camera: eye (10, 10, 10) looking at (15, 15, 0), 45 degrees,
// 640 x 480, near 7 and far 5000.
TEST_F(GlSubset, PerspectiveAndLookAtPutTheViewWhereGluDoes) {
  glMatrixMode(GL_PROJECTION);
  gluPerspective(45.0, 640.0 / 480.0, 7.0, 5000.0);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(10, 10, 10, 15, 15, 0, 0, 0, 1);
  const double toCenter = std::sqrt(25.0 + 25.0 + 100.0);
  const double half = std::tan(22.5 * M_PI / 180);
  // The centre lies straight ahead, at its distance from the eye.
  glBegin(GL_POINTS);
  glVertex3f(15, 15, 0);
  glEnd();
  const Vertex center = Draws()[0].vertices[0];
  EXPECT_NEAR(center.x / center.w, 0, 1e-6);
  EXPECT_NEAR(center.y / center.w, 0, 1e-6);
  EXPECT_NEAR(center.w, toCenter, 1e-4);  // w is the distance along the view
  // Depth: the near plane maps to -1, the far plane to +1.
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  auto ndcDepth = [&](double distance) {
    return (projection[10] * -distance + projection[14]) / distance;
  };
  EXPECT_NEAR(ndcDepth(7), -1, 1e-5);
  EXPECT_NEAR(ndcDepth(5000), 1, 1e-3);
  EXPECT_NEAR(projection[5], 1 / half, 1e-5);
  EXPECT_NEAR(projection[0], 1 / half / (640.0 / 480.0), 1e-5);
}

// ------------------------------------------------------------- primitives

TEST_F(GlSubset, StripsKeepEveryTriangleFacingTheSameWayAndLoopsClose) {
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 4; ++i) glVertex2f(static_cast<float>(i % 2), static_cast<float>(i / 2));
  glEnd();
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < 3; ++i) glVertex2f(static_cast<float>(i), 0);
  glEnd();
  ASSERT_EQ(Draws().size(), 2u);
  const std::vector<Vertex>& strip = Draws()[0].vertices;
  ASSERT_EQ(strip.size(), 6u);
  auto area = [&](size_t t) {  // twice the signed area: > 0 counter-clockwise
    const Vertex &a = strip[t], &b = strip[t + 1], &c = strip[t + 2];
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  };
  EXPECT_GT(area(0), 0);
  EXPECT_GT(area(3), 0);  // the second triangle's corners are swapped back
  const std::vector<Vertex>& loop = Draws()[1].vertices;
  ASSERT_EQ(loop.size(), 6u);  // three segments: the last returns to the first
  EXPECT_EQ(loop[5].x, loop[0].x);
  EXPECT_EQ(Draws()[1].shape, Shape::kLines);
}

TEST_F(GlSubset, ColoursAreClampedPerVertexAndCallsInsideBeginEndAreRefused) {
  glBegin(GL_TRIANGLES);
  glColor3f(0.2f, -0.3f, 1.5f);  // the demo's green goes below 0
  glVertex2f(0, 0);
  glVertex2f(1, 0);
  glVertex2f(0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnd();
  EXPECT_EQ(glGetError(), GL_INVALID_OPERATION);
  EXPECT_EQ(renderer.clears, 0);
  const Vertex& v = Draws()[0].vertices[0];
  EXPECT_EQ(v.g, 0);
  EXPECT_EQ(v.b, 1);
  GLfloat current[4];
  glGetFloatv(GL_CURRENT_COLOR, current);
  EXPECT_EQ(current[1], -0.3f);  // the current colour itself is kept as given
}

// ------------------------------------------------------------- display lists

TEST_F(GlSubset, CompiledListsRunOnlyWhenCalledAndCompileAndExecuteRunsAtOnce) {
  const GLuint lists = glGenLists(2);
  glNewList(lists, GL_COMPILE);
  glTranslatef(1, 0, 0);
  glEndList();
  GLfloat top[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 0);
  glCallList(lists);
  glCallList(lists);
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 2);

  glNewList(lists + 1, GL_COMPILE_AND_EXECUTE);
  glTranslatef(10, 0, 0);
  glEndList();
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 12);
  glCallList(lists + 1);
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 22);
}

TEST_F(GlSubset, CallListsAddsTheListBaseAndSkipsNamesWithoutLists) {
  const GLuint base = glGenLists(3);
  for (GLuint i = 0; i < 3; ++i) {
    glNewList(base + i, GL_COMPILE);
    glTranslatef(static_cast<float>(1 << i), 0, 0);
    glEndList();
  }
  glListBase(base);
  const GLubyte names[] = {0, 2, 200, 2};  // 200: no list there
  glCallLists(4, GL_UNSIGNED_BYTE, names);
  GLfloat top[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 1 + 4 + 4);
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST_F(GlSubset, ANestedCallFindsTheListAsItIsWhenItRuns) {
  const GLuint inner = glGenLists(2), outer = inner + 1;
  glNewList(outer, GL_COMPILE);
  glCallList(inner);
  glEndList();
  glNewList(inner, GL_COMPILE);
  glTranslatef(3, 0, 0);
  glEndList();
  glCallList(outer);
  GLfloat top[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], 3);

  // A list that calls itself stops at the nesting limit instead of recursing
  // for ever.
  glNewList(inner, GL_COMPILE);
  glTranslatef(1, 0, 0);
  glCallList(inner);
  glEndList();
  glLoadIdentity();
  glCallList(inner);
  glGetFloatv(GL_MODELVIEW_MATRIX, top);
  EXPECT_EQ(top[12], web::gl::GlContext::kListNesting);
}

TEST_F(GlSubset, ListNamesAndCompileErrors) {
  const GLuint first = glGenLists(2);
  EXPECT_EQ(first, 1u);
  glNewList(5, GL_COMPILE);
  glEndList();
  EXPECT_EQ(glGenLists(3), 6u);  // 3 and 4 are free, but not three of them
  EXPECT_EQ(glGenLists(2), 3u);
  glDeleteLists(1, 2);
  EXPECT_FALSE(glIsList(2));
  EXPECT_TRUE(glIsList(5));

  glNewList(9, GL_COMPILE);
  glNewList(10, GL_COMPILE);
  EXPECT_EQ(glGetError(), GL_INVALID_OPERATION);
  glEndList();
  glEndList();
  EXPECT_EQ(glGetError(), GL_INVALID_OPERATION);
  EXPECT_TRUE(glIsList(9));
  EXPECT_FALSE(glIsList(10));

  glNewList(0xFFFFFFF0u, GL_COMPILE);
  glEndList();
  glDeleteLists(0xFFFFFFF0u, 100);  // past the last name: up to it, no wrap
  EXPECT_FALSE(glIsList(0xFFFFFFF0u));
  EXPECT_TRUE(glIsList(5));
}

// ------------------------------------------------------------- bitmaps

// An "L" three pixels wide and two high, rows bottom-up, padded to 4 bytes.
const GLubyte kGlyph[] = {0xE0, 0, 0, 0, 0x80, 0, 0, 0};

TEST_F(GlSubset, BitmapDrawsAtTheRasterPositionLessItsOriginAndAdvancesIt) {
  // The demo's caption: identity modelview, projection moved onto the near
  // plane, raster position (-0.3, 0): window (224, 240).
  glMatrixMode(GL_PROJECTION);
  glTranslatef(0, 0, -1);
  glColor4f(1, 1, 1, 1);
  glRasterPos2f(-0.3f, 0);
  std::vector<float> at = Raster();
  EXPECT_FLOAT_EQ(at[0], 224);
  EXPECT_FLOAT_EQ(at[1], 240);
  EXPECT_FLOAT_EQ(at[2], 0);

  glBitmap(3, 2, -2, 1, 30, 0, kGlyph);  // GDI's origin: -left, height - top
  glBitmap(0, 0, 0, 0, 12, 0, nullptr);  // a blank glyph still advances
  at = Raster();
  EXPECT_FLOAT_EQ(at[0], 224 + 30 + 12);

  ASSERT_EQ(Draws().size(), 1u);
  const Drawn& quad = Draws()[0];
  ASSERT_EQ(quad.vertices.size(), 6u);
  auto [left, bottom] = Window(quad.vertices[0], quad.state);
  auto [right, top] = Window(quad.vertices[2], quad.state);
  EXPECT_NEAR(left, 226, 1e-3);
  EXPECT_NEAR(bottom, 239, 1e-3);
  EXPECT_NEAR(right, 229, 1e-3);
  EXPECT_NEAR(top, 241, 1e-3);
  EXPECT_EQ(quad.vertices[0].z, -1);  // window depth 0
  EXPECT_EQ(quad.vertices[0].r, 1);

  // The texels the quad shows: the glyph's bits, most significant first.
  const int u = static_cast<int>(quad.vertices[0].u), v = static_cast<int>(quad.vertices[0].v);
  const int width = web::gl::kAtlasSize;
  EXPECT_EQ(renderer.atlas[v * width + u], 0xFF);
  EXPECT_EQ(renderer.atlas[v * width + u + 2], 0xFF);
  EXPECT_EQ(renderer.atlas[(v + 1) * width + u], 0xFF);
  EXPECT_EQ(renderer.atlas[(v + 1) * width + u + 1], 0);
}

TEST_F(GlSubset, BitmapsIgnoreTheViewportAndCullingButKeepTheRasterColour) {
  glEnable(GL_CULL_FACE);
  glColor3f(1, 0, 0);
  glRasterPos2f(0, 0);
  glColor3f(0, 1, 0);  // after the raster position: not the bitmap's colour
  glViewport(0, 0, 10, 10);
  glBitmap(3, 2, 0, 0, 0, 0, kGlyph);
  const Drawn& quad = Draws()[0];
  EXPECT_FALSE(quad.state.cullFace);
  EXPECT_EQ(quad.state.viewport[2], 640);
  EXPECT_EQ(quad.vertices[0].r, 1);
  EXPECT_EQ(quad.vertices[0].g, 0);
}

// Under the same state as the bitmap's (no culling, the whole drawable) a
// triangle and a glyph still go in batches of their own: the renderer picks
// its shader by a batch's first vertex.
TEST_F(GlSubset, GlyphsAndGeometryNeverShareABatch) {
  glBegin(GL_TRIANGLES);
  glVertex2f(0, 0);
  glVertex2f(1, 0);
  glVertex2f(0, 1);
  glEnd();
  glRasterPos2f(0, 0);
  glBitmap(3, 2, 0, 0, 0, 0, kGlyph);
  glBegin(GL_TRIANGLES);
  glVertex2f(0, 0);
  glVertex2f(1, 0);
  glVertex2f(0, 1);
  glEnd();
  ASSERT_EQ(Draws().size(), 3u);
  for (const Drawn& draw : Draws()) {
    for (const Vertex& v : draw.vertices)
      EXPECT_EQ(v.u >= 0, draw.vertices[0].u >= 0) << "a glyph and geometry in one batch";
  }
}

TEST_F(GlSubset, AnInvalidRasterPositionDrawsAndAdvancesNothing) {
  glRasterPos2f(0, 0);
  glRasterPos3f(2, 0, 0);  // outside the clip volume
  GLboolean valid = GL_TRUE;
  glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
  EXPECT_FALSE(valid);
  glBitmap(3, 2, 0, 0, 10, 0, kGlyph);
  EXPECT_TRUE(Draws().empty());
}

TEST_F(GlSubset, ACompiledBitmapIsUnpackedWithTheAlignmentOfItsCompile) {
  // Rows of one byte: with alignment 1 the second row is the next byte.
  // Read with alignment 4, the second row would be byte 4, which is empty.
  const GLubyte packed[] = {0xE0, 0x80, 0, 0, 0, 0, 0, 0};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // executed now, never compiled
  glBitmap(3, 2, 0, 0, 0, 0, packed);     // so read with alignment 4
  glEndList();
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);

  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glNewList(list, GL_COMPILE);
  glBitmap(3, 2, 0, 0, 0, 0, packed);
  glEndList();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glRasterPos2f(0, 0);
  glCallList(list);
  const Vertex& corner = Draws().back().vertices[0];
  const int u = static_cast<int>(corner.u), v = static_cast<int>(corner.v);
  EXPECT_EQ(renderer.atlas[(v + 1) * web::gl::kAtlasSize + u], 0xFF);  // 0x80: the second row
  EXPECT_EQ(renderer.atlas[(v + 1) * web::gl::kAtlasSize + u + 1], 0);
}

// ------------------------------------------------------------- attributes

TEST_F(GlSubset, PopAttribRestoresTheGroupsPushedAndNothingElse) {
  glEnable(GL_DEPTH_TEST);
  glListBase(7);
  glColor3f(1, 0, 0);
  glPushAttrib(GL_LIST_BIT | GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glListBase(100);
  glColor3f(0, 1, 0);
  glPopAttrib();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  GLint base = 0;
  glGetIntegerv(GL_LIST_BASE, &base);
  EXPECT_EQ(base, 7);
  GLfloat color[4];
  glGetFloatv(GL_CURRENT_COLOR, color);
  EXPECT_EQ(color[1], 1);  // GL_CURRENT_BIT was not pushed
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
  glPopAttrib();
  EXPECT_EQ(glGetError(), GL_STACK_UNDERFLOW);
}

// ------------------------------------------------------------- outside the subset

TEST_F(GlSubset, QueriesWriteEveryValueOfTheirName) {
  glViewport(1, 0, 3, 4);
  GLboolean viewport[5] = {GL_FALSE, GL_TRUE, GL_FALSE, GL_FALSE, GL_TRUE};
  glGetBooleanv(GL_VIEWPORT, viewport);  // four values, and not a fifth
  EXPECT_EQ(std::vector<GLboolean>(viewport, viewport + 5),
            (std::vector<GLboolean>{GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE, GL_TRUE}));
  glNormal3f(0.5f, -1, 2);
  GLfloat normal[3] = {0, 0, 0};
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  EXPECT_EQ(std::vector<GLfloat>(normal, normal + 3), (std::vector<GLfloat>{0.5f, -1, 2}));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlSubset, CallsOutsideTheSubsetFailAndSaySoOnce) {
  testing::internal::CaptureStderr();
  glAccum(GL_LOAD, 1.0f);
  glAccum(GL_LOAD, 1.0f);
  EXPECT_EQ(glGetError(), GL_INVALID_OPERATION);
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
  glEnable(GL_LIGHTING);
  EXPECT_EQ(glGetError(), GL_INVALID_OPERATION);
  glDisable(GL_LIGHTING);  // what GL starts with: accepted
  EXPECT_EQ(glGetError(), GL_NO_ERROR);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "plumo: glAccum: outside the GL 1.1 subset of the web page\n"
            "plumo: glEnable(0x0B50): outside the GL 1.1 subset of the web page\n");
}

}  // namespace
