// The caption timeline on screen: white text in its box in every two-second
// slot, a new text at each slot's first frame, and the frame that ends the
// cycle without text before the first caption comes back.
#include "render_checks.h"

namespace render_test {
namespace {

class Captions : public RenderCheck {
 protected:
  std::vector<bool> Mask(int64_t k) {
    const PngFrame& frame = Frame(k);
    return WhiteMask(frame.image);
  }
};

const int kSlots = 12;
const int64_t kSlotFrames = 2 * kFps;

TEST_P(Captions, EverySlotsTextIsWhiteInsideTheCaptionBox) {
  const Box box = CaptionBox(640, 480);
  for (int slot = 0; slot < kSlots; ++slot) {
    const int64_t k = slot * kSlotFrames + kSlotFrames / 2;
    const PngFrame& frame = Frame(k);
    ASSERT_FALSE(HasFailure());
    int inside = 0;
    int left = 640, top = 480, bottom = -1;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const uint8_t* p = frame.image.Pixel(x, y);
        if (p[0] < 250 || p[1] < 250 || p[2] < 250) continue;
        ASSERT_TRUE(box.Contains(x, y))
            << "slot " << slot << " (frame " << k << "): white pixel at (" << x << ", " << y
            << ") outside the caption box";
        ++inside;
        left = std::min(left, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    SCOPED_TRACE("slot " + std::to_string(slot) + ", frame " + std::to_string(k));
    EXPECT_GT(inside, 300) << "a line of bold 48 px text";
    // The text starts at 35% of the width, its tallest letters reach about
    // 35 px above the baseline at half the height.
    EXPECT_LE(left, 224 + 12);
    EXPECT_LE(top, 240 - 28);
    EXPECT_GE(bottom, 240 - 4);
  }
}

TEST_P(Captions, ConsecutiveSlotsShowDifferentTexts) {
  std::vector<std::vector<bool>> masks;
  for (int slot = 0; slot < kSlots; ++slot)
    masks.push_back(Mask(slot * kSlotFrames + kSlotFrames / 2));
  ASSERT_FALSE(HasFailure());
  for (int slot = 0; slot < kSlots; ++slot) {
    const std::vector<bool>& a = masks[slot];
    const std::vector<bool>& b = masks[(slot + 1) % kSlots];
    int differing = 0;
    for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i] ? 1 : 0;
    EXPECT_GT(differing, 100) << "slots " << slot << " and " << (slot + 1) % kSlots;
  }
}

// Slot i runs from frame 120 i to frame 120 i + 119: the text changes at the
// exact frame, and not within the slot.
TEST_P(Captions, EachSlotStartsOnItsExactFrame) {
  for (int slot = 0; slot < kSlots; ++slot) {
    const int64_t first = slot * kSlotFrames;
    const int64_t last = first + kSlotFrames - 1;
    SCOPED_TRACE("slot " + std::to_string(slot));
    const std::vector<bool> start = Mask(first);
    ASSERT_FALSE(HasFailure());
    EXPECT_GT(Count(start), 300);
    EXPECT_TRUE(Mask(last) == start)
        << "frame " << last << " still shows the text of frame " << first;
    EXPECT_TRUE(Mask(first + kSlotFrames / 2) == start);
    if (slot > 0) {
      EXPECT_FALSE(Mask(first - 1) == start) << "frame " << first - 1 << " shows the previous slot";
    }
  }
}

TEST_P(Captions, TheFrameThatEndsTheCycleShowsNoTextAndTheNextStartsAgain) {
  EXPECT_GT(Count(Mask(kCycleFrames - 1)), 300) << "frame 1439 shows the last caption";
  EXPECT_EQ(Count(Mask(kCycleFrames)), 0) << "frame 1440, at 24 s, shows no caption";
  const std::vector<bool> again = Mask(kCycleFrames + 1);
  EXPECT_GT(Count(again), 300);
  EXPECT_TRUE(again == Mask(0)) << "frame 1441 shows the first caption";
  // Its clock starts from its own step: the whole picture is frame 1's.
  EXPECT_TRUE(Frame(kCycleFrames + 1).image.rgb == Frame(1).image.rgb);
}

INSTANTIATE_TEST_SUITE_P(Headless, Captions, ::testing::Values(Surface::kHeadless), ParamName);
INSTANTIATE_TEST_SUITE_P(Xvfb16, Captions, ::testing::Values(Surface::kXvfb16), ParamName);

}  // namespace
}  // namespace render_test
