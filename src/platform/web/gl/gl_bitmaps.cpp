// GlContext: the raster position, the unpacking of bitmaps into the glyph
// atlas, and glBitmap.
#include "platform/web/gl/gl_context.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace web::gl {

void GlContext::RasterPos(float x, float y, float z, float w) {
  if (!Record([=](GlContext& c) { c.RasterPos(x, y, z, w); }) || InsideBegin()) return;
  const Vec4 clip = projection_.back() * (modelview_.back() * Vec4{x, y, z, w});
  state_.rasterValid = std::fabs(clip.x) <= clip.w && std::fabs(clip.y) <= clip.w &&
                       std::fabs(clip.z) <= clip.w && clip.w > 0;
  if (!state_.rasterValid) return;
  const int* viewport = state_.draw.viewport;
  const float halfWidth = viewport[2] * 0.5f, halfHeight = viewport[3] * 0.5f;
  state_.raster[0] = clip.x / clip.w * halfWidth + (viewport[0] + halfWidth);
  state_.raster[1] = clip.y / clip.w * halfHeight + (viewport[1] + halfHeight);
  state_.raster[2] = clip.z / clip.w * 0.5f + 0.5f;
  state_.raster[3] = clip.w;
  for (int i = 0; i < 4; ++i) state_.rasterColor[i] = Clamp01(state_.color[i]);
}

void GlContext::PixelStore(GLenum name, GLint value) {
  // Client state: executed at once, never compiled.
  if (InsideBegin()) return;
  switch (name) {
    case GL_UNPACK_ALIGNMENT:
      if (value != 1 && value != 2 && value != 4 && value != 8) return SetError(GL_INVALID_VALUE);
      unpackAlignment_ = value;
      return;
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
    case GL_UNPACK_LSB_FIRST:
    case GL_UNPACK_SWAP_BYTES:
      // Their defaults are the only values this subset reads bitmaps with.
      if (value != 0) Outside("glPixelStorei(GL_UNPACK_* other than the alignment)");
      return;
    default:
      Outside("glPixelStorei");
  }
}

bool GlContext::PlaceGlyph(GLsizei width, GLsizei height, const GLubyte* bitmap,
                           GlyphPlace* place) {
  // One byte a texel from GL's unpacking: rows padded to the alignment,
  // most significant bit first.
  const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
  const size_t stride = (rowBytes + unpackAlignment_ - 1) / unpackAlignment_ * unpackAlignment_;
  std::string texels(static_cast<size_t>(width) * height, '\0');
  for (GLsizei row = 0; row < height; ++row)
    for (GLsizei col = 0; col < width; ++col)
      if (bitmap[row * stride + col / 8] & (0x80 >> (col % 8)))
        texels[static_cast<size_t>(row) * width + col] = '\xff';

  const std::string key = std::to_string(width) + "x" + std::to_string(height) + ":" + texels;
  auto found = glyphPlaces_.find(key);
  if (found != glyphPlaces_.end()) {
    *place = found->second;
    return true;
  }
  if (width > kAtlasSize || height > kAtlasSize) return false;
  if (shelfX_ + width > kAtlasSize) {
    shelfY_ += shelfHeight_;
    shelfX_ = shelfHeight_ = 0;
  }
  if (shelfY_ + height > kAtlasSize) return false;
  *place = GlyphPlace{shelfX_, shelfY_};
  renderer_->PutGlyphs(place->x, place->y, width, height,
                       reinterpret_cast<const uint8_t*>(texels.data()));
  shelfX_ += width;
  shelfHeight_ = std::max(shelfHeight_, static_cast<int>(height));
  glyphPlaces_.emplace(key, *place);
  return true;
}

void GlContext::Bitmap(GLsizei width, GLsizei height, float xorig, float yorig, float xmove,
                       float ymove, const GLubyte* bitmap) {
  if (InsideBegin()) return;
  if (width < 0 || height < 0) return SetError(GL_INVALID_VALUE);
  // The bits are unpacked once, when the call is made or compiled.
  GlyphPlace place{0, 0};
  if (width > 0 && height > 0 && bitmap && !PlaceGlyph(width, height, bitmap, &place))
    return SetError(GL_OUT_OF_MEMORY);
  if (!bitmap) width = height = 0;
  if (!Record([=](GlContext& c) { c.DrawGlyph(width, height, place, xorig, yorig, xmove, ymove); }))
    return;
  DrawGlyph(width, height, place, xorig, yorig, xmove, ymove);
}

void GlContext::DrawGlyph(GLsizei width, GLsizei height, const GlyphPlace& place, float xorig,
                          float yorig, float xmove, float ymove) {
  if (!state_.rasterValid) return;
  if (width > 0 && height > 0 && drawableWidth_ > 0 && drawableHeight_ > 0) {
    // The lower-left pixel is the raster position less the origin, rounded
    // down; a hair above the exact value counts as reaching the next pixel,
    // which is how GL's own glBitmap truncates.
    const float epsilon = 0.0001f;
    const float left = std::floor(state_.raster[0] + epsilon - xorig);
    const float bottom = std::floor(state_.raster[1] + epsilon - yorig);
    const float toClipX = 2.0f / drawableWidth_, toClipY = 2.0f / drawableHeight_;
    const float x0 = left * toClipX - 1, x1 = (left + width) * toClipX - 1;
    const float y0 = bottom * toClipY - 1, y1 = (bottom + height) * toClipY - 1;
    const float z = state_.raster[2] * 2 - 1;
    const float u0 = static_cast<float>(place.x), u1 = u0 + width;
    const float v0 = static_cast<float>(place.y), v1 = v0 + height;
    const float* c = state_.rasterColor;
    const web::gl::Vertex quad[6] = {{x0, y0, z, 1, c[0], c[1], c[2], c[3], u0, v0},
                                     {x1, y0, z, 1, c[0], c[1], c[2], c[3], u1, v0},
                                     {x1, y1, z, 1, c[0], c[1], c[2], c[3], u1, v1},
                                     {x0, y0, z, 1, c[0], c[1], c[2], c[3], u0, v0},
                                     {x1, y1, z, 1, c[0], c[1], c[2], c[3], u1, v1},
                                     {x0, y1, z, 1, c[0], c[1], c[2], c[3], u0, v1}};
    // Bitmap fragments are window pixels: neither the viewport nor culling
    // applies to them.
    DrawState state = state_.draw;
    state.cullFace = false;
    const int whole[4] = {0, 0, drawableWidth_, drawableHeight_};
    std::copy(whole, whole + 4, state.viewport);
    Emit(Shape::kTriangles, state, quad, 6);
  }
  state_.raster[0] += xmove;
  state_.raster[1] += ymove;
}

}  // namespace web::gl
