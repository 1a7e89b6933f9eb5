// The pixel format a request gets, chosen as ChoosePixelFormat chooses: the
// requirements met, then the closest colour, the fewest depth and stencil
// bits that do. A pure function of the request: no display needed.
#include "platform/core/pixel_formats.h"

#include <gtest/gtest.h>

namespace {

using core::ChoosePixelFormatNumber;
using core::FramebufferPixelFormats;
using core::PixelFormat;
using core::PixelRequest;

const PixelFormat& Chosen(int color, int depth, int stencil) {
  const int number =
      ChoosePixelFormatNumber(FramebufferPixelFormats(), PixelRequest{color, depth, stencil});
  EXPECT_GT(number, 0) << color << "/" << depth << "/" << stencil;
  static const PixelFormat none;
  return number > 0 ? FramebufferPixelFormats()[number - 1] : none;
}

TEST(ChoosePixelFormat, SixteenBitsAreFiveSixFive) {
  const PixelFormat& format = Chosen(16, 8, 0);  // the demo's request
  EXPECT_EQ(format.redBits, 5);
  EXPECT_EQ(format.greenBits, 6);
  EXPECT_EQ(format.blueBits, 5);
  EXPECT_EQ(format.alphaBits, 0);
  EXPECT_EQ(format.depthBits, 16) << "the fewest depth bits that meet 8";
  EXPECT_EQ(format.stencilBits, 0);
}

TEST(ChoosePixelFormat, TakesTheFewestDepthAndStencilBitsThatMeetTheRequest) {
  EXPECT_EQ(Chosen(16, 0, 0).depthBits, 0) << "no depth buffer asked, none given";
  EXPECT_EQ(Chosen(16, 16, 0).depthBits, 16);
  EXPECT_EQ(Chosen(16, 17, 0).depthBits, 24);
  EXPECT_EQ(Chosen(16, 32, 0).depthBits, 32);
  EXPECT_EQ(Chosen(16, 8, 1).depthBits, 24) << "stencil comes packed with 24 depth bits";
  EXPECT_EQ(Chosen(16, 8, 1).stencilBits, 8);
  EXPECT_EQ(Chosen(24, 32, 8).stencilBits, 8);
  EXPECT_EQ(Chosen(24, 24, 0).stencilBits, 0) << "no stencil asked, none given";
  EXPECT_EQ(ChoosePixelFormatNumber(FramebufferPixelFormats(), PixelRequest{16, 33, 0}), 0)
      << "nothing meets it";
  EXPECT_EQ(ChoosePixelFormatNumber(FramebufferPixelFormats(), PixelRequest{16, 8, 9}), 0);
}

TEST(ChoosePixelFormat, ColourIsTheClosestAtOrAboveTheRequestElseTheLargest) {
  EXPECT_EQ(Chosen(15, 16, 0).ColorBits(), 16);
  EXPECT_EQ(Chosen(24, 16, 0).ColorBits(), 24);
  EXPECT_EQ(Chosen(24, 16, 0).alphaBits, 0);
  EXPECT_EQ(Chosen(32, 16, 0).alphaBits, 8);
  EXPECT_EQ(Chosen(48, 16, 0).ColorBits(), 32) << "none has 48: the largest";
  EXPECT_EQ(Chosen(0, 16, 0).ColorBits(), 16);
}

}  // namespace
