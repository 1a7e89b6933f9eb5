#include "capture/image.h"

#include <algorithm>
#include <cmath>

namespace capture {

namespace {

// The weight of every source index in each output index along one axis.
struct Span {
  int first = 0;
  std::vector<double> weights;
};

std::vector<Span> Spans(int sourceSize, int size) {
  std::vector<Span> spans(size);
  const double scale = static_cast<double>(sourceSize) / size;
  for (int i = 0; i < size; ++i) {
    const double begin = i * scale;
    const double end = (i + 1) * scale;
    Span& span = spans[i];
    span.first = static_cast<int>(std::floor(begin));
    const int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(end)) - 1);
    for (int s = span.first; s <= last; ++s) {
      const double covered = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
      span.weights.push_back(covered / scale);
    }
  }
  return spans;
}

}  // namespace

Image Downscale(const Image& source, int width, int height) {
  if (width == source.width && height == source.height) return source;
  const std::vector<Span> columns = Spans(source.width, width);
  const std::vector<Span> rows = Spans(source.height, height);
  Image out;
  out.width = width;
  out.height = height;
  out.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const Span& row = rows[y];
    for (int x = 0; x < width; ++x) {
      const Span& column = columns[x];
      double sum[3] = {0, 0, 0};
      for (size_t j = 0; j < row.weights.size(); ++j) {
        for (size_t i = 0; i < column.weights.size(); ++i) {
          const double weight = row.weights[j] * column.weights[i];
          const uint8_t* p =
              source.Pixel(column.first + static_cast<int>(i), row.first + static_cast<int>(j));
          for (int c = 0; c < 3; ++c) sum[c] += weight * p[c];
        }
      }
      uint8_t* q = &out.rgb[(static_cast<size_t>(y) * width + x) * 3];
      for (int c = 0; c < 3; ++c)
        q[c] = static_cast<uint8_t>(std::clamp(std::lround(sum[c]), 0L, 255L));
    }
  }
  return out;
}

}  // namespace capture
