// Where the picture lands in a drawable, where a pointer falls in the
// picture, and which display modes are offered: plain arithmetic, no display.
#include "platform/core/present_geometry.h"

#include <gtest/gtest.h>

#include "platform/core/display_modes.h"

namespace {

using core::PicturePoint;
using core::PictureRect;
using core::Rect;
using core::Scale;

void ExpectRect(const Rect& rect, int x, int y, int width, int height) {
  EXPECT_EQ(rect.x, x);
  EXPECT_EQ(rect.y, y);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

TEST(PictureRect, FitKeepsTheAspectWithCentredBars) {
  ExpectRect(PictureRect(Scale::kFit, 640, 480, 1280, 1024), 0, 32, 1280,
             960);                                                              // bars above, below
  ExpectRect(PictureRect(Scale::kFit, 640, 480, 1000, 600), 100, 0, 800, 600);  // left, right
  ExpectRect(PictureRect(Scale::kFit, 640, 480, 1920, 1080), 240, 0, 1440, 1080);
  ExpectRect(PictureRect(Scale::kFit, 640, 480, 640, 480), 0, 0, 640, 480);
  ExpectRect(PictureRect(Scale::kFit, 640, 480, 320, 200), 26, 0, 267, 200);    // rounded, smaller
  ExpectRect(PictureRect(Scale::kFit, 640, 480, 1000, 568), 121, 0, 757, 568);  // 757.33
}

TEST(PictureRect, IntegerTakesTheLargestWholeMultipleAndAtLeastOne) {
  ExpectRect(PictureRect(Scale::kInteger, 640, 480, 1920, 1080), 320, 60, 1280, 960);
  ExpectRect(PictureRect(Scale::kInteger, 640, 480, 1280, 960), 0, 0, 1280, 960);
  ExpectRect(PictureRect(Scale::kInteger, 640, 480, 1279, 1000), 319, 260, 640, 480);
  // Smaller than the picture: still one to one, centred and cut at both sides.
  ExpectRect(PictureRect(Scale::kInteger, 640, 480, 400, 300), -120, -90, 640, 480);
}

TEST(PictureRect, StretchFillsTheDrawable) {
  ExpectRect(PictureRect(Scale::kStretch, 640, 480, 1920, 1080), 0, 0, 1920, 1080);
}

TEST(PicturePoint, TheBottomRightPixelOfThePictureIsTheLastClientPixel) {
  const Rect picture = PictureRect(Scale::kFit, 640, 480, 1280, 1024);
  auto at = [&](double x, double y) {
    return PicturePoint(x, y, 1280, 1024, 1280, 1024, picture, 640, 480);
  };
  EXPECT_EQ(at(1279, 991).x, 639);
  EXPECT_EQ(at(1279, 991).y, 479);
  EXPECT_EQ(at(0, 32).x, 0);
  EXPECT_EQ(at(0, 32).y, 0);
  EXPECT_EQ(at(640, 512).x, 320);
  EXPECT_EQ(at(640, 512).y, 240);
  EXPECT_EQ(at(641, 513).x, 320) << "two screen pixels to a picture pixel";
}

TEST(PicturePoint, APointOnABarIsClampedToThePicturesEdge) {
  const Rect picture = PictureRect(Scale::kFit, 640, 480, 1000, 600);  // bars left and right
  auto at = [&](double x, double y) {
    return PicturePoint(x, y, 1000, 600, 1000, 600, picture, 640, 480);
  };
  EXPECT_EQ(at(10, 300).x, 0);
  EXPECT_EQ(at(999, 599).x, 639);
  EXPECT_EQ(at(999, 599).y, 479);
  EXPECT_EQ(at(899, 0).x, 639);
  EXPECT_EQ(at(900, 0).x, 639);
  EXPECT_EQ(at(100, 0).x, 0);
}

TEST(PicturePoint, WindowPointsAreScaledToDrawablePixels) {
  // A desktop at twice the scale: the window is 640x512 points, its drawable
  // 1280x1024 pixels.
  const Rect picture = PictureRect(Scale::kFit, 640, 480, 1280, 1024);
  const core::ClientPoint corner =
      PicturePoint(639.9, 495.9, 640, 512, 1280, 1024, picture, 640, 480);
  EXPECT_EQ(corner.x, 639);
  EXPECT_EQ(corner.y, 479);
  const core::ClientPoint middle = PicturePoint(320, 256, 640, 512, 1280, 1024, picture, 640, 480);
  EXPECT_EQ(middle.x, 320);
  EXPECT_EQ(middle.y, 240);
}

TEST(VirtualModes, TheDesktopsSizeAndThreeClassicOnesAtSixteenAndThirtyTwoBits) {
  const std::vector<core::DisplayMode> modes =
      core::VirtualModes(core::DisplayMode{1280, 1024, 32, 75});
  ASSERT_EQ(modes.size(), 8u);
  const int sizes[4][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (size_t i = 0; i < modes.size(); ++i) {
    EXPECT_EQ(modes[i].bitsPerPixel, i < 4 ? 16 : 32) << i;
    EXPECT_EQ(modes[i].width, sizes[i % 4][0]) << i;
    EXPECT_EQ(modes[i].height, sizes[i % 4][1]) << i;
    EXPECT_EQ(modes[i].refreshRate, 75) << i;
  }
  // A desktop of a classic size is listed once.
  EXPECT_EQ(core::VirtualModes(core::DisplayMode{800, 600, 32, 0}).size(), 6u);
}

TEST(VirtualModes, ARequestTakesWhatItLeavesOutFromTheCurrentMode) {
  const core::DisplayMode current{1280, 1024, 32, 60};
  const std::vector<core::DisplayMode> modes = core::VirtualModes(current);
  DEVMODEA request{};
  request.dmPelsWidth = 640;
  request.dmPelsHeight = 480;
  request.dmBitsPerPel = 16;
  request.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  EXPECT_TRUE(core::Lists(modes, core::RequestedMode(request, current)));
  request.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;  // at the current 32 bits
  EXPECT_EQ(core::RequestedMode(request, current).bitsPerPixel, 32);
  EXPECT_TRUE(core::Lists(modes, core::RequestedMode(request, current)));
  request.dmBitsPerPel = 24;
  request.dmFields |= DM_BITSPERPEL;
  EXPECT_FALSE(core::Lists(modes, core::RequestedMode(request, current)));
  request.dmBitsPerPel = 16;
  request.dmPelsWidth = 720;
  EXPECT_FALSE(core::Lists(modes, core::RequestedMode(request, current)));
}

}  // namespace
