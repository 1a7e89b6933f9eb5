#include "png_read.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace render_test {

namespace {

struct ErrorSink {
  char message[256] = "";
};

void OnError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Only plain data lives across the setjmp: the jump skips no destructor.
bool Decode(png_structp png, png_infop info, std::FILE* file, png_uint_32* width,
            png_uint_32* height, int* colorType, int* depth, png_color_8p* significant,
            png_textp* texts, int* textCount, std::vector<png_bytep>* rows,
            std::vector<unsigned char>* pixels) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_read_info(png, info);
  png_get_IHDR(png, info, width, height, depth, colorType, nullptr, nullptr, nullptr);
  if (*colorType != PNG_COLOR_TYPE_RGB || *depth != 8) return true;  // the caller says why
  if (!png_get_sBIT(png, info, significant)) *significant = nullptr;
  pixels->resize(static_cast<size_t>(*width) * *height * 3);
  rows->resize(*height);
  for (png_uint_32 y = 0; y < *height; ++y) (*rows)[y] = pixels->data() + y * *width * 3;
  png_read_image(png, rows->data());
  png_read_end(png, info);
  if (!png_get_text(png, info, texts, textCount)) *textCount = 0;
  return true;
}

}  // namespace

bool ReadPng(const std::string& path, PngFrame* frame, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = path + ": cannot open";
    return false;
  }
  ErrorSink sink;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &sink, OnError, OnWarning);
  png_infop info = png_create_info_struct(png);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int colorType = 0;
  int depth = 0;
  png_color_8p significant = nullptr;
  png_textp texts = nullptr;
  int textCount = 0;
  std::vector<png_bytep> rows;
  std::vector<unsigned char> pixels;
  const bool ok = Decode(png, info, file, &width, &height, &colorType, &depth, &significant, &texts,
                         &textCount, &rows, &pixels);
  bool read = false;
  if (ok && (colorType != PNG_COLOR_TYPE_RGB || depth != 8)) {
    *error = path + ": not 8-bit RGB";
  } else if (!ok) {
    *error = path + ": " + sink.message;
  } else {
    read = true;
    frame->image.width = static_cast<int>(width);
    frame->image.height = static_cast<int>(height);
    frame->image.rgb = std::move(pixels);
    frame->bits = capture::SurfaceBits{};
    if (significant) {
      frame->bits.red = significant->red;
      frame->bits.green = significant->green;
      frame->bits.blue = significant->blue;
    }
    frame->text.clear();
    for (int i = 0; i < textCount; ++i) frame->text[texts[i].key] = texts[i].text;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return read;
}

}  // namespace render_test
