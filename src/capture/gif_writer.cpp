#include "capture/gif_writer.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace capture {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* object) const { Free(object); }
};
using LiqAttr = std::unique_ptr<liq_attr, Deleter<liq_attr, liq_attr_destroy>>;
using LiqImage = std::unique_ptr<liq_image, Deleter<liq_image, liq_image_destroy>>;
using LiqResult = std::unique_ptr<liq_result, Deleter<liq_result, liq_result_destroy>>;
using ColorMap = std::unique_ptr<ColorMapObject, Deleter<ColorMapObject, GifFreeMapObject>>;

int WriteToFile(GifFileType* gif, const GifByteType* bytes, int length) {
  std::FILE* file = static_cast<std::FILE*>(gif->UserData);
  return file ? static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(length), file)) : 0;
}

int BitsFor(size_t colors) {
  int bits = 1;
  while ((size_t{1} << bits) < colors) ++bits;
  return bits;
}

}  // namespace

bool Quantize(const Image& image, int maxColors, Palette* palette, std::vector<uint8_t>* indices,
              std::string* error) {
  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  std::vector<uint8_t> rgba(pixels * 4, 255);
  for (size_t i = 0; i < pixels; ++i) std::memcpy(&rgba[i * 4], &image.rgb[i * 3], 3);

  const LiqAttr attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), maxColors) != LIQ_OK) {
    *error = "cannot set up libimagequant";
    return false;
  }
  const LiqImage input(
      liq_image_create_rgba(attr.get(), rgba.data(), image.width, image.height, 0));
  liq_result* made = nullptr;
  liq_error status = input ? liq_image_quantize(input.get(), attr.get(), &made) : LIQ_OUT_OF_MEMORY;
  const LiqResult result(made);
  if (status == LIQ_OK) {
    // Dithering would spread each pixel's error over its neighbours: a worse
    // match pixel by pixel, and an unchanged area could be dithered
    // differently in the next frame, so fewer pixels could stay transparent.
    liq_set_dithering_level(result.get(), 0);
    indices->resize(pixels);
    status = liq_write_remapped_image(result.get(), input.get(), indices->data(), indices->size());
  }
  if (status != LIQ_OK) {
    *error = "libimagequant failed (error " + std::to_string(status) + ")";
    return false;
  }
  const liq_palette* colors = liq_get_palette(result.get());
  palette->rgb.clear();
  for (unsigned i = 0; i < colors->count; ++i)
    palette->rgb.insert(palette->rgb.end(),
                        {colors->entries[i].r, colors->entries[i].g, colors->entries[i].b});
  return true;
}

GifWriter::~GifWriter() {
  Discard();
}

void GifWriter::Discard() {
  if (!gif) return;
  // giflib writes the trailer as it lets go; the file may be gone already.
  gif->UserData = nullptr;
  EGifCloseFile(gif, nullptr);
  gif = nullptr;
}

bool GifWriter::Failed(int code, std::string* error) {
  if (code == E_GIF_ERR_WRITE_FAILED || std::ferror(file))
    *error = std::string("cannot write: ") + std::strerror(errno);
  else
    *error = GifErrorString(code);
  return false;
}

bool GifWriter::Open(std::FILE* fileArg, int widthArg, int heightArg, std::string* error) {
  file = fileArg;
  width = widthArg;
  height = heightArg;
  first = true;
  shown.assign(static_cast<size_t>(width) * height * 3, 0);
  int code = 0;
  gif = EGifOpen(file, WriteToFile, &code);
  if (!gif) return Failed(code, error);
  EGifSetGifVersion(gif, true);
  // No global table; every frame brings its own.
  if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_ERROR)
    return Failed(gif->Error, error);
  // Loop for ever.
  const GifByteType loop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
      EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif) == GIF_ERROR)
    return Failed(gif->Error, error);
  return true;
}

bool GifWriter::AddFrame(const Image& image, int delayCentiseconds, std::string* error) {
  if (image.width != width || image.height != height) {
    *error = "a frame of another size than the animation";
    return false;
  }
  // Index 0 is kept for "as before", the rest are the frame's colours.
  Palette palette;
  std::vector<uint8_t> indices;
  if (!Quantize(image, 255, &palette, &indices, error)) return false;

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
  std::vector<GifPixelType> area;
  area.reserve(static_cast<size_t>(w) * h);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) area.push_back(shade[static_cast<size_t>(y) * width + x]);

  // Keep the frame under the next one; index 0 is transparent after the first.
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.DelayTime = delayCentiseconds;
  control.TransparentColor = first ? NO_TRANSPARENT_COLOR : 0;
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);

  const ColorMap colors(GifMakeMapObject(1 << BitsFor(palette.Size() + 1), nullptr));
  if (!colors) return Failed(E_GIF_ERR_NOT_ENOUGH_MEM, error);
  for (size_t i = 0; i < palette.Size(); ++i)
    colors->Colors[i + 1] = {palette.rgb[i * 3], palette.rgb[i * 3 + 1], palette.rgb[i * 3 + 2]};

  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_ERROR ||
      EGifPutImageDesc(gif, left, top, w, h, false, colors.get()) == GIF_ERROR ||
      EGifPutLine(gif, area.data(), w * h) == GIF_ERROR)
    return Failed(gif->Error, error);
  first = false;
  return true;
}

bool GifWriter::Finish(std::string* error) {
  int code = 0;
  const int closed = EGifCloseFile(gif, &code);
  gif = nullptr;
  if (closed == GIF_ERROR || std::fflush(file) != 0) return Failed(code, error);
  return true;
}

}  // namespace capture
