#include "gif_read.h"

#include <algorithm>

namespace render_test {

namespace {

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytesArg) : bytes(bytesArg) {}
  bool Byte(int* value) {
    if (at >= bytes.size()) return false;
    *value = bytes[at++];
    return true;
  }
  bool Word(int* value) {
    int low = 0;
    int high = 0;
    if (!Byte(&low) || !Byte(&high)) return false;
    *value = low | (high << 8);
    return true;
  }
  bool Bytes(size_t n, std::vector<uint8_t>* out) {
    if (bytes.size() - at < n) return false;
    out->assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n));
    at += n;
    return true;
  }
  // A chain of sub-blocks, joined.
  bool SubBlocks(std::vector<uint8_t>* out) {
    out->clear();
    for (;;) {
      int n = 0;
      if (!Byte(&n)) return false;
      if (n == 0) return true;
      std::vector<uint8_t> block;
      if (!Bytes(static_cast<size_t>(n), &block)) return false;
      out->insert(out->end(), block.begin(), block.end());
    }
  }

 private:
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
};

}  // namespace

bool LzwDecode(const std::vector<uint8_t>& codes, int minCodeSize, std::vector<uint8_t>* out,
               std::string* error) {
  if (minCodeSize < 2 || minCodeSize > 8) {
    *error = "minimum code size " + std::to_string(minCodeSize);
    return false;
  }
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  std::vector<int> prefix(4096, -1);
  std::vector<uint8_t> suffix(4096, 0);
  for (int i = 0; i < clear; ++i) suffix[i] = static_cast<uint8_t>(i);
  int codeSize = minCodeSize + 1;
  int next = end + 1;
  int previous = -1;
  size_t bit = 0;
  std::vector<uint8_t> string;

  auto expand = [&](int code) {
    string.clear();
    for (int c = code; c >= 0; c = prefix[c]) string.push_back(suffix[c]);
    std::reverse(string.begin(), string.end());
  };

  out->clear();
  for (;;) {
    if (bit + codeSize > codes.size() * 8) {
      *error = "the code stream ends without an end code";
      return false;
    }
    int code = 0;
    for (int i = 0; i < codeSize; ++i, ++bit) code |= ((codes[bit / 8] >> (bit % 8)) & 1) << i;

    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = end + 1;
      previous = -1;
      continue;
    }
    if (code == end) return true;
    if (previous < 0) {
      if (code >= clear) {
        *error = "a first code " + std::to_string(code) + " that is no single index";
        return false;
      }
      out->push_back(static_cast<uint8_t>(code));
      previous = code;
      continue;
    }
    uint8_t first = 0;
    if (code < next) {
      expand(code);
      first = string[0];
    } else if (code == next) {
      expand(previous);
      first = string[0];
      string.push_back(first);
    } else {
      *error = "code " + std::to_string(code) + " before its entry exists (next " +
               std::to_string(next) + ")";
      return false;
    }
    out->insert(out->end(), string.begin(), string.end());
    if (next < 4096) {
      prefix[next] = previous;
      suffix[next] = first;
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    previous = code;
  }
}

