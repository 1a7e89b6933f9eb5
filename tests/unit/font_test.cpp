// Font: loading a face into three ranges of display lists, what a failed load
// leaves, releasing, and the text-drawing sequence.
#include <cstring>

#include "fake_test.h"
#include "platform/core/fonts.h"
#include "toolkit/font.h"

namespace {

using ::testing::ElementsAre;

class FontTest : public FakeTest {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true));
    currentWindow = &window;
    hdc = fake::Handle(window.hdc).text;
    start = platform.calls.size();
  }

  std::vector<std::string> FontCalls() const {
    std::vector<std::string> texts;
    for (size_t i = start; i < platform.calls.size(); ++i)
      if (platform.calls[i].name != "LPtoDP") texts.push_back(platform.calls[i].text);
    return texts;
  }
  std::string Selected() { return fake::Handle(platform.SelectedFont(window.hdc)).text; }

  GlWindow window{"Plumo"};
  Font font;
  std::string hdc;
  size_t start = 0;
};

TEST_F(FontTest, LoadBuildsThreeRangesOfListsOnTheWindowsDeviceContext) {
  ASSERT_TRUE(font.Load(nullptr, "Arial", 48, 1, 0.0f)) << TRACE();
  const std::string hfont = fake::Handle(font.hfont).text;
  const std::string metrics = fake::Handle(font.metrics).text;
  EXPECT_THAT(
      FontCalls(),
      ElementsAre(
          "CreateFontA(-48, 0, 0, 0, 700, 0, 0, 0, 0, 4, 0, 4, 0, \"Arial\")", "glGenLists(256)",
          "glGenLists(256)", "glGenLists(256)", "SelectObject(" + hdc + ", " + hfont + ")",
          "wglUseFontBitmapsA(" + hdc + ", 0, 256, 1)",
          "wglUseFontOutlinesA(" + hdc + ", 0, 256, 257, 0, 0, WGL_FONT_POLYGONS, " + metrics + ")",
          "wglUseFontOutlinesA(" + hdc + ", 0, 256, 513, 0, 0, WGL_FONT_LINES, " + metrics + ")",
          "GetCharWidthA(" + hdc + ", 0, 255, " + fake::Handle(font.widths).text + ")",
          // the object the font replaced goes back
          "SelectObject(" + hdc + ", " + fake::Handle(core::kStockFont).text + ")"))
      << TRACE();
  EXPECT_EQ(font.bitmapBase, 1u);
  EXPECT_EQ(font.polygonBase, 257u);
  EXPECT_EQ(font.lineBase, 513u);
  EXPECT_EQ(platform.lists.size(), 768u);
  EXPECT_STREQ(font.faceName, "Arial");
  EXPECT_EQ(font.fontFile, nullptr);
  EXPECT_EQ(font.height, 48);
  EXPECT_EQ(Selected(), fake::Handle(core::kStockFont).text);
  // The line conversion ran last, so its metrics are the ones kept.
  EXPECT_EQ(font.metrics['A'].gmfCellIncY, static_cast<float>(WGL_FONT_LINES));
}

TEST_F(FontTest, EveryWidthPassesThroughLPtoDPInCodeOrder) {
  ASSERT_TRUE(font.Load(nullptr, "Arial", 48, 1, 0.0f));
  const std::vector<fake::Call> conversions = platform.Named("LPtoDP");
  ASSERT_EQ(conversions.size(), 256u);
  for (unsigned code = 0; code < 256; ++code) {
    EXPECT_EQ(conversions[code].args[1], fake::FakeCharWidth(code)) << code;
    EXPECT_EQ(conversions[code].args[2], 1);
    EXPECT_EQ(font.widths[code], fake::FakeCharWidth(code));
  }
}

TEST_F(FontTest, StyleFlagsPassTheirMaskedValues) {
  ASSERT_TRUE(font.Load(nullptr, "Arial", 20, 2 | 4 | 8 | 16, 0.5f));
  EXPECT_EQ(platform.Named("CreateFontA")[0].text,
            "CreateFontA(-20, 0, 0, 0, 400, 2, 4, 8, 0, 4, 0, 4, 0, \"Arial\")");
  EXPECT_EQ(platform.Named("wglUseFontOutlinesA")[0].args[5], 0.5);
}

