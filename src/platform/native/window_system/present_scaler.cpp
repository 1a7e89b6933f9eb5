#include "platform/native/window_system/present_scaler.h"

#include <algorithm>
#include <cstring>

namespace native::window_system {
namespace {

using Lanes = PictureScaler::Lanes;
typedef uint8_t Bytes __attribute__((vector_size(8)));

// The loops below are written for the compiler to vectorise (this file is
// built with -O3): counts in locals, no aliasing, 16-bit products.
void Mix(const uint8_t* __restrict a, const uint8_t* __restrict b, unsigned weight,
         uint8_t* __restrict out, size_t count) {
  const uint16_t from = static_cast<uint16_t>(256 - weight);
  const uint16_t to = static_cast<uint16_t>(weight);
  for (size_t i = 0; i < count; ++i)
    out[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * from + b[i] * to + 128) >> 8);
}

}  // namespace

std::vector<ScaleTap> ScaleTaps(int from, int to, bool linear) {
  std::vector<ScaleTap> taps(static_cast<size_t>(std::max(to, 0)));
  const int64_t last = from - 1;
  const int64_t denominator = 2 * static_cast<int64_t>(to);
  for (int x = 0; x < to; ++x) {
    // The centre of destination pixel x, (x + 1/2) * from / to, less a half
    // for linear filtering: exact, as a fraction over 2 * to.
    const int64_t numerator = (2 * static_cast<int64_t>(x) + 1) * from - (linear ? to : 0);
    ScaleTap& tap = taps[static_cast<size_t>(x)];
    if (numerator <= 0) continue;  // before the first pixel's centre: the first pixel
    int64_t index = numerator / denominator;
    int64_t weight = 0;
    if (linear) {
      weight = ((numerator % denominator) * 512 + denominator) / (2 * denominator);
      if (weight == 256) {
        ++index;
        weight = 0;
      }
    }
    if (index >= last) {
      index = last;  // past the last pixel's centre: the last pixel
      weight = 0;
    }
    tap.index = static_cast<int>(index);
    tap.weight = static_cast<int>(weight);
  }
  return taps;
}

bool NearestHasTies(int from, int to) {
  const int64_t denominator = 2 * static_cast<int64_t>(to);
  for (int x = 0; x < to; ++x)
    if ((2 * static_cast<int64_t>(x) + 1) * from % denominator == 0) return true;
  return false;
}

bool PictureScaler::Prepared(int pictureWidth, int pictureHeight, int width, int height,
                             bool linear) const {
  return pictureWidth == pictureWidth_ && pictureHeight == pictureHeight_ && width == width_ &&
         height == height_ && linear == linear_;
}

void PictureScaler::Prepare(int pictureWidth, int pictureHeight, int width, int height,
                            bool linear) {
  if (Prepared(pictureWidth, pictureHeight, width, height, linear)) return;
  pictureWidth_ = pictureWidth;
  pictureHeight_ = pictureHeight;
  width_ = width;
  height_ = height;
  linear_ = linear;
  copy_ = width == pictureWidth && height == pictureHeight;
  columns_ = ScaleTaps(pictureWidth, width, linear);
  columns_.push_back(columns_.empty() ? ScaleTap{} : columns_.back());  // room for an odd one
  rows_ = ScaleTaps(pictureHeight, height, linear);
  const size_t columns = static_cast<size_t>(width);
  pairWeights_.resize((columns + 1) / 2);
  for (size_t x = 0; x < columns; ++x) {
    for (size_t lane = 0; lane < 4; ++lane)
      pairWeights_[x / 2][(x % 2) * 4 + lane] = static_cast<uint16_t>(columns_[x].weight);
  }
  widened_.resize(static_cast<size_t>(pictureWidth) + 1);
  for (std::vector<uint32_t>& row : across_) row.resize(columns + 1);
  acrossRow_[0] = acrossRow_[1] = -1;
}

// A 5/6/5 pixel as 16-bit lanes (blue, green, red, 0 from the lowest), each
// channel widened as llvmpipe widens it: its top bits repeated below (31 ->
// 255, 16 -> 132). Each widened channel is an OR of what the pixel's high
// byte and its low byte contribute, so two tables of 256 do it.
struct Widening {
  uint64_t high[256];
  uint64_t low[256];
  Widening() {
    for (uint64_t byte = 0; byte < 256; ++byte) {
      const uint64_t red = byte >> 3;
      const uint64_t greenHigh = byte & 7;  // green's top three bits
      high[byte] =
          (((red << 3) | (red >> 2)) << 32) | (((greenHigh << 5) | (greenHigh >> 1)) << 16);
      const uint64_t greenLow = byte >> 5;  // and its bottom three
      const uint64_t blue = byte & 31;
      low[byte] = (greenLow << 2 << 16) | (blue << 3) | (blue >> 2);
    }
  }
};

