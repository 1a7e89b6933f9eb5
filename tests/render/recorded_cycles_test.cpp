// The recordings the pixel checks share. CTest's fixture cases
// render.record.headless and render.record.xvfb16 make them afresh in the
// folder PLUMO_RENDER_CYCLES names; the cases that check them read them there.
#include <gtest/gtest.h>

#include <filesystem>

#include "render_checks.h"

namespace render_test {
namespace {

class RecordedCycles : public ::testing::TestWithParam<Surface> {};

TEST_P(RecordedCycles, HoldEveryFrameOfTheCycleAndNoMore) {
  RecordedCycle& cycle = RecordedCycle::Remake(GetParam());
  if (cycle.Unavailable()) GTEST_SKIP() << cycle.Problem();
  ASSERT_TRUE(cycle.Problem().empty()) << cycle.Problem();
  for (int64_t k = 0; k < kRecordedFrames; ++k)
    ASSERT_TRUE(std::filesystem::exists(cycle.FramePath(k))) << "frame " << k;
  EXPECT_FALSE(std::filesystem::exists(cycle.FramePath(kRecordedFrames)));
  // Each file is the frame its name says.
  const PngFrame& last = cycle.Frame(kCycleFrames);
  const auto frame = last.text.find("Frame");
  ASSERT_NE(frame, last.text.end());
  EXPECT_EQ(frame->second, std::to_string(kCycleFrames));
}

INSTANTIATE_TEST_SUITE_P(Record, RecordedCycles,
                         ::testing::Values(Surface::kHeadless, Surface::kXvfb16), ParamName);

}  // namespace
}  // namespace render_test