TEST_F(FontTest, AFontFileIsAddedAndRemoved) {
  ASSERT_TRUE(font.Load("faces/caption.ttf", "Caption", 48, 1, 0.0f));
  EXPECT_EQ(platform.calls[start].text, "AddFontResourceA(\"faces/caption.ttf\")");
  font.Release();
  EXPECT_EQ(platform.Count("RemoveFontResourceA"), 1u);
  EXPECT_TRUE(platform.fontResources.empty());
}

TEST_F(FontTest, ASecondLoadGivesBackTheFirst) {
  ASSERT_TRUE(font.Load("a.ttf", "Arial", 48, 1, 0.0f));
  HFONT first = font.hfont;
  const size_t second = platform.calls.size();
  ASSERT_TRUE(font.Load(nullptr, "Arial", 24, 0, 0.0f));
  EXPECT_THAT(Only({"RemoveFontResourceA", "glDeleteLists", "CreateFontA", "DeleteObject"}, second),
              ElementsAre("RemoveFontResourceA(\"a.ttf\")", "glDeleteLists(1, 256)",
                          "glDeleteLists(257, 256)", "glDeleteLists(513, 256)",
                          ::testing::StartsWith("CreateFontA(-24"),
                          "DeleteObject(" + fake::Handle(first).text + ")"));
  EXPECT_EQ(platform.LiveFonts(), 1u) << "one live GDI font, the new one";
  EXPECT_EQ(platform.lists.size(), 768u);
  EXPECT_EQ(font.fontFile, nullptr);
}

TEST_F(FontTest, ReleaseOfAnEmptyFontMakesNoCall) {
  font.Release();
  ASSERT_TRUE(font.Load(nullptr, "Arial", 48, 1, 0.0f));
  font.Release();
  const size_t after = platform.calls.size();
  font.Release();
  EXPECT_EQ(platform.calls.size(), after) << TRACE();
  EXPECT_TRUE(platform.lists.empty());
  EXPECT_EQ(font.faceName, nullptr);
}

TEST_F(FontTest, ReleaseWithoutAContextSkipsTheListsButForgetsThem) {
  ASSERT_TRUE(font.Load(nullptr, "Arial", 48, 1, 0.0f));
  window.Close();  // the context, and its lists, are gone
  font.Release();
  EXPECT_EQ(platform.Count("glDeleteLists"), 0u);
  EXPECT_EQ(platform.glCallsWithoutContext, 0);
  EXPECT_EQ(font.bitmapBase, 0u);
  EXPECT_EQ(font.lineBase, 0u);
}

TEST_F(FontTest, TheDestructorDeletesTheFontObject) {
  {
    Font scoped;
    ASSERT_TRUE(scoped.Load(nullptr, "Arial", 48, 1, 0.0f));
    EXPECT_EQ(platform.LiveFonts(), 1u);
  }
  EXPECT_TRUE(platform.LiveFonts() == 0);
  EXPECT_TRUE(platform.lists.empty());
}

// ---- each failing step and what the font holds afterwards

struct FontFailure {
  const char* call;
  int nth;
  bool fontCreated;
  int basesHeld;  // how many of the three bases are non-zero
  bool fontSelected;
};

class FontFailureTest : public FontTest, public ::testing::WithParamInterface<FontFailure> {};

TEST_P(FontFailureTest, LeavesTheDescribedState) {
  const FontFailure failure = GetParam();
  platform.Fail(failure.call, failure.nth);
  EXPECT_FALSE(font.Load(nullptr, "Arial", 48, 1, 0.0f)) << TRACE();

  EXPECT_EQ(font.height, 48);
  EXPECT_STREQ(font.faceName, "Arial");
  EXPECT_EQ(font.hfont != nullptr, failure.fontCreated);
  EXPECT_EQ((font.bitmapBase != 0) + (font.polygonBase != 0) + (font.lineBase != 0),
            failure.basesHeld);
  EXPECT_EQ(platform.Count("glGenLists"), failure.fontCreated ? 3u : 0u)
      << "all three ranges are asked for before any is tested";
  EXPECT_EQ(platform.SelectedFont(window.hdc) == font.hfont, failure.fontSelected);

  // Whatever was left, Release and the destructor give it back.
  font.Release();
  EXPECT_TRUE(platform.lists.empty());
}

