#include "capture/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace capture::png {
namespace {

struct ErrorSink {
  char message[256] = "";
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Everything between setjmp and a possible longjmp is plain data prepared by
// the caller, so the jump skips no destructor.
bool Encode(png_structp png, png_infop info, std::FILE* file, int width, int height,
            const png_color_8& significant, png_text* texts, int textCount, png_bytep* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  // Fast deflate and no row filters: the pictures are large flat areas, which
  // deflate takes well as they are, and a recording writes thousands of them.
  // (Filtering made the files 2% smaller and the encoding twice as slow.)
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_set_sBIT(png, info, &significant);
  if (textCount > 0) png_set_text(png, info, texts, textCount);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

}  // namespace

bool WriteRgb(std::FILE* file, int width, int height, const uint8_t* rgb,
              const SignificantBits& bits, const Text& text, std::string* error) {
  ErrorSink sink;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    *error = "libpng: out of memory";
    return false;
  }

  png_color_8 significant{};
  significant.red = static_cast<png_byte>(bits.red);
  significant.green = static_cast<png_byte>(bits.green);
  significant.blue = static_cast<png_byte>(bits.blue);

  std::vector<png_text> texts(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[i].key = const_cast<char*>(text[i].first.c_str());
    texts[i].text = const_cast<char*>(text[i].second.c_str());
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[y] = const_cast<png_bytep>(rgb + static_cast<size_t>(y) * width * 3);

  const bool ok = Encode(png, info, file, width, height, significant, texts.data(),
                         static_cast<int>(texts.size()), rows.data());
  png_destroy_write_struct(&png, &info);
  const bool flushed = ok && std::fflush(file) == 0;
  if (std::ferror(file) || (ok && !flushed)) {
    *error = std::string("cannot write: ") + std::strerror(errno);
    return false;
  }
  if (!ok) {
    *error = std::string("libpng: ") + sink.message;
    return false;
  }
  return true;
}

}  // namespace capture::png
