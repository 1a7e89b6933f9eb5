// The scene: its grid, the frame clock, the caption timeline and its end.
#include <cmath>

#include "fake_test.h"

namespace {

using ::testing::ElementsAre;

class SceneTest : public FakeTest {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    platform.frequency = 1000000;
    demo = std::make_unique<WaveDemo>();
    demo->Init(0);
    platform.counter = 7000000;  // Init took 7 s
    demo->Load();
  }

  // Renders one frame `seconds` after the previous one.
  void RenderAfter(double seconds) {
    platform.counter += static_cast<int64_t>(std::llround(seconds * 1e6));
    frameStart = platform.calls.size();
    demo->Render();
  }
  // Renders one frame at exactly scene time `t`.
  void RenderAt(double t) {
    sceneTime = t;
    RenderAfter(0);
  }

  std::vector<fake::Call> FrameCalls(const std::string& name) const {
    std::vector<fake::Call> found;
    for (size_t i = frameStart; i < platform.calls.size(); ++i)
      if (platform.calls[i].name == name) found.push_back(platform.calls[i]);
    return found;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> texts;
    for (const fake::Call& call : FrameCalls("glCallLists")) texts.push_back(call.text);
    return texts;
  }

  std::unique_ptr<WaveDemo> demo;
  size_t frameStart = 0;
};

std::string CaptionCall(const std::string& text) {
  return "glCallLists(" + std::to_string(text.size()) + ", GL_UNSIGNED_BYTE, \"" + text + "\")";
}

TEST_F(SceneTest, TheFirstFrameCountsFromTheEndOfLoad) {
  RenderAfter(0.016);
  EXPECT_DOUBLE_EQ(sceneTime, 0.016);
  RenderAfter(0.020);
  EXPECT_DOUBLE_EQ(sceneTime, 0.036);
}

TEST_F(SceneTest, LoadFillsTheMeshRowByRow) {
  ASSERT_NE(demo->mesh, nullptr);
  for (int row : {0, 3, 19}) {
    for (int col : {0, 5, 19}) {
      const float* cell = demo->mesh + (row * 20 + col) * 12;
      const float expected[12] = {float(col), float(row),     0, float(col + 1), float(row),     0,
                                  float(col), float(row + 1), 0, float(col + 1), float(row + 1), 0};
      for (int i = 0; i < 12; ++i) EXPECT_EQ(cell[i], expected[i]) << row << "," << col << "," << i;
    }
  }
  EXPECT_EQ(platform.Named("CreateFontA")[0].text,
            "CreateFontA(-48, 0, 0, 0, 700, 0, 0, 0, 0, 4, 0, 4, 0, \"Arial\")");
  // The timer starts after the font.
  EXPECT_GT(platform.IndexOf("QueryPerformanceCounter"), platform.IndexOf("GetCharWidthA"));
}

TEST_F(SceneTest, EveryFrameClearsSetsDepthAndCullingAndPlacesTheCamera) {
  RenderAfter(0.5);
  std::vector<std::string> prologue;
  for (const std::string& text : platform.Texts(frameStart)) {
    if (text == "glBegin(GL_TRIANGLES)") break;
    prologue.push_back(text);
  }
  EXPECT_THAT(
      prologue,
      ElementsAre("glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT)", "glEnable(GL_DEPTH_TEST)",
                  "glDepthFunc(GL_LEQUAL)", "glEnable(GL_CULL_FACE)", "glCullFace(GL_BACK)",
                  // SetEye applies with the old centre, SetCenter again with the new
                  "glMatrixMode(GL_PROJECTION)", "glLoadIdentity()",
                  "gluPerspective(45, 1.33333333, 0.100000001, 10000)",
                  "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
                  "gluLookAt(10, 10, 10, 0, 0, 0, 0, 1, 0)", "glMatrixMode(GL_PROJECTION)",
                  "glLoadIdentity()", "gluPerspective(45, 1.33333333, 0.100000001, 10000)",
                  "glMatrixMode(GL_MODELVIEW)", "glLoadIdentity()",
                  "gluLookAt(10, 10, 10, 15, 15, 0, 0, 1, 0)", "QueryPerformanceCounter(7500000)"));
}

