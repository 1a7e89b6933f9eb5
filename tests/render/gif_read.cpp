#include "gif_read.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace render_test {

namespace {

struct Source {
  const std::vector<uint8_t>* bytes;
  size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
  Source* source = static_cast<Source*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(length), source->bytes->size() - source->at);
  std::memcpy(out, source->bytes->data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

struct Closer {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

// The loop count of a NETSCAPE2.0 application block: its name, then a
// sub-block of 1 and a 16-bit count.
int LoopCount(const SavedImage& image) {
  for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
    const ExtensionBlock& name = image.ExtensionBlocks[i];
    const ExtensionBlock& data = image.ExtensionBlocks[i + 1];
    if (name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11 &&
        std::memcmp(name.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 &&
        data.Bytes[0] == 1)
      return data.Bytes[1] | (data.Bytes[2] << 8);
  }
  return -1;
}

}  // namespace

bool ReadGif(const std::vector<uint8_t>& bytes, GifAnimation* animation, std::string* error) {
  if (bytes.size() < 6 || std::memcmp(bytes.data(), "GIF89a", 6) != 0) {
    *error = "no GIF89a signature";
    return false;
  }
  Source source{&bytes};
  int code = 0;
  const std::unique_ptr<GifFileType, Closer> gif(DGifOpen(&source, ReadFromMemory, &code));
  if (!gif) {
    *error = GifErrorString(code);
    return false;
  }
  if (DGifSlurp(gif.get()) == GIF_ERROR) {
    *error = GifErrorString(gif->Error);
    return false;
  }
  animation->width = gif->SWidth;
  animation->height = gif->SHeight;
  capture::Image canvas;
  canvas.width = animation->width;
  canvas.height = animation->height;
  canvas.rgb.assign(static_cast<size_t>(canvas.width) * canvas.height * 3, 0);

  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    if (animation->loopCount < 0) animation->loopCount = LoopCount(image);
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif.get(), i, &control);
    GifFrame frame;
    frame.left = image.ImageDesc.Left;
    frame.top = image.ImageDesc.Top;
    frame.width = image.ImageDesc.Width;
    frame.height = image.ImageDesc.Height;
    frame.delayCentiseconds = control.DelayTime;
    frame.hasTransparency = control.TransparentColor != NO_TRANSPARENT_COLOR;
    const ColorMapObject* table = image.ImageDesc.ColorMap;
    if (table) frame.localColors = static_cast<size_t>(table->ColorCount);
    if (!table) table = gif->SColorMap;
    if (image.ImageDesc.Interlace) {
      *error = "interlaced frames are not expected";
      return false;
    }
    if (frame.left + frame.width > canvas.width || frame.top + frame.height > canvas.height) {
      *error = "a frame outside the screen";
      return false;
    }
    const capture::Image before = canvas;
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        const int index = image.RasterBits[static_cast<size_t>(y) * frame.width + x];
        if (index == control.TransparentColor) continue;
        if (!table || index >= table->ColorCount) {
          *error = "index " + std::to_string(index) + " past the colour table";
          return false;
        }
        const GifColorType& color = table->Colors[index];
        uint8_t* p =
            &canvas.rgb[(static_cast<size_t>(frame.top + y) * canvas.width + frame.left + x) * 3];
        p[0] = color.Red;
        p[1] = color.Green;
        p[2] = color.Blue;
      }
    }
    frame.shown = canvas;
    animation->frames.push_back(frame);
    // Putting back what was there before, or clearing to the background.
    if (control.DisposalMode == DISPOSE_PREVIOUS) canvas = before;
    if (control.DisposalMode == DISPOSE_BACKGROUND) {
      for (int y = 0; y < frame.height; ++y)
        std::memset(
            &canvas.rgb[(static_cast<size_t>(frame.top + y) * canvas.width + frame.left) * 3], 0,
            static_cast<size_t>(frame.width) * 3);
    }
  }
  return true;
}

}  // namespace render_test