bool ReadGif(const std::vector<uint8_t>& bytes, GifAnimation* animation, std::string* error) {
  Reader in(bytes);
  std::vector<uint8_t> signature;
  if (!in.Bytes(6, &signature) || std::string(signature.begin(), signature.end()) != "GIF89a") {
    *error = "no GIF89a signature";
    return false;
  }
  int flags = 0;
  int ignored = 0;
  if (!in.Word(&animation->width) || !in.Word(&animation->height) || !in.Byte(&flags) ||
      !in.Byte(&ignored) || !in.Byte(&ignored)) {
    *error = "short screen descriptor";
    return false;
  }
  std::vector<uint8_t> globalTable;
  if ((flags & 0x80) && !in.Bytes(3u << ((flags & 7) + 1), &globalTable)) {
    *error = "short global colour table";
    return false;
  }
  capture::Image canvas;
  canvas.width = animation->width;
  canvas.height = animation->height;
  canvas.rgb.assign(static_cast<size_t>(canvas.width) * canvas.height * 3, 0);

  int delay = 0;
  int transparent = -1;
  int disposal = 0;
  for (;;) {
    int kind = 0;
    if (!in.Byte(&kind)) {
      *error = "no trailer";
      return false;
    }
    if (kind == 0x3B) return true;
    if (kind == 0x21) {
      int label = 0;
      std::vector<uint8_t> data;
      if (!in.Byte(&label) || !in.SubBlocks(&data)) {
        *error = "short extension";
        return false;
      }
      if (label == 0xF9 && data.size() == 4) {
        disposal = (data[0] >> 2) & 7;
        delay = data[1] | (data[2] << 8);
        transparent = (data[0] & 1) ? data[3] : -1;
      } else if (label == 0xFF && data.size() == 14 &&
                 std::string(data.begin(), data.begin() + 11) == "NETSCAPE2.0" && data[11] == 1) {
        animation->loopCount = data[12] | (data[13] << 8);
      }
      continue;
    }
    if (kind != 0x2C) {
      *error = "unexpected block " + std::to_string(kind);
      return false;
    }
    GifFrame frame;
    int imageFlags = 0;
    if (!in.Word(&frame.left) || !in.Word(&frame.top) || !in.Word(&frame.width) ||
        !in.Word(&frame.height) || !in.Byte(&imageFlags)) {
      *error = "short image descriptor";
      return false;
    }
    if (imageFlags & 0x40) {
      *error = "interlaced frames are not expected";
      return false;
    }
    std::vector<uint8_t> table = globalTable;
    if (imageFlags & 0x80) {
      if (!in.Bytes(3u << ((imageFlags & 7) + 1), &table)) {
        *error = "short local colour table";
        return false;
      }
      frame.localColors = table.size() / 3;
    }
    int minCodeSize = 0;
    std::vector<uint8_t> codes;
    std::vector<uint8_t> indices;
    if (!in.Byte(&minCodeSize) || !in.SubBlocks(&codes) ||
        !LzwDecode(codes, minCodeSize, &indices, error)) {
      if (error->empty()) *error = "short image data";
      return false;
    }
    if (indices.size() != static_cast<size_t>(frame.width) * frame.height) {
      *error = "frame " + std::to_string(animation->frames.size()) + " has " +
               std::to_string(indices.size()) + " pixels, not " +
               std::to_string(frame.width * frame.height);
      return false;
    }
    if (frame.left + frame.width > canvas.width || frame.top + frame.height > canvas.height) {
      *error = "a frame outside the screen";
      return false;
    }
    const capture::Image before = canvas;
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        const int index = indices[static_cast<size_t>(y) * frame.width + x];
        if (index == transparent) continue;
        if (static_cast<size_t>(index) * 3 + 2 >= table.size()) {
          *error = "index " + std::to_string(index) + " past the colour table";
          return false;
        }
        uint8_t* p =
            &canvas.rgb[(static_cast<size_t>(frame.top + y) * canvas.width + frame.left + x) * 3];
        for (int c = 0; c < 3; ++c) p[c] = table[static_cast<size_t>(index) * 3 + c];
      }
    }
    frame.delayCentiseconds = delay;
    frame.hasTransparency = transparent >= 0;
    frame.shown = canvas;
    animation->frames.push_back(frame);
    // Disposal 3 puts back what was there before; 2 clears to the background.
    if (disposal == 3) canvas = before;
    if (disposal == 2) {
      for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
          for (int c = 0; c < 3; ++c)
            canvas
                .rgb[(static_cast<size_t>(frame.top + y) * canvas.width + frame.left + x) * 3 + c] =
                0;
    }
    delay = 0;
    transparent = -1;
    disposal = 0;
  }
}

}  // namespace render_test
