#include "gif_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <unordered_map>

namespace capture {

namespace {

const int kMaxCodes = 4096;

struct ColorCount {
  uint32_t rgb;  // 0xRRGGBB
  uint32_t count;
};

int Channel(uint32_t rgb, int c) {
  return (rgb >> (16 - 8 * c)) & 0xFF;
}

// A box of the median cut: a run of `colors`, with its widest channel.
struct Box {
  size_t begin;
  size_t end;
  int channel = 0;
  int range = 0;
};

void Measure(const std::vector<ColorCount>& colors, Box* box) {
  int low[3] = {255, 255, 255};
  int high[3] = {0, 0, 0};
  for (size_t i = box->begin; i < box->end; ++i) {
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min(low[c], Channel(colors[i].rgb, c));
      high[c] = std::max(high[c], Channel(colors[i].rgb, c));
    }
  }
  box->range = -1;
  for (int c = 0; c < 3; ++c) {
    if (high[c] - low[c] > box->range) {
      box->range = high[c] - low[c];
      box->channel = c;
    }
  }
}

// Splits at the pixel-weighted median of the widest channel.
bool Split(std::vector<ColorCount>* colors, const Box& box, Box* lower, Box* upper) {
  if (box.end - box.begin < 2 || box.range <= 0) return false;
  const int c = box.channel;
  std::sort(colors->begin() + static_cast<long>(box.begin),
            colors->begin() + static_cast<long>(box.end),
            [c](const ColorCount& a, const ColorCount& b) {
              const int ka = Channel(a.rgb, c);
              const int kb = Channel(b.rgb, c);
              return ka != kb ? ka < kb : a.rgb < b.rgb;
            });
  uint64_t total = 0;
  for (size_t i = box.begin; i < box.end; ++i) total += (*colors)[i].count;
  uint64_t running = 0;
  size_t cut = box.begin + 1;
  for (size_t i = box.begin; i + 1 < box.end; ++i) {
    running += (*colors)[i].count;
    cut = i + 1;
    if (running * 2 >= total) break;
  }
  *lower = Box{box.begin, cut};
  *upper = Box{cut, box.end};
  Measure(*colors, lower);
  Measure(*colors, upper);
  return true;
}

uint32_t Mean(const std::vector<ColorCount>& colors, const Box& box) {
  uint64_t sum[3] = {0, 0, 0};
  uint64_t total = 0;
  for (size_t i = box.begin; i < box.end; ++i) {
    for (int c = 0; c < 3; ++c) sum[c] += uint64_t{colors[i].count} * Channel(colors[i].rgb, c);
    total += colors[i].count;
  }
  uint32_t rgb = 0;
  for (int c = 0; c < 3; ++c)
    rgb = (rgb << 8) | static_cast<uint32_t>((sum[c] + total / 2) / total);
  return rgb;
}

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int c = 0; c < 3; ++c) {
    const int e = Channel(a, c) - Channel(b, c);
    d += e * e;
  }
  return d;
}

uint32_t Packed(const uint8_t* p) {
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

class BitWriter {
 public:
  void Put(int code, int bits) {
    accumulator |= static_cast<uint32_t>(code) << filled;
    filled += bits;
    while (filled >= 8) {
      out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
      accumulator >>= 8;
      filled -= 8;
    }
  }
  std::vector<uint8_t> Finish() {
    if (filled > 0) out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
    accumulator = 0;
    filled = 0;
    return std::move(out);
  }

 private:
  std::vector<uint8_t> out;
  uint32_t accumulator = 0;
  int filled = 0;
};

void PutWord(std::vector<uint8_t>* out, int value) {
  out->push_back(static_cast<uint8_t>(value & 0xFF));
  out->push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

int BitsFor(size_t colors) {
  int bits = 1;
  while ((size_t{1} << bits) < colors) ++bits;
  return bits;
}

}  // namespace

Palette Quantize(const Image& image, size_t maxColors, std::vector<uint8_t>* indices) {
  std::map<uint32_t, uint32_t> histogram;  // ordered, so the result is the same every run
  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  for (size_t i = 0; i < pixels; ++i) ++histogram[Packed(&image.rgb[i * 3])];
  std::vector<ColorCount> colors;
  colors.reserve(histogram.size());
  for (const auto& [rgb, count] : histogram) colors.push_back(ColorCount{rgb, count});

  std::vector<uint32_t> entries;
  if (colors.size() <= maxColors) {
    for (const ColorCount& color : colors) entries.push_back(color.rgb);
  } else {
    std::vector<Box> boxes{Box{0, colors.size()}};
    Measure(colors, &boxes[0]);
    while (boxes.size() < maxColors) {
      // The box with the widest spread goes next; the first such on a tie.
      size_t widest = 0;
      for (size_t i = 1; i < boxes.size(); ++i)
        if (boxes[i].range > boxes[widest].range) widest = i;
      Box lower{0, 0};
      Box upper{0, 0};
      if (!Split(&colors, boxes[widest], &lower, &upper)) break;
      boxes[widest] = lower;
      boxes.push_back(upper);
    }
    for (const Box& box : boxes) entries.push_back(Mean(colors, box));
  }

  Palette palette;
  for (uint32_t rgb : entries)
    for (int c = 0; c < 3; ++c) palette.rgb.push_back(static_cast<uint8_t>(Channel(rgb, c)));

  std::unordered_map<uint32_t, uint8_t> nearest;
  indices->resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t rgb = Packed(&image.rgb[i * 3]);
    auto found = nearest.find(rgb);
    if (found == nearest.end()) {
      size_t best = 0;
      for (size_t e = 1; e < entries.size(); ++e)
        if (Distance(rgb, entries[e]) < Distance(rgb, entries[best])) best = e;
      found = nearest.emplace(rgb, static_cast<uint8_t>(best)).first;
    }
    (*indices)[i] = found->second;
  }
  return palette;
}

