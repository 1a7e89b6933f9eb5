// The visual a pixel format gets, chosen as ChoosePixelFormat chooses: the
// requirements met, then the closest colour, no alpha, the fewest depth and
// stencil bits that do.
#include "platform/native/window_system/glx_visuals.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using native::ChooseVisual;
using native::GlxVisual;
using native::VisualRequest;

GlxVisual Visual(unsigned long id, int color, int depth, int stencil, bool fits = true,
                 bool doubleBuffer = true, int alpha = 0) {
  GlxVisual visual;
  visual.id = id;
  visual.fitsScreen = fits;
  visual.doubleBuffer = doubleBuffer;
  visual.colorBits = color;
  visual.alphaBits = alpha;
  visual.depthBits = depth;
  visual.stencilBits = stencil;
  return visual;
}

VisualRequest Request(int color, int depth, int stencil, bool doubleBuffer = true) {
  VisualRequest request;
  request.colorBits = color;
  request.depthBits = depth;
  request.stencilBits = stencil;
  request.doubleBuffer = doubleBuffer;
  return request;
}

TEST(ChooseVisual, TakesTheFewestDepthAndStencilBitsThatMeetTheRequest) {
  // As Mesa offers them on a 16-bit screen, largest depth first.
  const std::vector<GlxVisual> visuals = {
      Visual(1, 16, 32, 0), Visual(2, 16, 24, 8), Visual(3, 16, 24, 0),
      Visual(4, 16, 16, 0), Visual(5, 16, 0, 0),
  };
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 8, 0)), 4u) << "the demo's request";
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 17, 0)), 3u);
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 0, 0)), 5u) << "no depth buffer asked, none given";
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 8, 1)), 2u) << "stencil is a requirement";
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 32, 0)), 1u);
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 33, 0)), 0u) << "nothing meets it";
}

TEST(ChooseVisual, MatchesBufferingAndTheScreenBeforeAnythingElse) {
  const std::vector<GlxVisual> visuals = {
      Visual(1, 24, 16, 0, /*fits=*/false),          // a closer depth, but not the screen's visual
      Visual(2, 16, 16, 0, true, /*double=*/false),  // single-buffered
      Visual(3, 16, 24, 0),
      Visual(4, 16, 24, 0, true, true, /*alpha=*/8),
  };
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 16, 0)), 3u);
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 16, 0, false)), 2u);
}

TEST(ChooseVisual, ColourIsTheClosestAtOrAboveTheRequestElseTheLargest) {
  const std::vector<GlxVisual> visuals = {Visual(1, 16, 24, 0), Visual(2, 24, 24, 0),
                                          Visual(3, 30, 24, 0)};
  EXPECT_EQ(ChooseVisual(visuals, Request(16, 8, 0)), 1u);
  EXPECT_EQ(ChooseVisual(visuals, Request(24, 8, 0)), 2u);
  EXPECT_EQ(ChooseVisual(visuals, Request(32, 8, 0)), 3u) << "none has 32: the largest";
  EXPECT_EQ(ChooseVisual(visuals, Request(0, 8, 0)), 1u);
}

}  // namespace