INSTANTIATE_TEST_SUITE_P(EachStep, FontFailureTest,
                         ::testing::Values(FontFailure{"CreateFontA", 1, false, 0, false},
                                           FontFailure{"glGenLists", 1, true, 2, false},
                                           FontFailure{"glGenLists", 2, true, 2, false},
                                           FontFailure{"glGenLists", 3, true, 2, false},
                                           FontFailure{"wglUseFontBitmapsA", 1, true, 3, true},
                                           FontFailure{"wglUseFontOutlinesA", 1, true, 3, true},
                                           FontFailure{"wglUseFontOutlinesA", 2, true, 3, true},
                                           FontFailure{"GetCharWidthA", 1, true, 3, true}),
                         [](const auto& param) {
                           return std::string(param.param.call) + "_" +
                                  std::to_string(param.param.nth);
                         });

TEST_F(FontTest, NoWindowOrNoDeviceContextFailsAfterTheLists) {
  currentWindow = nullptr;
  EXPECT_FALSE(font.Load(nullptr, "Arial", 48, 1, 0.0f));
  EXPECT_NE(font.lineBase, 0u);
  EXPECT_EQ(platform.Count("SelectObject"), 0u);

  currentWindow = &window;
  HDC kept = window.hdc;
  window.hdc = nullptr;
  EXPECT_FALSE(font.Load(nullptr, "Arial", 48, 1, 0.0f));
  EXPECT_EQ(platform.Count("SelectObject"), 0u);
  window.hdc = kept;
}

TEST_F(FontTest, AMissingFontFileFailsBeforeCreatingTheFont) {
  platform.Fail("AddFontResourceA");
  EXPECT_FALSE(font.Load("missing.ttf", "Arial", 48, 1, 0.0f));
  EXPECT_STREQ(font.fontFile, "missing.ttf");
  EXPECT_EQ(font.hfont, nullptr);
  EXPECT_EQ(platform.Count("CreateFontA"), 0u);
}

// ---- Print

TEST_F(FontTest, PrintSavesSetsDrawsAndRestores) {
  ASSERT_TRUE(font.Load(nullptr, "Arial", 48, 1, 0.0f));
  const size_t print = platform.calls.size();
  font.Print(Vector3(-0.3f, 0, 0.5f), Color(1, 0.5f, 0.25f, 1), "Esta Plumo");
  EXPECT_THAT(
      platform.Texts(print),
      ElementsAre("glMatrixMode(GL_MODELVIEW)", "glPushMatrix()", "glLoadIdentity()",
                  "glMatrixMode(GL_PROJECTION)", "glPushMatrix()", "glLoadIdentity()",
                  "glTranslatef(0, 0, -1)",
                  // GL_LIST_BIT | GL_ENABLE_BIT, 0x22000
                  "glPushAttrib(GL_LIST_BIT|GL_ENABLE_BIT)", "glDisable(GL_LIGHTING)",
                  // the colour before the raster position, which latches it
                  "glColor4fv(1, 0.5, 0.25, 1)", "glRasterPos2f(-0.300000012, 0)", "glListBase(1)",
                  "glCallLists(10, GL_UNSIGNED_BYTE, \"Esta Plumo\")", "glPopAttrib()",
                  "glPopMatrix()", "glMatrixMode(GL_MODELVIEW)", "glPopMatrix()"));
  EXPECT_EQ(platform.Named("glPushAttrib")[0].args[0], 0x22000);
  EXPECT_EQ(platform.modelviewDepth, 1);
  EXPECT_EQ(platform.projectionDepth, 1);
  EXPECT_EQ(platform.attribDepth, 0);
  EXPECT_EQ(platform.matrixMode, static_cast<GLenum>(GL_MODELVIEW));
}

TEST_F(FontTest, PrintOfAnEmptyTextStillSetsTheColour) {
  font.Print(Vector3(), Color(0, 1, 0, 1), "");
  EXPECT_THAT(Only({"glColor4fv", "glCallLists"}, start),
              ElementsAre("glColor4fv(0, 1, 0, 1)", "glCallLists(0, GL_UNSIGNED_BYTE, \"\")"));
}

TEST_F(FontTest, PrintOfNoTextDrawsNothing) {
  font.Print(Vector3(), Color(1, 1, 1, 1), nullptr);
  EXPECT_EQ(platform.calls.size(), start);
}

}  // namespace