std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& indices, int minCodeSize) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  // next[prefix * 256 + byte]: the code of prefix followed by byte, 0 for none
  // (no string's code is 0: single bytes are their own codes and are never
  // looked up here).
  std::vector<uint16_t> next(static_cast<size_t>(kMaxCodes) * 256, 0);
  BitWriter bits;
  int codeSize = minCodeSize + 1;
  int last = end;  // the last code assigned
  bits.Put(clear, codeSize);
  int prefix = -1;
  for (uint8_t byte : indices) {
    if (prefix < 0) {
      prefix = byte;
      continue;
    }
    const size_t slot = static_cast<size_t>(prefix) * 256 + byte;
    if (next[slot] != 0) {
      prefix = next[slot];
      continue;
    }
    bits.Put(prefix, codeSize);
    next[slot] = static_cast<uint16_t>(++last);
    // The reader grows its codes one entry behind the writer, so the writer
    // grows them once the code just assigned no longer fits.
    if (last >= (1 << codeSize) && codeSize < 12) ++codeSize;
    if (last == kMaxCodes - 1) {
      bits.Put(clear, codeSize);
      std::fill(next.begin(), next.end(), 0);
      codeSize = minCodeSize + 1;
      last = end;
    }
    prefix = byte;
  }
  if (prefix >= 0) bits.Put(prefix, codeSize);
  bits.Put(end, codeSize);
  return bits.Finish();
}

bool GifWriter::Check(std::string* error) {
  if (std::ferror(file)) {
    *error = std::string("cannot write: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool GifWriter::Open(std::FILE* fileArg, int widthArg, int heightArg, std::string* error) {
  file = fileArg;
  width = widthArg;
  height = heightArg;
  first = true;
  shown.assign(static_cast<size_t>(width) * height * 3, 0);
  std::vector<uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  PutWord(&out, width);
  PutWord(&out, height);
  out.push_back(0x70);  // no global table, 8 bits of colour resolution
  out.push_back(0);     // background index
  out.push_back(0);     // square pixels
  // Loop for ever.
  const uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                          'E',  '2',  '.',  '0', 3,   1,   0,   0,   0};
  out.insert(out.end(), std::begin(loop), std::end(loop));
  std::fwrite(out.data(), 1, out.size(), file);
  return Check(error);
}

bool GifWriter::AddFrame(const Image& image, int delayCentiseconds, std::string* error) {
  if (image.width != width || image.height != height) {
    *error = "a frame of another size than the animation";
    return false;
  }
  // Index 0 is kept for "as before", the rest are the frame's colours.
  std::vector<uint8_t> indices;
  const Palette palette = Quantize(image, 255, &indices);

  // The changed area, in what the viewer will show.
  int left = width;
  int top = height;
  int right = -1;
  int bottom = -1;
  std::vector<uint8_t> shade(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      const uint8_t* color = &palette.rgb[indices[i] * 3];
      if (!first && std::memcmp(color, &shown[i * 3], 3) == 0) continue;
      std::memcpy(&shown[i * 3], color, 3);
      shade[i] = static_cast<uint8_t>(indices[i] + 1);
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) {
    // Nothing changed: one transparent pixel carries the delay.
    left = top = right = bottom = 0;
  }
  const int w = right - left + 1;
  const int h = bottom - top + 1;
  std::vector<uint8_t> area;
  area.reserve(static_cast<size_t>(w) * h);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) area.push_back(shade[static_cast<size_t>(y) * width + x]);

  const int tableBits = BitsFor(palette.Size() + 1);
  std::vector<uint8_t> out;
  // Graphic control: keep the frame, transparent index 0, the delay.
  const uint8_t control[] = {0x21, 0xF9, 0x04, static_cast<uint8_t>((1 << 2) | (first ? 0 : 1))};
  out.insert(out.end(), std::begin(control), std::end(control));
  PutWord(&out, delayCentiseconds);
  out.push_back(0);  // transparent index
  out.push_back(0);
  // Image descriptor with a local table.
  out.push_back(0x2C);
  PutWord(&out, left);
  PutWord(&out, top);
  PutWord(&out, w);
  PutWord(&out, h);
  out.push_back(static_cast<uint8_t>(0x80 | (tableBits - 1)));
  out.insert(out.end(), 3, 0);  // index 0: transparent, its colour unused
  out.insert(out.end(), palette.rgb.begin(), palette.rgb.end());
  out.insert(out.end(), ((size_t{1} << tableBits) - palette.Size() - 1) * 3, 0);
  // Image data: the minimum code size, then sub-blocks of at most 255 bytes.
  const int minCodeSize = std::max(2, tableBits);
  out.push_back(static_cast<uint8_t>(minCodeSize));
  const std::vector<uint8_t> codes = LzwEncode(area, minCodeSize);
  for (size_t at = 0; at < codes.size(); at += 255) {
    const size_t n = std::min<size_t>(255, codes.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), codes.begin() + static_cast<long>(at),
               codes.begin() + static_cast<long>(at + n));
  }
  out.push_back(0);
  std::fwrite(out.data(), 1, out.size(), file);
  first = false;
  return Check(error);
}

bool GifWriter::Finish(std::string* error) {
  std::fputc(0x3B, file);
  std::fflush(file);
  return Check(error);
}

}  // namespace capture
