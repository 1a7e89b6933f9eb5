#include "render_checks.h"

#include <algorithm>
#include <cmath>

namespace render_test {

namespace {

// A colour level of a 5- or 6-bit channel may come out one step off after
// the GL's conversion; at 8 bits one step as well.
const int kLevelTolerance = 1;

}  // namespace

void RenderCheck::SetUp() {
  cycle = &RecordedCycle::On(GetParam());
  if (cycle->Unavailable()) GTEST_SKIP() << cycle->Problem();
  ASSERT_TRUE(cycle->Problem().empty()) << cycle->Problem();
}

const PngFrame& RenderCheck::Frame(int64_t k) {
  const PngFrame& frame = cycle->Frame(k);
  EXPECT_EQ(frame.image.width, 640) << "frame " << k;
  EXPECT_EQ(frame.image.height, 480) << "frame " << k;
  return frame;
}

ReferenceOptions RenderCheck::Options(const PngFrame& frame, bool cull) const {
  ReferenceOptions options;
  options.cullBackFaces = cull;
  // The recording names the depth buffer it had ("R8 G8 B8, depth 16"); the
  // demo asks for 8 bits and may get more.
  const auto surface = frame.text.find("Surface");
  if (surface != frame.text.end()) {
    const size_t at = surface->second.find("depth ");
    if (at != std::string::npos) options.depthBits = std::stoi(surface->second.substr(at + 6));
  }
  options.depthBits = std::clamp(options.depthBits, 8, 24);
  return options;
}

std::string ParamName(const ::testing::TestParamInfo<Surface>& info) {
  return SurfaceName(info.param);
}

std::vector<bool> WhiteMask(const capture::Image& image) {
  std::vector<bool> mask(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      mask[static_cast<size_t>(y) * image.width + x] = p[0] >= 250 && p[1] >= 250 && p[2] >= 250;
    }
  return mask;
}

int Count(const std::vector<bool>& mask) {
  int n = 0;
  for (bool on : mask) n += on ? 1 : 0;
  return n;
}

bool MatchesColumn(const PngFrame& frame, int x, int y, double t, int column) {
  std::array<double, 3> expected{0, 0, 0};
  if (column != ReferenceFrame::kBackground) expected = CellColor(t, column);
  const int bits[3] = {frame.bits.red, frame.bits.green, frame.bits.blue};
  const uint8_t* p = frame.image.Pixel(x, y);
  for (int c = 0; c < 3; ++c)
    if (std::abs(LevelOfByte(p[c], bits[c]) - LevelOf(expected[c], bits[c])) > kLevelTolerance)
      return false;
  return true;
}

std::string DescribePixel(const PngFrame& frame, int x, int y) {
  const uint8_t* p = frame.image.Pixel(x, y);
  return "(" + std::to_string(p[0]) + ", " + std::to_string(p[1]) + ", " + std::to_string(p[2]) +
         ")";
}

Comparison CompareGrid(const PngFrame& frame, const ReferenceFrame& reference, const Box* skip) {
  Comparison result;
  for (int y = 0; y < reference.Height(); ++y) {
    for (int x = 0; x < reference.Width(); ++x) {
      if (skip && skip->Contains(x, y)) continue;
      const int column = reference.ColumnAt(x, y);
      if (column == ReferenceFrame::kUncertain) continue;
      ++result.compared;
      if (MatchesColumn(frame, x, y, reference.Time(), column)) continue;
      if (++result.mismatched <= 5) {
        const int owner = reference.OwnerAt(x, y);
        result.firstMismatches +=
            "\n  pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
            DescribePixel(frame, x, y) + ", expected " +
            (owner >= 0 ? Describe(reference.Triangles()[owner]) : "background black");
      }
    }
  }
  return result;
}

}  // namespace render_test
