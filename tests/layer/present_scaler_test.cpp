// The CPU scaler of the present without GL: where its taps fall, that its
// vectorised rows give what a plain pixel-by-pixel mix gives, and, with a GL
// context on this Mesa, that it gives what llvmpipe's blit gives.
#define GL_GLEXT_PROTOTYPES 1

#include "platform/native/window_system/present_scaler.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "layer_fixture.h"

namespace {

using native::window_system::NearestHasTies;
using native::window_system::PictureScaler;
using native::window_system::ScaleTap;
using native::window_system::ScaleTaps;

std::vector<uint16_t> Noise(int width, int height, unsigned seed) {
  std::vector<uint16_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  std::mt19937 random(seed);
  for (uint16_t& pixel : pixels) pixel = static_cast<uint16_t>(random());
  return pixels;
}

std::vector<uint32_t> Scaled(const std::vector<uint16_t>& picture, int pictureWidth,
                             int pictureHeight, int width, int height, bool linear) {
  PictureScaler scaler;
  scaler.Prepare(pictureWidth, pictureHeight, width, height, linear);
  std::vector<uint32_t> out(static_cast<size_t>(width) * static_cast<size_t>(height));
  scaler.Scale(picture.data(), out.data(), static_cast<size_t>(width));
  return out;
}

TEST(ScaleTaps, NearestTakesThePixelUnderEachCentreAndAWholeScaleRepeatsEachPixel) {
  const std::vector<ScaleTap> threefold = ScaleTaps(4, 12, false);
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(threefold[static_cast<size_t>(x)].index, x / 3) << x;
    EXPECT_EQ(threefold[static_cast<size_t>(x)].weight, 0) << x;
  }
  // Shrinking: 10 into 4 takes the pixels under 1.25, 3.75, 6.25 and 8.75.
  const std::vector<ScaleTap> shrunk = ScaleTaps(10, 4, false);
  EXPECT_EQ((std::vector<int>{shrunk[0].index, shrunk[1].index, shrunk[2].index, shrunk[3].index}),
            (std::vector<int>{1, 3, 6, 8}));
}

TEST(ScaleTaps, LinearWeighsTheTwoPixelsAroundEachCentreInRounded256ths) {
  // Doubled: the centres fall a quarter before and after each pixel's centre.
  const std::vector<ScaleTap> doubled = ScaleTaps(3, 6, true);
  const std::vector<std::pair<int, int>> expected = {{0, 0},  {0, 64},  {0, 192},
                                                     {1, 64}, {1, 192}, {2, 0}};
  for (size_t x = 0; x < expected.size(); ++x) {
    EXPECT_EQ(doubled[x].index, expected[x].first) << x;
    EXPECT_EQ(doubled[x].weight, expected[x].second) << x;
  }
  // 2 into 3: sample points at -1/6 (before the first pixel: the first alone),
  // 1/2 (halfway) and 7/6 (past the last pixel: the last alone).
  const std::vector<ScaleTap> third = ScaleTaps(2, 3, true);
  EXPECT_EQ(third[0].index, 0);
  EXPECT_EQ(third[0].weight, 0);
  EXPECT_EQ(third[1].index, 0);
  EXPECT_EQ(third[1].weight, 128);
  EXPECT_EQ(third[2].index, 1);
  EXPECT_EQ(third[2].weight, 0);
  // A weight that rounds up to a whole pixel moves on to that pixel: 4 into
  // 257 samples column 160 at 1 + 513/514, 255.5 256ths past pixel 1.
  const std::vector<ScaleTap> near = ScaleTaps(4, 257, true);
  EXPECT_EQ(near[160].index, 2);
  EXPECT_EQ(near[160].weight, 0);
}

