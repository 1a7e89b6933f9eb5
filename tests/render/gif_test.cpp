// The preview's GIF writer read back through giflib: pictures kept through
// the round trip, the palette, frames as a viewer composes them, and the
// preview's timing.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "capture/gif_writer.h"
#include "capture/sinks.h"
#include "gif_read.h"

namespace {

using capture::Image;

Image Filled(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  Image image;
  image.width = width;
  image.height = height;
  for (int i = 0; i < width * height; ++i) image.rgb.insert(image.rgb.end(), {r, g, b});
  return image;
}

void Paint(Image* image, int left, int top, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = top; y < top + h; ++y)
    for (int x = left; x < left + w; ++x) {
      uint8_t* p = &image->rgb[(static_cast<size_t>(y) * image->width + x) * 3];
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
}

std::vector<uint8_t> WriteGif(const std::vector<Image>& frames, const std::vector<int>& delays) {
  std::FILE* file = std::tmpfile();
  capture::GifWriter gif;
  std::string error;
  EXPECT_TRUE(gif.Open(file, frames[0].width, frames[0].height, &error)) << error;
  for (size_t i = 0; i < frames.size(); ++i)
    EXPECT_TRUE(gif.AddFrame(frames[i], delays[i], &error)) << error;
  EXPECT_TRUE(gif.Finish(&error)) << error;
  std::vector<uint8_t> bytes(static_cast<size_t>(std::ftell(file)));
  std::rewind(file);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
  return bytes;
}

// A picture of `colors` colours in the given order, as one row after another.
Image FromIndices(const std::vector<uint8_t>& indices, int width, int colors) {
  Image image;
  image.width = width;
  image.height = static_cast<int>(indices.size()) / width;
  for (uint8_t index : indices)
    image.rgb.insert(image.rgb.end(),
                     {static_cast<uint8_t>(index * 255 / (colors - 1)),
                      static_cast<uint8_t>(255 - index), static_cast<uint8_t>(index * 7)});
  return image;
}

// One frame through the writer and giflib's reader: what a viewer shows.
Image RoundTrip(const Image& image) {
  render_test::GifAnimation animation;
  std::string error;
  EXPECT_TRUE(render_test::ReadGif(WriteGif({image}, {10}), &animation, &error)) << error;
  return animation.frames.empty() ? Image{} : animation.frames[0].shown;
}

TEST(GifRoundTrip, KeepsALongRunAndNoiseOverTheWholePalette) {
  // One long run builds ever longer strings; noise fills the 4096-entry
  // table again and again.
  const Image run = FromIndices(std::vector<uint8_t>(200000, 3), 500, 4);
  EXPECT_EQ(RoundTrip(run).rgb, run.rgb);
  std::mt19937 random(7);
  for (int colors : {3, 7, 31, 255}) {
    std::vector<uint8_t> indices(60000);
    for (uint8_t& index : indices) index = static_cast<uint8_t>(random() % colors);
    const Image noise = FromIndices(indices, 300, colors);
    EXPECT_EQ(RoundTrip(noise).rgb, noise.rgb) << colors << " colours";
  }
}

TEST(GifRoundTrip, KeepsTheStringThatIsDefinedByItsOwnUse) {
  // "abababa": the encoder emits a code for a string the decoder has not yet
  // completed (the KwKwK case).
  const Image pattern = FromIndices({0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1, 1}, 13, 2);
  EXPECT_EQ(RoundTrip(pattern).rgb, pattern.rgb);
  const Image single = FromIndices({2}, 1, 3);
  EXPECT_EQ(RoundTrip(single).rgb, single.rgb);
}

TEST(GifPalette, IsExactForAPictureOfFewColours) {
  Image image = Filled(40, 30, 0, 0, 0);
  for (int col = 0; col < 20; ++col)
    Paint(&image, col * 2, 0, 2, 30, 51, 0, static_cast<uint8_t>(col * 6));
  std::vector<uint8_t> indices;
  capture::Palette palette;
  std::string error;
  ASSERT_TRUE(capture::Quantize(image, 255, &palette, &indices, &error)) << error;
  EXPECT_EQ(palette.Size(), 20u);
  for (size_t i = 0; i < indices.size(); ++i)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(palette.rgb[indices[i] * 3 + c], image.rgb[i * 3 + c]);
}

TEST(GifPalette, StaysCloseForAPictureOfManyColours) {
  Image image = Filled(64, 64, 0, 0, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      Paint(&image, x, y, 1, 1, static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 128);
  std::vector<uint8_t> indices;
  capture::Palette palette;
  std::string error;
  ASSERT_TRUE(capture::Quantize(image, 255, &palette, &indices, &error)) << error;
  EXPECT_LE(palette.Size(), 255u);
  EXPECT_GE(palette.Size(), 200u);
  int worst = 0;
  for (size_t i = 0; i < indices.size(); ++i)
    for (int c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(palette.rgb[indices[i] * 3 + c] - image.rgb[i * 3 + c]));
  // 4096 colours on a 64x64 plane in 255: none is more than a few steps of 4 away.
  EXPECT_LE(worst, 16);
  std::vector<uint8_t> again;
  capture::Palette paletteAgain;
  ASSERT_TRUE(capture::Quantize(image, 255, &paletteAgain, &again, &error)) << error;
  EXPECT_EQ(paletteAgain.rgb, palette.rgb);
  EXPECT_EQ(again, indices);
}

TEST(GifWriter, AViewerShowsEachFrameAsGiven) {
  Image first = Filled(48, 32, 0, 0, 0);
  Paint(&first, 4, 4, 10, 10, 51, 77, 12);
  Image second = first;
  Paint(&second, 20, 10, 6, 5, 255, 255, 255);
  Image third = second;  // unchanged: a frame that only waits
  Image fourth = Filled(48, 32, 51, 0, 90);
  const std::vector<Image> frames{first, second, third, fourth};
  const std::vector<int> delays{7, 6, 7, 100};

  render_test::GifAnimation animation;
  std::string error;
  ASSERT_TRUE(render_test::ReadGif(WriteGif(frames, delays), &animation, &error)) << error;
  EXPECT_EQ(animation.width, 48);
  EXPECT_EQ(animation.height, 32);
  EXPECT_EQ(animation.loopCount, 0) << "loops for ever";
  ASSERT_EQ(animation.frames.size(), frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(animation.frames[i].delayCentiseconds, delays[i]) << "frame " << i;
    EXPECT_EQ(animation.frames[i].shown.rgb, frames[i].rgb) << "frame " << i;
  }
  // Only the changed rectangle is stored.
  EXPECT_EQ(animation.frames[1].left, 20);
  EXPECT_EQ(animation.frames[1].top, 10);
  EXPECT_EQ(animation.frames[1].width, 6);
  EXPECT_EQ(animation.frames[1].height, 5);
  EXPECT_EQ(animation.frames[2].width * animation.frames[2].height, 1);
}

TEST(PreviewTimeline, TakesEveryFourthFrameAt15Of60) {
  const capture::PreviewTimeline timeline(60, 15);
  int64_t j = -1;
  for (int64_t index = 0; index < 1440; ++index) {
    const bool shown = timeline.Shows(index, &j);
    ASSERT_EQ(shown, index % 4 == 0) << "frame " << index;
    if (shown) {
      ASSERT_EQ(j, index / 4);
    }
  }
}

TEST(PreviewTimeline, DelaysAddUpToTheRecordingsLengthAtAnyRate) {
  for (int previewFps : {7, 8, 10, 12, 15, 30, 60}) {
    const capture::PreviewTimeline timeline(60, previewFps);
    int64_t shown = 0;
    int64_t total = 0;
    int64_t j = 0;
    for (int64_t index = 0; index < 1440; ++index) {
      if (!timeline.Shows(index, &j)) continue;
      ASSERT_EQ(j, shown) << "preview frames in order, none skipped";
      total += timeline.DelayCentiseconds(j);
      ++shown;
    }
    EXPECT_EQ(shown, 24 * previewFps) << previewFps << " fps";
    EXPECT_EQ(total, 2400) << previewFps << " fps: 24 s in hundredths";
  }
}

}  // namespace