TEST_F(SceneTest, OneFrameIsOneTriangleBatchOf2400VerticesAnd400Colours) {
  RenderAfter(0.7);
  EXPECT_EQ(FrameCalls("glBegin").size(), 1u);
  EXPECT_EQ(FrameCalls("glEnd").size(), 1u);
  EXPECT_EQ(FrameCalls("glVertex3f").size(), 2400u);
  EXPECT_EQ(FrameCalls("glColor3f").size(), 400u);
  // Each cell: its colour, then its six vertices.
  const size_t begin = platform.IndexOf("glBegin", frameStart);
  for (size_t i = 0; i < 2400 + 400; ++i) {
    EXPECT_EQ(platform.calls[begin + 1 + i].name, i % 7 == 0 ? "glColor3f" : "glVertex3f") << i;
  }
  EXPECT_EQ(platform.calls[begin + 1 + 2800].name, "glEnd");
}

TEST_F(SceneTest, CornersAreLiftedBySinesAndCosinesOfTheClock) {
  const double t = 0.7;
  RenderAfter(t);
  const std::vector<fake::Call> vertices = FrameCalls("glVertex3f");
  ASSERT_EQ(vertices.size(), 2400u);
  for (int row = 0; row < 20; ++row) {
    for (int col = 0; col < 20; ++col) {
      // Emission order: P0, P1, P2, P2, P3, P0, each with its own lift.
      const struct {
        int x, y;
        double lift;
      } expected[6] = {{col, row, std::sin(row * t)},         {col + 1, row, std::cos(row * t)},
                       {col, row + 1, std::sin(col * t)},     {col, row + 1, std::sin(col * t)},
                       {col + 1, row + 1, std::cos(row * t)}, {col, row, std::sin(row * t)}};
      for (int v = 0; v < 6; ++v) {
        const fake::Call& vertex = vertices[(row * 20 + col) * 6 + v];
        ASSERT_EQ(vertex.args[0], expected[v].x) << vertex.text;
        ASSERT_EQ(vertex.args[1], expected[v].y) << vertex.text;
        ASSERT_EQ(vertex.args[2], static_cast<float>(expected[v].lift))
            << "row " << row << " col " << col << " vertex " << v;
      }
    }
  }
}

TEST_F(SceneTest, AtTimeZeroOnlyP1AndP3AreLifted) {
  RenderAfter(0);
  const std::vector<fake::Call> vertices = FrameCalls("glVertex3f");
  for (size_t i = 0; i < vertices.size(); ++i) {
    const size_t corner = i % 6;  // P0 P1 P2 P2 P3 P0
    EXPECT_EQ(vertices[i].args[2], corner == 1 || corner == 4 ? 1.0 : 0.0) << vertices[i].text;
  }
}

TEST_F(SceneTest, RowZeroAndColumnZeroKeepTheirLifts) {
  for (double t : {0.3, 5.5, 17.25}) {
    RenderAt(t);
    const std::vector<fake::Call> vertices = FrameCalls("glVertex3f");
    for (int col = 0; col < 20; ++col) {
      const size_t cell = static_cast<size_t>(col) * 6;  // row 0
      EXPECT_EQ(vertices[cell + 0].args[2], 0.0);
      EXPECT_EQ(vertices[cell + 1].args[2], 1.0);
      EXPECT_EQ(vertices[cell + 4].args[2], 1.0);
      // its P2 corners still move
      EXPECT_EQ(vertices[cell + 2].args[2], static_cast<float>(std::sin(col * t)));
    }
    for (int row = 0; row < 20; ++row) {
      const size_t cell = static_cast<size_t>(row) * 20 * 6;  // column 0
      EXPECT_EQ(vertices[cell + 2].args[2], 0.0) << "P2 of column 0, row " << row;
      EXPECT_EQ(vertices[cell + 3].args[2], 0.0);
    }
  }
}

TEST_F(SceneTest, ColourPulsesGreenAndRisesInBlueAcrossColumns) {
  for (double t : {1.0, 4.0}) {
    RenderAt(t);
    const std::vector<fake::Call> colours = FrameCalls("glColor3f");
    for (int cell = 0; cell < 400; ++cell) {
      const int col = cell % 20;
      EXPECT_EQ(colours[cell].args[0], 0.2f);
      // sin 4 is negative: the green goes to GL as it is, GL clamps it.
      EXPECT_EQ(colours[cell].args[1], static_cast<float>(0.3 * std::sin(t)));
      EXPECT_EQ(colours[cell].args[2], static_cast<float>(0.025 * col));
    }
  }
  EXPECT_LT(platform.Named("glColor3f").back().args[1], 0.0);
  EXPECT_FLOAT_EQ(static_cast<float>(platform.Named("glColor3f").back().args[2]), 0.475f);
}

