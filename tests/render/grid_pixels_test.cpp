// The grid on screen against the projection computed here: where each
// triangle lands, its colour at the frame's scene time, the back faces that
// culling removes, and the black background.
#include <cmath>
#include <set>

#include "render_checks.h"

namespace render_test {
namespace {

class GridPixels : public RenderCheck {};

// Times across the cycle: the first frames, green rising and falling (sin t
// below 0 from 3.14 s gives green 0), both sides of a slot boundary, the last
// frame of the cycle, the frame that ends it (drawn at 24 s) and the first
// of the next.
const int64_t kFrames[] = {0,   1,   45,   90,   119,  120,  200, 333,
                           500, 777, 1000, 1234, 1439, 1440, 1441};

TEST_P(GridPixels, EveryCertainPixelHasTheColourOfItsCellAtTheFramesTime) {
  for (int64_t k : kFrames) {
    const PngFrame& frame = Frame(k);
    ASSERT_FALSE(HasFailure());
    const double t = SceneTimeOfFrame(k, kFps);
    const ReferenceFrame reference(t, 640, 480, Options(frame));
    // The frame that ends the cycle has no caption: all of it is grid.
    const Box caption = CaptionBox(640, 480);
    const Comparison result = CompareGrid(frame, reference, k == kCycleFrames ? nullptr : &caption);
    const int area =
        640 * 480 -
        (k == kCycleFrames ? 0 : (caption.right - caption.left) * (caption.bottom - caption.top));
    EXPECT_GT(result.compared, area * 8 / 10)
        << "frame " << k << ": the reference decides too few pixels";
    EXPECT_EQ(result.mismatched, 0) << "frame " << k << " (t = " << t << " s) of "
                                    << result.compared << " pixels:" << result.firstMismatches;
  }
}

// The checks above see a frame's own time and no other: the pictures one
// frame earlier and later differ from it in many decided pixels.
TEST_P(GridPixels, ANeighbouringFramesTimeWouldNotMatch) {
  for (int64_t k : {int64_t{0}, int64_t{90}, int64_t{1439}}) {
    const PngFrame& frame = Frame(k);
    ASSERT_FALSE(HasFailure());
    const Box caption = CaptionBox(640, 480);
    for (int step : {-1, 1}) {
      const double t = SceneTimeOfFrame(k, kFps) + static_cast<double>(step) / kFps;
      const ReferenceFrame other(t, 640, 480, Options(frame));
      EXPECT_GT(CompareGrid(frame, other, &caption).mismatched, 500)
          << "frame " << k << " against the scene at " << t << " s";
    }
  }
}

TEST_P(GridPixels, BackFacingTrianglesAreCulled) {
  for (int64_t k : {int64_t{0}, int64_t{200}, int64_t{777}, int64_t{1234}}) {
    const PngFrame& frame = Frame(k);
    ASSERT_FALSE(HasFailure());
    const double t = SceneTimeOfFrame(k, kFps);
    const ReferenceFrame culled(t, 640, 480, Options(frame, true));
    const ReferenceFrame unculled(t, 640, 480, Options(frame, false));
    const Box caption = CaptionBox(640, 480);
    // Pixels where a back face would be seen without culling: there the
    // background or the triangle behind must show.
    int sensitive = 0;
    int wrong = 0;
    std::set<std::pair<int, int>> cells;
    std::string examples;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        if (caption.Contains(x, y)) continue;
        const int want = culled.ColumnAt(x, y);
        const int without = unculled.ColumnAt(x, y);
        if (want == ReferenceFrame::kUncertain || without == ReferenceFrame::kUncertain) continue;
        if (want == without) continue;
        const int owner = unculled.OwnerAt(x, y);
        if (owner < 0 || unculled.Polygons()[owner].front) continue;
        // Only where the two colours are told apart at this surface's depth.
        if (MatchesColumn(frame, x, y, t, want) && MatchesColumn(frame, x, y, t, without)) continue;
        ++sensitive;
        const GridTriangle& back = unculled.Triangles()[owner];
        cells.insert({back.row, back.col});
        if (MatchesColumn(frame, x, y, t, want)) continue;
        if (++wrong <= 5)
          examples += "\n  pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                      DescribePixel(frame, x, y) + " inside back-facing " + Describe(back) +
                      ", expected " +
                      (want == ReferenceFrame::kBackground ? std::string("black")
                                                           : "column " + std::to_string(want));
      }
    }
    EXPECT_GT(sensitive, 500) << "frame " << k << ": too few pixels where culling shows";
    EXPECT_GE(cells.size(), 10u) << "frame " << k;
    EXPECT_EQ(wrong, 0) << "frame " << k << ", " << sensitive << " pixels:" << examples;
  }
}