const Widening& Widen565() {
  static const Widening table;
  return table;
}

void PictureScaler::Widen(const uint16_t* __restrict row) {
  const int count = pictureWidth_;
  uint64_t* __restrict widened = widened_.data();
  if (copy_) {
    // Unscaled, llvmpipe's blit is a copy, which converts each channel to
    // the nearest 8-bit value instead (3 -> 25, not 24).
    for (int x = 0; x < count; ++x) {
      const uint64_t red = row[x] >> 11;
      const uint64_t green = (row[x] >> 5) & 63;
      const uint64_t blue = row[x] & 31;
      widened[x] = ((blue * 527 + 23) >> 6) | (((green * 259 + 33) >> 6) << 16) |
                   (((red * 527 + 23) >> 6) << 32);
    }
  } else {
    const Widening& table = Widen565();
    for (int x = 0; x < count; ++x) widened[x] = table.high[row[x] >> 8] | table.low[row[x] & 255];
  }
  widened[count] = widened[count - 1];  // the right-hand tap of the last column
}

void PictureScaler::Across(const uint16_t* row, uint32_t* __restrict out) {
  Widen(row);
  const uint64_t* __restrict widened = widened_.data();
  const ScaleTap* __restrict taps = columns_.data();
  const int count = width_;
  if (!linear_) {
    for (int x = 0; x < count; ++x) {
      const uint64_t pixel = widened[taps[x].index];
      out[x] = static_cast<uint32_t>(pixel & 0xFF) | static_cast<uint32_t>((pixel >> 8) & 0xFF00) |
               static_cast<uint32_t>((pixel >> 16) & 0xFF0000);
    }
    return;
  }
  // Two columns at a time (the taps and `out` have room for an odd one
  // more): each one's pixel and the next, mixed by its weight as Mix() mixes.
  const Lanes* __restrict weights = pairWeights_.data();
  for (int x = 0; x < count; x += 2) {
    const uint64_t left[2] = {widened[taps[x].index], widened[taps[x + 1].index]};
    const uint64_t right[2] = {widened[taps[x].index + 1], widened[taps[x + 1].index + 1]};
    Lanes a;
    Lanes b;
    std::memcpy(&a, left, sizeof a);
    std::memcpy(&b, right, sizeof b);
    const Lanes w = weights[x / 2];
    const Lanes mixed = (a * (256 - w) + b * w + 128) >> 8;
    const Bytes bytes = __builtin_convertvector(mixed, Bytes);
    std::memcpy(out + x, &bytes, sizeof bytes);
  }
}

void PictureScaler::Scale(const uint16_t* picture, uint32_t* out, size_t outStride) {
  const size_t rowBytes = static_cast<size_t>(width_) * 4;
  // Scaled-across rows are kept for the next destination rows, which mostly
  // sample the same two picture rows.
  auto across = [&](int pictureRow, int avoid) {
    for (int slot = 0; slot < 2; ++slot)
      if (acrossRow_[slot] == pictureRow) return slot;
    const int slot = acrossRow_[0] == avoid ? 1 : 0;
    Across(picture + static_cast<size_t>(pictureRow) * static_cast<size_t>(pictureWidth_),
           across_[slot].data());
    acrossRow_[slot] = pictureRow;
    return slot;
  };
  acrossRow_[0] = acrossRow_[1] = -1;  // the picture is new
  for (int y = 0; y < height_; ++y) {
    const ScaleTap tap = rows_[static_cast<size_t>(y)];
    uint32_t* row = out + static_cast<size_t>(y) * outStride;
    const int upper = across(tap.index, -1);
    if (tap.weight == 0) {
      std::memcpy(row, across_[upper].data(), rowBytes);
      continue;
    }
    const int lower = across(std::min(tap.index + 1, pictureHeight_ - 1), tap.index);
    Mix(reinterpret_cast<const uint8_t*>(across_[upper].data()),
        reinterpret_cast<const uint8_t*>(across_[lower].data()), static_cast<unsigned>(tap.weight),
        reinterpret_cast<uint8_t*>(row), rowBytes);
  }
}

}  // namespace native::window_system
