// The demo's 5/6/5 picture scaled on the CPU into rows of 8-bit xRGB pixels,
// computed as Mesa's software rasteriser (llvmpipe) computes the layer's blit:
// each 5- or 6-bit channel widened by repeating its top bits (or, unscaled,
// where the blit is a copy, rounded to the nearest 8-bit value), samples at
// the destination pixels' centres, and for linear filtering weights rounded
// to 256ths, mixed across then down, each step rounded to 8 bits. So a
// picture the layer scales itself is, value for value, the one llvmpipe would
// have shown, but where llvmpipe's float arithmetic rounds a weight the other
// way: a sample point within about 1/100 of a 256th of a rounding boundary,
// at sizes no screen's fit gives; there a channel differs by one level, two
// where a column's and a row's weights both turned.
// (tests/layer/present_scaler_test.cpp compares the two.)
//
// Plain arithmetic, apart from GL and any window system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace native::window_system {

// Where one destination column (or row) samples: the source pixel `index`
// and `weight` 256ths of the next one (0 to 255).
struct ScaleTap {
  int index = 0;
  int weight = 0;
};

// The taps of `to` destination pixels showing `from` source pixels, edges
// clamped. Linear: each destination centre's position in the source, less
// half a pixel. Nearest: the source pixel under the centre.
std::vector<ScaleTap> ScaleTaps(int from, int to, bool linear);

// Whether nearest sampling puts some destination centre exactly on the line
// between two source pixels. There GL allows either neighbour, and llvmpipe's
// choice follows the rounding of its float arithmetic; elsewhere it is exact.
bool NearestHasTies(int from, int to);

class PictureScaler {
 public:
  // Eight 16-bit lanes: two pixels, a channel a lane (GCC's and Clang's vector
  // extensions, which become SSE2 on x86 and NEON on ARM).
  typedef uint16_t Lanes __attribute__((vector_size(16)));

  // For a picture of this size shown at width x height.
  void Prepare(int pictureWidth, int pictureHeight, int width, int height, bool linear);
  bool Prepared(int pictureWidth, int pictureHeight, int width, int height, bool linear) const;

  // `picture`: 5/6/5 pixels (red in the top bits), rows top first, packed.
  // `out`: `height` rows of `width` pixels 0x00RRGGBB, `outStride` pixels apart.
  void Scale(const uint16_t* picture, uint32_t* out, size_t outStride);

 private:
  void Widen(const uint16_t* row);
  void Across(const uint16_t* row, uint32_t* out);

  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool linear_ = false;
  bool copy_ = false;  // the same size: widened as llvmpipe's copy widens
  std::vector<ScaleTap> columns_;
  std::vector<ScaleTap> rows_;
  std::vector<Lanes> pairWeights_;   // two columns' weights, once per channel lane
  std::vector<uint64_t> widened_;    // one picture row, a channel per 16 bits, last pixel repeated
  std::vector<uint32_t> across_[2];  // two picture rows scaled across
  int acrossRow_[2] = {-1, -1};      // which picture row each holds
};

}  // namespace native::window_system
