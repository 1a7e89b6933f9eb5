#include "capture/png_file.h"

#include "capture/png_writer.h"

namespace capture {

bool WritePng(std::FILE* file, const Image& image, const SurfaceBits& bits, const PngText& text,
              std::string* error) {
  return png::WriteRgb(file, image.width, image.height, image.rgb.data(),
                       png::SignificantBits{bits.red, bits.green, bits.blue}, text, error);
}

}  // namespace capture
