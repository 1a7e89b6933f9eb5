// What the pixel checks share: the recorded cycle of the surface under test,
// and comparisons of a recorded frame with the reference picture.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recorded_cycle.h"
#include "scene_reference.h"

namespace render_test {

class RenderCheck : public ::testing::TestWithParam<Surface> {
 protected:
  void SetUp() override;
  // Frame k of the recording; fails the test when it cannot be read.
  const PngFrame& Frame(int64_t k);
  // Reference settings for this recording's surface.
  ReferenceOptions Options(const PngFrame& frame, bool cull = true) const;

  RecordedCycle* cycle = nullptr;
};

std::string ParamName(const ::testing::TestParamInfo<Surface>& info);

// White where the caption's glyphs are: every channel at its top level.
std::vector<bool> WhiteMask(const capture::Image& image);
int Count(const std::vector<bool>& mask);

// A frame's certain grid pixels against the reference. `skip` leaves out a
// box (the caption's); `columnOverride` compares against another reference.
struct Comparison {
  int compared = 0;
  int mismatched = 0;
  std::string firstMismatches;  // a few, described
};
Comparison CompareGrid(const PngFrame& frame, const ReferenceFrame& reference, const Box* skip);

// Whether the recorded pixel has the colour of `column` at time t (or black
// for ReferenceFrame::kBackground), within one level of the surface's bits.
bool MatchesColumn(const PngFrame& frame, int x, int y, double t, int column);
std::string DescribePixel(const PngFrame& frame, int x, int y);

}  // namespace render_test