TEST(ScaleTaps, NearestHasTiesExactlyWhereACentreFallsOnAPixelBoundary) {
  EXPECT_TRUE(NearestHasTies(640, 1440));   // column 4: 4.5 * 4/9 = 2
  EXPECT_TRUE(NearestHasTies(640, 800));    // column 2: 2.5 * 0.8 = 2
  EXPECT_FALSE(NearestHasTies(640, 1280));  // doubled: centres at quarters
  EXPECT_FALSE(NearestHasTies(640, 1920));  // tripled: sixths
  EXPECT_FALSE(NearestHasTies(640, 1024));  // odd multiples of 5/16
  EXPECT_FALSE(NearestHasTies(480, 768));
  EXPECT_FALSE(NearestHasTies(640, 640));
}

// The model the scaler computes, pixel by pixel: channels widened by
// repeating their top bits (for a copy, to the nearest level), mixed across
// with the column's weight and rounded, then down with the row's.
uint32_t Reference(const std::vector<uint16_t>& picture, int pictureWidth, int pictureHeight,
                   const ScaleTap& column, const ScaleTap& row, bool copy) {
  auto channel = [&](int x, int y, int shift) {
    const uint16_t pixel = picture[static_cast<size_t>(std::min(y, pictureHeight - 1)) *
                                       static_cast<size_t>(pictureWidth) +
                                   static_cast<size_t>(std::min(x, pictureWidth - 1))];
    const int top = shift == 5 ? 63 : 31;
    const int value = (pixel >> shift) & top;
    if (copy) return (value * 255 * 2 + top) / (2 * top);
    return shift == 5 ? (value << 2) | (value >> 4) : (value << 3) | (value >> 2);
  };
  auto mix = [](int a, int b, int weight) { return (a * (256 - weight) + b * weight + 128) >> 8; };
  uint32_t out = 0;
  const int shifts[3] = {11, 5, 0};
  const int places[3] = {16, 8, 0};
  for (int c = 0; c < 3; ++c) {
    const int upper = mix(channel(column.index, row.index, shifts[c]),
                          channel(column.index + 1, row.index, shifts[c]), column.weight);
    const int lower = mix(channel(column.index, row.index + 1, shifts[c]),
                          channel(column.index + 1, row.index + 1, shifts[c]), column.weight);
    out |= static_cast<uint32_t>(mix(upper, lower, row.weight)) << places[c];
  }
  return out;
}

TEST(PictureScaler, GivesWhatMixingPixelByPixelGivesAtOddAndShrinkingSizes) {
  const std::vector<uint16_t> picture = Noise(640, 480, 7);
  // Odd widths (the rows are done two columns at a time), shrinking, a copy.
  const int sizes[][2] = {{1440, 1080}, {1001, 767}, {641, 481}, {320, 240},
                          {97, 1200},   {640, 480},  {1, 1}};
  for (const auto& size : sizes) {
    for (const bool linear : {true, false}) {
      const int width = size[0];
      const int height = size[1];
      const std::vector<uint32_t> out = Scaled(picture, 640, 480, width, height, linear);
      const std::vector<ScaleTap> columns = ScaleTaps(640, width, linear);
      const std::vector<ScaleTap> rows = ScaleTaps(480, height, linear);
      size_t wrong = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          wrong +=
              out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] !=
              Reference(picture, 640, 480, columns[static_cast<size_t>(x)],
                        rows[static_cast<size_t>(y)], width == 640 && height == 480);
      EXPECT_EQ(wrong, 0u) << width << "x" << height << (linear ? " linear" : " nearest");
    }
  }
}

TEST(PictureScaler, ChannelsAreWidenedByRepeatingTheirTopBitsOrUnscaledToTheNearestLevel) {
  // Red 3, green 1, blue 29: 24, 4, 239 repeating bits; 25, 4, 239 nearest.
  const uint16_t odd = (3 << 11) | (1 << 5) | 29;
  const std::vector<uint16_t> picture = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, odd};
  EXPECT_EQ(Scaled(picture, 3, 2, 3, 2, true),
            (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x1904EF}));
  // Doubled, nearest: each pixel four times, its channels' top bits repeated.
  const std::vector<uint32_t> doubled = Scaled(picture, 3, 2, 6, 4, false);
  EXPECT_EQ(doubled[0], 0xFF0000u);
  EXPECT_EQ(doubled[3 * 6 + 5], 0x1804EFu);
  EXPECT_EQ(doubled[2 * 6 + 4], 0x1804EFu);
}

