// The preview's GIF encoder against an independent reader: LZW code streams,
// the palette, frames as a viewer composes them, and the preview's timing.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "gif_read.h"
#include "gif_writer.h"
#include "sinks.h"

namespace {

using capture::Image;

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& indices, int minCodeSize) {
  std::vector<uint8_t> decoded;
  std::string error;
  EXPECT_TRUE(render_test::LzwDecode(capture::LzwEncode(indices, minCodeSize), minCodeSize,
                                     &decoded, &error))
      << error;
  return decoded;
}

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

TEST(GifLzw, RoundTripsRunsThatFillTheTableAndStartAgain) {
  // One long run builds ever longer strings; 200,000 symbols fill the
  // 4096-entry table and make the writer clear it.
  EXPECT_EQ(RoundTrip(std::vector<uint8_t>(200000, 3), 2), std::vector<uint8_t>(200000, 3));
}

TEST(GifLzw, RoundTripsNoiseOverTheWholeAlphabet) {
  std::mt19937 random(7);
  for (int minCodeSize : {2, 3, 5, 8}) {
    std::vector<uint8_t> indices(60000);
    for (uint8_t& index : indices) index = static_cast<uint8_t>(random() % (1u << minCodeSize));
    EXPECT_EQ(RoundTrip(indices, minCodeSize), indices) << "min code size " << minCodeSize;
  }
}

TEST(GifLzw, RoundTripsTheCodeThatIsDefinedByItsOwnUse) {
  // "abababa": the writer emits a code for a string the reader has not yet
  // completed (the KwKwK case).
  const std::vector<uint8_t> indices{0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(RoundTrip(indices, 2), indices);
  EXPECT_EQ(RoundTrip({2}, 2), std::vector<uint8_t>{2});
}

TEST(GifPalette, IsExactForAPictureOfFewColours) {
  Image image = Filled(40, 30, 0, 0, 0);
  for (int col = 0; col < 20; ++col)
    Paint(&image, col * 2, 0, 2, 30, 51, 0, static_cast<uint8_t>(col * 6));
  std::vector<uint8_t> indices;
  const capture::Palette palette = capture::Quantize(image, 255, &indices);
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
  const capture::Palette palette = capture::Quantize(image, 255, &indices);
  EXPECT_LE(palette.Size(), 255u);
  EXPECT_GE(palette.Size(), 200u);
  int worst = 0;
  for (size_t i = 0; i < indices.size(); ++i)
    for (int c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(palette.rgb[indices[i] * 3 + c] - image.rgb[i * 3 + c]));
  // 4096 colours on a 64x64 plane in 255 boxes: each box spans at most 4 steps of 4.
  EXPECT_LE(worst, 16);
  std::vector<uint8_t> again;
  EXPECT_EQ(capture::Quantize(image, 255, &again).rgb, palette.rgb);
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