// At t = 0 every cell has P0 and P2 on the plane and P1 and P3 lifted by 1:
// each cell's second triangle (P2, P3, P0) faces away, and inside it the
// background or a cell behind shows, as the reference's depth test says.
TEST_P(GridPixels, AtTimeZeroTheSecondTriangleOfEveryCellShowsWhatIsBehindIt) {
  const PngFrame& frame = Frame(0);
  ASSERT_FALSE(HasFailure());
  const ReferenceOptions options = Options(frame);
  const ReferenceFrame reference(0, 640, 480, options);
  const Matrix mvp = SceneMatrix(640, 480);
  const Box caption = CaptionBox(640, 480);
  int cells = 0;
  int showingBackground = 0;
  int pixels = 0;
  for (const GridTriangle& triangle : GridTriangles(0)) {
    if (!triangle.second) continue;
    const ScreenPolygon polygon = Project(triangle, mvp, 640, 480);
    // Column 0's second triangles are edge-on at t = 0: the eye is in their plane.
    if (polygon.corners.size() != 3 || std::abs(polygon.area) < 1) continue;
    ASSERT_FALSE(polygon.front) << Describe(triangle) << " faces the camera at t = 0";
    bool seen = false;
    bool background = false;
    for (const auto& [x, y] : PixelsInside(polygon, 640, 480, options.edgeMargin)) {
      const int want = reference.ColumnAt(x, y);
      if (caption.Contains(x, y) || want == ReferenceFrame::kUncertain) continue;
      // Were it drawn, it would show its own column here.
      if (want == triangle.col) continue;
      seen = true;
      background = background || want == ReferenceFrame::kBackground;
      ++pixels;
      ASSERT_TRUE(MatchesColumn(frame, x, y, 0, want))
          << "inside back-facing " << Describe(triangle) << " pixel (" << x << ", " << y << ") is "
          << DescribePixel(frame, x, y) << ", expected "
          << (want == ReferenceFrame::kBackground ? "black" : "column " + std::to_string(want));
    }
    cells += seen ? 1 : 0;
    showingBackground += background ? 1 : 0;
  }
  EXPECT_GT(cells, 50) << pixels << " pixels";
  EXPECT_GT(showingBackground, 20) << "cells whose back face shows the background";
}

TEST_P(GridPixels, TheSurfaceIsRecordedWithItsBitDepth) {
  const PngFrame& frame = Frame(0);
  ASSERT_FALSE(HasFailure());
  const std::string expected = "R" + std::to_string(frame.bits.red) + " G" +
                               std::to_string(frame.bits.green) + " B" +
                               std::to_string(frame.bits.blue) + ",";
  EXPECT_EQ(frame.text.at("Surface").rfind(expected, 0), 0u) << frame.text.at("Surface");
  const bool rgb565 = frame.bits.red == 5 && frame.bits.green == 6 && frame.bits.blue == 5;
  const bool rgb888 = frame.bits.red == 8 && frame.bits.green == 8 && frame.bits.blue == 8;
  EXPECT_TRUE(rgb565 || rgb888) << frame.text.at("Surface");
  if (GetParam() == Surface::kXvfb16) {
    EXPECT_TRUE(rgb565) << "a 16-bit X screen gives 5/6/5";
  }
  RecordProperty("surface", frame.text.at("Surface"));
  // A channel of fewer bits holds only its levels, as read back in 8 bits.
  if (frame.bits.red < 8) {
    std::set<int> reds;
    for (size_t i = 0; i < frame.image.rgb.size(); i += 3) reds.insert(frame.image.rgb[i]);
    const int top = (1 << frame.bits.red) - 1;
    for (int red : reds)
      EXPECT_EQ(std::lround(LevelOfByte(red, frame.bits.red) * 255.0 / top), red)
          << "red " << red << " is no level of a " << frame.bits.red << "-bit channel";
  }
}

INSTANTIATE_TEST_SUITE_P(Headless, GridPixels, ::testing::Values(Surface::kHeadless), ParamName);
INSTANTIATE_TEST_SUITE_P(Xvfb16, GridPixels, ::testing::Values(Surface::kXvfb16), ParamName);

}  // namespace
}  // namespace render_test