TEST(PictureScaler, ANewPictureOfTheSameSizeIsScaledAfresh) {
  PictureScaler scaler;
  scaler.Prepare(64, 48, 150, 100, true);
  std::vector<uint32_t> first(150 * 100);
  std::vector<uint32_t> second(150 * 100);
  scaler.Scale(Noise(64, 48, 1).data(), first.data(), 150);
  scaler.Scale(Noise(64, 48, 2).data(), second.data(), 150);
  EXPECT_EQ(second, Scaled(Noise(64, 48, 2), 64, 48, 150, 100, true));
  EXPECT_NE(first, second);
}

// llvmpipe's own blit, between framebuffer objects of the demo's 5/6/5 and
// the window's 8-bit colour, against the scaler at sizes of every kind.
class ScalerAgainstGl : public LayerTest {};

TEST_F(ScalerAgainstGl, TheScalerShowsWhatLlvmpipesBlitShowsWithinOneLevel) {
  HDC hdc = nullptr;
  ASSERT_NE(CreateWithFormat(16, 8, 0, &hdc, "Scaler Gl"), nullptr);
  HGLRC context = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, context));
  const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  GLint layerFramebuffer = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &layerFramebuffer);

  const std::vector<uint16_t> picture = Noise(640, 480, 99);
  GLuint framebuffers[2];
  GLuint renderbuffers[2];
  glGenFramebuffers(2, framebuffers);
  glGenRenderbuffers(2, renderbuffers);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, 640, 480);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                            renderbuffers[0]);
  // GL's rows count from the bottom, on both sides of the blit: the scaler
  // takes them in that order too. (At a window position: the layer may draw
  // with the origin at the top.)
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[0]);
  glWindowPos2i(0, 0);
  glDrawPixels(640, 480, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, picture.data());

  // Fits on common screens (1920x1080, 1280x1024, 1366x768, 1680x1050),
  // stretches, shrinking and a copy; and a size no screen gives, where
  // llvmpipe's float arithmetic turns a few weights the other way at a
  // rounding boundary (see present_scaler.h): two levels where a column's and
  // a row's both turned.
  const int sizes[][3] = {{1440, 1080, 1}, {1280, 960, 1},  {1024, 768, 1},
                          {1400, 1050, 1}, {1280, 1024, 1}, {800, 600, 1},
                          {320, 240, 1},   {640, 480, 1},   {1001, 767, 2}};
  for (const auto& size : sizes) {
    for (const bool linear : {true, false}) {
      const int width = size[0];
      const int height = size[1];
      const int tolerance = linear ? size[2] : 0;
      if (!linear && (NearestHasTies(640, width) || NearestHasTies(480, height))) continue;
      glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[1]);
      glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                renderbuffers[1]);
      glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[0]);
      const bool scaled = width != 640 || height != 480;
      glBlitFramebuffer(0, 0, 640, 480, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                        linear && scaled ? GL_LINEAR : GL_NEAREST);
      std::vector<uint8_t> gl(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
      glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[1]);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, gl.data());
      const std::vector<uint32_t> ours = Scaled(picture, 640, 480, width, height, linear && scaled);
      int largest = 0;
      size_t differing = 0;
      for (size_t i = 0; i < ours.size(); ++i) {
        int most = 0;
        for (int c = 0; c < 3; ++c)
          most = std::max(most, std::abs(static_cast<int>(gl[i * 4 + static_cast<size_t>(c)]) -
                                         static_cast<int>((ours[i] >> (8 * c)) & 0xFF)));
        largest = std::max(largest, most);
        differing += most != 0;
      }
      EXPECT_LE(largest, tolerance)
          << renderer << ", " << width << "x" << height << (linear ? " linear: " : " nearest: ")
          << differing << " pixels differ";
    }
  }
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(layerFramebuffer));
  glDeleteFramebuffers(2, framebuffers);
  glDeleteRenderbuffers(2, renderbuffers);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
}

}  // namespace