TEST_F(SceneTest, EachTwoSecondSlotHasItsCaption) {
  const char* const captions[] = {"ropa puta!",    "puta ropa",        "como me gusta...",
                                  "pasar la mopa", "Esta Plumo",       "no puedo",
                                  "cuando salga",  "me pillo un pedo", "chunda, chunda",
                                  "chumba chum!",  "pedooooo",         "patachum!!"};
  for (int slot = 0; slot < 12; ++slot) {
    RenderAt(slot * 2 + 1.0);
    EXPECT_THAT(Captions(), ElementsAre(CaptionCall(captions[slot]))) << "slot " << slot;
  }
}

TEST_F(SceneTest, SlotEndsAreExclusive) {
  RenderAt(1.999);
  EXPECT_THAT(Captions(), ElementsAre(CaptionCall("ropa puta!")));
  RenderAt(2.0);
  EXPECT_THAT(Captions(), ElementsAre(CaptionCall("puta ropa")));
  RenderAt(23.999);
  EXPECT_THAT(Captions(), ElementsAre(CaptionCall("patachum!!")));
}

TEST_F(SceneTest, CaptionsAreOpaqueWhiteAt35PercentAndHalfHeight) {
  RenderAt(9.0);
  EXPECT_EQ(FrameCalls("glColor4fv")[0].text, "glColor4fv(1, 1, 1, 1)");
  EXPECT_EQ(FrameCalls("glRasterPos2f")[0].text, "glRasterPos2f(-0.300000012, 0)");
  EXPECT_GT(platform.IndexOf("glCallLists", frameStart), platform.IndexOf("glEnd", frameStart));
}

TEST_F(SceneTest, TheEndOfTheCycleShowsNoCaptionAndRestartsTheClock) {
  RenderAt(24.5);
  EXPECT_TRUE(Captions().empty());
  EXPECT_EQ(sceneTime, 0.0);
  // That frame's grid still used the old time.
  EXPECT_EQ(FrameCalls("glVertex3f")[19 * 120 + 1].args[2],
            static_cast<float>(std::cos(19 * 24.5)));

  RenderAfter(0.25);
  EXPECT_DOUBLE_EQ(sceneTime, 0.25);
  EXPECT_THAT(Captions(), ElementsAre(CaptionCall("ropa puta!")));
}

TEST_F(SceneTest, AStalledFrameBeyondTheCycleStillRestartsIt) {
  sceneTime = 23.5;
  RenderAfter(3.0);  // to 26.5, past the end of the cycle
  EXPECT_TRUE(Captions().empty());
  EXPECT_EQ(sceneTime, 0.0);
  RenderAt(1000.0);
  EXPECT_EQ(sceneTime, 0.0);
  RenderAfter(0.5);
  EXPECT_THAT(Captions(), ElementsAre(CaptionCall("ropa puta!")));
}

TEST_F(SceneTest, TeardownClosesTheWindowBeforeTheFont) {
  demo.reset();
  const size_t context = platform.IndexOf("wglDeleteContext");
  const size_t fontObject = platform.IndexOf("DeleteObject");
  ASSERT_NE(context, std::string::npos);
  ASSERT_NE(fontObject, std::string::npos);
  EXPECT_LT(context, fontObject);
  EXPECT_EQ(platform.glCallsWithoutContext, 0) << TRACE();
  EXPECT_TRUE(platform.LiveFonts() == 0);
}

using SceneWithoutMeshTest = FakeTest;

TEST_F(SceneWithoutMeshTest, AFrameWithoutAMeshDrawsNoGridButItsCaption) {
  WaveDemo demo;
  demo.Init(0);
  fake::FailNothrowAllocation(1);
  demo.Load();
  EXPECT_EQ(demo.mesh, nullptr);
  const size_t frame = platform.calls.size();
  demo.Render();
  EXPECT_EQ(platform.IndexOf("glBegin", frame), std::string::npos);
  EXPECT_NE(platform.IndexOf("glCallLists", frame), std::string::npos);
}

}  // namespace
